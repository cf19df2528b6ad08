#include "tests/support/gui_driver.h"

#include <cstdio>
#include <initializer_list>
#include <iterator>
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

bool pump_until_quit(DWORD ms, WPARAM* code) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        if (code) *code = m.wParam;
        return true;
      }
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

DWORD pump_until_process_ends(HANDLE process, DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD spent = GetTickCount() - start;
    DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, spent >= ms ? 0 : ms - spent, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) break;
    if (r != WAIT_OBJECT_0 + 1) return STILL_ACTIVE;
    dispatch_waiting();
  }
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process, &code);
  return code;
}

void hover_at(HWND window, int x, int y) { PostMessageW(window, WM_MOUSEMOVE, 0, point(x, y)); }

namespace {

struct mouse_step {
  UINT message;
  WPARAM keys;
};
const mouse_step click_steps[] = {{WM_MOUSEMOVE, 0}, {WM_LBUTTONDOWN, MK_LBUTTON}, {WM_MOUSEMOVE, MK_LBUTTON},
                                  {WM_LBUTTONUP, 0}};
const mouse_step double_click_steps[] = {{WM_LBUTTONDBLCLK, MK_LBUTTON}, {WM_MOUSEMOVE, MK_LBUTTON},
                                         {WM_LBUTTONUP, 0}};

// One posted request of the relay: the steps to send to `target` at one point.
struct relayed_click {
  HWND target;
  LPARAM at;
  bool twice;
};

const UINT relay_click_message = WM_APP + 0x3A1;

void send_steps(HWND target, LPARAM at, const mouse_step* steps, size_t count) {
  for (size_t i = 0; i < count && IsWindow(target); ++i) SendMessageW(target, steps[i].message, steps[i].keys, at);
}

LRESULT CALLBACK relay_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != relay_click_message) return DefWindowProcW(window, message, wparam, lparam);
  auto* click = reinterpret_cast<relayed_click*>(lparam);
  send_steps(click->target, click->at, click_steps, std::size(click_steps));
  if (click->twice) send_steps(click->target, click->at, double_click_steps, std::size(double_click_steps));
  delete click;
  return 0;
}

// This thread's message-only window that turns a posted request into a whole click.
HWND click_relay() {
  static const wchar_t* const name = L"GuiDriverClickRelay";
  static bool registered = [] {
    WNDCLASSW c = {};
    c.lpfnWndProc = relay_proc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.lpszClassName = name;
    return RegisterClassW(&c) != 0;
  }();
  thread_local HWND relay = nullptr;
  if (registered && !IsWindow(relay))
    relay = CreateWindowExW(0, name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
  return relay;
}

// A system button of this thread: the relay's sends reach another thread's window only when
// that thread takes messages, and a modal loop there would hold the sender.
bool is_own_system_button(HWND window) {
  if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return false;
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return lstrcmpiW(name, L"Button") == 0;
}

// The messages of a click posted one by one, each taken from the queue in turn.
void post_steps(HWND window, LPARAM at, const mouse_step* steps, size_t count) {
  for (size_t i = 0; i < count; ++i) PostMessageW(window, steps[i].message, steps[i].keys, at);
}

// A system button ends its press when it loses the focus, and under Wine another program's
// window taking the foreground between the press and the release takes the focus from it:
// the release then clicks nothing, which on a shared screen happens now and then. A button
// therefore gets its click in one go, still from this thread's queue: the relay takes one
// posted request and sends the press and the release with no message taken between them.
// Other windows get the messages posted, so that a press that opens a modal loop (a move of
// the window, a menu) finds its release in the queue.
void post_click(HWND window, int x, int y, bool twice) {
  if (is_own_system_button(window)) {
    if (HWND relay = click_relay()) {
      auto* click = new relayed_click{window, point(x, y), twice};
      if (PostMessageW(relay, relay_click_message, 0, reinterpret_cast<LPARAM>(click))) return;
      delete click;
    }
  }
  post_steps(window, point(x, y), click_steps, std::size(click_steps));
  if (twice) post_steps(window, point(x, y), double_click_steps, std::size(double_click_steps));
}

}  // namespace

// A pressed button holds the capture, and a move of the screen's shared pointer (another
// test's) then releases its press: the move back over it in the steps presses it again, as a
// hand would.
void click_at(HWND window, int x, int y) { post_click(window, x, y, false); }

void double_click_at(HWND window, int x, int y) { post_click(window, x, y, true); }

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
  return find_thread_window(GetCurrentThreadId(), class_name, title);
}

HWND find_thread_window(DWORD thread_id, const wchar_t* class_name, const wchar_t* title) {
  search s{class_name, title, nullptr, nullptr};
  EnumThreadWindows(thread_id, top_proc, reinterpret_cast<LPARAM>(&s));
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

namespace {

// Writes 0xRRGGBB pixels (top-down rows) as a 24-bit BMP.
bool write_bmp(const unsigned* top_down, int width, int height, const std::wstring& path) {
  int row = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up rows
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = DWORD(row * height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::vector<unsigned char> pixels(info.biSizeImage);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned c = top_down[(height - 1 - y) * width + x];
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

}  // namespace

bool save_bmp(HWND window, const std::wstring& path) {
  rendered picture(window);
  if (!picture.bits) return false;
  std::vector<unsigned> pixels(size_t(picture.width) * picture.height);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) pixels[size_t(y) * picture.width + x] = picture.at(x, y);
  return write_bmp(pixels.data(), picture.width, picture.height, path);
}

}  // namespace gui

namespace gui {

namespace {

POINT screen_point(HWND window, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(window, &p);
  return p;
}

// Lifts the window's top-level window above every other, so that the point is its own.
void raise(HWND window) {
  HWND root = GetAncestor(window, GA_ROOT);
  SetWindowPos(root ? root : window, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Mouse input in one batch: a move to the point, then the given button events.
void send_mouse_at(POINT p, std::initializer_list<DWORD> buttons) {
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  std::vector<INPUT> inputs;
  INPUT move = {};
  move.type = INPUT_MOUSE;
  move.mi.dx = MulDiv(p.x, 65536, width) + 1;  // the absolute scale rounds down
  move.mi.dy = MulDiv(p.y, 65536, height) + 1;
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs.push_back(move);
  for (DWORD b : buttons) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = b;
    inputs.push_back(in);
  }
  SetCursorPos(p.x, p.y);
  SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

void move_pointer_to(HWND window, int x, int y) {
  raise(window);
  send_mouse_at(screen_point(window, x, y), {});
}

void input_click_at(HWND window, int x, int y) {
  raise(window);
  send_mouse_at(screen_point(window, x, y), {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
}

bool save_screen_bmp(HWND window, const std::wstring& path) {
  UpdateWindow(window);
  RECT r = client_rect(window);
  POINT origin = screen_point(window, 0, 0);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = r.right;
  info.bmiHeader.biHeight = r.bottom;  // bottom-up rows, as the file keeps them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap && dc) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    ok = BitBlt(dc, 0, 0, r.right, r.bottom, screen, origin.x, origin.y, SRCCOPY) != FALSE;
    SelectObject(dc, old);
  }
  if (ok) {
    GdiFlush();
    DWORD size = DWORD(((r.right * 3 + 3) & ~3) * r.bottom);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    FILE* out = _wfopen(path.c_str(), L"wb");
    ok = out && fwrite(&file, sizeof file, 1, out) == 1 &&
         fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
         fwrite(bits, 1, size, out) == size;
    if (out) ok = fclose(out) == 0 && ok;
  }
  if (bitmap) DeleteObject(bitmap);
  if (dc) DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return ok;
}

recording_window::recording_window(int width, int height, DWORD style) {
  RECT area = {0, 0, width, height};
  create(nullptr, area, L"Test host", style);
}

int recording_window::count(UINT message) const {
  int n = 0;
  for (const entry& e : log) n += e.message == message;
  return n;
}

std::vector<WPARAM> recording_window::wparams(UINT message) const {
  std::vector<WPARAM> found;
  for (const entry& e : log)
    if (e.message == message) found.push_back(e.wparam);
  return found;
}

bool recording_window::process_window_message(HWND, UINT message, WPARAM wparam, LPARAM lparam,
                                              LRESULT& result) {
  if (message != WM_COMMAND && (message < WM_USER || message > 0xBFFF)) return false;
  log.push_back({message, wparam, lparam});
  result = 0;
  return true;
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
