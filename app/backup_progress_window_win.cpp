#include "app/backup_progress_window_win.h"

#include <cwchar>

#include "app/backup_page.h"
#include "app/wait_dialog_win.h"
#include "base/wide.h"
#include "engine/thread.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int bar_png = 183, cancel_png = 128;

}  // namespace

backup_progress_window_c::backup_progress_window_c(worker_task_c* task, backup_job* job, std::u16string title)
    : task_(task), job_(job), title_(std::move(title)) {
  load_png_resource(nullptr, &bar_.image, bar_png);
  if (bar_.image.bitmap()) bar_.fill_pattern = CreatePatternBrush(bar_.image.bitmap());
  bar_.background_brush = CreateSolidBrush(RGB(22, 63, 108));
}

backup_progress_window_c::~backup_progress_window_c() {
  if (bar_.fill_pattern) DeleteObject(bar_.fill_pattern);
  if (bar_.background_brush) DeleteObject(bar_.background_brush);
}

bool backup_progress_window_c::process_window_message(HWND window, UINT message, WPARAM wparam,
                                                      LPARAM lparam, LRESULT& result) {
  if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
  if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
  switch (message) {
    case WM_INITDIALOG:
      on_init(window);
      result = TRUE;
      return true;
    case WM_TIMER:
      on_timer();
      result = 0;
      return true;
    default:
      return false;
  }
}

void backup_progress_window_c::on_init(HWND) {
  auto* cancel = new ui_button_c<backup_progress_window_c>;
  cancel->create(this, cancel_png, 152, 155, get_text("btn_cancel"), 3);
  cancel->set_text_style(font_normal_10, RGB(0, 0, 0), 0);
  cancel->bind_click(&backup_progress_window_c::on_cancel);
  add_item(cancel);
  open_wait_dialog(*this, title_, poll_timer, poll_ms);
}

void backup_progress_window_c::on_timer() {
  RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  if (!task_) return;
  const bool has_thread = task_->thread() != nullptr;
  const bool ended = has_thread && thread_has_ended(task_->thread());
  backup_tick t = backup_dialog_tick(has_thread, ended, task_->is_running(), task_->result());
  if (t == backup_tick::wait) return;
  close_wait_dialog(*this, task_, poll_timer, t == backup_tick::end_failed ? 1 : 0);
}

void backup_progress_window_c::on_cancel() {
  if (job_) job_->cancel = 1;
  // The worker looks at the flag between files; the dialog stays until it has stopped, so
  // that no half-written archive outlives it.
  if (task_ && task_->thread()) wait_for_thread(task_->thread());
  close_wait_dialog(*this, task_, poll_timer, 2);
}

void backup_progress_window_c::draw_wait_text(HDC dc, const RECT& r) {
  fill_vertical_gradient(RGB(39, 102, 170), r, dc, RGB(210, 222, 234));
  if (job_) bar_.fraction = backup_bar_fraction(job_->progress.load(), job_->devices.size(), bar_.fraction);
  draw_percent_bar(dc, bar_, r.left + 50, 100, r.right - 50, 124);
  if (font_normal_10) SelectObject(dc, font_normal_10);
  SetBkMode(dc, TRANSPARENT);
  draw_wait_line(dc, r, as_wide(get_text("progress_backup_wait")));
}
