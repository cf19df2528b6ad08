#include "framework/window.h"

namespace {

const wchar_t object_property[] = L"vantoril.window.object";
// A control subclassed again after us keeps our procedure in its chain when our object goes:
// that procedure then passes every message on to the control's own one, kept here.
const wchar_t previous_property[] = L"vantoril.window.previous";

struct expected_window {
  window_object_c* object;
  int kind;
};
thread_local expected_window expected = {nullptr, 0};

}  // namespace

window_object_c::~window_object_c() {
  if (!hwnd_) return;
  HWND window = hwnd_;
  kind k = kind_;
  detach();
  // A subclassed control belongs to its dialog and lives on with its own procedure.
  if ((k == kind::own_class || k == kind::dialog) && IsWindow(window)) DestroyWindow(window);
}

void window_object_c::expect_window(kind k) { expected = {this, static_cast<int>(k)}; }

window_object_c* window_object_c::take_expected(HWND window, kind wanted) {
  window_object_c* object = expected.object;
  kind k = static_cast<kind>(expected.kind);
  // A window of another sort made first (a control of the dialog) is not ours.
  if (window && k != wanted) return nullptr;
  expected = {nullptr, 0};
  if (object && window) object->attach(window, k);
  return object;
}

void window_object_c::attach(HWND window, kind k) {
  hwnd_ = window;
  kind_ = k;
  ended_ = false;
  if (k == kind::own_class)
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  else if (k == kind::dialog)
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
  else if (k == kind::subclassed)
    SetPropW(window, object_property, this);
}

void window_object_c::detach() {
  if (!hwnd_) return;
  if (kind_ == kind::own_class) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  } else if (kind_ == kind::dialog) {
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
  } else if (kind_ == kind::subclassed) {
    RemovePropW(hwnd_, object_property);
    // Give the control its own procedure back unless someone subclassed it after us.
    if (GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(subclass_proc))
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_proc_));
    else if (!ended_)
      SetPropW(hwnd_, previous_property, reinterpret_cast<HANDLE>(previous_proc_));
  }
  hwnd_ = nullptr;
  kind_ = kind::none;
}

bool window_object_c::subclass_window(HWND window) {
  // A control that still carries the procedure of an object gone would pass our messages
  // back to us in a loop.
  if (!window || hwnd_ || GetPropW(window, object_property) || GetPropW(window, previous_property))
    return false;
  LONG_PTR previous = GetWindowLongPtrW(window, GWLP_WNDPROC);
  if (!previous) return false;
  previous_proc_ = reinterpret_cast<WNDPROC>(previous);
  attach(window, kind::subclassed);
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass_proc));
  return true;
}

HWND window_object_c::unsubclass_window() {
  if (kind_ != kind::subclassed) return nullptr;
  HWND window = hwnd_;
  detach();
  return window;
}

LRESULT window_object_c::default_window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (kind_ == kind::subclassed && previous_proc_)
    return CallWindowProcW(previous_proc_, hwnd_, message, wparam, lparam);
  if (kind_ == kind::dialog) return 0;
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

RECT window_object_c::client_rect() const {
  RECT r = {0, 0, 0, 0};
  GetClientRect(hwnd_, &r);
  return r;
}

LRESULT window_object_c::dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                  bool& handled) {
  MSG msg = {window, message, wparam, lparam, 0, {0, 0}};
  const MSG* outer = current_;
  current_ = &msg;
  ++depth_;
  LRESULT result = 0;
  handled = process_window_message(window, message, wparam, lparam, result);
  if (!handled && kind_ != kind::dialog) {
    result = default_window_proc(message, wparam, lparam);
    handled = true;
  }
  if (message == WM_NCDESTROY) ended_ = true;
  current_ = outer;
  if (--depth_ == 0 && ended_) {
    detach();
    on_final_message(window);  // may delete this
  }
  return result;
}

LRESULT CALLBACK window_object_c::window_proc(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  auto* self = reinterpret_cast<window_object_c*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) self = take_expected(window, kind::own_class);
  if (!self) return DefWindowProcW(window, message, wparam, lparam);
  bool handled = false;
  return self->dispatch(window, message, wparam, lparam, handled);
}

LRESULT CALLBACK window_object_c::subclass_proc(HWND window, UINT message, WPARAM wparam,
                                                LPARAM lparam) {
  auto* self = static_cast<window_object_c*>(GetPropW(window, object_property));
  if (!self) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, previous_property));
    if (!previous) return DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) RemovePropW(window, previous_property);
    return CallWindowProcW(previous, window, message, wparam, lparam);
  }
  bool handled = false;
  return self->dispatch(window, message, wparam, lparam, handled);
}

INT_PTR CALLBACK window_object_c::dialog_proc(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  auto* self = reinterpret_cast<window_object_c*>(GetWindowLongPtrW(window, DWLP_USER));
  if (!self) self = take_expected(window, kind::dialog);
  if (!self) return FALSE;
  bool handled = false;
  LRESULT result = self->dispatch(window, message, wparam, lparam, handled);
  if (!handled) return FALSE;
  switch (message) {
    // These answer through the dialog procedure's own result.
    case WM_INITDIALOG:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
    case WM_COMPAREITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return static_cast<INT_PTR>(result);
    default:
      SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
      return TRUE;
  }
}

ATOM register_window_class(const wchar_t* name, void (*adjust)(WNDCLASSEXW&), WNDPROC proc) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  HINSTANCE module = GetModuleHandleW(nullptr);
  if (ATOM known = static_cast<ATOM>(GetClassInfoExW(module, name, &wc))) return known;
  wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = name;
  if (adjust) adjust(wc);
  wc.lpfnWndProc = proc;
  ATOM atom = RegisterClassExW(&wc);
  // Another thread may have registered it in the meantime.
  if (!atom && GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
    atom = static_cast<ATOM>(GetClassInfoExW(module, name, &wc));
  return atom;
}
