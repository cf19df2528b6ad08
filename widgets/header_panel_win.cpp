#include <windows.h>

#include <cwchar>

#include "base/wide.h"
#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/paint_win.h"
#include "widgets/panel_list.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int header_height = 30;
constexpr int png_expanded = 179, png_collapsed = 180;

}  // namespace

header_panel_c::header_panel_c(int32_t id, const char16_t* title, int32_t count)
    : title_(title), count_(count) {
  group_id = id;
}

header_panel_c::~header_panel_c() {
  if (white_pen_) DeleteObject(white_pen_);
}

bool header_panel_c::create(HWND__* parent, int32_t at_x, int32_t at_y) {
  height = header_height;
  x = at_x;
  y = at_y;
  RECT list = {0, 0, 0, 0};
  GetClientRect(parent, &list);
  width = list.right;
  RECT r = {x, y, x + width, y + header_height};
  return window_impl<header_panel_c>::create(parent, r, L"",
                                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN) != nullptr;
}

void header_panel_c::on_create() {
  white_pen_ = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  expanded_ = 1;
  toggle_button_ = new system_button_c<header_panel_c>;
  // Anchored to the right edge: 8 pixels from it.
  toggle_button_->create(this, png_expanded, 8, 6, u"", 3);
  toggle_button_->bind_click(&header_panel_c::toggle);
  add_item(toggle_button_);
}

void header_panel_c::toggle() {
  expanded_ = !expanded_;
  if (toggle_button_) toggle_button_->load_image(nullptr, expanded_ ? png_expanded : png_collapsed);
  HWND list = GetParent(handle());
  HWND page = list ? GetParent(list) : nullptr;
  if (page) SendMessageW(page, WM_APP_GROUP_TOGGLED, WPARAM(group_id), LPARAM(expanded_));
  if (toggle_button_ && IsWindow(handle())) {
    RECT r = toggle_button_->get_rect();
    RedrawWindow(handle(), &r, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
}

void header_panel_c::paint(HDC dc, const RECT& client) {
  fill_vertical_gradient(RGB(69, 147, 230), client, dc, RGB(25, 91, 161));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  if (font_bold_ct_10) SelectObject(dc, font_bold_ct_10);
  wchar_t text[1025] = L"";
  if (title_) _snwprintf(text, 1024, as_wide(title_), count_);
  text[1024] = 0;
  RECT t = {27, 0, client.right, client.bottom};
  DrawTextW(dc, text, -1, &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SIZE size = {0, 0};
  GetTextExtentPoint32W(dc, text, int(wcslen(text)), &size);
  HGDIOBJ old = SelectObject(dc, white_pen_);
  int mid = client.bottom / 2;
  MoveToEx(dc, 6, mid, nullptr);
  LineTo(dc, 22, mid);
  MoveToEx(dc, size.cx + 31, mid, nullptr);
  LineTo(dc, client.right - 40, mid);
  SelectObject(dc, old);
  draw_items(dc);
}

bool header_panel_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                            LRESULT& result) {
  if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
  switch (message) {
    case WM_ERASEBKGND:  // painted whole, double-buffered
      result = 1;
      return true;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      PAINTSTRUCT ps;
      HDC target = message == WM_PAINT ? BeginPaint(window, &ps) : reinterpret_cast<HDC>(wparam);
      RECT client;
      GetClientRect(window, &client);
      {
        memory_dc_c memory(target, client);
        paint(memory.dc(), client);
      }
      if (message == WM_PAINT) EndPaint(window, &ps);
      result = 0;
      return true;
    }
    case WM_CREATE:
      on_create();
      result = 0;
      return true;
    case WM_LBUTTONDBLCLK:
      toggle();
      result = 0;
      return true;
    default:
      return false;
  }
}
