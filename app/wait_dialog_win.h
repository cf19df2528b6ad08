// Windows only: what the modal wait dialogs over a worker's job share: their opening and
// their end once the job's thread has ended.
#pragma once

#include <windows.h>

#include <string>

#include "engine/worker_task.h"
#include "framework/dialog.h"

// 400 by 200, captioned, centred over the owner, polled every `ms` by `timer`.
void open_wait_dialog(dialog_object_c& dialog, const std::u16string& caption, UINT_PTR timer, UINT ms);

// Once the task's thread has ended: its handle closed here (the task keeps it until then, and
// closing it anywhere else would close it twice), the poll stopped, the dialog ended with `code`.
void close_wait_dialog(dialog_object_c& dialog, worker_task_c* task, UINT_PTR timer, INT_PTR code);

// The wait text, centred above the bar in the caller's font: on the 300-pixel line when it fits
// there, else across the dialog's width, else word-wrapped in up to three lines.
void draw_wait_line(HDC dc, const RECT& dialog_client, const wchar_t* text);
