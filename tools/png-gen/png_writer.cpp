#include "png_writer.h"

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

// A zlib stream of stored blocks.
std::string zlib_stored(const std::string& raw) {
  std::string out;
  out.push_back(0x78);
  out.push_back(0x01);
  std::size_t at = 0;
  do {
    std::size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
    bool last = at + n == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<char>(n & 0xff));
    out.push_back(static_cast<char>(n >> 8));
    out.push_back(static_cast<char>(~n & 0xff));
    out.push_back(static_cast<char>((~n >> 8) & 0xff));
    out.append(raw, at, n);
    at += n;
  } while (at < raw.size());
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  put32(out, (b << 16) | a);
  return out;
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
  chunk(out, "IDAT", zlib_stored(raw));
  chunk(out, "IEND", "");
  return out;
}
