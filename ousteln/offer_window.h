// Windows only: Ousteln's offer window, a borderless popup with a background picture, the offer
// text, a "Get It Now" button that opens the offer page and a link that closes the window.
#pragma once

#include <windows.h>

#include "framework/image.h"
#include "framework/message_loop.h"
#include "framework/window.h"
#include "widgets/button.h"
#include "widgets/ui_event.h"
#include "widgets/ui_window.h"

// Opens the offer page for the window; the shell's opener unless a test gives its own.
using page_opener = void (*)(HWND window);
void open_offer_page(HWND window);

extern const wchar_t offer_window_title[];

class main_window_c : public window_impl<main_window_c>,
                      public message_filter_c,
                      public idle_handler_c,
                      public ui_window_c<main_window_c>,
                      public ui_event_c<main_window_c> {
 public:
  // A double-click on empty space does nothing here.
  static constexpr bool maximise_on_double_click = false;
  static const wchar_t* window_class_name() { return L"MainWindow"; }
  static void adjust_window_class(WNDCLASSEXW& wc);

  image_c background;
  HICON big_icon = nullptr;
  HICON small_icon = nullptr;
  flat_button_c<main_window_c>* get_it_now_button = nullptr;
  link_button_c<main_window_c>* continue_link = nullptr;
  page_opener open_page = &open_offer_page;

  main_window_c() = default;
  ~main_window_c() override { destroy_icons(); }

  // Registers the class, creates the window and centres it; null on failure.
  HWND create_offer_window();
  void destroy_icons();

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  bool pre_translate_message(MSG&) override { return false; }
  bool on_idle() override { return false; }

  // Painting hooks of the ui_window_c part.
  void paint(HDC dc, const RECT&) { draw_background(dc); }
  void paint_frame(HDC dc, const RECT& client) { draw_frame(dc, client); }

 private:
  LRESULT on_create();
  void on_destroy();
  void create_buttons();
  void draw_background(HDC dc);
  void draw_frame(HDC dc, const RECT& client);
  void on_get_it_now();
  void on_close_clicked();
};

// Builds the window, shows it with `show_command` and runs the thread's message loop until the
// window closes: 0, or -1 when the window cannot be created.
int run_offer_window(int show_command, page_opener opener = &open_offer_page);
