// The controls over the system's window classes.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "beamcam/forms/forms.h"

namespace forms {

namespace {

const wchar_t control_property[] = L"beamcam.forms.control";

}  // namespace

namespace {

std::function<void(const std::string&)>& exception_box() {
  static std::function<void(const std::string&)> box;
  return box;
}

}  // namespace

void set_exception_box(std::function<void(const std::string&)> box) { exception_box() = std::move(box); }

void report_exception() noexcept {
  std::string text;
  try {
    throw;
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
  }
  try {
    if (exception_box())
      exception_box()(text);
    else
      MessageBoxA(nullptr, text.c_str(), "Trellum", MB_OK | MB_ICONERROR);
  } catch (...) {
  }
}

bool dialog_key(MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !message.hwnd) return false;
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  wchar_t name[32] = L"";
  if (!root || !GetClassNameW(root, name, 32) || lstrcmpW(name, form_c::window_class_name()) != 0) return false;
  // Enter presses the focused button; the system's dialog code would press only a default one.
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
    HWND focus = GetFocus();
    if (focus && IsChild(root, focus) && dynamic_cast<push_button_c*>(windowed_c::of(focus))) {
      SendMessageW(focus, BM_CLICK, 0, 0);
      return true;
    }
  }
  return IsDialogMessageW(root, &message) != FALSE;
}

char decimal_separator() {
  // Read each time: the user may change it while the program runs.
  wchar_t s[8] = L"";
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, s, 8) == 2 && s[0] > L' ' && s[0] < 128 &&
      !(s[0] >= L'0' && s[0] <= L'9'))
    return char(s[0]);
  return '.';
}

COLORREF resolve_colour(COLORREF c) { return (c & 0x80000000) ? GetSysColor(int(c & 0xFF)) : c; }

HFONT ui_font() {
  static HFONT f = font(L"Tahoma", 13, false);
  return f;
}

HFONT font(const wchar_t* face, int pixel_height, bool bold) {
  // One font per face, size and weight for the life of the program.
  static std::mutex mutex;
  static std::map<std::wstring, HFONT> fonts;
  std::wstring key = std::wstring(face) + L"/" + std::to_wstring(pixel_height) + (bold ? L"b" : L"");
  std::lock_guard<std::mutex> lock(mutex);
  HFONT& f = fonts[key];
  if (!f)
    f = CreateFontW(-pixel_height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
  return f;
}

control_c::control_c(form_c& form, std::string name) : form_(form), name_(std::move(name)) {
  form_.register_control(this);
}

control_c::~control_c() { form_.unregister_control(this); }

windowed_c::~windowed_c() {
  if (hwnd_ && IsWindow(hwnd_)) {
    RemovePropW(hwnd_, control_property);
    DestroyWindow(hwnd_);
  }
}

HWND windowed_c::make(const wchar_t* window_class, HWND parent, const rect& r, DWORD style, DWORD ex_style,
                      const wchar_t* text) {
  hwnd_ = CreateWindowExW(ex_style, window_class, text, style | WS_CHILD, r.left, r.top, r.width, r.height,
                          parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (hwnd_) {
    SetPropW(hwnd_, control_property, this);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(ui_font()), FALSE);
  }
  return hwnd_;
}

void windowed_c::adopt(HWND window) {
  hwnd_ = window;
  if (hwnd_) SetPropW(hwnd_, control_property, this);
}

windowed_c* windowed_c::of(HWND window) {
  return window ? static_cast<windowed_c*>(GetPropW(window, control_property)) : nullptr;
}

rect windowed_c::bounds() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return {int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
}

void windowed_c::set_bounds(const rect& r) {
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool windowed_c::visible() const { return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }

void windowed_c::set_visible(bool on) { ShowWindow(hwnd_, on ? SW_SHOWNA : SW_HIDE); }

bool windowed_c::enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

void windowed_c::set_enabled(bool on) { EnableWindow(hwnd_, on); }

std::wstring windowed_c::text() const {
  int n = GetWindowTextLengthW(hwnd_);
  std::wstring t(size_t(n) + 1, L'\0');
  t.resize(size_t(GetWindowTextW(hwnd_, &t[0], n + 1)));
  return t;
}

bool route_to_controls(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (lparam) {
        if (windowed_c* c = windowed_c::of(reinterpret_cast<HWND>(lparam))) {
          c->on_command(HIWORD(wparam));
          result = 0;
          return true;
        }
      }
      return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (windowed_c* c = windowed_c::of(reinterpret_cast<HWND>(lparam))) {
        HBRUSH brush = nullptr;
        if (c->on_colour(reinterpret_cast<HDC>(wparam), brush)) {
          result = reinterpret_cast<LRESULT>(brush);
          return true;
        }
      }
      return false;
  }
  return false;
}

// Static text.

static_text_c::static_text_c(form_c& form, HWND parent, std::string name, const rect& r,
                             const std::wstring& caption, HFONT f, COLORREF font_colour, COLORREF back_colour,
                             DWORD align)
    : windowed_c(form, std::move(name)), font_colour_(font_colour), back_colour_(back_colour) {
  back_brush_ = CreateSolidBrush(back_colour_);
  make(L"STATIC", parent, r, WS_VISIBLE | SS_NOPREFIX | align, 0, caption.c_str());
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
}

static_text_c::~static_text_c() {
  if (back_brush_) DeleteObject(back_brush_);
}

void static_text_c::set_caption(const std::wstring& caption) {
  if (text() == caption) return;
  SetWindowTextW(hwnd_, caption.c_str());
  if (auto_size_) fit_caption();
}

void static_text_c::set_auto_size(bool on) {
  auto_size_ = on;
  if (!on) return;
  // One line: a box as wide as the text never wraps it.
  LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  SetWindowLongW(hwnd_, GWL_STYLE, (style & ~LONG(SS_TYPEMASK)) | SS_LEFTNOWORDWRAP);
  fit_caption();
}

void static_text_c::fit_caption() {
  const std::wstring caption = text();
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  RECT need = {0, 0, 0, 0};
  DrawTextW(dc, caption.c_str(), int(caption.size()), &need, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  RECT now;
  GetClientRect(hwnd_, &now);
  SetWindowPos(hwnd_, nullptr, 0, 0, need.right, std::max<LONG>(now.bottom, need.bottom),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void static_text_c::set_font_colour(COLORREF c) {
  if (c == font_colour_) return;
  font_colour_ = c;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool static_text_c::on_colour(HDC dc, HBRUSH& brush) {
  SetTextColor(dc, font_colour_);
  SetBkColor(dc, back_colour_);
  brush = back_brush_;
  return true;
}

// Mask edit: the key comes to KeyDown before the edit handles it.

struct mask_edit_c::keys_c : window_object_c {
  explicit keys_c(mask_edit_c& e) : edit(e) {}
  bool process_window_message(HWND, UINT message, WPARAM wparam, LPARAM, LRESULT& result) override {
    return guarded(result, [&] {
      if (message == WM_KEYDOWN && edit.OnKeyDown) edit.OnKeyDown(UINT(wparam));
      return false;
    });
  }
  mask_edit_c& edit;
};

mask_edit_c::mask_edit_c(form_c& form, HWND parent, std::string name, const rect& r, const std::wstring& text)
    : windowed_c(form, std::move(name)), keys_(std::make_unique<keys_c>(*this)) {
  make(L"EDIT", parent, r, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, text.c_str());
  keys_->subclass_window(hwnd_);
}

mask_edit_c::~mask_edit_c() {
  keys_->unsubclass_window();
  if (brush_) DeleteObject(brush_);
}

void mask_edit_c::set_password_char(wchar_t c) {
  SendMessageW(hwnd_, EM_SETPASSWORDCHAR, WPARAM(c), 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool mask_edit_c::read_only() const { return (GetWindowLongW(hwnd_, GWL_STYLE) & ES_READONLY) != 0; }

void mask_edit_c::set_read_only(bool on) { SendMessageW(hwnd_, EM_SETREADONLY, on ? TRUE : FALSE, 0); }

void mask_edit_c::set_colour(COLORREF c) {
  if (c == colour_) return;
  colour_ = c;
  if (brush_) DeleteObject(brush_);
  brush_ = nullptr;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool mask_edit_c::on_colour(HDC dc, HBRUSH& brush) {
  // Read-only edits ask with WM_CTLCOLORSTATIC, writable ones with WM_CTLCOLOREDIT: both get
  // the edit's own colour.
  if (!brush_) brush_ = CreateSolidBrush(resolve_colour(colour_));
  SetBkColor(dc, resolve_colour(colour_));
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  brush = brush_;
  return true;
}

void mask_edit_c::set_text(const std::wstring& t) {
  // The edit reports a change of its text at once (EN_CHANGE during WM_SETTEXT).
  if (text() != t) SetWindowTextW(hwnd_, t.c_str());
}

void mask_edit_c::on_command(WORD code) {
  if (code == EN_CHANGE && OnChange) OnChange();
}

// Radio buttons.

radio_button_c::radio_button_c(form_c& form, HWND parent, std::string name, const rect& r,
                               const std::wstring& caption, bool first_of_group, COLORREF back_colour)
    : windowed_c(form, std::move(name)), back_colour_(back_colour) {
  back_brush_ = CreateSolidBrush(back_colour_);
  make(L"BUTTON", parent, r, WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON | (first_of_group ? WS_GROUP : 0), 0,
       caption.c_str());
}

radio_button_c::~radio_button_c() {
  if (back_brush_) DeleteObject(back_brush_);
}

bool radio_button_c::checked() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void radio_button_c::set_checked(bool on) { SendMessageW(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

void radio_button_c::on_command(WORD code) {
  if (code == BN_CLICKED && OnClick) OnClick();
}

bool radio_button_c::on_colour(HDC dc, HBRUSH& brush) {
  SetBkColor(dc, back_colour_);
  brush = back_brush_;
  return true;
}

// Push buttons.

push_button_c::push_button_c(form_c& form, HWND parent, std::string name, const rect& r, const std::wstring& caption)
    : windowed_c(form, std::move(name)) {
  make(L"BUTTON", parent, r, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, caption.c_str());
}

void push_button_c::set_caption(const std::wstring& caption) { SetWindowTextW(hwnd_, caption.c_str()); }

void push_button_c::on_command(WORD code) {
  if (code == BN_CLICKED && OnClick) OnClick();
}

// Combo box (a drop-down list).

combo_box_c::combo_box_c(form_c& form, HWND parent, std::string name, const rect& r,
                         const std::vector<std::wstring>& items)
    : windowed_c(form, std::move(name)) {
  rect dropped = r;
  dropped.height = r.height + 20 * int(items.size() + 1);
  make(L"COMBOBOX", parent, dropped, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST);
  for (const std::wstring& item : items) SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int combo_box_c::item_index() const { return int(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }

void combo_box_c::set_item_index(int index) { SendMessageW(hwnd_, CB_SETCURSEL, WPARAM(index), 0); }

std::wstring combo_box_c::text() const {
  int i = item_index();
  if (i < 0) return {};
  LRESULT n = SendMessageW(hwnd_, CB_GETLBTEXTLEN, WPARAM(i), 0);
  if (n <= 0) return {};
  std::wstring t(size_t(n) + 1, L'\0');
  SendMessageW(hwnd_, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(&t[0]));
  t.resize(size_t(n));
  return t;
}

void combo_box_c::on_command(WORD code) {
  if (code == CBN_SELCHANGE && OnChange) OnChange();
}

// Status bar: one simple panel.

status_bar_c::status_bar_c(form_c& form, HWND parent, std::string name) : windowed_c(form, std::move(name)) {
  // Controls laid over the bar (a status text) stay on top of it.
  make(STATUSCLASSNAMEW, parent, {0, 0, 0, 0}, WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP);
  SendMessageW(hwnd_, SB_SIMPLE, TRUE, 0);
}

void status_bar_c::set_simple_text(const std::wstring& t) {
  SendMessageW(hwnd_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(t.c_str()));
}

void status_bar_c::parent_resized() { SendMessageW(hwnd_, WM_SIZE, 0, 0); }

}  // namespace forms
