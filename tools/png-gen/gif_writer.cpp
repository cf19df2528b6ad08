#include "gif_writer.h"

#include <unordered_map>

namespace {

void put_word(std::string& out, int value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

class bit_sink {
 public:
  void put(int code, int size) {
    buffer_ |= static_cast<std::uint32_t>(code) << bits_;
    bits_ += size;
    while (bits_ >= 8) {
      bytes_ += static_cast<char>(buffer_ & 0xFF);
      buffer_ >>= 8;
      bits_ -= 8;
    }
  }
  std::string finish() {
    if (bits_ > 0) bytes_ += static_cast<char>(buffer_ & 0xFF);
    return bytes_;
  }

 private:
  std::uint32_t buffer_ = 0;
  int bits_ = 0;
  std::string bytes_;
};

}  // namespace

std::string encode_gif_lzw(const std::vector<std::uint8_t>& indexes) {
  const int min_size = 8, clear = 256, end = 257;
  bit_sink sink;
  std::unordered_map<std::uint32_t, int> table;  // (prefix code << 8 | byte) -> code
  int size = min_size + 1, next = end + 1;
  sink.put(clear, size);
  int prefix = -1;
  for (std::uint8_t b : indexes) {
    if (prefix < 0) {
      prefix = b;
      continue;
    }
    std::uint32_t key = static_cast<std::uint32_t>(prefix) << 8 | b;
    auto found = table.find(key);
    if (found != table.end()) {
      prefix = found->second;
      continue;
    }
    sink.put(prefix, size);
    if (next < 4096) {
      table[key] = next++;
      // The decoder learns each entry one code later, so it widens its codes once the entry
      // after the largest of this width exists.
      if (next > (1 << size) && size < 12) ++size;
    } else {
      sink.put(clear, size);
      table.clear();
      size = min_size + 1;
      next = end + 1;
    }
    prefix = b;
  }
  if (prefix >= 0) sink.put(prefix, size);
  sink.put(end, size);
  std::string data = sink.finish();
  std::string out(1, static_cast<char>(min_size));
  for (size_t i = 0; i < data.size(); i += 255) {
    size_t n = std::min<size_t>(255, data.size() - i);
    out += static_cast<char>(n);
    out.append(data, i, n);
  }
  out += '\0';
  return out;
}

std::string encode_gif(int width, int height, const std::vector<std::uint8_t>& palette,
                       const std::vector<gif_frame>& frames, int background_index) {
  std::string out = "GIF89a";
  put_word(out, width);
  put_word(out, height);
  out += static_cast<char>(0xF7);  // global table of 256 entries, 8 bits per primary
  out += static_cast<char>(background_index);
  out += '\0';
  out.append(reinterpret_cast<const char*>(palette.data()), 768);
  // Loop for ever.
  out += "\x21\xFF\x0B" "NETSCAPE2.0";
  out += "\x03\x01";
  put_word(out, 0);
  out += '\0';
  for (const gif_frame& f : frames) {
    out += "\x21\xF9\x04";
    out += static_cast<char>((f.disposal & 7) << 2);
    put_word(out, f.delay);
    out += '\0';
    out += '\0';
    out += '\x2C';
    put_word(out, 0);
    put_word(out, 0);
    put_word(out, width);
    put_word(out, height);
    out += '\0';
    out += encode_gif_lzw(f.indexes);
  }
  out += '\x3B';
  return out;
}
