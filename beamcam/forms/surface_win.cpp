// Pictures, the windowless images drawn by what they lie on, and panels.
#include <algorithm>
#include <cstring>

#include "beamcam/forms/forms.h"
#include "framework/gdi.h"

namespace forms {

// Bitmap.

bitmap_c::~bitmap_c() {
  if (bitmap_) DeleteObject(bitmap_);
}

bool bitmap_c::resize(int width, int height) {
  if (bitmap_ && width == width_ && height == height_) return true;
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
  if (width <= 0 || height <= 0) return false;
  info_ = {};
  info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info_.bmiHeader.biWidth = width;
  info_.bmiHeader.biHeight = -height;  // rows top first
  info_.bmiHeader.biPlanes = 1;
  info_.bmiHeader.biBitCount = 24;
  info_.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info_, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap_) return false;
  bits_ = static_cast<uint8_t*>(bits);
  width_ = width;
  height_ = height;
  stride_ = (size_t(width) * 3 + 3) & ~size_t(3);
  return true;
}

void bitmap_c::assign(const uint8_t* bgr, int width, int height) {
  if (!resize(width, height)) return;
  GdiFlush();  // the DIB section may still be drawn from
  const size_t row_bytes = size_t(width) * 3;
  for (int r = 0; r < height; ++r) std::memcpy(row(r), bgr + size_t(r) * row_bytes, row_bytes);
}

bool bitmap_c::load_resource(int id) {
  HBITMAP loaded = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!loaded) return false;
  BITMAP b{};
  GetObjectW(loaded, sizeof b, &b);
  bool ok = resize(b.bmWidth, b.bmHeight);
  if (ok) {
    HDC dc = GetDC(nullptr);
    BITMAPINFO want = info_;
    ok = GetDIBits(dc, loaded, 0, UINT(height_), bits_, &want, DIB_RGB_COLORS) == height_;
    ReleaseDC(nullptr, dc);
  }
  DeleteObject(loaded);
  return ok;
}

// Images.

image_c::image_c(form_c& form, surface_c& surface, std::string name, const rect& r)
    : control_c(form, std::move(name)), surface_(surface), bounds_(r) {
  surface_.add_image(this);
}

image_c::~image_c() { surface_.remove_image(this); }

void image_c::set_bounds(const rect& r) {
  surface_.invalidate_image(*this);
  bounds_ = r;
  surface_.invalidate_image(*this);
}

void image_c::set_visible(bool on) {
  if (on == visible_) return;
  visible_ = on;
  surface_.invalidate_image(*this);
}

void image_c::set_picture(const bitmap_c* picture) {
  picture_ = picture;
  surface_.invalidate_image(*this);
}

void image_c::picture_changed() { surface_.invalidate_image(*this); }

namespace {

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
int64_t ceil_div(int64_t a, int64_t b) { return -floor_div(-a, b); }

}  // namespace

void image_c::draw(HDC dc, const RECT& client) const {
  if (!visible_ || !picture_ || picture_->empty()) return;
  const int pw = picture_->width(), ph = picture_->height();
  RECT box = {bounds_.left, bounds_.top, bounds_.left + bounds_.width, bounds_.top + bounds_.height};
  RECT visible{};
  if (!IntersectRect(&visible, &box, &client)) return;

  // Source and destination of the part that shows; a stretch never spans what is clipped away.
  int sx0, sy0, sx1, sy1;
  RECT dest;
  if (stretch && bounds_.width > 0 && bounds_.height > 0) {
    const int64_t w = bounds_.width, h = bounds_.height;
    sx0 = int(std::clamp<int64_t>(floor_div((visible.left - box.left) * int64_t(pw), w), 0, pw));
    sx1 = int(std::clamp<int64_t>(ceil_div((visible.right - box.left) * int64_t(pw), w), 0, pw));
    sy0 = int(std::clamp<int64_t>(floor_div((visible.top - box.top) * int64_t(ph), h), 0, ph));
    sy1 = int(std::clamp<int64_t>(ceil_div((visible.bottom - box.top) * int64_t(ph), h), 0, ph));
    dest = {LONG(box.left + floor_div(sx0 * w, pw)), LONG(box.top + floor_div(sy0 * h, ph)),
            LONG(box.left + floor_div(sx1 * w, pw)), LONG(box.top + floor_div(sy1 * h, ph))};
  } else {
    int x = box.left + (centre ? (bounds_.width - pw) / 2 : 0);
    int y = box.top + (centre ? (bounds_.height - ph) / 2 : 0);
    RECT pic = {x, y, x + pw, y + ph};
    RECT shown{};
    if (!IntersectRect(&shown, &pic, &visible)) return;
    sx0 = shown.left - x;
    sy0 = shown.top - y;
    sx1 = shown.right - x;
    sy1 = shown.bottom - y;
    dest = shown;
  }
  if (sx1 <= sx0 || sy1 <= sy0) return;

  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, picture_->handle());
  int saved = SaveDC(dc);
  IntersectClipRect(dc, visible.left, visible.top, visible.right, visible.bottom);
  SetStretchBltMode(dc, COLORONCOLOR);
  if (transparent) {
    const uint8_t* p = picture_->row(ph - 1);  // the bottom-left pixel is the see-through colour
    TransparentBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source, sx0, sy0,
                   sx1 - sx0, sy1 - sy0, RGB(p[2], p[1], p[0]));
  } else {
    StretchBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source, sx0, sy0,
               sx1 - sx0, sy1 - sy0, SRCCOPY);
  }
  RestoreDC(dc, saved);
  SelectObject(source, old);
  DeleteDC(source);
}

// Surfaces.

void surface_c::remove_image(image_c* image) {
  images_.erase(std::remove(images_.begin(), images_.end(), image), images_.end());
  if (captured_ == image) captured_ = nullptr;
}

void surface_c::invalidate_image(const image_c& image) const {
  HWND w = surface_window();
  if (!w) return;
  rect b = image.bounds();
  RECT r = {b.left, b.top, b.left + b.width, b.top + b.height};
  InvalidateRect(w, &r, FALSE);
}

void surface_c::paint_images(HDC dc, const RECT& client) const {
  for (const image_c* image : images_) image->draw(dc, client);
}

bool surface_c::route_mouse(UINT message, LPARAM lparam) {
  if (message == WM_CAPTURECHANGED) {
    // A capture taken away mid-press (a box, another window) ends the press as a release
    // would: the image would otherwise follow the bare pointer.
    image_c* lost = captured_;
    captured_ = nullptr;
    if (!lost) return false;
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(surface_window(), &p);
    rect b = lost->bounds();
    if (lost->OnMouseUp) lost->OnMouseUp(p.x - b.left, p.y - b.top);
    return true;
  }
  const int x = short(LOWORD(lparam)), y = short(HIWORD(lparam));
  auto at = [&](const image_c* i) {
    rect b = i->bounds();
    return i->visible() && x >= b.left && y >= b.top && x < b.left + b.width && y < b.top + b.height;
  };
  image_c* target = captured_;
  if (!target)
    for (auto it = images_.rbegin(); it != images_.rend(); ++it)
      if (at(*it)) {
        target = *it;
        break;
      }
  if (!target) return false;
  rect b = target->bounds();
  const int ix = x - b.left, iy = y - b.top;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // a press soon after a click is still a press
      captured_ = target;
      SetCapture(surface_window());
      if (target->OnMouseDown) target->OnMouseDown(ix, iy);
      return true;
    case WM_MOUSEMOVE:
      if (target->OnMouseMove) target->OnMouseMove(ix, iy);
      return true;
    case WM_LBUTTONUP:
      if (captured_) {
        captured_ = nullptr;
        ReleaseCapture();
      }
      if (target->OnMouseUp) target->OnMouseUp(ix, iy);
      return true;
  }
  return false;
}

// Panels.

struct panel_c::window_c : window_impl<panel_c::window_c> {
  explicit window_c(panel_c& p) : panel(p) {}
  static const wchar_t* window_class_name() { return L"beamcam.panel"; }
  static void adjust_window_class(WNDCLASSEXW& wc) { wc.hbrBackground = nullptr; }

  void paint(HDC dc) {
    RECT client = client_rect();
    HBRUSH brush = CreateSolidBrush(panel.colour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    panel.paint_images(dc, client);
    if (panel.border == bevel::lowered) DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
  }

  bool process_window_message(HWND, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    return guarded(result, [&] { return handle_message(message, wparam, lparam, result); });
  }

  bool handle_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    if (route_to_controls(message, wparam, lparam, result)) return true;
    switch (message) {
      case WM_ERASEBKGND:
        result = 1;
        return true;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        {
          memory_dc_c buffer(dc, ps.rcPaint);
          paint(buffer);
        }
        EndPaint(hwnd_, &ps);
        return true;
      }
      case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wparam));
        return true;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
      case WM_MOUSEMOVE:
      case WM_LBUTTONUP:
      case WM_CAPTURECHANGED:
        if (panel.route_mouse(message, lparam)) return true;
        break;
    }
    return false;
  }
  panel_c& panel;
};

panel_c::panel_c(form_c& form, HWND parent, std::string name, const rect& r, COLORREF c, bevel b,
                 DWORD extra_style)
    : windowed_c(form, std::move(name)), colour(c), border(b), window_(std::make_unique<window_c>(*this)) {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | extra_style | (b == bevel::single ? WS_BORDER : 0);
  // The keyboard's Tab reaches the controls inside.
  adopt(window_->create(parent, RECT{r.left, r.top, r.left + r.width, r.top + r.height}, L"", style,
                        WS_EX_CONTROLPARENT));
}

panel_c::~panel_c() = default;

}  // namespace forms
