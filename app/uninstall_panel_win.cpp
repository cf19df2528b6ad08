#include <windows.h>
#include <commctrl.h>

#include "app/detail_window_win.h"
#include "app/row_window_win.h"
#include "app/uninstall_page.h"
#include "app/uninstall_page_win.h"
#include "base/text.h"
#include "base/wide.h"
#include "engine/device_info.h"
#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int png_remove = 173, png_strip = 177, png_menu = 200;

}  // namespace

uninstall_panel_c::uninstall_panel_c(int32_t row_group, const backup_entry* entry)
    : row_window_c(menu_button_id), entry_(entry) {
  group_id = row_group;
}

uninstall_panel_c::~uninstall_panel_c() {
  destroy_window();
  if (edge_pen_) DeleteObject(edge_pen_);
  if (bottom_pen_) DeleteObject(bottom_pen_);
}

int uninstall_panel_c::measure_height() {
  const row_text_heights h = measure_row_text_heights();
  title_height_ = h.title;
  line_height_ = h.line;
  return installed_row_height(entry_ ? int32_t(entry_->devices.size()) : 0, line_height_, title_height_);
}

bool uninstall_panel_c::create(HWND__* parent, int32_t at_x, int32_t at_y) {
  const RECT r = place_row(*this, parent, at_x, at_y, measure_height());
  return window_impl<uninstall_panel_c>::create(parent, r, L"", row_window_style) != nullptr;
}

void uninstall_panel_c::on_create() {
  make_button(remove_, remove_id, png_remove);
  SetWindowTextW(remove_.handle(), as_wide(get_text("btn_remove")));
  remove_.font = font_bold_ct_9;
  make_button(menu_, menu_button_id, png_menu);
  selected_ = 0;
  set_remove_enabled(remove_enabled_);
  edge_pen_ = CreatePen(PS_SOLID, 1, RGB(191, 191, 191));
  bottom_pen_ = CreatePen(PS_SOLID, 1, RGB(162, 200, 243));
  if (entry_ && !entry_->devices.empty() && entry_->devices[0]->device_class) {
    class_images_ = static_cast<HIMAGELIST>(entry_->devices[0]->device_class->image_list);
    class_image_index_ = entry_->devices[0]->device_class->image_index;
  }
  load_png_resource(nullptr, &strip_, png_strip);
}

void uninstall_panel_c::layout(int w, int h) {
  installed_row_buttons at = installed_row_button_places(w, h);
  const UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  if (menu_.handle()) SetWindowPos(menu_.handle(), nullptr, at.menu.x, at.menu.y, 0, 0, flags);
  if (remove_.handle()) SetWindowPos(remove_.handle(), nullptr, at.remove.x, at.remove.y, 0, 0, flags);
}

void uninstall_panel_c::paint(HDC dc, const RECT& c) {
  int saved = SaveDC(dc);
  paint_row_frame(dc, c, background_, bottom_pen_, edge_pen_, strip_);
  if (entry_ && !entry_->devices.empty() && entry_->devices[0]) {
    const device_info& first = *entry_->devices[0];
    paint_row_class(dc, class_images_, class_image_index_, background_,
                    first.device_class ? first.device_class->description : u"");

    SelectObject(dc, font_normal_10);
    SetTextColor(dc, RGB(234, 100, 11));
    int line_bottom = title_height_ + 14;
    for (size_t i = 0; i < entry_->devices.size(); ++i) {
      const device_info* d = entry_->devices[i];
      RECT r = {30, title_height_ + int(i) * (line_height_ + 8) + 14, c.right - 20, 0};
      r.bottom = r.top + line_height_;
      if (d) DrawTextW(dc, as_wide(d->name), int(u16_length(d->name)), &r, DT_END_ELLIPSIS | DT_SINGLELINE | DT_NOPREFIX);
      line_bottom = r.bottom;
    }

    // The first device's values stand for the package.
    int yy = line_bottom + 10;
    SelectObject(dc, font_normal_9);
    SetTextColor(dc, RGB(0, 0, 0));
    const char16_t* date = get_text("backup_driver_date");
    row_text_out(dc, 30, yy, date);
    row_text_out(dc, 30 + row_text_width(dc, date), yy, first.DriverDate);
    const char16_t* version = get_text("backup_driver_version");
    row_text_out(dc, 220, yy, version);
    row_text_out(dc, 220 + row_text_width(dc, version), yy, first.DriverVersion);
  }
  RestoreDC(dc, saved);
}

void uninstall_panel_c::request_remove() {
  if (HWND p = page()) SendMessageW(p, WM_APP_UNINSTALL_DRIVER, reinterpret_cast<WPARAM>(entry_), 0);
}

void uninstall_panel_c::set_remove_enabled(bool enabled) {
  remove_enabled_ = enabled;
  // The button's picture has no greyed frame: its caption greys instead.
  remove_.text_colour = enabled ? RGB(255, 255, 255) : RGB(170, 178, 190);
  if (!remove_.handle()) return;
  EnableWindow(remove_.handle(), enabled);
  InvalidateRect(remove_.handle(), nullptr, FALSE);
}

void uninstall_panel_c::show_details() { show_backup_details(handle(), entry_); }

void uninstall_panel_c::show_menu(POINT point) {
  popup_row_menu(handle(), menu_resource, {{cmd_remove, "btn_remove"}, {cmd_view_details, "menu_view_details"}},
                 point, [this](HMENU popup) {
                   if (!remove_enabled_) EnableMenuItem(popup, cmd_remove, MF_BYCOMMAND | MF_GRAYED);
                 });
}

bool uninstall_panel_c::on_row_command(int id) {
  if (id == cmd_remove || id == remove_id)
    request_remove();
  else if (id == cmd_view_details)
    show_details();
  else
    return false;
  return true;
}

bool uninstall_panel_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                               LRESULT& result) {
  return route_row_message(window, message, wparam, lparam, result);
}
