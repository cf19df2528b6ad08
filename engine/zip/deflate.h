// Streaming raw deflate compressor (RFC 1951) used by the zip writer: one pass, hash chains,
// lazy matching, and a per-block choice of stored, fixed or dynamic Huffman coding.
#pragma once

#include <cstdint>

// Fills `buffer` with up to `size` bytes: the count, 0 at the end of the input, -1 on error.
using deflate_read_fn = int (*)(void* context, uint8_t* buffer, unsigned size);
// Takes the whole buffer; false when it could not (a failed or short write).
using deflate_write_fn = bool (*)(void* context, const uint8_t* buffer, unsigned size);

struct deflate_state;

// A run for one input at `level` (1..8). `flags`, when given, gets the zip flag bits of the
// level. The state is one heap block; free it with deflate_free.
deflate_state* deflate_new(deflate_read_fn read, deflate_write_fn write, void* context, int level,
                           uint16_t* flags);
void deflate_free(deflate_state* s);

// Called in this order: code tables and fixed trees; tuning values and the first window;
// the whole compression, giving the number of compressed bytes written.
void deflate_init_trees(deflate_state& s);
void deflate_init_matcher(deflate_state& s);
uint64_t deflate_run(deflate_state& s);

// Null while all is well; otherwise the last problem met, and the output is not to be used.
const char* deflate_message(const deflate_state& s);

// The three steps above in one call; the message (or null) and the compressed size.
const char* deflate_stream(deflate_read_fn read, deflate_write_fn write, void* context, int level,
                           uint16_t* flags, uint64_t* compressed_bytes);
