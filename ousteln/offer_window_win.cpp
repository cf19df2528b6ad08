#include "ousteln/offer_window.h"

#include <shellapi.h>

#include <string>

#include "base/wide.h"
#include "framework/gdi.h"
#include "ousteln/offer_page.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

const wchar_t offer_window_title[] = L"Vantoril - Uninstall";

namespace {

const wchar_t offer_text[] =
    L"Before your uninstall,\nWe have a special offer for you.\nGet 1 month license for only $9.90!";
constexpr DWORD offer_window_style =
    WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;

constexpr int close_strip_png = 129;
constexpr int background_png = 130;
constexpr int icon_id = 132;

message_loop_c* thread_loop() { return app_module().get_message_loop(); }

HICON load_icon(int cx_metric, int cy_metric) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon_id),
                                       IMAGE_ICON, GetSystemMetrics(cx_metric),
                                       GetSystemMetrics(cy_metric), 0));
}

}  // namespace

void main_window_c::adjust_window_class(WNDCLASSEXW& wc) {
  wc.style = CS_DROPSHADOW | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
}

HWND main_window_c::create_offer_window() {
  RECT rect = {0, 0, 497, 314};
  HWND made = create(nullptr, rect, offer_window_title, offer_window_style, 0);
  if (made) centre_window(made);
  return made;
}

void main_window_c::destroy_icons() {
  if (big_icon) DestroyIcon(big_icon);
  if (small_icon) DestroyIcon(small_icon);
  big_icon = small_icon = nullptr;
}

bool main_window_c::process_window_message(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam, LRESULT& result) {
  if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
  if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
  switch (message) {
    case WM_CREATE:
      result = on_create();
      return true;
    case WM_DESTROY:
      on_destroy();
      result = 0;
      return true;
    case WM_CLOSE:
      DestroyWindow(window);
      result = 0;
      return true;
    default:
      return false;
  }
}

LRESULT main_window_c::on_create() {
  if (message_loop_c* loop = thread_loop()) {
    loop->add_message_filter(this);
    loop->add_idle_handler(this);
  }
  // A missing picture or icon leaves it empty; the window works without it.
  load_png_resource(nullptr, &background, background_png);

  auto* close = new system_button_c<main_window_c>;
  close->owner = this;
  close->frame_count = 3;
  close->load_image(nullptr, close_strip_png);
  close->set_rect(0, 0, 40, 20);
  close->bind_click(&main_window_c::on_close_clicked);
  add_item(close);

  create_buttons();

  big_icon = load_icon(SM_CXICON, SM_CYICON);
  small_icon = load_icon(SM_CXSMICON, SM_CYSMICON);
  if (big_icon) SendMessageW(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon));
  return 0;
}

void main_window_c::create_buttons() {
  auto* get_it_now = new flat_button_c<main_window_c>;
  get_it_now->owner = this;
  get_it_now->set_rect(249, 224, 461, 277);
  get_it_now->text = u"Get It Now";
  get_it_now->set_text_style(font_bold_18, RGB(255, 255, 255), item_normal);
  get_it_now->fill_colours[item_normal] = 0x2C9DFC;
  get_it_now->fill_colours[item_hover] = 0x206BF4;
  get_it_now->fill_colours[item_pressed] = 0x2C9DFC;
  get_it_now->bind_click(&main_window_c::on_get_it_now);

  auto* link = new link_button_c<main_window_c>;
  link->owner = this;
  link->set_rect(42, 262, 42, 262);
  link->text = u"No, Continue Uninstall";
  link->set_text_style(font_normal_11, 0x222222, item_normal);
  link->set_text_style(font_underline_11, 0x6B5640, item_hover);
  link->set_text_style(font_underline_11, 0x222222, item_pressed);
  link->bind_click(&main_window_c::on_close_clicked);

  add_item(get_it_now);
  add_item(link);
  get_it_now_button = get_it_now;
  continue_link = link;
}

void main_window_c::on_destroy() {
  if (message_loop_c* loop = thread_loop()) {
    loop->remove_message_filter(this);
    loop->remove_idle_handler(this);
  }
  PostQuitMessage(0);
}

void main_window_c::draw_background(HDC dc) {
  if (!background.is_null()) background.draw(dc, 0, 0);
  SetTextColor(dc, RGB(255, 255, 255));
  if (font_normal_15) SelectObject(dc, font_normal_15);
  RECT text_area = {145, 68, 485, 200};
  draw_wrapped_text(dc, offer_text, text_area, 8);
}

void main_window_c::draw_frame(HDC dc, const RECT& client) {
  frame_round_region(dc, client);
  SetTextColor(dc, RGB(255, 255, 255));
  if (font_normal_10) SelectObject(dc, font_normal_10);
  TextOutW(dc, 16, 10, offer_window_title, lstrlenW(offer_window_title));
}

void main_window_c::on_get_it_now() {
  if (open_page) open_page(handle());
}

void main_window_c::on_close_clicked() { DestroyWindow(handle()); }

void open_offer_page(HWND window) {
  open_web_page(offer_page_address().c_str(), window);
}

int run_offer_window(int show_command, page_opener opener) {
  message_loop_c loop;
  app_module().add_message_loop(&loop);
  int result = -1;
  {
    main_window_c window;
    window.open_page = opener;
    if (!window.create_offer_window()) {
      window.destroy_icons();
    } else {
      ShowWindow(window.handle(), show_command);
      result = loop.run();
    }
  }
  app_module().remove_message_loop();
  return result;
}
