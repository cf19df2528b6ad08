#include <windows.h>

#include "engine/version_check.h"

namespace {

void send_to_window(void* window, unsigned message) {
  SendMessageW(static_cast<HWND>(window), message, 0, 0);
}

}  // namespace

bool start_version_check(int flag, void* main_window) {
  return start_version_job(flag, main_window, send_to_window);
}
