// CRC-32 of the zip format: reflected polynomial 0xEDB88320, all ones in and out.
#pragma once

#include <cstddef>
#include <cstdint>

// Continues `crc` (0 for a new run) over the bytes.
uint32_t crc32_update(uint32_t crc, const void* data, size_t size);
