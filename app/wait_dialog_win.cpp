#include "app/wait_dialog_win.h"

#include <cwchar>

#include "base/wide.h"
#include "widgets/paint_win.h"

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

void draw_wait_line(HDC dc, const RECT& r, const wchar_t* text) {
  RECT line = {r.left + 50, 50, r.right - 50, 70};
  const int length = int(wcslen(text));
  SIZE size = {0, 0};
  GetTextExtentPoint32W(dc, text, length, &size);
  if (size.cx <= line.right - line.left) {
    DrawTextW(dc, text, length, &line, DT_SINGLELINE | DT_CENTER);
    return;
  }
  // A longer translation takes the dialog's width, then further lines above the bar, rather
  // than lose its ends.
  line.left = r.left + 10;
  line.right = r.right - 10;
  if (size.cx <= line.right - line.left) {
    DrawTextW(dc, text, length, &line, DT_SINGLELINE | DT_CENTER);
    return;
  }
  line.bottom = 96;
  draw_centred_wrapped_text(dc, text, line, 0);
}
