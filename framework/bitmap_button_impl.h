// Windows only: a push button that paints itself (owner-drawn), tracking mouse-over, focus
// and pressed state. What it looks like is the derived class's do_paint.
#pragma once

#include "framework/window.h"

enum : DWORD {
  bmpbtn_hover = 1,               // the hover picture follows the mouse, not the focus
  bmpbtn_autosize = 8,            // the button takes the size of one picture
  bmpbtn_share_image_lists = 0x10,
};

class bitmap_button_impl : public window_object_c {
 public:
  DWORD get_extended_style() const { return extended_style_; }
  DWORD set_extended_style(DWORD style) {
    DWORD old = extended_style_;
    extended_style_ = style;
    return old;
  }
  // Binds to a dialog's button and makes it owner-drawn.
  bool subclass_button(HWND dialog, int id);

  bool is_hovered() const { return hover_; }
  bool is_pressed() const;
  bool has_focus() const { return GetFocus() == hwnd_; }

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;

 protected:
  virtual void do_paint(HDC dc) = 0;

 private:
  void repaint() {
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
  }
  DWORD extended_style_ = bmpbtn_autosize;
  bool hover_ = false;
  bool tracking_ = false;
};
