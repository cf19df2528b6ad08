#include "app/about_window.h"

#include "base/text.h"
#include "base/wide.h"
#include "engine/documents.h"  // program_version
#include "widgets/button.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int close_png = 103;
constexpr int ok_png = 128;
constexpr int logo_png = 117;
constexpr int width = 500;
constexpr int height = 400;
constexpr int value_x = 151;
constexpr COLORREF caption_grey = RGB(68, 68, 68);

void text_out(HDC dc, int x, int y, const std::u16string& text) {
  TextOutW(dc, x, y, as_wide(text), static_cast<int>(text.size()));
}

void text_out(HDC dc, int x, int y, const char* key) { text_out(dc, x, y, std::u16string(get_text(key))); }

void line(HDC dc, HPEN pen, int x0, int x1, int y) {
  if (!pen) return;
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x0, y, nullptr);
  LineTo(dc, x1, y);
  SelectObject(dc, old);
}

std::u16string version_text() {
  std::u16string v;
  for (const char* p = program_version; *p; ++p) v += static_cast<char16_t>(*p);
  return v;
}

}  // namespace

about_window_c::about_window_c() = default;

about_window_c::~about_window_c() {
  if (light_pen) DeleteObject(light_pen);
  if (dark_pen) DeleteObject(dark_pen);
}

bool about_window_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                            LRESULT& result) {
  if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
  if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
  switch (message) {
    case WM_INITDIALOG:
      on_init_dialog(window);
      result = TRUE;
      return true;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) end_dialog(1);
      else if (LOWORD(wparam) == IDCANCEL) end_dialog(2);
      else return false;
      result = 0;
      return true;
    default:
      return false;
  }
}

void about_window_c::on_init_dialog(HWND window) {
  SetWindowTextW(window, as_wide(get_text("about_title")));

  auto* close = new system_button_c<about_window_c>;
  close->create(this, close_png, 0, 0, u"", 3);
  close->bind_click(&about_window_c::on_close);
  add_item(close);

  if (ok_button.subclass_button(window, IDOK)) {
    ok_button.load_images(ok_png, 0, bmpbtn_hover | bmpbtn_autosize);
    ok_button.font = font_bold_ct_10;
    ok_button.text_colour = RGB(0, 0, 0);
    ok_button.background_colour = RGB(240, 240, 243);
    SetWindowTextW(ok_button.handle(), as_wide(get_text("btn_ok")));
    SetWindowPos(ok_button.handle(), nullptr, 368, 366, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (HWND cancel = GetDlgItem(window, IDCANCEL)) ShowWindow(cancel, SW_HIDE);

  SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  centre_window();

  load_png_resource(nullptr, &logo, logo_png);
  light_pen = CreatePen(PS_SOLID, 1, RGB(200, 214, 230));
  dark_pen = CreatePen(PS_SOLID, 1, RGB(124, 155, 188));

  // The link is as wide as its address in the font it is drawn with.
  const std::u16string address = home_page_url();
  SIZE extent = {};
  if (HDC screen = GetDC(nullptr)) {
    HGDIOBJ old = font_normal_9 ? SelectObject(screen, font_normal_9) : nullptr;
    GetTextExtentPoint32W(screen, as_wide(address), static_cast<int>(address.size()), &extent);
    if (old) SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
  }
  RECT r = {value_x, 260, value_x + extent.cx, 300};
  if (link.create(window, r, as_wide(address), WS_CHILD | WS_VISIBLE)) {
    link.set_label(as_wide(address));
    link.set_hyperlink(as_wide(address));
    link.set_link_font(font_normal_9);
  }
}

void about_window_c::paint(HDC dc, const RECT& client) {
  const int w = client.right, h = client.bottom;
  RECT band = {0, 0, w, 160};
  fill_vertical_gradient(RGB(89, 131, 177), band, dc, RGB(255, 255, 255));
  RECT strip = {0, h - 46, w, h};
  COLORREF old_bk = SetBkColor(dc, RGB(240, 240, 243));
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &strip, nullptr, 0, nullptr);
  SetBkColor(dc, old_bk);
  if (!logo.is_null()) logo.draw(dc, 320, 140);
  line(dc, dark_pen, 36, w - 36, 76);
  line(dc, light_pen, 36, w - 36, 77);

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, caption_grey);
  if (font_bold_21) SelectObject(dc, font_bold_21);
  text_out(dc, 34, 35, std::u16string(u"Vantoril"));
  if (font_normal_9) SelectObject(dc, font_normal_9);
  RECT wrap = {35, 95, w - 35, 155};
  draw_wrapped_text(dc, as_wide(get_text("about_text1")), wrap, 2);
  text_out(dc, 35, 202, "about_version");
  text_out(dc, 35, 231, "about_email");
  text_out(dc, 35, 260, "about_homepage");
  text_out(dc, 35, 310, "about_text2");
  if (font_italic_9) SelectObject(dc, font_italic_9);
  text_out(dc, 35, 330, "about_copyright");
  if (font_normal_9) SelectObject(dc, font_normal_9);
  SetTextColor(dc, RGB(21, 80, 146));
  text_out(dc, value_x, 231, support_email());
  SetTextColor(dc, RGB(26, 114, 24));
  text_out(dc, value_x, 202, version_text());
}

INT_PTR show_about_dialog(HWND owner) {
  about_window_c dialog;
  return dialog.DoModal(owner);
}

HWND mask_window_c::create_mask(HWND main) {
  main_window = main;
  RECT r = {0, 0, 0, 0};
  HWND made = create(main, r, L"", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                     WS_EX_LAYERED | WS_EX_TRANSPARENT);
  if (made) SetLayeredWindowAttributes(made, 0, 100, LWA_ALPHA);
  return made;
}

bool mask_window_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                           LRESULT& result) {
  return process_ui_window_message(window, message, wparam, lparam, result);
}
