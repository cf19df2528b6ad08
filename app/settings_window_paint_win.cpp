#include "app/settings_window.h"

#include "base/text.h"
#include "base/wide.h"
#include "widgets/language.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

namespace {

using c = pref_control;

constexpr COLORREF text_grey = RGB(68, 68, 68);

void text_at(HDC dc, HFONT font, int x, int y, const char* key) {
  if (font) SelectObject(dc, font);
  SetTextColor(dc, text_grey);
  const char16_t* text = get_text(key);
  TextOutW(dc, x, y, as_wide(text), static_cast<int>(u16_length(text)));
}

void fill(HDC dc, const RECT& r, COLORREF colour) {
  COLORREF old = SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void line(HDC dc, int x0, int x1, int y, COLORREF colour) {
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x0, y, nullptr);
  LineTo(dc, x1, y);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void two_lines(HDC dc, int y) {
  line(dc, 165, 528, y, RGB(101, 129, 158));
  line(dc, 165, 528, y + 1, RGB(191, 207, 224));
}

}  // namespace

void settings_window_c::draw_edit_frame(HDC dc, pref_control id) {
  HWND edit = window_of(id);
  if (!edit) return;
  RECT r;
  GetWindowRect(edit, &r);
  MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&r), 2);
  RECT outer = {r.left - 1, r.top - 3, r.right + 1, r.bottom + 3};
  fill(dc, outer, RGB(205, 206, 211));
  RECT inner = {outer.left + 1, outer.top + 1, outer.right - 1, outer.bottom - 1};
  fill(dc, inner, IsWindowEnabled(edit) ? RGB(255, 255, 255) : RGB(240, 240, 240));
}

void settings_window_c::draw_page(HDC dc, const RECT& client) {
  RECT band = {client.left, client.top, client.right, 175};
  fill_vertical_gradient(RGB(89, 131, 177), band, dc, RGB(255, 255, 255));
  if (!separator.is_null()) separator.draw(dc, 140, 32);
  RECT bottom = {client.left, client.bottom - 46, client.right, client.bottom};
  fill(dc, bottom, RGB(240, 239, 243));
  SetBkMode(dc, TRANSPARENT);

  switch (current_page) {
    case page_general:
      text_at(dc, font_bold_ct_10, 165, 47, "settings_system");
      text_at(dc, font_bold_ct_10, 165, 159, "settings_language");
      break;
    case page_location:
      text_at(dc, font_bold_ct_9, 165, 47, "settings_scan_update");
      text_at(dc, font_bold_ct_9, 165, 125, "settings_match");
      text_at(dc, font_bold_ct_9, 165, 206, "settings_download_location");
      text_at(dc, font_bold_ct_9, 165, 263, "settings_backup_location");
      draw_edit_frame(dc, c::edit_backup);
      draw_edit_frame(dc, c::edit_download);
      break;
    case page_network:
      for (pref_control id : {c::edit_host, c::edit_port, c::edit_user, c::edit_pass}) draw_edit_frame(dc, id);
      two_lines(dc, 65);
      text_at(dc, font_bold_ct_9, 165, 43, "settings_internet_connection");
      text_at(dc, font_normal_9, 165, 200, "settings_host");
      text_at(dc, font_normal_9, 418, 200, "settings_port");
      text_at(dc, font_normal_9, 165, 239, "settings_user");
      text_at(dc, font_normal_9, 165, 278, "settings_pass");
      break;
    case page_exclusion:
      text_at(dc, font_bold_ct_9, 161, 47, "settings_exclude_drivers");
      break;
    case page_scheduler: {
      text_at(dc, font_bold_ct_10, 165, 42, "settings_scheduled_scan");
      two_lines(dc, 68);
      text_at(dc, font_normal_9, 183, 110, "settings_period");
      text_at(dc, font_normal_9, 183, 166, "settings_start_at");
      int period = drawn[static_cast<size_t>(c::period)] ? list(c::period)->selected_index : -1;
      if (period == 1) text_at(dc, font_normal_9, 183, 222, "settings_weekday");
      if (period == 2) text_at(dc, font_normal_9, 183, 222, "settings_monthday");
      break;
    }
    default:
      break;
  }
}
