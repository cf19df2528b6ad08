#include "app/restore_panel_win.h"

#include <shellapi.h>

#include <cstdlib>

#include "app/detail_window_win.h"
#include "app/row_window_win.h"
#include "widgets/panel_list.h"
#include "base/path.h"
#include "base/text.h"
#include "base/wide.h"
#include "engine/device_store.h"
#include "engine/settings.h"
#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/message_window.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int png_action = 173, png_strip = 177, png_menu = 200;

int real_show_message(HWND owner, int type, const char16_t* text) { return show_message_window(owner, type, text); }

void real_open_explorer(HWND owner, const char16_t* parameters) {
  ShellExecuteW(owner, nullptr, L"explorer.exe", as_wide(parameters), nullptr, SW_SHOW);
}

// Gone, not merely unreadable: only then may its row go.
bool file_is_gone(const std::u16string& path) {
  if (GetFileAttributesW(as_wide(path)) != INVALID_FILE_ATTRIBUTES) return false;
  DWORD e = GetLastError();
  return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
}

}  // namespace

restore_page_seams::restore_page_seams()
    : show_message(real_show_message), open_explorer(real_open_explorer), show_details(show_restore_details) {}

restore_panel_c::restore_panel_c(backup_record* record, const restore_page_seams& seams)
    : row_window_c(menu_button_id), record_(record), seams_(seams) {
  static uint32_t next_serial = 0;
  serial_ = ++next_serial;
  group_id = row_group;
  layout_.devices = record_ ? record_->devices.size() : 0;
}

restore_panel_c::~restore_panel_c() {
  destroy_window();
  if (grey_pen_) DeleteObject(grey_pen_);
  if (blue_pen_) DeleteObject(blue_pen_);
}

int restore_panel_c::measure_height() {
  const row_text_heights h = measure_row_text_heights();
  layout_.title_height = h.title;
  layout_.line_height = h.line;
  return layout_.height();
}

bool restore_panel_c::create(HWND__* parent, int32_t at_x, int32_t at_y) {
  const RECT r = place_row(*this, parent, at_x, at_y, measure_height());
  return window_impl<restore_panel_c>::create(parent, r, L"", row_window_style) != nullptr;
}

void restore_panel_c::fit_width() { fit_panel_to_list(*this); }

void restore_panel_c::on_create() {
  make_button(action_, action_id, png_action);
  SetWindowTextW(action_.handle(), as_wide(get_text("btn_panel_restore")));
  action_.font = font_bold_ct_9;
  action_.text_colour = RGB(255, 255, 255);
  make_button(menu_, menu_button_id, png_menu);
  grey_pen_ = CreatePen(PS_SOLID, 1, RGB(191, 191, 191));
  blue_pen_ = CreatePen(PS_SOLID, 1, RGB(162, 200, 243));
  if (device_store* store = the_device_store()) image_list_ = static_cast<HIMAGELIST>(store->image_list.handle);
  load_png_resource(nullptr, &strip_, png_strip);
  selected_ = 0;
}

void restore_panel_c::layout(int w, int h) {
  row_point a = restore_action_button_place(w, h), m = restore_menu_button_place(w);
  if (menu_.handle()) SetWindowPos(menu_.handle(), nullptr, m.x, m.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (action_.handle()) SetWindowPos(action_.handle(), nullptr, a.x, a.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void restore_panel_c::paint(HDC dc, const RECT& c) {
  paint_row_frame(dc, c, background_, blue_pen_, grey_pen_, strip_);
  draw_content(dc, c);
}

void restore_panel_c::draw_content(HDC dc, const RECT& c) {
  if (!record_ || record_->devices.empty()) return;
  const backup_device& first = record_->devices[0];
  HGDIOBJ old_font = paint_row_class(dc, image_list_, restore_class_image(first), background_, first.class_desc);

  SelectObject(dc, font_normal_10);
  SetTextColor(dc, RGB(234, 100, 11));
  for (size_t i = 0; i < record_->devices.size(); ++i) {
    RECT r = {restore_line_left, layout_.device_line_top(i), c.right - 20, 0};
    r.bottom = r.top + layout_.line_height;
    DrawTextW(dc, as_wide(record_->devices[i].desc), -1, &r, DT_END_ELLIPSIS | DT_SINGLELINE | DT_NOPREFIX);
  }

  SelectObject(dc, font_normal_9);
  SetTextColor(dc, RGB(0, 0, 0));
  const std::u16string installed_label = get_text("restore_installed"), backup_label = get_text("restore_backup");
  const int installed_width = row_text_width(dc, installed_label);
  int yy = layout_.installed_line_top();
  row_text_out(dc, restore_line_left, yy, installed_label);
  installed_value value = restore_installed_value(first, get_text("download_none"));
  SetTextColor(dc, value.none ? RGB(233, 34, 35) : RGB(0, 0, 0));
  row_text_out(dc, installed_value_x(installed_width), yy, value.text);

  yy = layout_.backup_line_top();
  SetTextColor(dc, RGB(0, 0, 0));
  row_text_out(dc, restore_line_left, yy, backup_label);
  row_text_out(dc, backup_value_x(installed_width, row_text_width(dc, backup_label)), yy, restore_backup_value(first));
  SelectObject(dc, old_font);
}

std::u16string restore_panel_c::archive_path() const {
  return path_join(app_settings.BackupPath, ansi_to_u16(record_ ? record_->file : ""));
}

void restore_panel_c::request_restore() {
  // Sent, not posted: the record is the catalog's and a reload may replace it.
  if (HWND p = page()) send_restore_backup(p, record_);
}

void restore_panel_c::delete_file() {
  if (!seams_.show_message || seams_.show_message(GetActiveWindow(), 3, get_text("restore_delete_confirm")) == 2)
    return;
  const std::u16string path = archive_path();
  bool deleted = DeleteFileW(as_wide(path)) != FALSE;
  // A file still there keeps its row (it would come back at the next reload anyway), and
  // the user learns why.
  if (!restore_row_goes(deleted, deleted || file_is_gone(path))) {
    seams_.show_message(GetActiveWindow(), 2, get_text("restore_delete_failed"));
    return;
  }
  if (HWND p = page()) post_row_removed(p, this);
}

void restore_panel_c::show_details() {
  if (seams_.show_details) seams_.show_details(handle(), record_);
}

void restore_panel_c::on_menu_command(int id) {
  switch (id) {
    case cmd_restore:
      request_restore();
      break;
    case cmd_delete_file:
      delete_file();
      break;
    case cmd_open_location: {
      std::u16string parameters = explorer_select_parameters(archive_path());
      if (!parameters.empty() && seams_.open_explorer) seams_.open_explorer(handle(), parameters.c_str());
      break;
    }
    case cmd_view_details:
      show_details();
      break;
    default:
      break;
  }
}

void restore_panel_c::show_menu(POINT point) {
  popup_row_menu(handle(), menu_resource,
                 {{cmd_delete_file, "menu_delete_file"},
                  {cmd_open_location, "menu_open_location"},
                  {cmd_restore, "btn_panel_restore"},
                  {cmd_view_details, "menu_view_details"}},
                 point);
}

bool restore_panel_c::on_row_command(int id) {
  if (id == action_id)
    request_restore();
  else if (id >= cmd_restore && id <= cmd_view_details)
    on_menu_command(id);
  else
    return false;
  return true;
}

bool restore_panel_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                             LRESULT& result) {
  return route_row_message(window, message, wparam, lparam, result);
}
