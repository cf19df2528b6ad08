// The GUI driver's clicks on a screen that other programs share: a window of another thread
// takes the foreground while a button is pressed.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/gui_driver.h"

namespace {

std::atomic<int> clicks{0};
WNDPROC button_proc = nullptr;
HANDLE pressed_event = nullptr;
HANDLE stolen_event = nullptr;

LRESULT CALLBACK host_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) ++clicks;
  return DefWindowProcW(window, message, wparam, lparam);
}

// The press goes to the button, then the other thread's window is brought to the foreground
// before the button's thread takes its next message.
LRESULT CALLBACK pressed_then_stolen(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT r = CallWindowProcW(button_proc, window, message, wparam, lparam);
  if (message == WM_LBUTTONDOWN) {
    SetEvent(pressed_event);
    WaitForSingleObject(stolen_event, 2000);
  }
  return r;
}

ATOM register_class(const wchar_t* name, WNDPROC proc) {
  WNDCLASSW c = {};
  c.lpfnWndProc = proc;
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = name;
  return RegisterClassW(&c);
}

TEST(GuiDriverFocus, AButtonsClickHoldsWhenAnotherWindowTakesTheForegroundDuringThePress) {
  register_class(L"FocusTestHost", host_proc);
  register_class(L"FocusTestThief", DefWindowProcW);
  pressed_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  stolen_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::atomic<bool> done{false};
  std::thread thief([&] {
    if (WaitForSingleObject(pressed_event, 10000) != WAIT_OBJECT_0) return;
    HWND w = CreateWindowExW(0, L"FocusTestThief", L"thief", WS_POPUP | WS_VISIBLE, 400, 10, 60, 60, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(w);
    SetEvent(stolen_event);
    while (!done) gui::pump_for(20);
    DestroyWindow(w);
  });

  HWND host = CreateWindowExW(0, L"FocusTestHost", L"host", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND button = CreateWindowExW(0, L"BUTTON", L"Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 24, host,
                                reinterpret_cast<HMENU>(INT_PTR(7)), GetModuleHandleW(nullptr), nullptr);
  button_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pressed_then_stolen)));
  SetForegroundWindow(host);
  gui::pump_for(100);

  gui::click_at(button, 20, 10);
  gui::pump_until([] { return clicks > 0; }, 1000);
  EXPECT_EQ(clicks, 1);

  done = true;
  SetEvent(pressed_event);  // the thief ends even when the press never came
  thief.join();
  DestroyWindow(host);
  CloseHandle(pressed_event);
  CloseHandle(stolen_event);
}

}  // namespace
