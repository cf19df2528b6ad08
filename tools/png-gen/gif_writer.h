// A GIF89a encoder for the build-time pictures: frames of palette indexes over one global
// palette of 256 colours, each with its delay and disposal method, LZW-compressed, looping.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct gif_frame {
  std::vector<std::uint8_t> indexes;  // width * height, row-major
  int delay = 0;                      // hundredths of a second
  int disposal = 0;
};

// palette: 256 entries of r, g, b.
std::string encode_gif(int width, int height, const std::vector<std::uint8_t>& palette,
                       const std::vector<gif_frame>& frames, int background_index);
// The LZW data of one image (the minimum code size byte, then the sub-blocks).
std::string encode_gif_lzw(const std::vector<std::uint8_t>& indexes);
