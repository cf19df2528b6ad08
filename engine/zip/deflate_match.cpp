// The matcher of the compressor: the sliding window, hash chains, the longest-match search
// and the greedy and lazy parsers that feed the block coder.
#include <algorithm>
#include <new>

#include "engine/zip/deflate_state.h"
#include "engine/zip/zip_format.h"

using namespace deflate_internal;

namespace {

struct level_config {
  uint16_t good, lazy, nice, chain;
};
constexpr level_config configs[10] = {
    {0, 0, 0, 0},     {4, 4, 8, 4},       {4, 5, 16, 8},       {4, 6, 32, 32},
    {4, 4, 16, 16},   {8, 16, 32, 32},    {8, 16, 128, 128},   {8, 32, 128, 256},
    {32, 128, 258, 1024}, {32, 258, 258, 4096}};

inline uint16_t load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
inline uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// Number of equal leading bytes of two differing words as they lie in memory.
inline unsigned equal_prefix(uint64_t x) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  return unsigned(__builtin_ctzll(x)) >> 3;
#else
  return unsigned(__builtin_clzll(x)) >> 3;
#endif
}

// Length of the common prefix of two strings known to agree on their first two bytes,
// compared eight bytes per step, at most max_match.
inline unsigned match_length_at(const uint8_t* scan, const uint8_t* match) {
  unsigned len = 2;
  for (;;) {
    uint64_t diff = load64(scan + len) ^ load64(match + len);
    if (diff) return std::min(len + equal_prefix(diff), max_match);
    len += 8;
    if (len >= max_match) return max_match;
  }
}

inline void update_hash(unsigned& h, uint8_t c) { h = ((h << hash_shift) ^ c) & hash_mask; }

// The first three bytes of a four-byte load, wherever they lie in the word.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr uint32_t first_three = 0xFFFFFF00u;
#else
constexpr uint32_t first_three = 0x00FFFFFFu;
#endif

// Whether a search at `pos` with nothing to beat but two bytes can find a match, for the
// chain from `head` (not 0): false when none of the first three candidates in reach agrees
// on three bytes and the chain ends within them, which is the search's answer too, since
// every level's chain lets it look at four candidates at least while it holds no match.
// Most searches in data that does not compress end here, with no branch per candidate.
constexpr bool chains_of_four_at_least() {
  for (int level = 1; level <= 8; ++level)
    if (configs[level].chain < 4) return false;
  return true;
}
static_assert(chains_of_four_at_least(), "may_beat_two stands for a search of four candidates");

inline bool may_beat_two(const deflate_state& s, unsigned pos, unsigned head) {
  const uint8_t* w = s.window;
  unsigned limit = pos > max_dist ? pos - max_dist : 0;
  unsigned c2 = s.prev[head & window_mask], c3 = s.prev2[head & window_mask], c4 = s.prev3[head & window_mask];
  uint32_t want = load32(w + pos) & first_three;
  unsigned m1 = (load32(w + head) & first_three) == want;
  unsigned m2 = (load32(w + c2) & first_three) == want;
  unsigned m3 = (load32(w + c3) & first_three) == want;
  // Links are only followed from a candidate in reach: a stale one's slot may be reused.
  unsigned in_reach = pos - head <= max_dist;
  return in_reach & (m1 | ((c2 > limit) & (m2 | ((c3 > limit) & (m3 | (c4 > limit))))));
}

// Inserts the string at `pos` and gives the previous head of its chain.
inline unsigned insert_string(deflate_state& s, unsigned pos) {
  update_hash(s.ins_h, s.window[pos + min_match - 1]);
  unsigned head = s.head[s.ins_h];
  uint16_t after = s.prev[head & window_mask], after2 = s.prev2[head & window_mask];
  s.prev[pos & window_mask] = uint16_t(head);
  s.prev2[pos & window_mask] = after;
  s.prev3[pos & window_mask] = after2;
  s.head[s.ins_h] = uint16_t(pos);
  return head;
}

void slide_window(deflate_state& s) {
  std::memcpy(s.window, s.window + window_half, window_half);
  s.match_start -= window_half;
  s.strstart -= window_half;
  s.block_start -= long(window_half);
  for (unsigned n = 0; n < hash_size; ++n) s.head[n] = uint16_t(s.head[n] >= window_half ? s.head[n] - window_half : 0);
  for (unsigned n = 0; n < window_half; ++n) s.prev[n] = uint16_t(s.prev[n] >= window_half ? s.prev[n] - window_half : 0);
  for (unsigned n = 0; n < window_half; ++n) s.prev2[n] = uint16_t(s.prev2[n] >= window_half ? s.prev2[n] - window_half : 0);
  for (unsigned n = 0; n < window_half; ++n) s.prev3[n] = uint16_t(s.prev3[n] >= window_half ? s.prev3[n] - window_half : 0);
}

// Reads once into the free room behind the data; a result of 0 ends the input.
void fill_window(deflate_state& s) {
  unsigned more = window_size - s.lookahead - s.strstart;
  if (s.strstart >= window_half + max_dist) {
    slide_window(s);
    more += window_half;
  }
  if (more < 2) {
    set_message(s, "more < 2");
    s.eof = true;
    return;
  }
  int n = s.read(s.context, s.window + s.strstart + s.lookahead, more);
  if (n < 0) {
    set_message(s, "read error");
    s.stopped = true;
  }
  if (n <= 0 || unsigned(n) > more) {
    if (n > 0) set_message(s, "read error");
    s.eof = true;
    return;
  }
  s.lookahead += unsigned(n);
}

void refill(deflate_state& s) {
  while (s.lookahead < min_lookahead && !s.eof) fill_window(s);
}

unsigned longest_match(deflate_state& s, unsigned cur_match) {
  unsigned chain = s.max_chain;
  unsigned best_len = s.prev_length;
  unsigned nice = s.nice_match < s.lookahead ? s.nice_match : s.lookahead;
  unsigned limit = s.strstart > max_dist ? s.strstart - max_dist : 0;
  if (s.prev_length >= s.good_match) chain >>= 2;
  if (s.strstart > window_size - min_lookahead && !s.eof) set_message(s, "insufficient lookahead");
  if (cur_match >= s.strstart) {
    set_message(s, "no future");
    return min_match - 1;
  }
  const uint8_t* window = s.window;
  const uint8_t* scan = window + s.strstart;
  const uint16_t* prev3 = s.prev3;
  uint16_t scan_start = load16(scan);
  // The candidate and the two after it; the one after those comes from prev3 of the first.
  unsigned next_match = s.prev[cur_match & window_mask], next2_match = s.prev2[cur_match & window_mask];
  auto step = [&]() {
    unsigned further = prev3[cur_match & window_mask];
    cur_match = next_match;
    next_match = next2_match;
    next2_match = further;
  };
  // A candidate can only beat best_len when it agrees on the bytes up to best_len, so the
  // last of those are checked first: two while best_len is 2, then four.
  if (best_len < 3) {
    uint16_t scan_end = load16(scan + best_len - 1);
    for (;;) {
      const uint8_t* match = window + cur_match;
      if (load16(match + best_len - 1) == scan_end && load16(match) == scan_start) {
        unsigned len = match_length_at(scan, match);
        if (len > best_len) {
          s.match_start = cur_match;
          best_len = len;
          if (len >= nice) return best_len <= s.lookahead ? best_len : s.lookahead;
          break;
        }
      }
      step();
      if (cur_match <= limit || --chain == 0) return best_len <= s.lookahead ? best_len : s.lookahead;
    }
    step();
    if (cur_match <= limit || --chain == 0) return best_len <= s.lookahead ? best_len : s.lookahead;
  }
  uint32_t scan_end = load32(scan + best_len - 3);
  const uint8_t* window_end = window + best_len - 3;  // + candidate: its last four bytes to check
  for (;;) {
    // Most candidates fail the end check: walk on with nothing else in the loop, the three
    // chains a step each at a time.
    for (;;) {
      if (load32(window_end + cur_match) == scan_end) break;
      if (next_match <= limit || --chain == 0) return best_len <= s.lookahead ? best_len : s.lookahead;
      if (load32(window_end + next_match) == scan_end) {
        step();
        break;
      }
      if (next2_match <= limit || --chain == 0) return best_len <= s.lookahead ? best_len : s.lookahead;
      if (load32(window_end + next2_match) == scan_end) {
        step();
        step();
        break;
      }
      unsigned a = prev3[cur_match & window_mask], b = prev3[next_match & window_mask];
      next2_match = prev3[next2_match & window_mask];
      cur_match = a;
      next_match = b;
      if (cur_match <= limit || --chain == 0) return best_len <= s.lookahead ? best_len : s.lookahead;
    }
    const uint8_t* match = window + cur_match;
    if (load16(match) == scan_start) {
      unsigned len = match_length_at(scan, match);
      if (len > best_len) {
        s.match_start = cur_match;
        best_len = len;
        if (len >= nice) break;
        scan_end = load32(scan + best_len - 3);
        window_end = window + best_len - 3;
      }
    }
    step();
    if (cur_match <= limit || --chain == 0) break;
  }
  return best_len <= s.lookahead ? best_len : s.lookahead;
}

inline bool emit_flush(deflate_state& s, bool last) {
  const uint8_t* buf = s.block_start >= 0 ? s.window + s.block_start : nullptr;
  flush_block(s, buf, (unsigned long)(long(s.strstart) - s.block_start), last);
  s.block_start = long(s.strstart);
  return !s.stopped;
}

void run_greedy(deflate_state& s) {
  unsigned max_insert = s.max_lazy;
  s.prev_length = min_match - 1;
  while (s.lookahead != 0 && !s.stopped) {
    unsigned hash_head = s.lookahead >= min_match ? insert_string(s, s.strstart) : 0;
    unsigned match_length = 0;
    if (hash_head != 0 && may_beat_two(s, s.strstart, hash_head)) match_length = longest_match(s, hash_head);
    bool flush;
    if (match_length >= min_match) {
      flush = tally(s, s.strstart - s.match_start, match_length - min_match);
      s.lookahead -= match_length;
      if (match_length <= max_insert && s.lookahead >= min_match) {
        unsigned end = s.strstart + match_length;
        while (++s.strstart < end) insert_string(s, s.strstart);
      } else {
        s.strstart += match_length;
        s.ins_h = s.window[s.strstart];
        update_hash(s.ins_h, s.window[s.strstart + 1]);
      }
    } else {
      flush = tally_literal(s, s.window[s.strstart]);
      s.lookahead--;
      s.strstart++;
    }
    if (flush && !emit_flush(s, false)) return;
    refill(s);
  }
  if (!s.stopped) emit_flush(s, true);
}

void run_lazy(deflate_state& s) {
  unsigned match_length = min_match - 1;
  bool match_available = false;
  while (s.lookahead != 0 && !s.stopped) {
    unsigned hash_head = s.lookahead >= min_match ? insert_string(s, s.strstart) : 0;
    s.prev_length = match_length;
    unsigned prev_match = s.match_start;
    match_length = min_match - 1;
    if (s.prev_length < min_match && match_available) {
      // Nothing pending but a literal: while the search cannot find a match, send the literal
      // and step on, here and not through the whole step below.
      bool low = false;
      while (hash_head == 0 || !may_beat_two(s, s.strstart, hash_head)) {
        if (tally_literal(s, s.window[s.strstart - 1]) && !emit_flush(s, false)) return;
        s.strstart++;
        s.lookahead--;
        if ((low = s.lookahead < min_lookahead)) break;
        hash_head = insert_string(s, s.strstart);
      }
      if (low) {
        refill(s);
        continue;
      }
      match_length = longest_match(s, hash_head);
      if (match_length == min_match && s.strstart - s.match_start > too_far) match_length = min_match - 1;
    } else if (hash_head != 0 && s.prev_length < s.max_lazy && s.strstart - hash_head <= max_dist) {
      match_length = longest_match(s, hash_head);
      if (match_length == min_match && s.strstart - s.match_start > too_far) match_length = min_match - 1;
    }
    if (s.prev_length >= min_match && match_length <= s.prev_length) {
      // The match found one step back is at least as long: take it.
      unsigned end = s.strstart - 1 + s.prev_length;
      bool flush = tally(s, s.strstart - 1 - prev_match, s.prev_length - min_match);
      s.lookahead -= s.prev_length - 1;
      // Inside the match, strings that would read past the input are not inserted.
      unsigned insert_end = s.lookahead >= min_match - 1 ? end : end + s.lookahead - (min_match - 1);
      while (++s.strstart < insert_end) insert_string(s, s.strstart);
      s.strstart = end;
      match_available = false;
      match_length = min_match - 1;
      if (flush && !emit_flush(s, false)) return;
    } else if (match_available) {
      if (tally_literal(s, s.window[s.strstart - 1]) && !emit_flush(s, false)) return;
      s.strstart++;
      s.lookahead--;
    } else {
      match_available = true;
      s.strstart++;
      s.lookahead--;
    }
    refill(s);
  }
  if (s.stopped) return;
  if (match_available) tally(s, 0, s.window[s.strstart - 1]);
  emit_flush(s, true);
}

}  // namespace

deflate_state* deflate_new(deflate_read_fn read, deflate_write_fn write, void* context, int level,
                           uint16_t* flags) {
  deflate_state* s = new (std::nothrow) deflate_state;
  if (!s) return nullptr;
  s->read = read;
  s->write = write;
  s->context = context;
  s->level = level;
  s->flags = flags;
  s->message = nullptr;
  s->stopped = false;
  return s;
}

void deflate_free(deflate_state* s) { delete s; }

const char* deflate_message(const deflate_state& s) { return s.message; }

void deflate_init_matcher(deflate_state& s) {
  if (s.level < 1 || s.level > 8) {
    set_message(s, "bad pack level");
    s.stopped = true;
    return;
  }
  const level_config& c = configs[s.level];
  s.good_match = c.good;
  s.max_lazy = c.lazy;
  s.nice_match = c.nice;
  s.max_chain = c.chain;
  if (s.flags) {
    if (s.level == 8) *s.flags |= zip_flag_deflate_maximum;
    if (s.level <= 2) *s.flags |= zip_flag_deflate_fast;
  }
  std::memset(s.head, 0, sizeof s.head);
  s.strstart = 0;
  s.block_start = 0;
  s.lookahead = 0;
  s.match_start = 0;
  s.prev_length = min_match - 1;
  s.eof = false;
  // The first 64 KiB, in as many reads as the source needs.
  while (!s.eof && s.lookahead < window_size) {
    int n = s.read(s.context, s.window + s.lookahead, window_size - s.lookahead);
    if (n < 0) {
      set_message(s, "read error");
      s.stopped = true;
    }
    if (n <= 0 || unsigned(n) > window_size - s.lookahead) {
      if (n > 0) set_message(s, "read error");
      s.eof = true;
      break;
    }
    s.lookahead += unsigned(n);
  }
  // The compares run up to a match's length and a word past the data, and what they read
  // there must not depend on what the heap held: zeros, as after the input's end.
  std::memset(s.window + s.lookahead, 0, window_slack);
  // The links of every position the input can reach: all of them unless it ended already.
  unsigned links = s.eof ? std::min(s.lookahead + 1, window_half) : window_half;
  std::memset(s.prev, 0, links * sizeof s.prev[0]);
  std::memset(s.prev2, 0, links * sizeof s.prev2[0]);
  std::memset(s.prev3, 0, links * sizeof s.prev3[0]);
  s.ins_h = 0;
  update_hash(s.ins_h, s.window[0]);
  update_hash(s.ins_h, s.window[1]);
}

uint64_t deflate_run(deflate_state& s) {
  if (!s.stopped) {
    if (s.level <= 3)
      run_greedy(s);
    else
      run_lazy(s);
  }
  return s.flushed_bytes + s.out_pos;
}

const char* deflate_stream(deflate_read_fn read, deflate_write_fn write, void* context, int level,
                           uint16_t* flags, uint64_t* compressed_bytes) {
  deflate_state* s = deflate_new(read, write, context, level, flags);
  if (!s) return "out of memory";
  deflate_init_trees(*s);
  deflate_init_matcher(*s);
  uint64_t n = deflate_run(*s);
  if (compressed_bytes) *compressed_bytes = n;
  const char* m = s->message;
  deflate_free(s);
  return m;
}
