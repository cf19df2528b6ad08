#include "framework/image.h"

#include <gdiplus.h>

#include <cstring>
#include <mutex>

bool start_gdiplus() {
  // Kept up until the process ends: shutting GDI+ down while another thread may still decode
  // would be unsafe, and starting it again for every picture is slow.
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  });
  return started;
}

image_c::~image_c() { destroy(); }

void image_c::destroy() {
  if (dc_) {
    SelectObject(dc_, old_bitmap_);
    DeleteDC(dc_);
    dc_ = nullptr;
    dc_uses_ = 0;
  }
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = bpp_ = 0;
  has_alpha_ = false;
}

bool image_c::create(int width, int height, int bits_per_pixel, bool has_alpha) {
  destroy();
  if (width <= 0 || height <= 0 || (bits_per_pixel != 24 && bits_per_pixel != 32)) return false;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bits_per_pixel);
  info.bmiHeader.biCompression = BI_RGB;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
  if (!bitmap_) return false;
  width_ = width;
  height_ = height;
  bpp_ = bits_per_pixel;
  has_alpha_ = has_alpha && bits_per_pixel == 32;
  std::memset(bits_, 0, static_cast<size_t>(pitch()) * height_);
  return true;
}

bool image_c::load(IStream* stream) {
  destroy();
  if (!stream || !start_gdiplus()) return false;
  Gdiplus::GpBitmap* decoded = nullptr;
  if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &decoded) != Gdiplus::Ok) return false;
  UINT w = 0, h = 0;
  Gdiplus::PixelFormat format = 0;
  Gdiplus::DllExports::GdipGetImageWidth(decoded, &w);
  Gdiplus::DllExports::GdipGetImageHeight(decoded, &h);
  Gdiplus::DllExports::GdipGetImagePixelFormat(decoded, &format);
  bool alpha = (format & PixelFormatAlpha) != 0 || (format & PixelFormatIndexed) != 0;
  if (alpha && (format & PixelFormatIndexed)) {
    // A palette picture has alpha only when its palette says so.
    UINT flags = 0;
    Gdiplus::DllExports::GdipGetImageFlags(decoded, &flags);
    alpha = (flags & Gdiplus::ImageFlagsHasAlpha) != 0;
  }
  bool ok = create(static_cast<int>(w), static_cast<int>(h), alpha ? 32 : 24, alpha);
  if (ok) {
    Gdiplus::Rect area(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    Gdiplus::BitmapData data = {};
    data.Width = w;
    data.Height = h;
    data.Stride = pitch();
    data.PixelFormat = alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB;
    data.Scan0 = bits_;
    // Decode straight into our own rows.
    ok = Gdiplus::DllExports::GdipBitmapLockBits(
             decoded, &area, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
             data.PixelFormat, &data) == Gdiplus::Ok;
    if (ok) Gdiplus::DllExports::GdipBitmapUnlockBits(decoded, &data);
  }
  Gdiplus::DllExports::GdipDisposeImage(decoded);
  if (!ok) destroy();
  return ok;
}

HDC image_c::get_dc() {
  if (!bitmap_) return nullptr;
  if (!dc_) {
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) return nullptr;
    old_bitmap_ = SelectObject(dc_, bitmap_);
  }
  ++dc_uses_;
  return dc_;
}

void image_c::release_dc() {
  if (!dc_ || --dc_uses_ > 0) return;
  SelectObject(dc_, old_bitmap_);
  DeleteDC(dc_);
  dc_ = nullptr;
}

bool image_c::draw(HDC dc, int x, int y) const {
  RECT destination = {x, y, x + width_, y + height_};
  RECT source = {0, 0, width_, height_};
  return draw(dc, destination, source);
}

bool image_c::draw(HDC dc, const RECT& destination, const RECT& source) const {
  if (!bitmap_ || !dc) return false;
  HDC source_dc = CreateCompatibleDC(dc);
  if (!source_dc) return false;
  HGDIOBJ old = SelectObject(source_dc, bitmap_);
  int dw = destination.right - destination.left, dh = destination.bottom - destination.top;
  int sw = source.right - source.left, sh = source.bottom - source.top;
  BOOL ok;
  if (has_alpha_) {
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ok = AlphaBlend(dc, destination.left, destination.top, dw, dh, source_dc, source.left,
                    source.top, sw, sh, blend);
  } else {
    ok = StretchBlt(dc, destination.left, destination.top, dw, dh, source_dc, source.left,
                    source.top, sw, sh, SRCCOPY);
  }
  SelectObject(source_dc, old);
  DeleteDC(source_dc);
  return ok != FALSE;
}
