#include "app/row_window_win.h"

#include "base/wide.h"
#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

RECT place_row(panel_c& row, HWND list, int32_t at_x, int32_t at_y, int32_t height) {
  RECT client = {0, 0, 0, 0};
  GetClientRect(list, &client);
  row.x = at_x;
  row.y = at_y;
  row.width = client.right;
  row.height = height;
  return {row.x, row.y, row.x + row.width, row.y + row.height};
}

void make_row_button(HWND row, bitmap_button_c& button, int id, int png, COLORREF background) {
  HWND b = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 10, 10, row,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (!b || !button.subclass_window(b)) return;
  SetWindowLongW(b, GWL_STYLE, (GetWindowLongW(b, GWL_STYLE) & ~BS_TYPEMASK) | BS_OWNERDRAW);
  button.load_images(png, 0, bmpbtn_hover | bmpbtn_autosize);
  button.background_colour = background;
}

row_text_heights measure_row_text_heights() {
  row_text_heights h;
  HDC screen = GetDC(nullptr);
  SIZE s = {0, 0};
  HGDIOBJ old = SelectObject(screen, font_normal_9);
  GetTextExtentPoint32W(screen, L"ABCDEFG", 7, &s);
  h.title = s.cy;
  SelectObject(screen, font_normal_10);
  GetTextExtentPoint32W(screen, L"ABCDEFG", 7, &s);
  h.line = s.cy;
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return h;
}

void paint_row_frame(HDC dc, const RECT& c, COLORREF background, HPEN bottom_pen, HPEN edge_pen,
                     const image_c& strip) {
  SetBkMode(dc, TRANSPARENT);
  HBRUSH back = CreateSolidBrush(background);
  FillRect(dc, &c, back);
  DeleteObject(back);
  HGDIOBJ old_pen = SelectObject(dc, bottom_pen);
  MoveToEx(dc, 0, c.bottom - 1, nullptr);
  LineTo(dc, c.right, c.bottom - 1);
  if (!strip.is_null()) strip.draw(dc, 25, 0);
  SelectObject(dc, edge_pen);
  MoveToEx(dc, c.right - 1, 0, nullptr);
  LineTo(dc, c.right - 1, c.bottom);
  SelectObject(dc, old_pen);
}

POINT cursor_in_client(HWND window) {
  POINT p = {0, 0};
  GetCursorPos(&p);
  ScreenToClient(window, &p);
  return p;
}

void popup_row_menu(HWND row, int resource, std::initializer_list<row_menu_text> texts, POINT client_point,
                    const std::function<void(HMENU popup)>& adjust) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu, 0);
  for (const row_menu_text& t : texts) ModifyMenuW(popup, t.id, MF_BYCOMMAND | MF_STRING, t.id, as_wide(get_text(t.key)));
  if (adjust) adjust(popup);
  ClientToScreen(row, &client_point);
  int menu_x = clamp_to_monitor(client_point.x, client_point.y);
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, menu_x, client_point.y, 0, row, nullptr);
  DestroyMenu(menu);
}

void row_text_out(HDC dc, int x, int y, std::u16string_view text) {
  TextOutW(dc, x, y, as_wide(text.data()), int(text.size()));
}

int row_text_width(HDC dc, std::u16string_view text) {
  SIZE s = {0, 0};
  GetTextExtentPoint32W(dc, as_wide(text.data()), int(text.size()), &s);
  return s.cx;
}

HGDIOBJ paint_row_class(HDC dc, HIMAGELIST images, int image_index, COLORREF background,
                        std::u16string_view class_description) {
  if (images && image_index >= 0) {
    ImageList_SetBkColor(images, background);
    ImageList_Draw(images, image_index, dc, 8, 5, ILD_NORMAL);
  }
  HGDIOBJ before = SelectObject(dc, font_normal_9);
  SetTextColor(dc, RGB(21, 80, 146));
  row_text_out(dc, 40, 4, class_description);
  return before;
}

namespace {
const COLORREF selected_row_background = RGB(240, 243, 249);
}  // namespace

HWND row_window_c::row_handle() const { return const_cast<row_window_c*>(this)->get_hwnd(); }

HWND row_window_c::page() const {
  HWND list = GetParent(row_handle());
  return list ? GetParent(list) : nullptr;
}

void row_window_c::make_button(bitmap_button_c& button, int id, int png) {
  make_row_button(row_handle(), button, id, png, background_);
  buttons_.push_back(&button);
}

void row_window_c::on_row_selected(WPARAM row) {
  selected_ = row_of(row) == static_cast<panel_c*>(this) ? 1 : 0;
  COLORREF next = selected_ ? selected_row_background : RGB(255, 255, 255);
  if (next == background_) return;
  background_ = next;
  for (bitmap_button_c* b : buttons_) b->background_colour = next;
  RedrawWindow(row_handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool row_window_c::route_row_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_CREATE:
      on_create();
      return true;
    case WM_SIZE:
      layout(LOWORD(lparam), HIWORD(lparam));
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return paint_double_buffered(window, message, wparam, [this](HDC dc, const RECT& client) {
        int saved = SaveDC(dc);
        paint(dc, client);
        RestoreDC(dc, saved);
      });
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      SendMessageW(GetParent(window), WM_APP_ROW_SELECTED, WPARAM(as_row_param(this)), 0);
      return true;
    case WM_RBUTTONUP:
      show_menu({short(LOWORD(lparam)), short(HIWORD(lparam))});
      return true;
    case WM_LBUTTONDBLCLK:
      show_details();
      return true;
    case WM_COMMAND:
      if (!is_click_command(wparam)) return true;
      if (LOWORD(wparam) == menu_button_id_) {
        show_menu(cursor_in_client(window));
        return true;
      }
      return on_row_command(LOWORD(wparam));
    default:
      break;
  }
  if (message == WM_APP_ROW_SELECTED) {
    on_row_selected(wparam);
    return true;
  }
  return false;
}
