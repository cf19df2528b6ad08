// JPEG pictures of the display: rows of blue, green and red bytes encoded with the library's
// defaults (quality 75). Errors of the library come back as a message; the process goes on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct jpeg_result {
  bool ok = false;
  std::vector<uint8_t> bytes;  // the whole file
  std::string error;           // the library's message when not ok
};

// `bgr` holds `height` rows of `stride` bytes, top first, each starting with `width` pixels.
jpeg_result encode_jpeg_bgr(const uint8_t* bgr, int width, int height, size_t stride);
