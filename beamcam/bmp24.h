// 24-bit uncompressed bitmaps: the colour-bar picture the palette comes from and the
// false-colour picture written to a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct bmp24_image {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> bgr;  // rows top first, 3 bytes (blue, green, red) per pixel, no padding
};

// Reads a device-independent bitmap as a resource holds it (info header, then the pixels).
bool read_dib24(const uint8_t* bytes, size_t length, bmp24_image& out);
// Reads a .bmp file's bytes (file header, then the bitmap).
bool read_bmp24(const std::string& file_bytes, bmp24_image& out);
// A .bmp file of top-first BGR rows.
std::string write_bmp24(const uint8_t* bgr, int32_t width, int32_t height);
