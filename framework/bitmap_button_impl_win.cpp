#include "framework/bitmap_button_impl.h"

bool bitmap_button_impl::subclass_button(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!subclass_window(button)) return false;
  LONG style = GetWindowLongW(button, GWL_STYLE);
  SetWindowLongW(button, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
  return true;
}

bool bitmap_button_impl::is_pressed() const {
  return (SendMessageW(hwnd_, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

bool bitmap_button_impl::process_window_message(HWND window, UINT message, WPARAM wparam,
                                                LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      do_paint(dc);
      EndPaint(window, &ps);
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      do_paint(reinterpret_cast<HDC>(wparam));
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_MOUSEMOVE:
      result = default_window_proc(message, wparam, lparam);
      if (!tracking_) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, window, HOVER_DEFAULT};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      if (!hover_) {
        hover_ = true;
        repaint();
      }
      return true;
    case WM_MOUSELEAVE:
      tracking_ = false;
      hover_ = false;
      repaint();
      result = 0;
      return true;
    // The button's own procedure keeps the pressed state and sends BN_CLICKED; its
    // owner-draw painting goes to the parent, so the picture is renewed here.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_CAPTURECHANGED:
    case WM_SETTEXT:
    case BM_SETSTATE:
      result = default_window_proc(message, wparam, lparam);
      if (IsWindow(window)) repaint();
      return true;
    default:
      return false;
  }
}
