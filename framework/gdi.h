// Windows only: small drawing and window helpers shared by every window.
#pragma once

#include <windows.h>

// A memory DC the size of `area` of `target`; its picture is copied to the target when the
// object goes. Painting goes to dc(), in the target's coordinates.
class memory_dc_c {
 public:
  memory_dc_c(HDC target, const RECT& area);
  ~memory_dc_c();
  memory_dc_c(const memory_dc_c&) = delete;
  memory_dc_c& operator=(const memory_dc_c&) = delete;
  HDC dc() const { return dc_; }
  operator HDC() const { return dc_; }

 private:
  HDC target_;
  RECT area_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
};

// Centres `window` over `over` (its owner when null) when that is visible and not minimised,
// else over the work area of the nearest monitor; it stays inside that work area.
void centre_window(HWND window, HWND over = nullptr);

// Sends the message to every descendant of `parent` (children first level only unless deep).
void send_to_descendants(HWND parent, UINT message, WPARAM wparam, LPARAM lparam,
                         bool deep = true);

// Renders the client area of `window` through WM_PRINTCLIENT into a new 32-bit top-down DIB
// section of the client size; the caller deletes the bitmap. `pixels` points at its BGRA rows.
HBITMAP print_client(HWND window, void** pixels, int* width = nullptr, int* height = nullptr);

// Answers WM_PAINT through a memory DC of the client area and WM_PRINTCLIENT directly, calling
// paint(dc, client) for either; false for any other message.
template <class Paint>
bool paint_double_buffered(HWND window, UINT message, WPARAM wparam, Paint paint) {
  RECT client{};
  GetClientRect(window, &client);
  if (message == WM_PRINTCLIENT) {
    paint(reinterpret_cast<HDC>(wparam), client);
    return true;
  }
  if (message != WM_PAINT) return false;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  {
    memory_dc_c memory(dc, client);
    paint(memory.dc(), client);
  }
  EndPaint(window, &ps);
  return true;
}
