#include <windows.h>

#include "app/download_page.h"
#include "app/uninstall_page.h"
#include "app/uninstall_page_win.h"
#include "base/wide.h"
#include "engine/device_info.h"
#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/message_window.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int list_top = 63;
constexpr int png_icon = 206;
// Follows a running uninstall so that "Remove" comes back when it ends.
constexpr UINT_PTR uninstall_timer = 1;

const char* header_title_key(int32_t header) {
  return header == header_installed ? "backup_available_drivers" : "backup_inbox_drivers";
}

}  // namespace

uninstall_window_c::uninstall_window_c()
    : job_(std::make_unique<uninstall_job>()), task_(uninstall_driver, job_.get()) {}

uninstall_window_c::~uninstall_window_c() {
  icon_.destroy();
  if (line_pen_) DeleteObject(line_pen_);
  // A job still running reads its record until it ends; the record is then left to it.
  if (task_.is_running()) (void)job_.release();
  task_.release();
}

void uninstall_window_c::adjust_window_class(WNDCLASSEXW& c) {
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.hbrBackground = nullptr;  // painted whole, double-buffered
}

HWND uninstall_window_c::create_page(HWND parent, const RECT& rect) {
  return create(parent, rect, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
}

void uninstall_window_c::on_create() {
  line_pen_ = CreatePen(PS_SOLID, 1, RGB(191, 191, 191));
  RECT r = client_rect();
  RECT list = {0, list_top, r.right, r.bottom > list_top ? r.bottom : list_top};
  rows.create(handle(), list, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL);
  load_png_resource(nullptr, &icon_, png_icon);
}

void uninstall_window_c::on_size(int width, int height) {
  if (rows.handle()) MoveWindow(rows.handle(), 0, list_top, width, height - list_top, TRUE);
}

void uninstall_window_c::rebuild() {
  installed_counts counts = count_installed_packages(backup_list);
  available_count_ = counts.available;
  inbox_count_ = counts.inbox;
  rows.clear();
  entries_ = &backup_list;
  for (const installed_plan_line& line : installed_rebuild_plan(backup_list)) {
    if (line.header)
      rows.add(new header_panel_c(line.id, get_text(header_title_key(line.id)), line.count));
    else {
      auto* row = new uninstall_panel_c(line.id, &backup_list[line.entry]);
      row->set_remove_enabled(!task_.is_running());
      rows.add(row);
    }
  }
  SetFocus(rows.handle());
}

bool uninstall_window_c::uninstall(const backup_entry* entry) {
  // A request may come from a row of an earlier list (posted before a rescan).
  if (!entries_ || entry_index(*entries_, entry) < 0) return false;
  // The running job reads the INF name: a second remove meanwhile is refused.
  if (!may_start_uninstall(task_.is_running(), *entry)) return false;
  job_->inf_name = entry->devices[0]->InfPath;
  job_->owner_window = GetAncestor(handle(), GA_ROOT);
  if (!task_.start()) {
    show_message_window(GetAncestor(handle(), GA_ROOT), 2, get_text("uninstall_not_started"));
    return false;
  }
  set_remove_enabled(false);
  SetTimer(handle(), uninstall_timer, 250, nullptr);
  return true;
}

void uninstall_window_c::set_remove_enabled(bool enabled) {
  for (panel_c* row : rows.stack().rows)
    if (auto* r = dynamic_cast<uninstall_panel_c*>(row)) r->set_remove_enabled(enabled);
}

void uninstall_window_c::on_uninstall_timer() {
  if (task_.is_running()) return;
  KillTimer(handle(), uninstall_timer);
  set_remove_enabled(true);
}

void uninstall_window_c::on_group_toggled(WPARAM header, LPARAM shown) {
  const int32_t group = rows_of_header(int32_t(header));
  for (panel_c* row : rows.stack().rows) {
    if (row->group_id != group) continue;
    row->set_visible(shown ? 1 : 0);
    if (HWND w = row->get_hwnd()) ShowWindow(w, shown ? SW_SHOW : SW_HIDE);
  }
  rows.relayout();
}

void uninstall_window_c::paint(HDC dc, const RECT& c) {
  int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  HBRUSH back = CreateSolidBrush(RGB(229, 233, 238));
  FillRect(dc, &c, back);
  DeleteObject(back);
  if (!icon_.is_null()) icon_.draw(dc, 10, 10);
  SelectObject(dc, line_pen_);
  MoveToEx(dc, 0, 62, nullptr);
  LineTo(dc, c.right, 62);
  SelectObject(dc, font_bold_ct_10);
  SetTextColor(dc, RGB(21, 80, 146));
  RECT text = {70, 12, c.right - 30, 62};
  const HFONT tip_fonts[] = {font_bold_ct_10, font_bold_ct_9, font_bold_ct_8};
  draw_wrapped_text_to_fit(dc, as_wide(get_text("uninstall_tips")), text, 5, tip_fonts, 3);
  RestoreDC(dc, saved);
}

bool uninstall_window_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                                LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_CREATE:
      on_create();
      return true;
    case WM_SETFOCUS:
      if (rows.handle()) SetFocus(rows.handle());
      return true;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return paint_double_buffered(window, message, wparam, [this](HDC dc, const RECT& c) { paint(dc, c); });
    case WM_SIZE:
      on_size(LOWORD(lparam), HIWORD(lparam));
      return true;
    case WM_TIMER:
      if (wparam != uninstall_timer) return false;
      on_uninstall_timer();
      return true;
    default:
      break;
  }
  if (message == WM_APP_GROUP_TOGGLED) {
    on_group_toggled(wparam, lparam);
    return true;
  }
  if (message == WM_APP_UNINSTALL_DRIVER) {
    uninstall(reinterpret_cast<const backup_entry*>(wparam));
    return true;
  }
  return false;
}
