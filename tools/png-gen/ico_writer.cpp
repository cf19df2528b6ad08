#include "ico_writer.h"

namespace {

void put16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// BITMAPINFOHEADER (height doubled for colour + mask), colour rows bottom-up in BGRA, then
// the 1-bit mask rows (set = see-through), each padded to 32 bits.
std::string icon_bitmap(const icon_image& image) {
  const int n = image.size;
  const int mask_stride = (n + 31) / 32 * 4;
  std::string out;
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(n));
  put32(out, static_cast<std::uint32_t>(2 * n));
  put16(out, 1);
  put16(out, 32);
  put32(out, 0);  // BI_RGB
  put32(out, static_cast<std::uint32_t>(n * n * 4 + n * mask_stride));
  for (int i = 0; i < 4; ++i) put32(out, 0);
  for (int y = n - 1; y >= 0; --y)
    for (int x = 0; x < n; ++x) {
      const std::uint8_t* p = &image.rgba[(static_cast<size_t>(y) * n + x) * 4];
      out += static_cast<char>(p[2]);
      out += static_cast<char>(p[1]);
      out += static_cast<char>(p[0]);
      out += static_cast<char>(p[3]);
    }
  for (int y = n - 1; y >= 0; --y) {
    std::string row(static_cast<size_t>(mask_stride), '\0');
    for (int x = 0; x < n; ++x)
      if (image.rgba[(static_cast<size_t>(y) * n + x) * 4 + 3] == 0)
        row[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
    out += row;
  }
  return out;
}

}  // namespace

std::string encode_ico(const std::vector<icon_image>& images) {
  std::vector<std::string> bitmaps;
  for (const icon_image& image : images) bitmaps.push_back(icon_bitmap(image));
  std::string out;
  put16(out, 0);
  put16(out, 1);  // icon
  put16(out, static_cast<unsigned>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    int n = images[i].size;
    out += static_cast<char>(n >= 256 ? 0 : n);
    out += static_cast<char>(n >= 256 ? 0 : n);
    out += '\0';  // no palette
    out += '\0';
    put16(out, 1);
    put16(out, 32);
    put32(out, static_cast<std::uint32_t>(bitmaps[i].size()));
    put32(out, offset);
    offset += static_cast<std::uint32_t>(bitmaps[i].size());
  }
  for (const std::string& b : bitmaps) out += b;
  return out;
}
