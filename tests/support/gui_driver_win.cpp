#include "tests/support/gui_driver.h"

#include <cstdio>
#include <vector>

namespace gui {

namespace {

void dispatch_waiting() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) continue;  // a stray quit must not end the test's pump
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

LPARAM point(int x, int y) { return MAKELPARAM(x, y); }

struct search {
  const wchar_t* class_name;
  const wchar_t* title;
  HWND except;
  HWND found;
};

bool matches(HWND w, const search& s) {
  wchar_t name[256] = {};
  GetClassNameW(w, name, 256);
  if (lstrcmpiW(name, s.class_name) != 0) return false;
  if (!s.title) return true;
  wchar_t text[512] = {};
  GetWindowTextW(w, text, 512);
  return lstrcmpW(text, s.title) == 0;
}

BOOL CALLBACK child_proc(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<search*>(p);
  if (matches(w, *s)) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK top_proc(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<search*>(p);
  if (matches(w, *s)) {
    s->found = w;
    return FALSE;
  }
  EnumChildWindows(w, child_proc, p);
  return s->found ? FALSE : TRUE;
}

BOOL CALLBACK popup_proc(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<search*>(p);
  if (w != s->except && IsWindowVisible(w)) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool pump_until(const std::function<bool()>& done, DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start > ms) return false;
    dispatch_waiting();
    if (done()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

void pump_for(DWORD ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    dispatch_waiting();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  dispatch_waiting();
}

void drop_quit_message() {
  MSG m;
  while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

void hover_at(HWND window, int x, int y) { PostMessageW(window, WM_MOUSEMOVE, 0, point(x, y)); }

void click_at(HWND window, int x, int y) {
  hover_at(window, x, y);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point(x, y));
  PostMessageW(window, WM_LBUTTONUP, 0, point(x, y));
}

void double_click_at(HWND window, int x, int y) {
  click_at(window, x, y);
  PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, point(x, y));
  PostMessageW(window, WM_LBUTTONUP, 0, point(x, y));
}

void right_click_at(HWND window, int x, int y) {
  hover_at(window, x, y);
  PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, point(x, y));
  PostMessageW(window, WM_RBUTTONUP, 0, point(x, y));
}

void press_key(HWND window, UINT virtual_key) {
  PostMessageW(window, WM_KEYDOWN, virtual_key, 1);
  PostMessageW(window, WM_KEYUP, virtual_key, 0xC0000001);
}

HWND find_window(const wchar_t* class_name, const wchar_t* title) {
  search s{class_name, title, nullptr, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), top_proc, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND find_popup(HWND except) {
  search s{nullptr, nullptr, except, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), popup_proc, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::wstring window_text(HWND window) {
  int n = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(window, &text[0], n + 1);
  text.resize(static_cast<size_t>(n));
  return text;
}

RECT client_rect(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return r;
}

RECT rect_in_parent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  HWND parent = (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
  if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool save_bmp(HWND window, const std::wstring& path) {
  rendered picture(window);
  if (!picture.bits) return false;
  int row = (picture.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = picture.width;
  info.biHeight = picture.height;  // bottom-up rows
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = DWORD(row * picture.height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::vector<unsigned char> pixels(info.biSizeImage);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      unsigned c = picture.at(x, picture.height - 1 - y);
      unsigned char* p = &pixels[size_t(y * row + x * 3)];
      p[0] = c & 0xFF;
      p[1] = (c >> 8) & 0xFF;
      p[2] = (c >> 16) & 0xFF;
    }
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  bool ok = fwrite(&file, sizeof file, 1, out) == 1 && fwrite(&info, sizeof info, 1, out) == 1 &&
            fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
  return fclose(out) == 0 && ok;
}

namespace {
thread_local dialog_answerer* current_answerer = nullptr;

struct dialog_search {
  const std::wstring* title;
  HWND skip;
  HWND found;
};

BOOL CALLBACK dialog_proc(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<dialog_search*>(p);
  wchar_t name[32] = {};
  GetClassNameW(w, name, 32);
  if (w == s->skip || !IsWindowVisible(w) || lstrcmpW(name, L"#32770") != 0) return TRUE;
  if (window_text(w) != *s->title) return TRUE;
  s->found = w;
  return FALSE;
}
}  // namespace

dialog_answerer::dialog_answerer(const wchar_t* title, int command) : title_(title), command_(command) {
  current_answerer = this;
  timer_ = SetTimer(nullptr, 0, 20, tick);
}

dialog_answerer::~dialog_answerer() {
  if (timer_) KillTimer(nullptr, timer_);
  current_answerer = nullptr;
}

void CALLBACK dialog_answerer::tick(HWND, UINT, UINT_PTR, DWORD) {
  dialog_answerer* self = current_answerer;
  if (!self) return;
  // A dialog already answered may take a moment to go; it is not answered twice.
  if (self->last_ && !IsWindow(self->last_)) self->last_ = nullptr;
  dialog_search s{&self->title_, self->last_, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), dialog_proc, reinterpret_cast<LPARAM>(&s));
  if (!s.found) return;
  self->last_ = s.found;
  ++self->answered_;
  PostMessageW(s.found, WM_COMMAND, static_cast<WPARAM>(self->command_), 0);
}

}  // namespace gui
