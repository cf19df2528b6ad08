#include "app/app_window_pages.h"

bool page_stand_in_c::process_window_message(HWND window, UINT message, WPARAM, LPARAM,
                                             LRESULT& result) {
  if (message != WM_PAINT) return false;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT r;
  GetClientRect(window, &r);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, label, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EndPaint(window, &ps);
  result = 0;
  return true;
}
