// The overview page shown at start: the three steps, the start button, a welcome line and five
// rows of facts about the computer. Its layout and its rows are portable; the window is Windows
// only.
#pragma once

#include <array>
#include <string>

// What the layout depends on: the client size, the start button's size, the step picture's
// size and the font set's vertical text adjustments.
struct home_layout_input {
  int width, height;
  int button_width, button_height;
  int picture_width, picture_height;
  int text_y_adjust_small, text_y_adjust_large;
};

struct home_point {
  int x, y;
};

struct home_layout {
  home_point button;      // the start button's top-left corner
  home_point picture;     // the step picture's top-left corner
  home_point captions[3]; // "home_scan", "btn_download", "btn_install"
  home_point welcome;
  home_point icon;        // the facts block's small picture
  home_point heading;     // "home_hardware_info"
  int rule_y, rule_left, rule_right;
  int label_x, value_x;
  int row_y[5];
};

// Integer arithmetic as the page paints it (divisions truncate).
home_layout layout_home_page(const home_layout_input& in);

constexpr const char* home_caption_keys[3] = {"home_scan", "btn_download", "btn_install"};

// The machine's facts as the page shows them; an empty text leaves its value empty.
struct home_facts {
  std::u16string maker, model, os, processor, display, sound;
};
struct home_fact_row {
  const char* label_key;
  std::u16string value;
};
// Row 2 names the operating system instead of the model when the maker or the model reads
// "oem" (any case): such machines carry no useful model text.
std::array<home_fact_row, 5> home_fact_rows(const home_facts& facts);

// The step captions' font: the 12-point one for Japanese, else the 13-point one.
const char* home_caption_font(bool japanese);

#ifdef _WIN32
#include <windows.h>

#include "framework/image.h"
#include "framework/window.h"
#include "widgets/bitmap_button.h"

// The facts the page shows: the ones read at start-up, none while that read still runs.
home_facts current_home_facts();

class home_window_c : public window_impl<home_window_c> {
 public:
  static const wchar_t* window_class_name() { return L"VantorilHome"; }
  static void adjust_window_class(WNDCLASSEXW& wc);

  HWND owner = nullptr;  // receives WM_APP_START_SCAN
  image_c steps;         // PNG 167
  image_c facts_icon;    // PNG 168
  bitmap_button_c start_button;
  // Where the facts come from (the start-up facts unless a test gives its own).
  home_facts (*read_facts)() = &current_home_facts;
  // The font the step captions were last drawn with.
  HFONT caption_font = nullptr;

  // Creates the page as a visible child of `parent` in `rect`; `owner` hears the start button.
  HWND create_page(HWND parent, HWND owner_window, const RECT& rect);

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  // Draws the page straight into `dc` (WM_PAINT goes through a memory DC first).
  void paint(HDC dc, const RECT& client);

 private:
  LRESULT on_create(HWND window);
  void on_size(int width, int height);
  // Paints the facts anew once their start-up read has ended.
  void on_facts_timer();
};
#endif
