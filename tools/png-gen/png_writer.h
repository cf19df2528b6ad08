// A small PNG encoder for the build-time picture generator: 8-bit RGB or RGBA, compressed by
// its own simple deflate (fixed codes), so that it needs no library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::uint32_t png_crc32(const std::uint8_t* data, std::size_t length);

// `pixels` holds width * height RGBA pixels, row 0 at the top; with alpha false the alpha
// bytes are left out (colour type 2), else kept (colour type 6).
std::string encode_png(int width, int height, const std::vector<std::uint8_t>& rgba, bool alpha);
