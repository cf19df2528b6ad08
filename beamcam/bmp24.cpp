#include "beamcam/bmp24.h"

#include <cstring>

namespace {

constexpr size_t FileHeaderBytes = 14;
constexpr size_t InfoHeaderBytes = 40;

uint32_t le32(const uint8_t* p) { return p[0] | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

void put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}
void put16(std::string& s, uint16_t v) {
  s += char(v & 0xFF);
  s += char(v >> 8);
}

size_t stride_of(int32_t width) { return (size_t(width) * 3 + 3) & ~size_t(3); }

}  // namespace

namespace {

// The bitmap at `bytes` (info header first) with its pixels at `pixels_at` from there.
bool read_bitmap(const uint8_t* bytes, size_t length, size_t pixels_at, bmp24_image& out) {
  if (!bytes || length < InfoHeaderBytes) return false;
  uint32_t header = le32(bytes);
  if (header < InfoHeaderBytes || header > length || pixels_at < header || pixels_at > length) return false;
  int32_t width = int32_t(le32(bytes + 4));
  int32_t height = int32_t(le32(bytes + 8));
  uint16_t planes = le16(bytes + 12), bits = le16(bytes + 14);
  uint32_t compression = le32(bytes + 16);
  if (planes != 1 || bits != 24 || compression != 0) return false;
  // Limits far above any picture of ours keep the size arithmetic small.
  if (width <= 0 || width > 65536 || height == 0 || height < -65536 || height > 65536) return false;
  const bool top_down = height < 0;
  const int32_t rows = top_down ? -height : height;
  const size_t stride = stride_of(width);
  if ((length - pixels_at) / stride < size_t(rows)) return false;

  out.width = width;
  out.height = rows;
  out.bgr.resize(size_t(width) * 3 * rows);
  for (int32_t r = 0; r < rows; ++r) {
    const int32_t stored = top_down ? r : rows - 1 - r;
    std::memcpy(out.bgr.data() + size_t(r) * width * 3, bytes + pixels_at + size_t(stored) * stride,
                size_t(width) * 3);
  }
  return true;
}

}  // namespace

bool read_dib24(const uint8_t* bytes, size_t length, bmp24_image& out) {
  return bytes && length >= 4 && read_bitmap(bytes, length, le32(bytes), out);
}

bool read_bmp24(const std::string& file_bytes, bmp24_image& out) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(file_bytes.data());
  if (file_bytes.size() < FileHeaderBytes + InfoHeaderBytes || p[0] != 'B' || p[1] != 'M') return false;
  uint32_t offset = le32(p + 10);  // where the pixels start, from the file's first byte
  if (offset < FileHeaderBytes) return false;
  return read_bitmap(p + FileHeaderBytes, file_bytes.size() - FileHeaderBytes, offset - FileHeaderBytes, out);
}

std::string write_bmp24(const uint8_t* bgr, int32_t width, int32_t height) {
  const size_t stride = stride_of(width);
  const size_t image = stride * size_t(height);
  std::string s;
  s.reserve(FileHeaderBytes + InfoHeaderBytes + image);
  s += "BM";
  put32(s, uint32_t(FileHeaderBytes + InfoHeaderBytes + image));
  put32(s, 0);
  put32(s, uint32_t(FileHeaderBytes + InfoHeaderBytes));
  put32(s, InfoHeaderBytes);
  put32(s, uint32_t(width));
  put32(s, uint32_t(height));  // bottom-up, as viewers expect
  put16(s, 1);
  put16(s, 24);
  put32(s, 0);
  put32(s, uint32_t(image));
  put32(s, 2835);  // 72 dots per inch
  put32(s, 2835);
  put32(s, 0);
  put32(s, 0);
  const std::string padding(stride - size_t(width) * 3, '\0');
  for (int32_t r = height - 1; r >= 0; --r) {
    s.append(reinterpret_cast<const char*>(bgr) + size_t(r) * width * 3, size_t(width) * 3);
    s += padding;
  }
  return s;
}
