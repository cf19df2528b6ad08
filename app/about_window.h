// Windows only: the about dialog (product, description, version, support e-mail, home page
// link, legal and copyright lines, logo) and the translucent mask that the main window lays
// over itself while the dialog runs.
#pragma once

#include <windows.h>

#include "framework/dialog.h"
#include "framework/hyperlink.h"
#include "framework/image.h"
#include "framework/window.h"
#include "widgets/bitmap_button.h"
#include "widgets/ui_event.h"
#include "widgets/ui_window.h"

enum { about_dialog_resource = 157 };

// The home page link: the framework's link on a white ground, its text on the line of its
// caption (the top of its rectangle).
class link_c : public hyperlink_impl<link_c> {
 public:
  link_c() { text_format = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX; }
  void paint_background(HDC dc, const RECT& client) {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
};

class about_window_c : public dialog_impl<about_window_c>,
                       public ui_window_c<about_window_c>,
                       public ui_event_c<about_window_c> {
 public:
  about_window_c();
  ~about_window_c() override;

  // 1 after OK, 2 after the close button, Escape or Cancel; -1 when it cannot be made.
  INT_PTR DoModal(HWND owner) { return do_modal(owner, about_dialog_resource); }

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  void paint(HDC dc, const RECT& client);

  bitmap_button_c ok_button;
  image_c logo;  // PNG 117
  HPEN light_pen = nullptr;
  HPEN dark_pen = nullptr;
  link_c link;

 private:
  void on_init_dialog(HWND window);
  void on_close() { end_dialog(2); }
};

// Runs the about dialog modally over `owner`: 1, 2, or -1 when it could not be made.
INT_PTR show_about_dialog(HWND owner);

// A black, translucent popup over the main window while the about dialog is open. It lets
// the mouse through (WS_EX_TRANSPARENT) and is never activated by the program itself.
class mask_window_c : public window_impl<mask_window_c>, public ui_window_c<mask_window_c> {
 public:
  // Made hidden, owned by `main`; null on failure.
  HWND create_mask(HWND main);
  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  void paint(HDC dc, const RECT& client) {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  HWND main_window = nullptr;
};
