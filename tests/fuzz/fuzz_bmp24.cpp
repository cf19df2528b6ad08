// The 24-bit bitmap reader on any bytes, as a file and as a resource's bitmap: a picture it
// accepts has its pixels inside the bytes, gives a palette only when wide enough, and writes
// back to a file that reads as the same picture.
#include <cstddef>
#include <cstdint>
#include <string>

#include "beamcam/beam_view.h"
#include "beamcam/bmp24.h"

namespace {

void check(const bmp24_image& image) {
  if (image.width <= 0 || image.height <= 0) __builtin_trap();
  if (image.bgr.size() != size_t(image.width) * 3 * size_t(image.height)) __builtin_trap();
  palette_bytes palette{};
  if (palette_from_colour_bar(image, palette) != (image.width >= PaletteEntries)) __builtin_trap();
  bmp24_image again;
  if (!read_bmp24(write_bmp24(image.bgr.data(), image.width, image.height), again)) __builtin_trap();
  if (again.width != image.width || again.height != image.height || again.bgr != image.bgr) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bmp24_image image;
  if (read_bmp24(std::string(reinterpret_cast<const char*>(data), size), image)) check(image);
  bmp24_image dib;
  if (read_dib24(size ? data : nullptr, size, dib)) check(dib);
  return 0;
}
