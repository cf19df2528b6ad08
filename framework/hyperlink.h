// Windows only: a text link child window that opens its address when clicked (or on Enter or
// Space while focused). T may define  void paint_background(HDC, const RECT& client)  to paint
// under the text.
#pragma once

#include <string>

#include "framework/window.h"

class hyperlink_base_c {
 public:
  virtual ~hyperlink_base_c();
  void set_label(const wchar_t* label);
  void set_hyperlink(const wchar_t* address);
  // The caller keeps the font; an underlined copy is made for drawing.
  void set_link_font(HFONT font);
  const std::wstring& label() const { return label_; }
  const std::wstring& address() const { return address_; }
  bool visited() const { return visited_; }
  // Opens the address with the shell; true when it was handed over.
  bool navigate();

  COLORREF link_colour = RGB(0, 0, 255);
  // How the text sits in the client area (DrawText flags).
  UINT text_format = DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER;
  COLORREF visited_colour = RGB(128, 0, 128);

 protected:
  virtual bool open_address(const wchar_t* address);
  void draw_link(HWND window, HDC dc);
  // The link's share of the message map; true when handled.
  bool process_link_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result);

  std::wstring label_;
  std::wstring address_;
  HFONT underline_font_ = nullptr;
  bool visited_ = false;
  bool pressed_ = false;
};

template <class T>
class hyperlink_impl : public window_impl<T>, public hyperlink_base_c {
 public:
  void paint_background(HDC, const RECT&) {}

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override {
    if (message == WM_PAINT || message == WM_PRINTCLIENT) {
      PAINTSTRUCT ps;
      HDC dc = message == WM_PAINT ? BeginPaint(window, &ps) : reinterpret_cast<HDC>(wparam);
      RECT client;
      GetClientRect(window, &client);
      static_cast<T*>(this)->paint_background(dc, client);
      draw_link(window, dc);
      if (message == WM_PAINT) EndPaint(window, &ps);
      result = 0;
      return true;
    }
    return process_link_message(window, message, wparam, lparam, result);
  }
};
