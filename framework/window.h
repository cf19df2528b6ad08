// Windows only: the object behind a window, its message dispatch and its lifetime.
//
// A window object is found from its handle without any process-wide table: the object being
// created is handed to the first message of the new window through a thread-local slot, then
// kept in the window itself (GWLP_USERDATA, DWLP_USER, or a window property for subclassed
// controls). Windows and dialogs may therefore be made on any thread.
//
// The object outlives every message it is handling: the end of the window (WM_NCDESTROY) is
// acted on only when the outermost message of that window returns, so a click handler may
// destroy its own window, and on_final_message may delete the object.
#pragma once

#include <windows.h>

class window_object_c {
 public:
  window_object_c() = default;
  window_object_c(const window_object_c&) = delete;
  window_object_c& operator=(const window_object_c&) = delete;
  // A window that is still alive is destroyed (a subclassed control is given back instead);
  // the derived class is already gone, so its handlers no longer see those last messages.
  virtual ~window_object_c();

  HWND handle() const { return hwnd_; }
  operator HWND() const { return hwnd_; }

  // The message map: true when the message was handled, with its result in `result`.
  virtual bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                      LRESULT& result) = 0;
  // Called once the window is gone and no message of it is being handled any more.
  virtual void on_final_message(HWND) {}

  // Binds this object to an existing window (usually a dialog's control) by replacing its
  // window procedure; messages the map leaves go to the control's own procedure.
  bool subclass_window(HWND window);
  HWND unsubclass_window();
  // The dialog item `id` of `dialog`, subclassed.
  bool subclass_dlg_item(HWND dialog, int id) { return subclass_window(GetDlgItem(dialog, id)); }

  // What the window would do with a message this object did not handle.
  LRESULT default_window_proc(UINT message, WPARAM wparam, LPARAM lparam);
  // The message being handled now (null outside a message).
  const MSG* current_message() const { return current_; }

  // Small wrappers used everywhere.
  BOOL destroy_window() { return DestroyWindow(hwnd_); }
  RECT client_rect() const;
  void invalidate(BOOL erase = FALSE) { InvalidateRect(hwnd_, nullptr, erase); }

 protected:
  enum class kind { none, own_class, dialog, subclassed };

  static LRESULT CALLBACK window_proc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK subclass_proc(HWND, UINT, WPARAM, LPARAM);
  static INT_PTR CALLBACK dialog_proc(HWND, UINT, WPARAM, LPARAM);

  // Marks this object as the one the next new window on this thread belongs to.
  void expect_window(kind k);
  static window_object_c* take_expected(HWND window, kind wanted);
  void attach(HWND window, kind k);
  void detach();
  LRESULT dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam, bool& handled);

  HWND hwnd_ = nullptr;
  kind kind_ = kind::none;
  WNDPROC previous_proc_ = nullptr;
  int depth_ = 0;
  bool ended_ = false;
  const MSG* current_ = nullptr;
};

// Registers (once per process) the window class of `name`, with CS_DBLCLKS and the
// framework's window procedure; `adjust` may change styles, brush, cursor and icons.
ATOM register_window_class(const wchar_t* name, void (*adjust)(WNDCLASSEXW&), WNDPROC proc);

// A window of its own class, driven by T's message map.
//   T may define   static const wchar_t* window_class_name();
//                  static void adjust_window_class(WNDCLASSEXW&);
template <class T>
class window_impl : public window_object_c {
 public:
  static const wchar_t* window_class_name() {
    // Made once, also when two threads make their first window of T at the same time.
    struct unique_name {
      wchar_t text[40];
      // Written by hand: strsafe.h, pulled in by some users, retires the printf family.
      unique_name() {
        const wchar_t prefix[] = L"vantoril.window.";
        int n = 0;
        for (; prefix[n]; ++n) text[n] = prefix[n];
        auto value = reinterpret_cast<unsigned long long>(static_cast<void*>(this));
        for (int shift = 60; shift >= 0; shift -= 4) text[n++] = L"0123456789ABCDEF"[(value >> shift) & 15];
        text[n] = 0;
      }
    };
    static const unique_name name;
    return name.text;
  }
  static void adjust_window_class(WNDCLASSEXW&) {}

  HWND create(HWND parent, const RECT& rect, const wchar_t* title, DWORD style,
              DWORD ex_style = 0, UINT_PTR id_or_menu = 0) {
    if (!register_window_class(T::window_class_name(), &T::adjust_window_class, window_proc))
      return nullptr;
    expect_window(kind::own_class);
    HWND made = CreateWindowExW(ex_style, T::window_class_name(), title, style, rect.left,
                                rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(id_or_menu), GetModuleHandleW(nullptr),
                                this);
    take_expected(nullptr, kind::own_class);  // nothing left behind when creation failed early
    return made;
  }
};
