// The inside of one compression run, shared by the matcher and the block coder.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/zip/deflate.h"

namespace deflate_internal {

constexpr unsigned window_half = 32768;
constexpr unsigned window_size = 2 * window_half;
constexpr unsigned window_mask = window_half - 1;
constexpr unsigned min_match = 3;
constexpr unsigned max_match = 258;
constexpr unsigned min_lookahead = max_match + min_match + 1;
constexpr unsigned max_dist = window_half - min_lookahead;
constexpr unsigned too_far = 4096;
constexpr unsigned hash_size = 32768;
constexpr unsigned hash_mask = hash_size - 1;
constexpr unsigned hash_shift = 5;
// Room behind the window so that the eight-byte compares never leave the buffer.
constexpr unsigned window_slack = 512;

constexpr unsigned lit_buffer_size = 32768;
constexpr unsigned dist_buffer_size = 32768;
constexpr unsigned out_buffer_size = 16384;

constexpr int length_codes = 29;
constexpr int literals = 256;
constexpr int end_block = 256;
constexpr int l_codes = literals + 1 + length_codes;  // 286
constexpr int d_codes = 30;
constexpr int bl_codes = 19;
constexpr int max_bits = 15;
constexpr int max_bl_bits = 7;
constexpr int heap_size = 2 * l_codes + 1;  // 573

// One Huffman code: its bits reversed for output, and its length (0 for an unused symbol).
struct huff_code {
  uint16_t code;
  uint16_t len;
};

}  // namespace deflate_internal

struct deflate_state {
  deflate_read_fn read;
  deflate_write_fn write;
  void* context;
  int level;
  uint16_t* flags;
  const char* message;
  bool stopped;  // a read or write failed: nothing more is done

  // Matcher.
  unsigned strstart, lookahead, match_start, prev_length, ins_h;
  long block_start;
  bool eof;
  unsigned good_match, max_lazy, nice_match, max_chain;
  uint16_t head[deflate_internal::hash_size];
  uint16_t prev[deflate_internal::window_half];
  // The links two and three steps on: prev2[p] == prev[prev[p]] and prev3[p] ==
  // prev[prev2[p]] as they were when p was inserted, which stays so for every link a search
  // still follows. A search walks three chains in step, each one load after the last,
  // instead of one chain whose every step waits for the one before.
  uint16_t prev2[deflate_internal::window_half];
  uint16_t prev3[deflate_internal::window_half];

  // Symbols of the current block: distance 0 marks a literal in `lc`, else lc = length - 3.
  uint8_t sym_lc[deflate_internal::lit_buffer_size];
  uint16_t sym_dist[deflate_internal::lit_buffer_size];
  unsigned last_lit, last_dist;

  uint32_t lit_freq[deflate_internal::l_codes + 2];
  uint32_t dist_freq[deflate_internal::d_codes + 2];
  deflate_internal::huff_code lit_tree[deflate_internal::l_codes + 2];
  deflate_internal::huff_code dist_tree[deflate_internal::d_codes + 2];
  deflate_internal::huff_code bl_tree[deflate_internal::bl_codes];
  deflate_internal::huff_code static_lit[deflate_internal::l_codes + 2];
  deflate_internal::huff_code static_dist[deflate_internal::d_codes];

  // Code tables: length - 3 and distance - 1 to their codes, with the codes' base values.
  uint8_t length_code[256];
  uint8_t dist_code[512];
  uint16_t base_length[deflate_internal::length_codes];
  uint16_t base_dist[deflate_internal::d_codes];

  // Bit output: bits fill `bit_buffer` from its low end; whole bytes go to `out`.
  uint64_t bit_buffer;
  unsigned bit_count;
  unsigned out_pos;
  uint64_t flushed_bytes;
  uint8_t out[deflate_internal::out_buffer_size + 16];

  alignas(8) uint8_t window[deflate_internal::window_size + deflate_internal::window_slack];
};

namespace deflate_internal {

extern const uint8_t extra_lbits[length_codes];
extern const uint8_t extra_dbits[d_codes];

inline unsigned d_code(const deflate_state& s, unsigned dist_minus_1) {
  return dist_minus_1 < 256 ? s.dist_code[dist_minus_1] : s.dist_code[256 + (dist_minus_1 >> 7)];
}

// Records one symbol; true when the block should end here.
bool tally(deflate_state& s, unsigned dist, unsigned lc);
// The end-of-block test after a symbol: a full buffer, or every 4096 symbols the estimate.
bool block_should_end(deflate_state& s);

// tally for a literal, with the test only where it can say yes.
inline bool tally_literal(deflate_state& s, unsigned c) {
  unsigned i = s.last_lit++;
  s.sym_lc[i] = uint8_t(c);
  s.sym_dist[i] = 0;
  s.lit_freq[c]++;
  if ((s.last_lit & 0xFFF) != 0 && s.last_lit != lit_buffer_size - 1) return false;
  return block_should_end(s);
}
// Sends the block of `stored_len` input bytes that starts at `buf` (null once slid away).
void flush_block(deflate_state& s, const uint8_t* buf, unsigned long stored_len, bool last);
void init_block(deflate_state& s);

inline void set_message(deflate_state& s, const char* m) { s.message = m; }

}  // namespace deflate_internal
