#include "png_writer.h"

#include <vector>

namespace {

void put32(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v >> 24));
  out.push_back(static_cast<char>(v >> 16));
  out.push_back(static_cast<char>(v >> 8));
  out.push_back(static_cast<char>(v));
}

void chunk(std::string& out, const char* type, const std::string& data) {
  put32(out, static_cast<std::uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  out += body;
  put32(out, png_crc32(reinterpret_cast<const std::uint8_t*>(body.data()), body.size()));
}

// Bits into bytes, least significant first, as deflate packs them.
struct bit_writer {
  std::string out;
  std::uint32_t buffer = 0;
  int count = 0;
  void put(std::uint32_t value, int bits) {
    buffer |= value << count;
    count += bits;
    while (count >= 8) {
      out.push_back(static_cast<char>(buffer & 0xff));
      buffer >>= 8;
      count -= 8;
    }
  }
  // Huffman codes go most significant bit first.
  void put_code(std::uint32_t code, int bits) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < bits; ++i) reversed |= ((code >> i) & 1u) << (bits - 1 - i);
    put(reversed, bits);
  }
  void flush() {
    if (count > 0) out.push_back(static_cast<char>(buffer & 0xff));
    buffer = 0;
    count = 0;
  }
};

const int length_base[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const int length_extra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                            2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const int distance_base[] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                             33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const int distance_extra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                              6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void put_symbol(bit_writer& w, int symbol) {  // the fixed literal/length code
  if (symbol < 144)
    w.put_code(0x30 + symbol, 8);
  else if (symbol < 256)
    w.put_code(0x190 + symbol - 144, 9);
  else if (symbol < 280)
    w.put_code(symbol - 256, 7);
  else
    w.put_code(0xc0 + symbol - 280, 8);
}

void put_match(bit_writer& w, int length, int distance) {
  int l = 28;
  while (length_base[l] > length) --l;
  put_symbol(w, 257 + l);
  w.put(static_cast<std::uint32_t>(length - length_base[l]), length_extra[l]);
  int d = 29;
  while (distance_base[d] > distance) --d;
  w.put_code(static_cast<std::uint32_t>(d), 5);
  w.put(static_cast<std::uint32_t>(distance - distance_base[d]), distance_extra[d]);
}

// A zlib stream: one deflate block with the fixed codes, greedy matches from hash chains.
// The pictures are flat, so this is all the compression they need.
std::string zlib_compress(const std::string& raw) {
  const int window = 32768, max_length = 258, chain_depth = 64, hash_size = 1 << 15;
  const auto* data = reinterpret_cast<const std::uint8_t*>(raw.data());
  const int n = static_cast<int>(raw.size());
  std::vector<int> head(hash_size, -1), previous(raw.size(), -1);
  auto hash_at = [&](int i) {
    return ((data[i] << 10) ^ (data[i + 1] << 5) ^ data[i + 2]) & (hash_size - 1);
  };
  auto insert = [&](int i) {
    if (i + 2 >= n) return;
    int h = hash_at(i);
    previous[i] = head[h];
    head[h] = i;
  };
  bit_writer w;
  w.out = std::string("\x78\x01", 2);
  w.put(1, 1);  // final block
  w.put(1, 2);  // fixed codes
  int i = 0;
  while (i < n) {
    int best = 0, best_distance = 0;
    if (i + 2 < n) {
      int depth = chain_depth;
      for (int j = head[hash_at(i)]; j >= 0 && i - j <= window && depth-- > 0; j = previous[j]) {
        int length = 0;
        while (length < max_length && i + length < n && data[j + length] == data[i + length])
          ++length;
        if (length > best) {
          best = length;
          best_distance = i - j;
          if (length == max_length) break;
        }
      }
    }
    if (best >= 3) {
      put_match(w, best, best_distance);
      for (int k = 0; k < best; ++k) insert(i + k);
      i += best;
    } else {
      put_symbol(w, data[i]);
      insert(i);
      ++i;
    }
  }
  put_symbol(w, 256);
  w.flush();
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  put32(w.out, (b << 16) | a);
  return w.out;
}

}  // namespace

std::uint32_t png_crc32(const std::uint8_t* data, std::size_t length) {
  std::uint32_t crc = 0xffffffffu;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xffffffffu;
}

std::string encode_png(int width, int height, const std::vector<std::uint8_t>& rgba, bool alpha) {
  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  put32(header, static_cast<std::uint32_t>(width));
  put32(header, static_cast<std::uint32_t>(height));
  header += std::string("\x08", 1);            // bit depth
  header.push_back(alpha ? 6 : 2);             // colour type
  header += std::string("\0\0\0", 3);          // compression, filter, interlace
  chunk(out, "IHDR", header);
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      raw.push_back(static_cast<char>(p[0]));
      raw.push_back(static_cast<char>(p[1]));
      raw.push_back(static_cast<char>(p[2]));
      if (alpha) raw.push_back(static_cast<char>(p[3]));
    }
  }
  chunk(out, "IDAT", zlib_compress(raw));
  chunk(out, "IEND", "");
  return out;
}
