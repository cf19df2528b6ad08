// Icon files for the build-time generator: one 32-bit entry (colour with alpha and its mask)
// per size, as the resource compiler takes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct icon_image {
  int size;                          // width = height, 1 to 256
  std::vector<std::uint8_t> rgba;    // size * size pixels, row 0 at the top, straight alpha
};

std::string encode_ico(const std::vector<icon_image>& images);
