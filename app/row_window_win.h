// Windows only: what the result pages' row windows share: their place in the list, their
// owner-drawn buttons, the height of their two text fonts and their menu at the click.
#pragma once

#include <string_view>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <initializer_list>

#include <vector>

#include "framework/image.h"
#include "widgets/bitmap_button.h"
#include "widgets/panel.h"

// What the four result rows (download, backup, restore, uninstall) do alike with the user's
// input: the selection at a press, the menu at a right click and at the menu button, the details
// at a double click, the row's buttons and menu items, and the selected background. A row
// derives from it beside its window class and answers its own steps.
class row_window_c : public panel_c {
 public:
  bool selected() const { return selected_ != 0; }
  virtual void show_menu(POINT client_point) = 0;
  virtual void show_details() = 0;

 protected:
  explicit row_window_c(int menu_button_id) : menu_button_id_(menu_button_id) {}

  virtual void on_create() = 0;
  virtual void layout(int width, int height) = 0;
  // Paints the whole client (double-buffered; the DC is restored afterwards).
  virtual void paint(HDC dc, const RECT& client) = 0;
  // A click of one of the row's buttons other than the menu button, or an item of its menu;
  // false when the id is none of the row's.
  virtual bool on_row_command(int id) = 0;

  // The messages every row answers alike; true when handled. A button's WM_COMMAND acts only
  // for BN_CLICKED: an owner-drawn button sends BN_DOUBLECLICKED for the second click of a
  // double click, which must not act a second time.
  bool route_row_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // A BUTTON child with `id`, drawn from picture `png` on the row's background, which follows
  // the row's selection from then on.
  void make_button(bitmap_button_c& button, int id, int png);
  // The selection is now `row`: this row's background and its buttons' follow.
  void on_row_selected(WPARAM row);
  // The list's parent, the page.
  HWND page() const;

  COLORREF background_ = RGB(255, 255, 255);
  uint8_t selected_ = 0;

 private:
  HWND row_handle() const;
  int menu_button_id_;
  std::vector<bitmap_button_c*> buttons_;
};

// True for a button's click or a menu item; false for the second click of a double click
// (BN_DOUBLECLICKED) and the other notifications.
inline bool is_click_command(WPARAM wparam) { return HIWORD(wparam) == BN_CLICKED; }

constexpr DWORD row_window_style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// The row at (x, y) across the list's client width, `height` high; returns its rectangle.
RECT place_row(panel_c& row, HWND list, int32_t at_x, int32_t at_y, int32_t height);

// A BUTTON child of `row` with `id`, drawn by `button` from picture `png` on `background`.
void make_row_button(HWND row, bitmap_button_c& button, int id, int png, COLORREF background);

// The height of a line of text in the title font and in the device-line font.
struct row_text_heights {
  int title = 0;
  int line = 0;
};
row_text_heights measure_row_text_heights();

// The row's frame under its content: the background, the blue line at the bottom, the strip
// behind the title and the grey line at the right edge. Leaves the text background clear.
void paint_row_frame(HDC dc, const RECT& client, COLORREF background, HPEN bottom_pen, HPEN edge_pen,
                     const image_c& strip);

// One line of row text at (x, y) in the selected font, and its width.
void row_text_out(HDC dc, int x, int y, std::u16string_view text);
int row_text_width(HDC dc, std::u16string_view text);

// The row's first line: the device class's picture at (8, 5) on the row's background (none for
// a negative index) and the class description at (40, 4) in the title font and colour; the font selected before.
HGDIOBJ paint_row_class(HDC dc, HIMAGELIST images, int image_index, COLORREF background,
                        std::u16string_view class_description);

// The cursor in `window`'s client co-ordinates (the menu button's click).
POINT cursor_in_client(HWND window);

// The row's menu `resource` with its items named in the user's language, popped up at
// `client_point` of `row`; `adjust` may rename or grey items before it shows.
struct row_menu_text {
  int id;
  const char* key;
};
void popup_row_menu(HWND row, int resource, std::initializer_list<row_menu_text> texts, POINT client_point,
                    const std::function<void(HMENU popup)>& adjust = nullptr);
