// Forms: the top-level window, its main menu and timers, and the dump of its controls.
#include <algorithm>
#include <cstdio>

#include "beamcam/forms/forms.h"
#include "framework/gdi.h"

namespace forms {

namespace {

std::string utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

// Tabs and line ends inside a text would break the dump's lines.
std::string one_field(const std::wstring& w) {
  std::string s = utf8(w);
  for (char& c : s)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return s;
}

}  // namespace

// Timers.

timer_c::timer_c(form_c& form, UINT interval_ms) : form_(form), id_(form.next_timer_id()), interval_(interval_ms) {
  form_.register_timer(this);
}

timer_c::~timer_c() {
  if (enabled_ && form_.handle()) KillTimer(form_.handle(), id_);
  form_.unregister_timer(this);
}

void timer_c::apply() {
  if (!form_.handle()) return;
  if (enabled_ && interval_ > 0)
    SetTimer(form_.handle(), id_, interval_, nullptr);
  else
    KillTimer(form_.handle(), id_);
}

void timer_c::set_enabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  apply();
}

void timer_c::set_interval(UINT ms) {
  if (ms == interval_) return;
  interval_ = ms;
  if (enabled_) apply();  // the period starts again, as a new timer's would
}

// Menu items.

menu_item_c& menu_item_c::add(std::string name, std::wstring caption) {
  items_.push_back(std::make_unique<menu_item_c>(std::move(name), std::move(caption)));
  return *items_.back();
}

HMENU menu_item_c::build(UINT& next_id, HWND owner) {
  owner_ = owner;
  if (items_.empty()) return nullptr;
  popup_ = CreatePopupMenu();
  for (auto& item : items_) {
    item->id_ = next_id++;
    item->menu_ = popup_;
    item->owner_ = owner;
    UINT flags = MF_STRING | (item->checked_ ? MF_CHECKED : 0) | (item->enabled_ ? 0 : MF_GRAYED);
    if (HMENU sub = item->build(next_id, owner))
      AppendMenuW(popup_, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item->caption_.c_str());
    else
      AppendMenuW(popup_, flags, item->id_, item->caption_.c_str());
  }
  return popup_;
}

void menu_item_c::set_checked(bool on) {
  checked_ = on;
  if (menu_) CheckMenuItem(menu_, id_, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void menu_item_c::set_enabled(bool on) {
  enabled_ = on;
  if (!menu_) return;
  EnableMenuItem(menu_, id_, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  if (owner_ && GetMenu(owner_) == menu_) DrawMenuBar(owner_);
}

// Forms.

form_c::form_c(std::string name, std::wstring caption) : name_(std::move(name)), caption_(std::move(caption)) {}

form_c::~form_c() {
  if (hwnd_ && IsWindow(hwnd_)) {
    // The menu goes with the window; the brush is ours.
    destroy_window();
  }
  if (brush_) DeleteObject(brush_);
}

void form_c::adjust_window_class(WNDCLASSEXW& wc) {
  wc.hbrBackground = nullptr;
  // The program's icon, number 1, when it has one.
  wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
}

menu_item_c& form_c::add_menu(std::string name, std::wstring caption) {
  menu_.push_back(std::make_unique<menu_item_c>(std::move(name), std::move(caption)));
  return *menu_.back();
}

menu_item_c* form_c::find_menu(const std::string& name) {
  std::vector<menu_item_c*> todo;
  for (auto& m : menu_) todo.push_back(m.get());
  while (!todo.empty()) {
    menu_item_c* m = todo.back();
    todo.pop_back();
    if (m->name() == name) return m;
    for (auto& i : m->items()) todo.push_back(i.get());
  }
  return nullptr;
}

bool form_c::create(int client_width, int client_height, border b, int max_width, int max_height, COLORREF colour) {
  colour_ = colour;
  brush_ = CreateSolidBrush(colour_);
  DWORD style = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
  DWORD ex_style = 0;
  if (b == border::sizeable)
    style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  else
    ex_style |= WS_EX_DLGMODALFRAME;
  HMENU bar = nullptr;
  UINT next_id = 100;
  if (!menu_.empty()) {
    bar = CreateMenu();
    for (auto& item : menu_) {
      item->menu_ = bar;
      item->id_ = next_id++;
      UINT flags = MF_STRING | (item->checked_ ? MF_CHECKED : 0) | (item->enabled_ ? 0 : MF_GRAYED);
      if (HMENU popup = item->build(next_id, nullptr))
        AppendMenuW(bar, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), item->caption_.c_str());
      else
        AppendMenuW(bar, flags, item->id_, item->caption_.c_str());
    }
  }
  RECT outer = {0, 0, client_width, client_height};
  AdjustWindowRectEx(&outer, style, bar != nullptr, ex_style);
  // The largest size never cuts into the client area the form is made for.
  max_width_ = max_width ? std::max<int>(max_width, outer.right - outer.left) : 0;
  max_height_ = max_height ? std::max<int>(max_height, outer.bottom - outer.top) : 0;
  if (!window_impl<form_c>::create(nullptr, RECT{0, 0, outer.right - outer.left, outer.bottom - outer.top},
                                   caption_.c_str(), style, ex_style))
    return false;
  if (bar) SetMenu(hwnd_, bar);
  for (auto& item : menu_) item->owner_ = hwnd_;
  std::vector<menu_item_c*> todo;
  for (auto& m : menu_) todo.push_back(m.get());
  while (!todo.empty()) {
    menu_item_c* m = todo.back();
    todo.pop_back();
    m->owner_ = hwnd_;
    for (auto& i : m->items()) todo.push_back(i.get());
  }
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A menu bar that wraps takes more height than one line: give it back to the client area.
  RECT client = client_rect();
  if (client.bottom != client_height || client.right != client_width) {
    RECT now{};
    GetWindowRect(hwnd_, &now);
    int w = now.right - now.left + client_width - client.right;
    int h = now.bottom - now.top + client_height - client.bottom;
    if (max_width_) max_width_ = std::max(max_width_, w);
    if (max_height_) max_height_ = std::max(max_height_, h);
    SetWindowPos(hwnd_, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  centre_window(hwnd_);
  for (timer_c* t : timers_)
    if (t->enabled()) {
      t->set_enabled(false);
      t->set_enabled(true);
    }
  return true;
}

void form_c::show() {
  if (!hwnd_) return;
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void form_c::hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void form_c::focus_control(HWND control) {
  SetFocus(control);
  // An edit reached by the keyboard shows its whole text selected, as in a dialog.
  if (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(control, EM_SETSEL, 0, -1);
}

void form_c::unregister_control(control_c* c) { controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end()); }

void form_c::unregister_timer(timer_c* t) { timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end()); }

menu_item_c* form_c::item_of_id(UINT id) {
  std::vector<menu_item_c*> todo;
  for (auto& m : menu_) todo.push_back(m.get());
  while (!todo.empty()) {
    menu_item_c* m = todo.back();
    todo.pop_back();
    if (m->id_ == id && m->items().empty()) return m;
    for (auto& i : m->items()) todo.push_back(i.get());
  }
  return nullptr;
}

menu_item_c* form_c::item_of_popup(HMENU popup) {
  std::vector<menu_item_c*> todo;
  for (auto& m : menu_) todo.push_back(m.get());
  while (!todo.empty()) {
    menu_item_c* m = todo.back();
    todo.pop_back();
    if (m->popup_ == popup) return m;
    for (auto& i : m->items()) todo.push_back(i.get());
  }
  return nullptr;
}

namespace {

form_c::message_hook g_message_hook = nullptr;

}  // namespace

void form_c::set_message_hook(message_hook hook) { g_message_hook = hook; }

bool form_c::choose_menu_item(const std::wstring& wanted) {
  std::vector<menu_item_c*> todo;
  for (auto& m : menu_) todo.push_back(m.get());
  while (!todo.empty()) {
    menu_item_c* m = todo.back();
    todo.pop_back();
    if (m->items().empty() && (m->caption() == wanted || std::wstring(m->name().begin(), m->name().end()) == wanted)) {
      if (m->enabled() && m->OnClick) m->OnClick();
      return m->enabled();
    }
    for (auto& i : m->items()) todo.push_back(i.get());
  }
  return false;
}

std::string form_c::dump_text() const {
  std::string out;
  RECT client = client_rect();
  out += "form\t" + name_ + "\t" + one_field(caption_) + "\t" + std::to_string(client.right) + "x" +
         std::to_string(client.bottom) + "\t" + (visible() ? "1" : "0") + "\n";
  for (const control_c* c : controls_) {
    rect b = c->bounds();
    char place[80];
    std::snprintf(place, sizeof place, "%d,%d,%d,%d", b.left, b.top, b.width, b.height);
    out += "control\t" + c->name() + "\t" + place + "\t" + (c->visible() ? "1" : "0") + "\t" +
           (c->enabled() ? "1" : "0") + "\t" + std::to_string(c->check()) + "\t" + one_field(c->text()) + "\n";
  }
  // The menu in its order, drop-downs after their bar item.
  std::vector<std::pair<const menu_item_c*, int>> todo;
  for (auto it = menu_.rbegin(); it != menu_.rend(); ++it) todo.push_back({it->get(), 0});
  while (!todo.empty()) {
    auto [m, depth] = todo.back();
    todo.pop_back();
    out += "menu\t" + m->name() + "\t" + one_field(m->caption()) + "\t" + std::to_string(depth) + "\t" +
           (m->enabled() ? "1" : "0") + "\t" + (m->checked() ? "1" : "0") + "\n";
    for (auto it = m->items().rbegin(); it != m->items().rend(); ++it) todo.push_back({it->get(), depth + 1});
  }
  return out;
}

bool form_c::dump(const std::wstring& path) const {
  const std::string text = dump_text();
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(f, text.data(), DWORD(text.size()), &written, nullptr);
  return CloseHandle(f) && ok && written == text.size();
}

bool form_c::process_window_message(HWND, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  return guarded(result, [&] { return handle_message(message, wparam, lparam, result); });
}

bool form_c::handle_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (OnMessage) OnMessage(message, wparam, lparam);
  if (route_to_controls(message, wparam, lparam, result)) return true;
  if (g_message_hook && g_message_hook(*this, message, wparam, lparam, result)) return true;
  switch (message) {
    case WM_COMMAND:
      if (lparam == 0 && HIWORD(wparam) == 0) {
        if (menu_item_c* item = item_of_id(LOWORD(wparam))) {
          if (item->enabled() && item->OnClick) item->OnClick();
          return true;
        }
      }
      break;
    case WM_INITMENUPOPUP:
      if (menu_item_c* item = item_of_popup(reinterpret_cast<HMENU>(wparam)))
        if (item->OnClick) item->OnClick();
      break;
    case WM_TIMER:
      for (timer_c* t : timers_)
        if (t->id() == wparam) {
          if (t->enabled() && t->OnTimer) t->OnTimer();
          return true;
        }
      break;
    case WM_NEXTDLGCTL: {
      // Tab and Shift+Tab (from the dialog keys), or a control named in wParam.
      HWND next = lparam ? reinterpret_cast<HWND>(wparam) : GetNextDlgTabItem(hwnd_, GetFocus(), wparam != 0);
      if (next) focus_control(next);
      return true;
    }
    case WM_ACTIVATE:
      // The focus goes back where it was when the form was left, or to its first tab stop.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) last_focus_ = focus;
      } else if (!HIWORD(wparam)) {
        HWND to = last_focus_ && IsChild(hwnd_, last_focus_) && IsWindowVisible(last_focus_) &&
                          IsWindowEnabled(last_focus_)
                      ? last_focus_
                      : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
        if (to) {
          SetFocus(to);
          return true;
        }
      }
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      if (max_width_) info->ptMaxTrackSize.x = info->ptMaxSize.x = max_width_;
      if (max_height_) info->ptMaxTrackSize.y = info->ptMaxSize.y = max_height_;
      return true;
    }
    case WM_SIZE:
      for (control_c* c : controls_)
        if (auto* bar = dynamic_cast<status_bar_c*>(c))
          if (GetParent(bar->handle()) == hwnd_) bar->parent_resized();
      if (OnResize) OnResize();
      break;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      {
        memory_dc_c buffer(dc, ps.rcPaint);
        RECT client = client_rect();
        FillRect(buffer, &client, brush_);
        paint_images(buffer, client);
      }
      EndPaint(hwnd_, &ps);
      return true;
    }
    case WM_PRINTCLIENT: {
      RECT client = client_rect();
      HDC dc = reinterpret_cast<HDC>(wparam);
      FillRect(dc, &client, brush_);
      paint_images(dc, client);
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (route_mouse(message, lparam)) return true;
      break;
    case WM_CLOSE:
      if (OnClose) OnClose();
      if (hide_on_close)
        hide();
      else
        destroy_window();
      return true;
    case WM_DESTROY:
      if (main_form) PostQuitMessage(0);
      break;
  }
  return false;
}

}  // namespace forms
