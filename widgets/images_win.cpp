#include "widgets/images.h"

#include <cstring>

#include "widgets/image_pixels.h"

int load_png_resource(HMODULE module, image_c* image, int id) {
  if (!image) return -1;
  image->destroy();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
  if (!found) return -1;
  DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = size ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return -1;
  if (load_image_from_memory(size, image, bytes) != 0) return -1;
  premultiply_alpha(image);
  return 0;
}

int load_image_from_memory(std::size_t length, image_c* image, const void* bytes) {
  if (!image || !bytes || !length) return -1;
  image->destroy();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length);
  if (!block) return -1;
  void* target = GlobalLock(block);
  if (!target) {
    GlobalFree(block);
    return -1;
  }
  std::memcpy(target, bytes, length);
  GlobalUnlock(block);
  IStream* stream = nullptr;
  int result = -1;
  if (SUCCEEDED(CreateStreamOnHGlobal(block, FALSE, &stream))) {
    if (image->load(stream)) result = 0;
    stream->Release();
  }
  GlobalFree(block);
  return result;
}

void premultiply_alpha(image_c* image) {
  if (!image || image->bits_per_pixel() != 32 || image->width() <= 0) return;
  for (int y = 0; y < image->height(); ++y)
    premultiply_pixels(image->bits() + static_cast<size_t>(y) * image->pitch(),
                       static_cast<size_t>(image->width()));
}

image_c* split_image_frames(const image_c* strip, int frames) {
  if (!strip || strip->is_null() || frames <= 0) return nullptr;
  int width = frame_width_of(strip->width(), frames);
  if (width <= 0) return nullptr;
  GdiFlush();  // drawing into the strip may still be queued
  image_c* result = new image_c[frames];
  // Both are our own DIB sections: copy the rows directly (alpha included, no GDI round trip).
  int bytes_per_pixel = strip->bits_per_pixel() / 8;
  for (int i = 0; i < frames; ++i) {
    if (!result[i].create(width, strip->height(), strip->bits_per_pixel(), strip->has_alpha())) {
      delete[] result;
      return nullptr;
    }
    for (int y = 0; y < strip->height(); ++y)
      std::memcpy(result[i].bits() + static_cast<size_t>(y) * result[i].pitch(),
                  strip->bits() + static_cast<size_t>(y) * strip->pitch() +
                      static_cast<size_t>(i) * width * bytes_per_pixel,
                  static_cast<size_t>(width) * bytes_per_pixel);
  }
  return result;
}
