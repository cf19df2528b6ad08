// quit-vantoril: chooses Exit in the running Vantoril's menu, as a user would, so that an
// unattended run ends through the program's own quit path. Exit code 0 when the main window
// was found and took the command, 1 otherwise.
#include <windows.h>

int main() {
  HWND main = FindWindowW(L"Vantoril.MainWindow", L"Vantoril");
  if (!main) return 1;
  return PostMessageW(main, WM_COMMAND, 40018, 0) ? 0 : 1;
}
