// Windows only: a picture held as a device-independent bitmap section, decoded with GDI+.
// 32-bit pictures carry alpha and are drawn alpha-blended (their colours must then be
// premultiplied); 24-bit pictures are copied opaque.
#pragma once

#include <windows.h>
#include <objidl.h>

class image_c {
 public:
  image_c() = default;
  image_c(const image_c&) = delete;
  image_c& operator=(const image_c&) = delete;
  virtual ~image_c();

  // Decodes a picture from a stream; false (and empty) when GDI+ cannot read it. Pictures with
  // transparency become 32-bit with alpha (straight, not premultiplied), others 24-bit.
  bool load(IStream* stream);
  // A new blank picture, top-down; bits_per_pixel 24 or 32.
  bool create(int width, int height, int bits_per_pixel, bool has_alpha);
  void destroy();

  bool is_null() const { return bitmap_ == nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  int bits_per_pixel() const { return bpp_; }
  bool has_alpha() const { return has_alpha_; }
  int pitch() const { return ((width_ * bpp_ + 31) / 32) * 4; }
  unsigned char* bits() const { return static_cast<unsigned char*>(bits_); }
  HBITMAP bitmap() const { return bitmap_; }

  // A memory DC with the picture selected, until release_dc.
  HDC get_dc();
  void release_dc();

  // Draws the whole picture at (x, y), or the source rectangle into the destination one.
  bool draw(HDC dc, int x, int y) const;
  bool draw(HDC dc, const RECT& destination, const RECT& source) const;

 private:
  HBITMAP bitmap_ = nullptr;
  void* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int bpp_ = 0;
  bool has_alpha_ = false;
  HDC dc_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  int dc_uses_ = 0;
};

// Starts GDI+ once for the process (the first picture decoded does it); false when it fails.
bool start_gdiplus();
