// The restore page: the catalog's archives as rows under a header, and the restore itself on
// its worker task behind the wait dialog.
#include "app/restore_page_win.h"

#include "app/restore_panel_win.h"
#include "app/setup_progress_window_win.h"
#include "base/wide.h"
#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/paint_win.h"
#include "widgets/panel_list.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int png_page_icon = 205;
constexpr int list_top = 63;

// The row id of a group's rows: what WM_APP_GROUP_TOGGLED folds.
int32_t group_row_id(WPARAM group) { return group == 0 ? 3 : group == 1 ? 4 : 5; }

}  // namespace

void post_row_removed(HWND page, panel_c* row) {
  // The row's serial goes along: a reload may free the row and make another at its address.
  auto* restore_row = dynamic_cast<restore_panel_c*>(row);
  PostMessageW(page, WM_APP_ROW_REMOVED, WPARAM(as_row_param(row)), LPARAM(restore_row ? restore_row->serial() : 0));
}

void send_restore_backup(HWND page, backup_record* record) {
  SendMessageW(page, WM_APP_RESTORE_BACKUP, reinterpret_cast<WPARAM>(record), 0);
}

restore_window_c::restore_window_c(const restore_page_seams& seams)
    : job_(new restore_job), restore_task(restore_entry, job_.get()), list_(new panel_list_c), seams_(seams) {}

restore_window_c::~restore_window_c() {
  list_->clear();
  // A restore thread still running reads the job: it keeps it.
  if (restore_task.is_running()) (void)job_.release();
  if (line_pen_) DeleteObject(line_pen_);
}

HWND restore_window_c::create(HWND main_window, const RECT& rect) {
  return window_impl<restore_window_c>::create(main_window, rect, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
}

void restore_window_c::on_create() {
  line_pen_ = CreatePen(PS_SOLID, 1, RGB(191, 191, 191));
  RECT client = client_rect();
  RECT r = {0, list_top, client.right, client.bottom > list_top ? client.bottom : list_top};
  list_->create(handle(), r, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL);
  load_png_resource(nullptr, &icon_, png_page_icon);
}

int restore_window_c::reload() {
  list_->clear();
  const int loaded = load_backup_catalog();
  restore_reload_plan plan = plan_restore_reload(loaded, loaded < 0 ? 0 : backup_catalog.size());
  if (plan.header) {
    list_->add(new header_panel_c(0, get_text("restore_driver_backups"), plan.count));
    for (size_t i = 0; i < plan.rows; ++i) list_->add(new restore_panel_c(&backup_catalog[i], seams_));
  }
  if (plan.result == 0 && plan.header) SetFocus(list_->handle());
  return plan.result;
}

void restore_window_c::on_restore_backup(backup_record* record) {
  if (restore_task.is_running()) return;
  // Only a record of the catalog as it stands: a message may outlive a reload.
  bool held = false;
  for (const backup_record& r : backup_catalog) held = held || &r == record;
  if (!held || record->devices.empty()) return;
  job_->archive_name = record->devices[0].backup_file;
  run_restore();
}

void restore_window_c::run_restore() {
  // The task closes an earlier run's handle itself when it starts again. A thread that did
  // not start gets no dialog: nothing would ever close it.
  bool failed = !restore_task.start();
  if (!failed) {
    restore_progress_window_c wait(&restore_task, get_text("btn_panel_restore"));
    // 1: the job failed (no extractor, an unsafe name, an archive that is gone, damaged or
    // not extracted in time); no installer was started then.
    failed = wait.DoModal(handle()) != 0;
  }
  if (failed && seams_.show_message) seams_.show_message(GetAncestor(handle(), GA_ROOT), 2, get_text("restore_failed"));
}

void restore_window_c::paint(HDC dc, const RECT& c) {
  HBRUSH back = CreateSolidBrush(RGB(229, 233, 238));
  FillRect(dc, &c, back);
  DeleteObject(back);
  if (!icon_.is_null()) icon_.draw(dc, 10, 10);
  HGDIOBJ old_pen = SelectObject(dc, line_pen_);
  MoveToEx(dc, 0, 62, nullptr);
  LineTo(dc, c.right, 62);
  SelectObject(dc, old_pen);
  HGDIOBJ old_font = SelectObject(dc, font_bold_ct_10);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(21, 80, 146));
  RECT tips = {70, 12, c.right - 30, 62};
  const HFONT tip_fonts[] = {font_bold_ct_10, font_bold_ct_9, font_bold_ct_8};
  draw_wrapped_text_to_fit(dc, as_wide(get_text("restore_tips")), tips, 5, tip_fonts, 3);
  SelectObject(dc, old_font);
}

void restore_window_c::on_group_toggled(WPARAM group, LPARAM shown) {
  const int32_t id = group_row_id(group);
  for (panel_c* row : list_->stack().rows) {
    if (row->group_id != id) continue;
    row->set_visible(int32_t(shown));
    if (HWND w = row->get_hwnd()) ShowWindow(w, shown ? SW_SHOW : SW_HIDE);
  }
  list_->relayout();
}

void restore_window_c::on_row_removed(WPARAM row, LPARAM serial) {
  // Only the very row that asked, while the list still holds it: a reload may have deleted it
  // and made another at the same address.
  for (panel_c* listed : list_->stack().rows) {
    if (listed != row_of(row)) continue;
    auto* r = dynamic_cast<restore_panel_c*>(listed);
    if (r && r->serial() == uint32_t(serial)) list_->remove(listed);
    return;
  }
}

bool restore_window_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                              LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_CREATE:
      on_create();
      return true;
    case WM_ERASEBKGND:  // painted whole, double-buffered
      result = 1;
      return true;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return paint_double_buffered(window, message, wparam, [this](HDC dc, const RECT& c) {
        int saved = SaveDC(dc);
        paint(dc, c);
        RestoreDC(dc, saved);
      });
    case WM_SHOWWINDOW:
      if (wparam) reload();
      return true;
    case WM_SETFOCUS:
      if (list_->handle()) SetFocus(list_->handle());
      return true;
    case WM_SIZE: {
      int w = LOWORD(lparam), h = HIWORD(lparam);
      if (list_->handle()) MoveWindow(list_->handle(), 0, list_top, w, h > list_top ? h - list_top : 0, TRUE);
      return true;
    }
    default:
      break;
  }
  if (message == WM_APP_GROUP_TOGGLED) {
    on_group_toggled(wparam, lparam);
    return true;
  }
  if (message == WM_APP_ROW_REMOVED) {
    on_row_removed(wparam, lparam);
    return true;
  }
  if (message == WM_APP_RESTORE_BACKUP) {
    on_restore_backup(reinterpret_cast<backup_record*>(wparam));
    return true;
  }
  return false;
}
