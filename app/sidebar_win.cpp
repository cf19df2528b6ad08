#include <windows.h>

#include "app/sidebar.h"
#include "base/wide.h"
#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

void sidebar_window_c::adjust_window_class(WNDCLASSEXW& wc) {
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;  // painted in full, without flicker
}

sidebar_window_c::~sidebar_window_c() {
  for (bitmap_button_c* b : buttons) delete b;
  buttons.clear();
}

HWND sidebar_window_c::create_bar(HWND parent, HWND owner_window, const RECT& rect) {
  owner = owner_window;
  return create(parent, rect, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
}

int sidebar_window_c::select(int number) {
  sidebar_choice c = choose_sidebar_entry(number, selected, results_available);
  if (!c.send) return -1;
  if (c.moved) {
    mark(selected, false);
    selected = c.selected;
    mark(selected, true);
  }
  return 0;
}

void sidebar_window_c::mark_home() {
  if (selected == 1) return;
  mark(selected, false);
  selected = 1;
  mark(selected, true);
}

int sidebar_window_c::enable(int flag) {
  for (bitmap_button_c* b : buttons) EnableWindow(*b, flag ? TRUE : FALSE);
  return static_cast<int>(buttons.size());
}

void sidebar_window_c::mark(int number, bool on) {
  if (number < 1 || number > static_cast<int>(buttons.size())) return;
  bitmap_button_c* b = buttons[static_cast<size_t>(number - 1)];
  b->checked = on ? 1 : 0;
  b->text_colour = on ? RGB(255, 255, 255) : sidebar_text_colour;
  RedrawWindow(*b, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_UPDATENOW);
}

LRESULT sidebar_window_c::on_create(HWND window) {
  results_available = 0;
  for (const sidebar_entry& e : sidebar_entries) {
    HWND control = CreateWindowExW(0, L"BUTTON", as_wide(get_text(e.text_key)),
                                   WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0,
                                   sidebar_button_y(e.number), sidebar_button_width,
                                   sidebar_button_height, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(e.number)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (!control) break;
    auto* b = new bitmap_button_c;
    buttons.push_back(b);
    b->subclass_window(control);
    b->load_images(e.png, 1, bmpbtn_hover);
    b->font = font_bold_ct_10;
    b->text_x = 48;
    b->text_y = 18 + text_y_adjust_small;
    b->text_colour = sidebar_text_colour;
  }
  selected = 1;
  mark(1, true);
  return 0;
}

void sidebar_window_c::paint(HDC dc, const RECT& client) {
  SetBkColor(dc, sidebar_background);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
  HGDIOBJ old = SelectObject(dc, blue_pen ? blue_pen : GetStockObject(BLACK_PEN));
  MoveToEx(dc, client.right - 1, 0, nullptr);
  LineTo(dc, client.right - 1, client.bottom);
  SelectObject(dc, old);
}

bool sidebar_window_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM,
                                              LRESULT& result) {
  switch (message) {
    case WM_CREATE:
      result = on_create(window);
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      paint_double_buffered(window, message, wparam, [this](HDC dc, const RECT& client) { paint(dc, client); });
      result = 0;
      return true;
    case WM_SETFOCUS:
      // The bar never keeps the keyboard: the main window handles the keys.
      SetFocus(GetParent(window));
      result = 0;
      return true;
    case WM_COMMAND:
      if (HIWORD(wparam) == 0) {
        int number = LOWORD(wparam);
        if (select(number) >= 0) {
          SetFocus(GetParent(window));
          SendMessageW(owner, WM_APP_SIDEBAR_COMMAND, static_cast<WPARAM>(number), 0);
        }
        result = 0;
        return true;
      }
      return false;
    default:
      return false;
  }
}
