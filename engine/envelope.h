// The envelope of every message to and from the matching service: a zlib stream, zero bytes up
// to the next multiple of 16, AES-128-CBC under the fixed key and vector. No header, no length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using byte_buffer = std::vector<uint8_t>;

// The answer capacity of the matching exchange; also the bound of an inflated answer.
constexpr size_t envelope_max_plain = 8388608;

// 0 with the zlib stream of the whole input in out; zlib's code or -1 on failure.
int compress_buffer(const uint8_t* input, size_t length, byte_buffer& out);
// Pads with zero bytes to a multiple of 16 and enciphers in place; -1 for an empty buffer.
int encrypt_buffer(byte_buffer& buffer);
// Deciphers `length` bytes of source (raised to a multiple of 16, missing bytes read as zero)
// into out; never reads more than source_size bytes of source. -1 when length is 0.
int decrypt_buffer(size_t length, byte_buffer& out, const uint8_t* source, size_t source_size);
// Inflates a zlib stream into out (exactly its bytes, no terminator); bytes after the end of the
// stream are ignored. 0, or a negative value: truncated or damaged stream, or more than
// max_output bytes.
int uncompress_buffer(byte_buffer& out, const uint8_t* input, size_t length,
                      size_t max_output = envelope_max_plain);
