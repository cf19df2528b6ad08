// Block coding of the compressor: code tables, Huffman trees with length limits, the choice
// of block type, and the bit output.
#include <algorithm>

#include "engine/zip/deflate_state.h"

namespace deflate_internal {

const uint8_t extra_lbits[length_codes] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint8_t extra_dbits[d_codes] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
namespace {

const uint8_t extra_blbits[bl_codes] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};
const uint8_t bl_order[bl_codes] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
constexpr int rep_3_6 = 16, repz_3_10 = 17, repz_11_138 = 18;

inline void store_le32(uint8_t* p, uint32_t v) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  std::memcpy(p, &v, 4);
#else
  p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16), p[3] = uint8_t(v >> 24);
#endif
}

void flush_out(deflate_state& s) {
  if (s.out_pos == 0 || s.stopped) {
    s.out_pos = 0;
    return;
  }
  if (!s.write) {
    set_message(s, "output buffer too small for in-memory compression");
    s.stopped = true;
  } else if (!s.write(s.context, s.out, s.out_pos)) {
    set_message(s, "write error");
    s.stopped = true;
  }
  s.flushed_bytes += s.out_pos;
  s.out_pos = 0;
}

// Fields of 1..15 bits; the buffer never holds more than 31 bits between calls.
inline void send_bits(deflate_state& s, unsigned value, unsigned length) {
  if (length - 1u > 14u) {
    set_message(s, "invalid length");
    return;
  }
  s.bit_buffer |= uint64_t(value) << s.bit_count;
  s.bit_count += length;
  if (s.bit_count >= 32) {
    store_le32(s.out + s.out_pos, uint32_t(s.bit_buffer));
    s.out_pos += 4;
    s.bit_buffer >>= 32;
    s.bit_count -= 32;
    if (s.out_pos >= out_buffer_size) flush_out(s);
  }
}

inline void send_code(deflate_state& s, const huff_code& c) { send_bits(s, c.code, c.len); }

// Pending bits out as whole bytes, the last one padded with zeros.
void align_to_byte(deflate_state& s) {
  while (s.bit_count > 0) {
    s.out[s.out_pos++] = uint8_t(s.bit_buffer);
    s.bit_buffer >>= 8;
    s.bit_count = s.bit_count > 8 ? s.bit_count - 8 : 0;
  }
  s.bit_buffer = 0;
  if (s.out_pos >= out_buffer_size) flush_out(s);
}

void put_bytes(deflate_state& s, const uint8_t* p, unsigned long n) {
  while (n > 0) {
    unsigned room = out_buffer_size - s.out_pos;
    unsigned take = unsigned(std::min<unsigned long>(room, n));
    std::memcpy(s.out + s.out_pos, p, take);
    s.out_pos += take;
    p += take;
    n -= take;
    if (s.out_pos >= out_buffer_size) flush_out(s);
  }
}

uint64_t bits_sent(const deflate_state& s) { return (s.flushed_bytes + s.out_pos) * 8 + s.bit_count; }

unsigned reverse_bits(unsigned code, int len) {
  unsigned r = 0;
  for (int i = 0; i < len; ++i, code >>= 1) r = (r << 1) | (code & 1);
  return r;
}

// Canonical codes from the lengths (RFC 1951 3.2.2), bit-reversed for output.
void make_codes(deflate_state& s, huff_code* tree, int count, int limit) {
  unsigned bl_count[max_bits + 1] = {};
  for (int n = 0; n < count; ++n) bl_count[tree[n].len]++;
  bl_count[0] = 0;
  unsigned next[max_bits + 2] = {};
  unsigned code = 0;
  for (int bits = 1; bits <= limit; ++bits) {
    code = (code + bl_count[bits - 1]) << 1;
    next[bits] = code;
  }
  // The last code of the longest length must be all ones: the code space is full.
  if (code + bl_count[limit] != (1u << limit)) {
    unsigned used = 0;
    for (int n = 0; n < count; ++n) used += tree[n].len != 0;
    if (used > 1) set_message(s, "inconsistent bit counts");
  }
  for (int n = 0; n < count; ++n)
    if (tree[n].len) tree[n].code = uint16_t(reverse_bits(next[tree[n].len]++, tree[n].len));
}

struct tree_builder {
  uint32_t freq[heap_size];
  uint16_t parent[heap_size];
  uint8_t depth[heap_size];
  int heap[heap_size];
  int heap_len;

  bool smaller(int a, int b) const {
    return freq[a] < freq[b] || (freq[a] == freq[b] && depth[a] <= depth[b]);
  }
  void sift_down(int k) {
    int v = heap[k];
    for (int j = 2 * k; j <= heap_len; j = 2 * k) {
      if (j < heap_len && smaller(heap[j + 1], heap[j])) ++j;
      if (smaller(v, heap[j])) break;
      heap[k] = heap[j];
      k = j;
    }
    heap[k] = v;
  }
  int pop() {
    int top = heap[1];
    heap[1] = heap[heap_len--];
    sift_down(1);
    return top;
  }
};

// Huffman code lengths for `count` symbols, at most `limit` bits; the highest used symbol.
int build_tree(deflate_state& s, const uint32_t* in_freq, huff_code* tree, int count, int limit) {
  tree_builder b;
  b.heap_len = 0;
  for (int n = 0; n < count; ++n) {
    b.freq[n] = in_freq[n];
    b.depth[n] = 0;
    tree[n].len = 0;
    if (in_freq[n]) b.heap[++b.heap_len] = n;
  }
  // A decoder needs two codes at least: 0 and 1, whichever are missing.
  for (int n = 0; b.heap_len < 2 && n < 2; ++n)
    if (!b.freq[n]) {
      b.freq[n] = 1;
      b.heap[++b.heap_len] = n;
    }
  std::sort(b.heap + 1, b.heap + 1 + b.heap_len);
  int max_code = b.heap[b.heap_len];
  for (int k = b.heap_len / 2; k >= 1; --k) b.sift_down(k);

  // Leaves in the order they leave the heap (rising frequency), for the length fix below.
  int order[l_codes];
  int leaves = 0;
  int node = count;
  while (b.heap_len >= 2) {
    int a = b.pop();
    int c = b.heap[1];
    if (a < count) order[leaves++] = a;
    if (c < count) order[leaves++] = c;
    b.freq[node] = b.freq[a] + b.freq[c];
    b.depth[node] = uint8_t(std::max(b.depth[a], b.depth[c]) + 1);
    b.parent[a] = b.parent[c] = uint16_t(node);
    b.heap[1] = node;
    b.sift_down(1);
    ++node;
  }
  int root = node - 1;
  // Depths from the root down: parents are made after their children.
  uint16_t len_of[heap_size];
  len_of[root] = 0;
  unsigned bl_count[max_bits + 1] = {};
  int overflow = 0;
  for (int n = root - 1; n >= 0; --n) {
    if (n < count && b.freq[n] == 0) continue;
    int l = len_of[b.parent[n]] + 1;
    len_of[n] = uint16_t(l);
    // Inner nodes below the limit count as well: then the count is twice the code space
    // the clamped leaves overfill, which is what the fix below gives back.
    if (l > limit) ++overflow, l = limit;
    if (n < count) {
      bl_count[l]++;
      tree[n].len = uint16_t(l);
    }
  }
  if (overflow > 0) {
    // Move leaves down from the deepest level until the code space fits again.
    while (overflow > 0) {
      int bits = limit - 1;
      while (bl_count[bits] == 0) --bits;
      bl_count[bits]--;
      bl_count[bits + 1] += 2;
      bl_count[limit]--;
      overflow -= 2;
    }
    // The least frequent leaves get the longest codes.
    int k = 0;
    for (int bits = limit; bits >= 1; --bits)
      for (unsigned c = bl_count[bits]; c > 0; --c) tree[order[k++]].len = uint16_t(bits);
  }
  make_codes(s, tree, count, limit);
  return max_code;
}

// The run-length tokens of a list of code lengths (RFC 1951 3.2.7). `visit` gets each
// symbol with its extra value.
template <class Visit>
void scan_lengths(const huff_code* tree, int max_code, Visit visit) {
  int n = 0;
  while (n <= max_code) {
    int cur = tree[n].len;
    int run = 1;
    while (n + run <= max_code && tree[n + run].len == cur) ++run;
    n += run;
    if (cur == 0) {
      while (run >= 11) {
        int take = std::min(run, 138);
        visit(repz_11_138, take - 11);
        run -= take;
      }
      if (run >= 3) {
        visit(repz_3_10, run - 3);
        run = 0;
      }
    } else if (run >= 4) {
      // Runs are maximal, so the length differs from the one before: send it once, then repeat.
      visit(cur, 0);
      --run;
      while (run >= 3) {
        int take = std::min(run, 6);
        visit(rep_3_6, take - 3);
        run -= take;
      }
    }
    while (run-- > 0) visit(cur, 0);
  }
}

}  // namespace

void init_block(deflate_state& s) {
  std::memset(s.lit_freq, 0, sizeof s.lit_freq);
  std::memset(s.dist_freq, 0, sizeof s.dist_freq);
  s.lit_freq[end_block] = 1;
  s.last_lit = s.last_dist = 0;
}

bool tally(deflate_state& s, unsigned dist, unsigned lc) {
  unsigned i = s.last_lit++;
  s.sym_lc[i] = uint8_t(lc);
  s.sym_dist[i] = uint16_t(dist);
  if (dist == 0) {
    s.lit_freq[lc]++;
  } else {
    s.last_dist++;
    --dist;
    unsigned dc = d_code(s, dist);
    if (dist >= max_dist || lc > 255 || dc >= unsigned(d_codes)) set_message(s, "ct_tally: bad match");
    s.lit_freq[s.length_code[lc] + literals + 1]++;
    s.dist_freq[dc]++;
  }
  return block_should_end(s);
}

bool block_should_end(deflate_state& s) {
  if (s.level > 2 && (s.last_lit & 0xFFF) == 0) {
    // Mostly literals that code to under half their size: a fresh block may do better.
    unsigned long out_length = s.last_lit * 8ul;
    for (int dc = 0; dc < d_codes; ++dc) out_length += s.dist_freq[dc] * (5ul + extra_dbits[dc]);
    out_length >>= 3;
    unsigned long in_length = (unsigned long)(long(s.strstart) - s.block_start);
    if (s.last_dist < s.last_lit / 2 && out_length < in_length / 2) return true;
  }
  return s.last_lit == lit_buffer_size - 1 || s.last_dist == dist_buffer_size;
}

}  // namespace deflate_internal

void deflate_init_trees(deflate_state& s) {
  using namespace deflate_internal;
  int length = 0;
  for (int code = 0; code < length_codes - 1; ++code) {
    s.base_length[code] = uint16_t(length);
    for (int n = 0; n < (1 << extra_lbits[code]); ++n) s.length_code[length++] = uint8_t(code);
  }
  if (length != 256) set_message(s, "ct_init: length != 256");
  // Length 258 (lc 255) has its own code; the last of code 27's range goes to it.
  s.length_code[length - 1] = uint8_t(length_codes - 1);
  s.base_length[length_codes - 1] = 255;

  int dist = 0;
  int code = 0;
  for (; code < 16; ++code) {
    s.base_dist[code] = uint16_t(dist);
    for (int n = 0; n < (1 << extra_dbits[code]); ++n) s.dist_code[dist++] = uint8_t(code);
  }
  if (dist != 256) set_message(s, "ct_init: dist != 256");
  dist >>= 7;
  for (; code < d_codes; ++code) {
    s.base_dist[code] = uint16_t(dist << 7);
    for (int n = 0; n < (1 << (extra_dbits[code] - 7)); ++n) s.dist_code[256 + dist++] = uint8_t(code);
  }
  if (256 + dist != 512) set_message(s, "ct_init: 256+dist != 512");

  for (int n = 0; n < l_codes + 2; ++n)
    s.static_lit[n].len = uint16_t(n < 144 ? 8 : n < 256 ? 9 : n < 280 ? 7 : 8);
  make_codes(s, s.static_lit, l_codes + 2, max_bits);
  // 30 of the 32 five-bit codes: not a full code space, so no canonical check here.
  for (int n = 0; n < d_codes; ++n) s.static_dist[n] = {uint16_t(reverse_bits(unsigned(n), 5)), 5};

  s.bit_buffer = 0;
  s.bit_count = 0;
  s.out_pos = 0;
  s.flushed_bytes = 0;
  init_block(s);
}

namespace deflate_internal {
namespace {

void send_symbols(deflate_state& s, const huff_code* ltree, const huff_code* dtree) {
  for (unsigned i = 0; i < s.last_lit; ++i) {
    unsigned dist = s.sym_dist[i];
    unsigned lc = s.sym_lc[i];
    if (dist == 0) {
      send_code(s, ltree[lc]);
      continue;
    }
    unsigned code = s.length_code[lc];
    send_code(s, ltree[code + literals + 1]);
    if (unsigned extra = extra_lbits[code]) send_bits(s, lc - s.base_length[code], extra);
    --dist;
    code = d_code(s, dist);
    if (code >= unsigned(d_codes)) {
      set_message(s, "bad d_code");
      continue;
    }
    send_code(s, dtree[code]);
    if (unsigned extra = extra_dbits[code]) send_bits(s, dist - s.base_dist[code], extra);
  }
  send_code(s, ltree[end_block]);
}

uint64_t tree_bits(const uint32_t* freq, const huff_code* tree, int count, const uint8_t* extra,
                   int extra_from) {
  uint64_t bits = 0;
  for (int n = 0; n < count; ++n)
    if (freq[n]) bits += uint64_t(freq[n]) * (tree[n].len + (n >= extra_from ? extra[n - extra_from] : 0));
  return bits;
}

void send_lengths(deflate_state& s, const huff_code* tree, int max_code) {
  scan_lengths(tree, max_code, [&](int sym, int extra) {
    send_code(s, s.bl_tree[sym]);
    if (extra_blbits[sym]) send_bits(s, unsigned(extra), extra_blbits[sym]);
  });
}

}  // namespace

void flush_block(deflate_state& s, const uint8_t* buf, unsigned long stored_len, bool last) {
  if (s.stopped) return;
  int max_lit = build_tree(s, s.lit_freq, s.lit_tree, l_codes, max_bits);
  int max_dist_code = build_tree(s, s.dist_freq, s.dist_tree, d_codes, max_bits);

  uint32_t bl_freq[bl_codes] = {};
  auto count = [&](int sym, int) { bl_freq[sym]++; };
  scan_lengths(s.lit_tree, max_lit, count);
  scan_lengths(s.dist_tree, max_dist_code, count);
  build_tree(s, bl_freq, s.bl_tree, bl_codes, max_bl_bits);
  int max_blindex = bl_codes - 1;
  while (max_blindex >= 3 && s.bl_tree[bl_order[max_blindex]].len == 0) --max_blindex;

  uint64_t opt_len = tree_bits(s.lit_freq, s.lit_tree, l_codes, extra_lbits, literals + 1) +
                     tree_bits(s.dist_freq, s.dist_tree, d_codes, extra_dbits, 0) +
                     tree_bits(bl_freq, s.bl_tree, bl_codes, extra_blbits, 0) +
                     3ull * (max_blindex + 1) + 14;
  uint64_t static_len = tree_bits(s.lit_freq, s.static_lit, l_codes, extra_lbits, literals + 1) +
                        tree_bits(s.dist_freq, s.static_dist, d_codes, extra_dbits, 0);
  uint64_t opt_bytes = (opt_len + 3 + 7) >> 3;
  uint64_t static_bytes = (static_len + 3 + 7) >> 3;
  if (static_bytes <= opt_bytes) opt_bytes = static_bytes;

  uint64_t before = bits_sent(s);
  if (buf && stored_len + 4 <= opt_bytes) {
    // Stored blocks hold at most 65535 bytes each.
    do {
      unsigned n = unsigned(std::min<unsigned long>(stored_len, 65535));
      stored_len -= n;
      send_bits(s, (last && stored_len == 0) ? 1 : 0, 3);
      align_to_byte(s);
      uint8_t lens[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)};
      put_bytes(s, lens, 4);
      put_bytes(s, buf, n);
      buf += n;
    } while (stored_len > 0);
  } else if (static_bytes == opt_bytes) {
    send_bits(s, (1 << 1) + (last ? 1 : 0), 3);
    send_symbols(s, s.static_lit, s.static_dist);
    if (!s.stopped && bits_sent(s) - before != static_len + 3) set_message(s, "bad compressed size");
  } else {
    int lcodes = max_lit + 1, dcodes = max_dist_code + 1, blcodes = max_blindex + 1;
    if (lcodes < 257 || dcodes < 1 || blcodes < 4) set_message(s, "not enough codes");
    if (lcodes > l_codes || dcodes > d_codes || blcodes > bl_codes) set_message(s, "too many codes");
    send_bits(s, (2 << 1) + (last ? 1 : 0), 3);
    send_bits(s, unsigned(lcodes - 257), 5);
    send_bits(s, unsigned(dcodes - 1), 5);
    send_bits(s, unsigned(blcodes - 4), 4);
    for (int r = 0; r < blcodes; ++r) {
      send_bits(s, s.bl_tree[bl_order[r]].len, 3);
    }
    send_lengths(s, s.lit_tree, max_lit);
    send_lengths(s, s.dist_tree, max_dist_code);
    send_symbols(s, s.lit_tree, s.dist_tree);
    if (!s.stopped && bits_sent(s) - before != opt_len + 3) set_message(s, "bad compressed size");
  }
  init_block(s);
  if (last) {
    align_to_byte(s);
    flush_out(s);
  }
}

}  // namespace deflate_internal
