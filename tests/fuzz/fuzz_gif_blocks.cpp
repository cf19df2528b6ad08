// The animated picture's block walker on any bytes: every frame it cuts must itself be a GIF
// that the walker reads back as one frame.
#include <cstddef>
#include <cstdint>

#include "widgets/gif_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gif_screen screen;
  if (!read_gif_screen(data, size, screen)) return 0;
  int32_t blocks = count_gif_graphic_blocks(data, size, screen);
  auto frames = cut_gif_frames(data, size, screen);
  if (frames.size() != static_cast<size_t>(blocks)) __builtin_trap();
  for (const gif_frame_cut& f : frames) {
    gif_screen again;
    if (!read_gif_screen(f.gif.data(), f.gif.size(), again)) __builtin_trap();
    if (count_gif_graphic_blocks(f.gif.data(), f.gif.size(), again) != 1) __builtin_trap();
    gif_frame_wait_ms(f.delay);
  }
  return 0;
}
