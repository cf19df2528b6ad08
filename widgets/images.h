// Windows only: pictures of the program's PNG resources, and strips cut into state frames.
#pragma once

#include <windows.h>

#include <cstddef>

#include "framework/image.h"

// The PNG resource `id` of `module` (null: this program) into `image`, premultiplied;
// 0, or -1 and an empty image when it is missing or cannot be decoded.
int load_png_resource(HMODULE module, image_c* image, int id);
// A picture from encoded bytes (not premultiplied); 0 or -1.
int load_image_from_memory(std::size_t length, image_c* image, const void* bytes);
// 32-bit pictures only.
void premultiply_alpha(image_c* image);
// N frames of equal width from a horizontal strip (leftover right columns dropped), each of
// the strip's height and depth; an owned array (delete[]), or null.
image_c* split_image_frames(const image_c* strip, int frames);
