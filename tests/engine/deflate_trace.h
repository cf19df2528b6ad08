// A small independent inflater for the tests: decodes a raw deflate stream and records
// what it met (block types, stored lengths, matches), so tests can check how data was coded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct deflate_trace {
  struct block {
    int type = 0;
    bool last = false;
    unsigned stored_len = 0, stored_nlen = 0;
  };
  std::vector<block> blocks;
  std::vector<std::pair<unsigned, unsigned>> matches;  // length, distance
  std::vector<size_t> match_at;                        // output position of each match
  std::string output;
  std::string error;  // empty when the stream decoded to its end
  size_t bytes_used = 0;
};

namespace deflate_trace_detail {

struct bit_reader {
  const std::string& in;
  size_t pos = 0;
  unsigned bit = 0;
  bool overrun = false;
  unsigned get(int n) {
    unsigned v = 0;
    for (int i = 0; i < n; ++i) {
      if (pos >= in.size()) {
        overrun = true;
        return 0;
      }
      v |= unsigned((uint8_t(in[pos]) >> bit) & 1) << i;
      if (++bit == 8) bit = 0, ++pos;
    }
    return v;
  }
};

// Canonical decoding table: counts per length and symbols in code order.
struct huffman {
  std::vector<int> count, symbol;
  bool build(const std::vector<int>& lengths) {
    count.assign(16, 0);
    symbol.clear();
    for (int l : lengths) count[l]++;
    count[0] = 0;
    int left = 1;
    for (int l = 1; l < 16; ++l) {
      left = left * 2 - count[l];
      if (left < 0) return false;
    }
    for (int l = 1; l < 16; ++l)
      for (size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s] == l) symbol.push_back(int(s));
    return true;
  }
  int decode(bit_reader& r) const {
    int code = 0, first = 0, index = 0;
    for (int l = 1; l < 16; ++l) {
      code |= int(r.get(1));
      if (code - count[l] < first) return symbol[size_t(index + code - first)];
      index += count[l];
      first = (first + count[l]) << 1;
      code <<= 1;
      if (r.overrun) return -1;
    }
    return -1;
  }
};

}  // namespace deflate_trace_detail

inline deflate_trace trace_deflate(const std::string& in) {
  using namespace deflate_trace_detail;
  static const int lbase[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
                              35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const int lext[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  static const int dbase[] = {1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193,
                              257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  static const int dext[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
  static const int order[] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  deflate_trace t;
  bit_reader r{in};
  for (;;) {
    deflate_trace::block b;
    b.last = r.get(1);
    b.type = int(r.get(2));
    if (r.overrun) return t.error = "truncated", t;
    if (b.type == 0) {
      if (r.bit) r.bit = 0, ++r.pos;
      b.stored_len = r.get(16);
      b.stored_nlen = r.get(16);
      if (r.overrun || r.pos + b.stored_len > in.size()) return t.error = "truncated stored", t;
      if ((b.stored_len ^ 0xFFFF) != b.stored_nlen) return t.error = "bad stored length", t;
      t.output.append(in, r.pos, b.stored_len);
      r.pos += b.stored_len;
    } else if (b.type == 1 || b.type == 2) {
      huffman lit, dist;
      if (b.type == 1) {
        std::vector<int> l(288), d(30, 5);
        for (int i = 0; i < 288; ++i) l[size_t(i)] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
        lit.build(l);
        dist.build(d);
      } else {
        int hlit = int(r.get(5)) + 257, hdist = int(r.get(5)) + 1, hclen = int(r.get(4)) + 4;
        std::vector<int> cl(19, 0);
        for (int i = 0; i < hclen; ++i) cl[size_t(order[i])] = int(r.get(3));
        huffman clh;
        if (!clh.build(cl)) return t.error = "bad code length code", t;
        std::vector<int> lens;
        while (int(lens.size()) < hlit + hdist) {
          int sym = clh.decode(r);
          if (sym < 0) return t.error = "bad code length", t;
          if (sym < 16) {
            lens.push_back(sym);
          } else {
            int rep = sym == 16 ? 3 + int(r.get(2)) : sym == 17 ? 3 + int(r.get(3)) : 11 + int(r.get(7));
            if (sym == 16 && lens.empty()) return t.error = "repeat with no length", t;
            int v = sym == 16 ? lens.back() : 0;
            while (rep--) lens.push_back(v);
          }
        }
        if (int(lens.size()) != hlit + hdist) return t.error = "lengths overrun", t;
        if (!lit.build({lens.begin(), lens.begin() + hlit}) || !dist.build({lens.begin() + hlit, lens.end()}))
          return t.error = "oversubscribed code", t;
      }
      for (;;) {
        int sym = lit.decode(r);
        if (sym < 0 || sym > 285) return t.error = "bad literal/length", t;
        if (sym < 256) {
          t.output += char(sym);
          continue;
        }
        if (sym == 256) break;
        int len = lbase[sym - 257] + int(r.get(lext[sym - 257]));
        int dsym = dist.decode(r);
        if (dsym < 0 || dsym > 29) return t.error = "bad distance code", t;
        int d = dbase[dsym] + int(r.get(dext[dsym]));
        if (size_t(d) > t.output.size() || d > 32768) return t.error = "distance too far", t;
        t.matches.push_back({unsigned(len), unsigned(d)});
        t.match_at.push_back(t.output.size());
        for (int i = 0; i < len; ++i) t.output += t.output[t.output.size() - size_t(d)];
      }
    } else {
      return t.error = "bad block type", t;
    }
    t.blocks.push_back(b);
    if (b.last) break;
  }
  t.bytes_used = r.pos + (r.bit ? 1 : 0);
  return t;
}
