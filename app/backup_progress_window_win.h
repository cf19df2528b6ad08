// Windows only: the modal wait dialog of a backup run: the share of the job done as a bar, a
// cancel button, and its own end when the worker's thread has ended.
#pragma once

#include <windows.h>

#include <string>

#include "engine/backup.h"
#include "engine/worker_task.h"
#include "framework/dialog.h"
#include "widgets/paint_win.h"
#include "widgets/ui_event.h"
#include "widgets/ui_window.h"

class backup_progress_window_c : public dialog_impl<backup_progress_window_c>,
                                 public ui_window_c<backup_progress_window_c>,
                                 public ui_event_c<backup_progress_window_c> {
 public:
  enum { dialog_resource = 182, poll_timer = 1, poll_ms = 100 };

  // The task and the job are the page's; both must outlive the dialog.
  backup_progress_window_c(worker_task_c* task, backup_job* job, std::u16string title);
  ~backup_progress_window_c() override;

  // 0 when the worker's result is 0 or more, 1 when it is negative or the task never ran,
  // 2 when the user cancelled; -1 when the dialog cannot be made.
  INT_PTR DoModal(HWND owner) { return do_modal(owner, dialog_resource); }

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  void paint(HDC dc, const RECT& client) { draw_wait_text(dc, client); }
  virtual void draw_wait_text(HDC dc, const RECT& r);

  void on_cancel();
  float fraction() const { return bar_.fraction; }

 private:
  void on_init(HWND window);
  void on_timer();

  worker_task_c* task_;
  percent_bar bar_;
  backup_job* job_;
  std::u16string title_;
};
