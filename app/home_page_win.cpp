#include <windows.h>

#include "app/home_page.h"
#include "base/text.h"
#include "base/wide.h"
#include "engine/system_facts.h"
#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int start_button_id = 1;
// While the start-up read of the machine's facts runs, the page looks for its end this often.
constexpr UINT_PTR facts_timer_id = 1;
constexpr UINT facts_poll_ms = 100;

void text_at(HDC dc, int x, int y, const char16_t* text) {
  TextOutW(dc, x, y, as_wide(text), static_cast<int>(u16_length(text)));
}

HFONT font_or_default(HFONT font) {
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace

home_facts current_home_facts() {
  if (wmi_facts_pending()) return {};  // still being read: shown once the read ends
  return {system_maker, system_model, os_caption, processor_name, display_name, sound_name};
}

void home_window_c::adjust_window_class(WNDCLASSEXW& wc) {
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;  // painted in full, without flicker
}

HWND home_window_c::create_page(HWND parent, HWND owner_window, const RECT& rect) {
  owner = owner_window;
  return create(parent, rect, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
}

LRESULT home_window_c::on_create(HWND window) {
  load_png_resource(nullptr, &steps, 167);
  load_png_resource(nullptr, &facts_icon, 168);
  HWND control = CreateWindowExW(0, L"BUTTON", as_wide(get_text("btn_start_scan")),
                                 WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 10, 10, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(start_button_id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control && start_button.subclass_window(control)) {
    start_button.load_images(118, 0, bmpbtn_hover | bmpbtn_autosize);
    start_button.font = font_bold_21;
    start_button.text_colour = RGB(255, 255, 255);
    start_button.text_x = 120;
    start_button.text_y = 29 + text_y_adjust_large;
  }
  if (wmi_facts_pending()) SetTimer(window, facts_timer_id, facts_poll_ms, nullptr);
  return 0;
}

void home_window_c::on_facts_timer() {
  if (wmi_facts_pending()) return;
  KillTimer(handle(), facts_timer_id);
  InvalidateRect(handle(), nullptr, FALSE);
}

void home_window_c::on_size(int width, int height) {
  if (!start_button.handle()) return;
  RECT b;
  GetClientRect(start_button, &b);
  home_layout l = layout_home_page({width, height, b.right, b.bottom, steps.width(), steps.height(),
                                    text_y_adjust_small, text_y_adjust_large});
  SetWindowPos(start_button, nullptr, l.button.x, l.button.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void home_window_c::paint(HDC dc, const RECT& client) {
  int saved = SaveDC(dc);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  RECT band = {0, 0, client.right, 100};
  fill_vertical_gradient(RGB(221, 230, 239), band, dc, RGB(255, 255, 255));

  int button_height = 0;
  if (start_button.handle()) {
    RECT b;
    GetClientRect(start_button, &b);
    button_height = b.bottom;
  }
  home_layout l = layout_home_page({client.right, client.bottom, 0, button_height, steps.width(),
                                    steps.height(), text_y_adjust_small, text_y_adjust_large});
  if (!steps.is_null()) steps.draw(dc, l.picture.x, l.picture.y);

  HFONT* caption = ui_font_variable(home_caption_font(is_current_language(u"ja")));
  caption_font = font_or_default(caption ? *caption : nullptr);
  SelectObject(dc, caption_font);
  SetTextColor(dc, RGB(24, 90, 160));
  for (int i = 0; i < 3; ++i)
    text_at(dc, l.captions[i].x, l.captions[i].y, get_text(home_caption_keys[i]));

  SelectObject(dc, font_or_default(font_normal_13));
  SetTextColor(dc, RGB(21, 80, 146));
  text_at(dc, l.welcome.x, l.welcome.y, get_text("home_welcome"));
  if (!facts_icon.is_null()) facts_icon.draw(dc, l.icon.x, l.icon.y);
  text_at(dc, l.heading.x, l.heading.y, get_text("home_hardware_info"));
  SelectObject(dc, light_blue_pen ? light_blue_pen : GetStockObject(BLACK_PEN));
  MoveToEx(dc, l.rule_left, l.rule_y, nullptr);
  LineTo(dc, l.rule_right, l.rule_y);

  SelectObject(dc, font_or_default(font_normal_9));
  SetTextColor(dc, RGB(0, 0, 0));
  std::array<home_fact_row, 5> rows = home_fact_rows(read_facts());
  for (int i = 0; i < 5; ++i) {
    text_at(dc, l.label_x, l.row_y[i], get_text(rows[static_cast<size_t>(i)].label_key));
    const std::u16string& value = rows[static_cast<size_t>(i)].value;
    if (!value.empty()) text_at(dc, l.value_x, l.row_y[i], value.c_str());
  }
  RestoreDC(dc, saved);
}

bool home_window_c::process_window_message(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_CREATE:
      result = on_create(window);
      return true;
    case WM_SIZE:
      on_size(LOWORD(lparam), HIWORD(lparam));
      result = 0;
      return true;
    case WM_COMMAND:
      if (HIWORD(wparam) == 0 && LOWORD(wparam) == start_button_id) {
        SendMessageW(owner, WM_APP_START_SCAN, 0, 0);
        result = 0;
        return true;
      }
      return false;
    case WM_TIMER:
      if (wparam != facts_timer_id) return false;
      on_facts_timer();
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      paint_double_buffered(window, message, wparam, [this](HDC dc, const RECT& client) { paint(dc, client); });
      result = 0;
      return true;
    default:
      return false;
  }
}
