#include "widgets/combobox.h"

#include "base/wide.h"
#include "framework/gdi.h"
#include "widgets/ui_fonts.h"

bool combobox_panel_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM,
                                              LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      paint(dc);
      EndPaint(window, &ps);
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(wparam));
      result = 0;
      return true;
    case WM_APP_COMBO_ROW_HOVER:
      hovered = wparam ? 1 : 0;
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      result = 0;
      return true;
    case WM_APP_COMBO_ROW_SELECTED:
      selected = wparam ? 1 : 0;
      result = 0;
      return true;
    default:
      return false;
  }
}

void combobox_panel_c::paint(HDC target) {
  RECT client = client_rect();
  memory_dc_c memory(target, client);
  HDC dc = memory.dc();
  bool lit = hovered || selected;
  COLORREF background = lit ? RGB(91, 154, 219) : RGB(255, 255, 255);
  COLORREF old_background = SetBkColor(dc, background);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
  SetBkColor(dc, old_background);
  HGDIOBJ old_font = font_normal_9 ? SelectObject(dc, font_normal_9) : nullptr;
  SetTextColor(dc, lit ? RGB(255, 255, 255) : RGB(68, 68, 68));
  SetBkMode(dc, TRANSPARENT);
  RECT r = client;
  r.left = 12;
  DrawTextW(dc, as_wide(text), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_VCENTER);
  if (old_font) SelectObject(dc, old_font);
}
