#include "widgets/message_window.h"

#include <algorithm>

#include "base/wide.h"
#include "widgets/button.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/message_types.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

namespace {

const RECT text_rect = {80, 55, 372, 150};
constexpr int dialog_width = 400, dialog_height = 200;
constexpr int button_row_from_bottom = 35;
constexpr int band_bottom = 110;
constexpr int button_png = 128;
constexpr int close_png = 103;

}  // namespace

message_window_c::message_window_c(const char16_t* message, int message_type)
    : text(message), type(message_type) {
  int png = message_look_of(type).icon_png;
  if (png) load_png_resource(nullptr, &icon, png);
}

int message_window_c::DoModal(HWND parent) {
  INT_PTR r = do_modal(parent, message_dialog_resource);
  return r == 1 ? 1 : 2;
}

bool message_window_c::process_window_message(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam, LRESULT& result) {
  if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
  if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
  switch (message) {
    case WM_INITDIALOG:
      initialise(window);
      result = TRUE;
      return true;
    case WM_SIZE:
      layout(LOWORD(lparam), HIWORD(lparam));
      return false;
    case WM_COMMAND: {
      int r = message_result_of_command(LOWORD(wparam));
      if (!r) return false;
      end_dialog(r);
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

void message_window_c::initialise(HWND window) {
  auto* close = new system_button_c<message_window_c>;
  close->create(this, close_png, 0, 0, u"", 3);
  close->bind_click(&message_window_c::on_close);
  add_item(close);

  message_look look = message_look_of(type);
  bitmap_button_c* buttons[2] = {&first_button, &second_button};
  for (int i = 0; i < 2; ++i) {
    bitmap_button_c& b = *buttons[i];
    b.subclass_button(window, i + 1);
    b.font = font_normal_10;
    b.text_colour = RGB(0, 0, 0);
    b.load_images(button_png, 0, bmpbtn_hover | bmpbtn_autosize);
  }
  SetWindowTextW(first_button.handle(), as_wide(get_text(look.first_key)));
  if (look.second_key)
    SetWindowTextW(second_button.handle(), as_wide(get_text(look.second_key)));
  else
    ShowWindow(second_button.handle(), SW_HIDE);

  // A message longer than the box makes the dialog taller, the buttons staying under it.
  int height = dialog_height;
  if (text) {
    HDC dc = GetDC(window);
    HGDIOBJ old = font_normal_9 ? SelectObject(dc, font_normal_9) : nullptr;
    text_bottom_ = std::max<int>(text_rect.bottom, wrapped_text_bottom(dc, as_wide(text), text_rect, 6));
    if (old) SelectObject(dc, old);
    ReleaseDC(window, dc);
    height += text_bottom_ - text_rect.bottom;
  }
  MoveWindow(window, 0, 0, dialog_width, height, FALSE);
  SetWindowTextW(window, L"Vantoril");
  centre_window();
}

void message_window_c::layout(int client_width, int client_height) {
  const int y = client_height - button_row_from_bottom;
  const UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  if (second_button.handle())
    SetWindowPos(second_button.handle(), nullptr, client_width - 240, y, 0, 0, flags);
  if (first_button.handle())
    SetWindowPos(first_button.handle(), nullptr, client_width - 130, y, 0, 0, flags);
}

void message_window_c::paint(HDC dc, const RECT& client) {
  RECT band = {client.left, client.top, client.right, band_bottom};
  fill_vertical_gradient(RGB(89, 131, 177), band, dc, RGB(255, 255, 255));
  if (!icon.is_null()) icon.draw(dc, 20, 50);
  SetTextColor(dc, RGB(0, 0, 0));
  if (font_normal_9) SelectObject(dc, font_normal_9);
  RECT box = text_rect;
  box.bottom = text_bottom_;
  if (text) draw_wrapped_text(dc, as_wide(text), box, 6);
}

int show_message_window(void* owner, int type, const char16_t* text) {
  message_window_c dialog(text, type);
  return dialog.DoModal(static_cast<HWND>(owner));
}
