// Ousteln: the offer window an uninstaller starts. It reads no command line, setting or file;
// the program ends when the window closes.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "framework/message_loop.h"
#include "ousteln/offer_window.h"
#include "widgets/ui_fonts.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show_command) {
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  init_activex_host();
  init_common_controls(ICC_BAR_CLASSES);
  app_module().init(instance);
  create_offer_brushes();
  create_offer_fonts();
  int result = run_offer_window(show_command);
  app_module().term();
  delete_ui_objects();
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
