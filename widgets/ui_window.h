// Windows only: double-buffered painting, rounded shape, frame and title of a window T.
//   T's hooks (defaults here): void paint(HDC, const RECT& client)        own painting
//                              void paint_frame(HDC, const RECT& client)  default draw_frame
#pragma once

#include <windows.h>

#include <type_traits>

#include "base/wide.h"
#include "framework/gdi.h"
#include "widgets/ui_event.h"
#include "widgets/ui_fonts.h"

template <class T>
class ui_window_c {
 public:
  HBRUSH* window_frame_brush = &frame_brush;
  int corner_radius = 4;
  int handled = 0;

  virtual ~ui_window_c() = default;

  void paint(HDC, const RECT&) {}
  void paint_frame(HDC dc, const RECT& client) { draw_frame(dc, client); }

  // The map: WM_PAINT (and WM_PRINTCLIENT, which renders the same picture into a given DC)
  // and WM_SIZE.
  bool process_ui_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                 LRESULT& result) {
    handled = 0;
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        paint_all(window, dc);
        EndPaint(window, &ps);
        result = 0;
        handled = 1;
        return true;
      }
      case WM_PRINTCLIENT:
        paint_all(window, reinterpret_cast<HDC>(wparam));
        result = 0;
        handled = 1;
        return true;
      case WM_SIZE:
        if (wparam == SIZE_MINIMIZED) {
          result = 0;
          handled = 1;
          return true;
        }
        set_round_region(LOWORD(lparam), HIWORD(lparam));
        return false;
      default:
        return false;
    }
  }

  void set_round_region(int width, int height) {
    HWND window = self()->handle();
    if (corner_radius <= 0) {  // square: no region, nothing of the window cut away
      SetWindowRgn(window, nullptr, FALSE);
      return;
    }
    // The region is in window coordinates: a scroll bar or border beside the client area
    // stays inside it.
    RECT outer, inner;
    if (GetWindowRect(window, &outer) && GetClientRect(window, &inner)) {
      width += (outer.right - outer.left) - inner.right;
      height += (outer.bottom - outer.top) - inner.bottom;
    }
    HRGN region = CreateRoundRectRgn(0, 0, width + 1, height + 1, corner_radius, corner_radius);
    // The window owns the region from here on.
    if (region && !SetWindowRgn(window, region, FALSE)) DeleteObject(region);
  }

  void draw_frame(HDC dc, const RECT& client) {
    frame_round_region(dc, client);
    draw_title(dc);
  }

  // The 1-pixel outline of the rounded shape.
  void frame_round_region(HDC dc, const RECT& client) {
    HRGN region =
        CreateRoundRectRgn(0, 0, client.right + 1, client.bottom + 1, corner_radius, corner_radius);
    if (region) {
      if (window_frame_brush && *window_frame_brush) FrameRgn(dc, region, *window_frame_brush, 1, 1);
      DeleteObject(region);
    }
  }

  void draw_title(HDC dc) {
    wchar_t title[256];
    int length = GetWindowTextW(self()->handle(), title, 256);
    if (length <= 0) return;
    SetTextColor(dc, RGB(255, 255, 255));
    if (font_bold_ct_9) SelectObject(dc, font_bold_ct_9);
    TextOutW(dc, 10, 8, title, length);
  }

 private:
  T* self() { return static_cast<T*>(this); }

  void paint_all(HWND window, HDC target) {
    RECT client;
    GetClientRect(window, &client);
    memory_dc_c memory(target, client);
    HDC dc = memory.dc();
    int saved = SaveDC(dc);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    self()->paint(dc, client);
    self()->paint_frame(dc, client);
    if constexpr (std::is_base_of<ui_event_c<T>, T>::value) self()->draw_items(dc);
    RestoreDC(dc, saved);
  }
};
