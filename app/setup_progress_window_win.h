// Windows only: the modal wait dialogs that follow a job on its worker thread: a caption, a
// wait text and a moving bar; the dialog ends by itself when the job's thread has ended. The
// install wait dialog is this class; the restore wait dialog derives from it and draws its
// own text.
#pragma once

#include <windows.h>

#include <string>

#include "engine/worker_task.h"
#include "framework/dialog.h"
#include "widgets/paint_win.h"
#include "widgets/ui_event.h"
#include "widgets/ui_window.h"

enum { setup_progress_dialog_resource = 182 };

class setup_progress_window_c : public dialog_impl<setup_progress_window_c>,
                                public ui_window_c<setup_progress_window_c>,
                                public ui_event_c<setup_progress_window_c> {
 public:
  // The task is not owned; it must outlive the dialog.
  setup_progress_window_c(worker_task_c* task, std::u16string caption);
  ~setup_progress_window_c() override;

  // 1 when the job's result is negative, else 0; -1 when the dialog cannot be made.
  INT_PTR DoModal(HWND owner) { return do_modal(owner, setup_progress_dialog_resource); }

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  void paint(HDC dc, const RECT& client) { draw_wait_text(dc, client); }
  // The paint hook: background, bar and the wait text of "progress_install_wait".
  virtual void draw_wait_text(HDC dc, const RECT& r);

 protected:
  // Background and bar, shared by every wait dialog.
  void draw_background_and_bar(HDC dc, const RECT& r);
  void draw_text_line(HDC dc, const RECT& r, const char16_t* text);

  worker_task_c* task_;
  std::u16string caption_;
  busy_bar bar_;

 private:
  void on_init(HWND window);
  void on_timer();
};

// The restore's wait dialog: the same dialog with the restore's wait text.
class restore_progress_window_c : public setup_progress_window_c {
 public:
  restore_progress_window_c(worker_task_c* task, std::u16string caption)
      : setup_progress_window_c(task, std::move(caption)) {}
  void draw_wait_text(HDC dc, const RECT& r) override;
};
