// Vantoril's process entry.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/process_entry.h"
#include "framework/message_loop.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  if (ensure_single_instance() < 0) return -1;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  DefWindowProcW(nullptr, 0, 0, 0);
  init_activex_host();
  init_common_controls(ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES);
  app_module().init(instance);
  if (init_application() < 0) return -1;
  int result = run_main_window(show_command);
  app_module().term();
  shutdown_application();
  return result;
}
