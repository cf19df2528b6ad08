// Pixel arithmetic of pictures, portable: premultiplied alpha and state-frame strips.
#pragma once

#include <cstddef>
#include <cstdint>

// Each of blue, green and red becomes floor(c * a / 255); alpha stays. `bgra` holds `count`
// pixels of four bytes, blue first.
void premultiply_pixels(std::uint8_t* bgra, std::size_t count);

// Width of one frame when a strip of `strip_width` columns holds `frames` frames; columns
// left over at the right belong to no frame. 0 for no frames.
int frame_width_of(int strip_width, int frames);
