#include "app/wait_dialog_win.h"

#include "base/wide.h"

void open_wait_dialog(dialog_object_c& dialog, const std::u16string& caption, UINT_PTR timer, UINT ms) {
  HWND window = dialog.handle();
  MoveWindow(window, 0, 0, 400, 200, FALSE);
  SetWindowTextW(window, as_wide(caption));
  dialog.centre_window();
  SetTimer(window, timer, ms, nullptr);
}

void close_wait_dialog(dialog_object_c& dialog, worker_task_c* task, UINT_PTR timer, INT_PTR code) {
  if (task) task->close_thread_handle();
  KillTimer(dialog.handle(), timer);
  dialog.end_dialog(code);
}
