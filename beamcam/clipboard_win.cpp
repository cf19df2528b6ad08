#include "beamcam/clipboard_win.h"

#include <cstring>

void window_clipboard_c::CopyTextToClipboard(const char* text) {
  if (!text || !OpenClipboard(owner_)) return;  // held by another program: leave it be
  const size_t bytes = std::strlen(text) + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory) {
    if (void* p = GlobalLock(memory)) {
      std::memcpy(p, text, bytes);
      GlobalUnlock(memory);
      // Emptied first: a Unicode text left from an earlier copy would otherwise be pasted
      // in place of the line.
      EmptyClipboard();
      if (SetClipboardData(CF_TEXT, memory)) memory = nullptr;  // the clipboard owns it now
    }
    if (memory) GlobalFree(memory);
  }
  CloseClipboard();
}
