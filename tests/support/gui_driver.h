// Windows only, tests: drives windows of the test's own thread the way a user would, and reads
// back what they show. Every window, page, dialog and row test is written against it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/gdi.h"
#include "framework/window.h"

namespace gui {

// Dispatches this thread's messages until `done` holds (true) or `ms` have passed (false).
// `done` is checked before the first message and after every batch.
bool pump_until(const std::function<bool()>& done, DWORD ms = 5000);
// Dispatches this thread's messages for `ms`.
void pump_for(DWORD ms);
// Removes a WM_QUIT left in this thread's queue (a window that posted it on destruction).
void drop_quit_message();
// Dispatches this thread's messages until a WM_QUIT arrives (true, its code in `code`) or `ms`
// have passed (false).
bool pump_until_quit(DWORD ms, WPARAM* code = nullptr);
// Dispatches this thread's messages (a window of the test may be sent to) until `process` ends
// or `ms` have passed: its exit code, or STILL_ACTIVE.
DWORD pump_until_process_ends(HANDLE process, DWORD ms);

// A left click (move, down, move, up) at a point of `window`'s client area, taken from this
// thread's queue by its pump (a system button gets it whole from one posted request).
void click_at(HWND window, int x, int y);
void double_click_at(HWND window, int x, int y);
void right_click_at(HWND window, int x, int y);
// Moves the pointer over a point of the client area (WM_MOUSEMOVE only).
void hover_at(HWND window, int x, int y);
// A click through the system's input queue: the pointer is moved to the point and the button
// pressed and released, so the window under the point gets it as a user's click would (a
// disabled control gets nothing). The window's top-level window is lifted above all others
// first. The pointer is shared by every test on the screen: tests that use it go in serial/.
void input_click_at(HWND window, int x, int y);
// Moves the real pointer over a point of the client area (the hover state follows it).
void move_pointer_to(HWND window, int x, int y);
// Posts a key press (down and up) to `window`.
void press_key(HWND window, UINT virtual_key);

// The first window of this thread, top-level or child, of class `class_name` (and title when
// given); null when none.
HWND find_window(const wchar_t* class_name, const wchar_t* title = nullptr);
// The same among the windows of another thread (a dialog run by a worker).
HWND find_thread_window(DWORD thread_id, const wchar_t* class_name, const wchar_t* title = nullptr);
// The first visible top-level window of this thread other than `except`; null when none.
HWND find_popup(HWND except = nullptr);
std::wstring window_text(HWND window);
RECT client_rect(HWND window);
// The window's rectangle in its parent's client coordinates (screen for top-level windows).
RECT rect_in_parent(HWND window);

// Saves a window's client area as a 24-bit BMP (for screenshots to look at).
bool save_bmp(HWND window, const std::wstring& path);
// The same as the screen shows it, child windows included (the window must be on top).
bool save_screen_bmp(HWND window, const std::wstring& path);

// A plain top-level window standing for a program's main window: it records the messages it is
// given from WM_USER up, and WM_COMMAND, for the test to read.
class recording_window : public window_impl<recording_window> {
 public:
  struct entry {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
  };
  std::vector<entry> log;

  explicit recording_window(int width = 800, int height = 600,
                            DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  int count(UINT message) const;
  // The wParam of each recorded `message`, in order.
  std::vector<WPARAM> wparams(UINT message) const;
  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
};

// While it lives, answers every modal dialog of this thread titled `title` that shows (also
// inside another modal loop) with WM_COMMAND `command`; counts the dialogs answered. One at a
// time per thread.
class dialog_answerer {
 public:
  dialog_answerer(const wchar_t* title, int command);
  ~dialog_answerer();
  dialog_answerer(const dialog_answerer&) = delete;
  dialog_answerer& operator=(const dialog_answerer&) = delete;
  int answered() const { return answered_; }

 private:
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
  std::wstring title_;
  int command_;
  int answered_ = 0;
  UINT_PTR timer_ = 0;
  HWND last_ = nullptr;
};

}  // namespace gui

// A window's client area rendered through WM_PRINTCLIENT, read as 0xRRGGBB.
struct rendered {
  explicit rendered(HWND window) { bitmap = print_client(window, &bits, &width, &height); }
  ~rendered() { DeleteObject(bitmap); }
  rendered(const rendered&) = delete;
  rendered& operator=(const rendered&) = delete;
  unsigned at(int x, int y) const {
    return static_cast<const unsigned*>(bits)[y * width + x] & 0xFFFFFF;
  }
  bool any(int x0, int y0, int x1, int y1, unsigned colour) const {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (at(x, y) == colour) return true;
    return false;
  }
  bool all(unsigned colour) const { return !any_other(colour); }
  bool any_other(unsigned colour) const {
    for (int i = 0; i < width * height; ++i)
      if ((static_cast<const unsigned*>(bits)[i] & 0xFFFFFF) != colour) return true;
    return false;
  }
  HBITMAP bitmap;
  void* bits = nullptr;
  int width = 0, height = 0;
};
