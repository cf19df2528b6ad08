// The system clipboard for the beam measurement's result line (Windows build only).
#pragma once

#include <windows.h>

#include "beamcam/result_table.h"

class window_clipboard_c : public clipboard_i {
 public:
  explicit window_clipboard_c(HWND owner) : owner_(owner) {}
  // Replaces the clipboard's content by the text as CF_TEXT; nothing when it is busy.
  void CopyTextToClipboard(const char* text) override;

 private:
  HWND owner_;
};
