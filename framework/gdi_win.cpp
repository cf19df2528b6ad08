#include "framework/gdi.h"

#include "framework/centre.h"

memory_dc_c::memory_dc_c(HDC target, const RECT& area) : target_(target), area_(area) {
  dc_ = CreateCompatibleDC(target);
  bitmap_ = CreateCompatibleBitmap(target, area.right - area.left, area.bottom - area.top);
  if (!dc_ || !bitmap_) {
    // Out of GDI resources: paint straight to the target rather than not at all.
    if (dc_) DeleteDC(dc_);
    if (bitmap_) DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    dc_ = target;
    return;
  }
  old_bitmap_ = SelectObject(dc_, bitmap_);
  SetWindowOrgEx(dc_, area.left, area.top, nullptr);
}

memory_dc_c::~memory_dc_c() {
  if (!bitmap_) return;
  SetWindowOrgEx(dc_, 0, 0, nullptr);
  BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, dc_,
         0, 0, SRCCOPY);
  SelectObject(dc_, old_bitmap_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

namespace {
rect_i to_rect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
}  // namespace

void centre_window(HWND window, HWND over) {
  if (!window) return;
  if (!over) over = GetWindow(window, GW_OWNER);
  RECT own;
  GetWindowRect(window, &own);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  HMONITOR near_monitor = MonitorFromWindow(over && IsWindowVisible(over) ? over : window,
                                            MONITOR_DEFAULTTONEAREST);
  GetMonitorInfoW(near_monitor, &monitor);
  RECT target = monitor.rcWork;
  if (over && IsWindowVisible(over) && !IsIconic(over)) GetWindowRect(over, &target);
  int x = 0, y = 0;
  centred_position(to_rect(own), to_rect(target), to_rect(monitor.rcWork), x, y);
  if (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) {
    POINT p = {x, y};
    ScreenToClient(GetParent(window), &p);
    x = p.x;
    y = p.y;
  }
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void send_to_descendants(HWND parent, UINT message, WPARAM wparam, LPARAM lparam, bool deep) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageW(child, message, wparam, lparam);
    if (deep) send_to_descendants(child, message, wparam, lparam, true);
  }
}

HBITMAP print_client(HWND window, void** pixels, int* width, int* height) {
  RECT client;
  GetClientRect(window, &client);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, pixels, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!bitmap) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  GdiFlush();
  SelectObject(dc, old);
  DeleteDC(dc);
  if (width) *width = client.right;
  if (height) *height = client.bottom;
  return bitmap;
}
