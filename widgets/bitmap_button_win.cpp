#include "widgets/bitmap_button.h"

#include "framework/gdi.h"
#include "widgets/images.h"

bitmap_button_c::~bitmap_button_c() {
  delete[] frames;
  if (background_brush) DeleteObject(background_brush);
}

int bitmap_button_c::load_images(int png_id, int with_disabled_frame, DWORD extended_style) {
  // The frame count changes only together with the frames: a disabled button must never
  // paint a frame past the array it has.
  const int count = with_disabled_frame ? 4 : 3;
  image_c strip;
  if (load_png_resource(nullptr, &strip, png_id) != 0) return -1;
  image_c* cut = split_image_frames(&strip, count);
  if (!cut) return -1;
  delete[] frames;
  frames = cut;
  has_disabled_frame = with_disabled_frame ? 1 : 0;
  set_extended_style(extended_style);
  if ((extended_style & bmpbtn_autosize) && hwnd_) {
    RECT client = {0, 0, frames[0].width(), frames[0].height()};
    AdjustWindowRectEx(&client, GetWindowLongW(hwnd_, GWL_STYLE), FALSE,
                       GetWindowLongW(hwnd_, GWL_EXSTYLE));
    SetWindowPos(hwnd_, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return 0;
}

void bitmap_button_c::set_image(int png_id) {
  image_c strip;
  if (load_png_resource(nullptr, &strip, png_id) != 0) return;
  delete[] frames;
  frames = split_image_frames(&strip, frame_count());
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void bitmap_button_c::set_background_brush(HBRUSH brush, int origin_y) {
  if (background_brush && background_brush != brush) DeleteObject(background_brush);
  background_brush = brush;
  brush_origin_y = origin_y;
  use_brush = brush ? 1 : 0;
}

void bitmap_button_c::do_paint(HDC target) {
  if (!frames) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  memory_dc_c memory(target, client);
  HDC dc = memory.dc();
  int saved = SaveDC(dc);
  if (use_brush && background_brush) {
    SetBrushOrgEx(dc, 0, brush_origin_y, nullptr);
    FillRect(dc, &client, background_brush);
  } else {
    SetBkColor(dc, background_colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
  }
  bool disabled = !IsWindowEnabled(hwnd_);
  int frame = 0;
  if (disabled && has_disabled_frame)
    frame = 3;
  else if (is_pressed() || checked)
    frame = 2;
  else if ((get_extended_style() & bmpbtn_hover) ? is_hovered() : has_focus())
    frame = 1;
  frames[frame].draw(dc, 0, 0);
  wchar_t caption[256];
  int length = GetWindowTextW(hwnd_, caption, 256);
  if (length > 0) {
    if (font) SelectObject(dc, font);
    SetTextColor(dc, disabled && has_disabled_frame ? disabled_text_colour : text_colour);
    SetBkMode(dc, TRANSPARENT);
    if (text_x == -1 || text_y == -1)
      DrawTextW(dc, caption, length, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    else
      TextOutW(dc, text_x, text_y, caption, length);
  }
  RestoreDC(dc, saved);
}
