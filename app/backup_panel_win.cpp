#include "app/backup_panel_win.h"

#include <shellapi.h>

#include <string>

#include "app/backup_page.h"
#include "app/detail_window_win.h"
#include "app/row_window_win.h"
#include "base/wide.h"
#include "engine/device_info.h"
#include "engine/settings.h"
#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int png_unchecked = 171, png_checked = 172, png_action = 173, png_strip = 177, png_menu = 200;

}  // namespace

backup_panel_c::backup_panel_c(int32_t row_id, backup_entry* entry, bool checked)
    : row_window_c(menu_button_id), entry_(entry) {
  group_id = row_id;
  checked_ = checked ? 1 : 0;
}

backup_panel_c::~backup_panel_c() {
  destroy_window();
  if (grey_pen_) DeleteObject(grey_pen_);
  if (blue_pen_) DeleteObject(blue_pen_);
}

int backup_panel_c::measure_height() {
  const row_text_heights h = measure_row_text_heights();
  line_height_title_ = h.title;
  line_height_lines_ = h.line;
  return backup_row_height(entry_ ? entry_->devices.size() : 0, line_height_lines_, line_height_title_);
}

bool backup_panel_c::create(HWND__* parent, int32_t at_x, int32_t at_y) {
  const RECT r = place_row(*this, parent, at_x, at_y, measure_height());
  return window_impl<backup_panel_c>::create(parent, r, L"", row_window_style) != nullptr;
}

void backup_panel_c::on_create() {
  make_button(action_, action_id, png_action);
  if (action_.handle()) SetWindowTextW(action_.handle(), as_wide(get_text("btn_panel_backup")));
  action_.font = font_bold_ct_9;
  action_.text_colour = RGB(255, 255, 255);
  make_button(check_, check_id, checked_ ? png_checked : png_unchecked);
  make_button(menu_, menu_button_id, png_menu);
  grey_pen_ = CreatePen(PS_SOLID, 1, RGB(191, 191, 191));
  blue_pen_ = CreatePen(PS_SOLID, 1, RGB(162, 200, 243));
  if (entry_ && !entry_->devices.empty() && entry_->devices[0]->device_class) {
    image_list_ = static_cast<HIMAGELIST>(entry_->devices[0]->device_class->image_list);
    image_index_ = entry_->devices[0]->device_class->image_index;
  }
  load_png_resource(nullptr, &strip_, png_strip);
  selected_ = 0;
}

void backup_panel_c::layout(int w, int h) {
  backup_row_places p = backup_row_buttons(w, h, line_height_title_);
  const UINT keep = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  if (check_.handle()) SetWindowPos(check_.handle(), nullptr, p.check_x, p.check_y, 0, 0, keep);
  if (action_.handle()) SetWindowPos(action_.handle(), nullptr, p.action_x, p.action_y, 0, 0, keep);
  if (menu_.handle()) SetWindowPos(menu_.handle(), nullptr, p.menu_x, p.menu_y, 0, 0, keep);
}

void backup_panel_c::paint(HDC dc, const RECT& c) {
  paint_row_frame(dc, c, background_, blue_pen_, grey_pen_, strip_);
  if (!entry_ || entry_->devices.empty()) return;
  const device_info& first = *entry_->devices[0];
  paint_row_class(dc, image_list_, image_index_, background_,
                  first.device_class ? first.device_class->description : u"");

  SelectObject(dc, font_normal_10);
  SetTextColor(dc, RGB(234, 100, 11));
  int line_bottom = line_height_title_ + 14;
  for (size_t i = 0; i < entry_->devices.size(); ++i) {
    RECT r = {30, line_height_title_ + int(i) * (line_height_lines_ + 8) + 14, c.right - 20, 0};
    r.bottom = r.top + line_height_lines_;
    std::u16string name = entry_->devices[i]->name;
    DrawTextW(dc, as_wide(name), int(name.size()), &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    line_bottom = r.bottom;
  }

  const int yy = line_bottom + 10;
  SelectObject(dc, font_normal_9);
  SetTextColor(dc, RGB(0, 0, 0));
  std::u16string date = get_text("backup_driver_date");
  row_text_out(dc, 30, yy, date);
  row_text_out(dc, 30 + row_text_width(dc, date), yy, first.DriverDate);
  std::u16string version = get_text("backup_driver_version");
  row_text_out(dc, 220, yy, version);
  row_text_out(dc, 220 + row_text_width(dc, version), yy, first.DriverVersion);
}

void backup_panel_c::toggle_check() {
  checked_ = checked_ ? 0 : 1;
  check_.set_image(checked_ ? png_checked : png_unchecked);
  if (HWND p = page()) SendMessageW(p, WM_APP_ROW_CHECKED, reinterpret_cast<WPARAM>(entry_), checked_);
}

void backup_panel_c::request_backup() {
  if (HWND p = page()) SendMessageW(p, WM_APP_BACKUP_DRIVER, reinterpret_cast<WPARAM>(entry_), 0);
}

void backup_panel_c::on_select_rows(WPARAM which) {
  const uint8_t now = row_checked_after(int(which), entry_ && entry_->inbox) ? 1 : 0;
  if (now == checked_) return;
  checked_ = now;
  check_.set_image(checked_ ? png_checked : png_unchecked);
  RedrawWindow(check_.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void backup_panel_c::show_details() { show_backup_details(GetAncestor(handle(), GA_ROOT), entry_); }

bool backup_panel_c::on_row_command(int id) {
  if (id == action_id)
    request_backup();
  else if (id == check_id)
    toggle_check();
  else if (id >= cmd_backup && id <= cmd_view_details)
    on_menu_command(id);
  else
    return false;
  return true;
}

void backup_panel_c::on_menu_command(int id) {
  switch (id) {
    case cmd_backup:
      request_backup();
      break;
    case cmd_open_location:
      ShellExecuteW(handle(), nullptr, as_wide(app_settings.BackupPath), nullptr, nullptr, SW_SHOW);
      break;
    case cmd_view_details:
      show_details();
      break;
    default:
      break;
  }
}

void backup_panel_c::show_menu(POINT point) {
  popup_row_menu(handle(), menu_resource,
                 {{cmd_backup, "btn_panel_backup"},
                  {cmd_open_location, "menu_open_location"},
                  {cmd_view_details, "menu_view_details"}},
                 point);
}

bool backup_panel_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                            LRESULT& result) {
  if (message == WM_APP_SELECT_ROWS) {
    on_select_rows(wparam);
    result = 0;
    return true;
  }
  return route_row_message(window, message, wparam, lparam, result);
}
