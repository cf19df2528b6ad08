#include "app/setup_progress_window_win.h"

#include "app/wait_dialog_win.h"

#include "base/wide.h"
#include "engine/thread.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr UINT_PTR poll_timer = 1;
constexpr int bar_png = 202;

}  // namespace

setup_progress_window_c::setup_progress_window_c(worker_task_c* task, std::u16string caption)
    : task_(task), caption_(std::move(caption)) {
  load_png_resource(nullptr, &bar_.image, bar_png);
  bar_.fill_brush = CreateSolidBrush(RGB(22, 63, 108));
  bar_.offset = 0;
  bar_.step = 2;
}

setup_progress_window_c::~setup_progress_window_c() {
  if (bar_.fill_brush) DeleteObject(bar_.fill_brush);
}

bool setup_progress_window_c::process_window_message(HWND window, UINT message, WPARAM wparam,
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

void setup_progress_window_c::on_init(HWND) {
  open_wait_dialog(*this, caption_, poll_timer, 10);
}

void setup_progress_window_c::on_timer() {
  bar_.offset += bar_.step;
  RedrawWindow(handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_INVALIDATE);
  if (!task_ || !task_->thread() || !thread_has_ended(task_->thread())) return;
  close_wait_dialog(*this, task_, poll_timer, task_->result() < 0 ? 1 : 0);
}

void setup_progress_window_c::draw_background_and_bar(HDC dc, const RECT& r) {
  fill_vertical_gradient(RGB(39, 102, 170), r, dc, RGB(210, 222, 234));
  draw_busy_bar(dc, bar_, r.left + 50, 100, r.right - 50, 124);
}

void setup_progress_window_c::draw_text_line(HDC dc, const RECT& r, const char16_t* text) {
  if (font_normal_10) SelectObject(dc, font_normal_10);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  draw_wait_line(dc, r, as_wide(text));
}

void setup_progress_window_c::draw_wait_text(HDC dc, const RECT& r) {
  draw_background_and_bar(dc, r);
  draw_text_line(dc, r, get_text("progress_install_wait"));
}

void restore_progress_window_c::draw_wait_text(HDC dc, const RECT& r) {
  draw_background_and_bar(dc, r);
  draw_text_line(dc, r, get_text("progress_restore_wait"));
}
