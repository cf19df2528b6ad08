// startup_blank: the smallest window program startup_bench measures Wine's own start cost by:
// one 800 x 600 popup window, centred, painted white; the menu's Exit command (WM_COMMAND
// 40018) or a close ends it.
#include <windows.h>

namespace {

LRESULT CALLBACK blank_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      EndPaint(window, &ps);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == 40018) DestroyWindow(window);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  WNDCLASSEXW c = {};
  c.cbSize = sizeof c;
  c.lpfnWndProc = blank_proc;
  c.hInstance = instance;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.lpszClassName = L"StartupBlank";
  if (!RegisterClassExW(&c)) return 1;
  int x = (GetSystemMetrics(SM_CXSCREEN) - 800) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - 600) / 2;
  HWND window = CreateWindowExW(0, c.lpszClassName, L"Blank", WS_POPUP | WS_SYSMENU, x, y, 800, 600,
                                nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show_command);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return static_cast<int>(m.wParam);
}
