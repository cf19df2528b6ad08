// The navigation bar down the left edge of the main window: seven picture buttons, one of
// which shows the current page. The rule for a click is portable; the window is Windows only.
#pragma once

#include <cstdint>

constexpr int sidebar_entry_count = 7;
constexpr int sidebar_button_width = 186;
constexpr int sidebar_button_height = 45;

struct sidebar_entry {
  int number;  // also the button's control id
  int png;     // four frames: normal, hover, pressed, disabled
  const char* text_key;
};
// Top to bottom.
extern const sidebar_entry sidebar_entries[sidebar_entry_count];

// Where entry `number` (1-7) sits in the bar's client area.
inline int sidebar_button_y(int number) { return sidebar_button_height * (number - 1); }

// What a click on entry `number` does.
struct sidebar_choice {
  int32_t selected;  // the selection afterwards
  bool moved;        // the selection changed (two buttons to redraw)
  bool send;         // the click goes on to the main window
};
// A click on the selected entry, or on a number the bar does not have, does nothing. Before
// results are shown, and for the options and support entries, the selection stays and the click
// is passed on; otherwise the selection moves to the entry.
sidebar_choice choose_sidebar_entry(int number, int32_t selected, int32_t results_available);

#ifdef _WIN32
#include <windows.h>

#include <vector>

#include "framework/window.h"
#include "widgets/bitmap_button.h"

class sidebar_window_c : public window_impl<sidebar_window_c> {
 public:
  static const wchar_t* window_class_name() { return L"VantorilSidebar"; }
  static void adjust_window_class(WNDCLASSEXW& wc);

  HWND owner = nullptr;  // receives WM_APP_SIDEBAR_COMMAND
  int32_t results_available = 0;
  std::vector<bitmap_button_c*> buttons;  // owned
  int32_t selected = 1;

  sidebar_window_c() = default;
  ~sidebar_window_c() override;

  // Creates the bar as a visible child of `parent` in `rect`; `owner` hears its clicks.
  HWND create_bar(HWND parent, HWND owner_window, const RECT& rect);

  // -1 when `number` is already selected (or not an entry), else 0; moves the selection when
  // results are shown and the entry is a page of them.
  int select(int number);
  // The home button marked, whatever was: the home page shows after a scan that did not end.
  void mark_home();
  // Enables or disables every entry; the number of entries.
  int enable(int flag);

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;

 private:
  LRESULT on_create(HWND window);
  void paint(HDC dc, const RECT& client);
  void mark(int number, bool on);
};

inline constexpr COLORREF sidebar_text_colour = RGB(21, 80, 146);
inline constexpr COLORREF sidebar_background = RGB(229, 233, 238);
#endif
