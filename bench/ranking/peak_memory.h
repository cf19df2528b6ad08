#pragma once

#include <cstdint>

// The process's peak resident memory in bytes so far; 0 when the platform cannot tell.
uint64_t peak_memory_bytes();
