#include "framework/hyperlink.h"

#include <shellapi.h>

hyperlink_base_c::~hyperlink_base_c() {
  if (underline_font_) DeleteObject(underline_font_);
}

void hyperlink_base_c::set_label(const wchar_t* label) { label_ = label ? label : L""; }

void hyperlink_base_c::set_hyperlink(const wchar_t* address) {
  address_ = address ? address : L"";
}

void hyperlink_base_c::set_link_font(HFONT font) {
  if (underline_font_) DeleteObject(underline_font_);
  underline_font_ = nullptr;
  LOGFONTW lf = {};
  if (!font || !GetObjectW(font, sizeof(lf), &lf)) return;
  lf.lfUnderline = TRUE;
  underline_font_ = CreateFontIndirectW(&lf);
}

bool hyperlink_base_c::open_address(const wchar_t* address) {
  return reinterpret_cast<INT_PTR>(
             ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

bool hyperlink_base_c::navigate() {
  if (address_.empty() || !open_address(address_.c_str())) return false;
  visited_ = true;
  return true;
}

void hyperlink_base_c::draw_link(HWND window, HDC dc) {
  int saved = SaveDC(dc);
  if (underline_font_) SelectObject(dc, underline_font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, visited_ ? visited_colour : link_colour);
  const std::wstring& text = label_.empty() ? address_ : label_;
  RECT client;
  GetClientRect(window, &client);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client, text_format);
  if (GetFocus() == window) DrawFocusRect(dc, &client);
  RestoreDC(dc, saved);
}

bool hyperlink_base_c::process_link_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                            LRESULT& result) {
  switch (message) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
      result = TRUE;
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_LBUTTONDOWN:
      SetFocus(window);
      SetCapture(window);
      pressed_ = true;
      result = 0;
      return true;
    case WM_LBUTTONUP: {
      bool was_pressed = pressed_;
      pressed_ = false;
      if (GetCapture() == window) ReleaseCapture();
      RECT client;
      GetClientRect(window, &client);
      POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      if (was_pressed && PtInRect(&client, p) && navigate()) InvalidateRect(window, nullptr, FALSE);
      result = 0;
      return true;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return false;
    case WM_KEYDOWN:
      if (wparam == VK_RETURN || wparam == VK_SPACE) {
        if (navigate()) InvalidateRect(window, nullptr, FALSE);
        result = 0;
        return true;
      }
      return false;
    case WM_GETDLGCODE: {
      // Enter opens the link rather than pressing the dialog's default button; Tab still moves on.
      const MSG* m = reinterpret_cast<const MSG*>(lparam);
      result = DLGC_WANTCHARS;
      if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) result |= DLGC_WANTMESSAGE;
      return true;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(window, nullptr, FALSE);
      return false;
    default:
      return false;
  }
}
