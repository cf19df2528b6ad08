#include "widgets/image_pixels.h"

void premultiply_pixels(std::uint8_t* bgra, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i, bgra += 4) {
    unsigned a = bgra[3];
    if (a == 255) continue;
    bgra[0] = static_cast<std::uint8_t>(bgra[0] * a / 255);
    bgra[1] = static_cast<std::uint8_t>(bgra[1] * a / 255);
    bgra[2] = static_cast<std::uint8_t>(bgra[2] * a / 255);
  }
}

int frame_width_of(int strip_width, int frames) {
  if (frames <= 0 || strip_width <= 0) return 0;
  return strip_width / frames;
}
