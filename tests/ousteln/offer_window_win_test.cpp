#include "ousteln/offer_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "base/web_page.h"
#include "ousteln/offer_page.h"
#include "tests/support/gui_driver.h"
#include "tests/support/text_fit.h"
#include "widgets/ui_fonts.h"

namespace {

struct offer_fonts {
  offer_fonts() {
    create_offer_brushes();
    create_offer_fonts();
  }
  ~offer_fonts() { delete_ui_objects(); }
};

int pages_opened = 0;
HWND opened_for = nullptr;
void counting_opener(HWND window) {
  ++pages_opened;
  opened_for = window;
}

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

// Runs the program's window and loop; `script` is called every few milliseconds with the
// window and the tick number until the window is gone. A window still open after 400 ticks
// is closed and counted as a failure.
struct scripted_run {
  static std::function<void(HWND, int)> script;
  static int tick;
  static bool timed_out;

  static void CALLBACK on_timer(HWND, UINT, UINT_PTR, DWORD) {
    HWND window = gui::find_window(L"MainWindow");
    if (!window) return;
    if (++tick > 400) {
      timed_out = true;
      PostMessageW(window, WM_CLOSE, 0, 0);
      return;
    }
    script(window, tick);
  }
  static int run(std::function<void(HWND, int)> s) {
    script = std::move(s);
    tick = 0;
    timed_out = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, on_timer);
    int result = run_offer_window(SW_SHOWNORMAL, counting_opener);
    KillTimer(nullptr, timer);
    gui::drop_quit_message();  // closing the window posted WM_QUIT; a later loop must not see it
    return result;
  }
};
std::function<void(HWND, int)> scripted_run::script;
int scripted_run::tick;
bool scripted_run::timed_out;

COLORREF pixel(HWND window, int x, int y) {
  unsigned c = rendered(window).at(x, y);
  return RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF);
}

SIZE text_size(HFONT font, const wchar_t* text) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  SIZE size = {0, 0};
  GetTextExtentPoint32W(screen, text, lstrlenW(text), &size);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return size;
}

}  // namespace

TEST(offer_window, created_centred_with_its_class_title_style_size_and_icon) {
  offer_fonts fonts;
  main_window_c w;
  HWND window = w.create_offer_window();
  ASSERT_TRUE(window);
  wchar_t text[64];
  GetClassNameW(window, text, 64);
  EXPECT_STREQ(text, L"MainWindow");
  GetWindowTextW(window, text, 64);
  EXPECT_STREQ(text, L"Vantoril - Uninstall");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), 0x860A0000u);
  EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE), 0);
  DWORD class_style = static_cast<DWORD>(GetClassLongW(window, GCL_STYLE));
  DWORD wanted = CS_DROPSHADOW | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  EXPECT_EQ(class_style & wanted, wanted);

  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, 497);
  EXPECT_EQ(r.bottom - r.top, 314);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  EXPECT_NEAR(r.left - work.left, work.right - r.right, 1);
  EXPECT_NEAR(r.top - work.top, work.bottom - r.bottom, 1);

  EXPECT_TRUE(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
  DestroyWindow(window);
  gui::drop_quit_message();
}

// Every text of the window whole: none cut, past the edge or under another item.
TEST(offer_window, every_text_whole) {
  offer_fonts fonts;
  main_window_c w;
  HWND window = w.create_offer_window();
  ASSERT_TRUE(window);
  ShowWindow(window, SW_SHOW);
  gui::pump_for(50);
  text_fit::recorder record;
  auto faults = text_fit::check_window(window);
  EXPECT_TRUE(faults.empty()) << text_fit::describe(faults);
  DestroyWindow(window);
  gui::drop_quit_message();
}

TEST(offer_window, link_spans_its_widest_and_tallest_text_style) {
  offer_fonts fonts;
  main_window_c w;
  ASSERT_TRUE(w.create_offer_window());
  const wchar_t* caption = L"No, Continue Uninstall";
  SIZE normal = text_size(font_normal_11, caption), underlined = text_size(font_underline_11, caption);
  RECT r = w.continue_link->get_rect();
  EXPECT_EQ(r.left, 42);
  EXPECT_EQ(r.top, 262);
  EXPECT_EQ(r.right, 42 + std::max(normal.cx, underlined.cx));
  EXPECT_EQ(r.bottom, 262 + std::max(normal.cy, underlined.cy));
  EXPECT_TRUE(w.continue_link->hit_test(42, 262));
  EXPECT_FALSE(w.continue_link->hit_test(41, 262));
  EXPECT_FALSE(w.continue_link->hit_test(r.right, r.bottom - 1));
  w.destroy_window();
  gui::drop_quit_message();
}

TEST(offer_window, paints_background_frame_and_button_colour_of_each_state) {
  offer_fonts fonts;
  main_window_c w;
  w.open_page = counting_opener;
  pages_opened = 0;
  HWND window = w.create_offer_window();
  ASSERT_TRUE(window);
  ShowWindow(window, SW_SHOWNORMAL);
  // A corner of the button, clear of its caption.
  const int bx = 252, by = 227;
  EXPECT_EQ(pixel(window, bx, by), 0x2C9DFCu);
  SendMessageW(window, WM_MOUSEMOVE, 0, at(300, 250));
  EXPECT_EQ(pixel(window, bx, by), 0x206BF4u);
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(300, 250));
  EXPECT_EQ(pixel(window, bx, by), 0x2C9DFCu);
  SendMessageW(window, WM_LBUTTONUP, 0, at(300, 250));
  EXPECT_EQ(pages_opened, 1);
  SendMessageW(window, WM_MOUSEMOVE, 0, at(200, 150));
  EXPECT_EQ(pixel(window, bx, by), 0x2C9DFCu);

  // The picture is drawn (not the white ground) and framed in the frame brush's colour.
  EXPECT_NE(pixel(window, 300, 150), RGB(255, 255, 255));
  EXPECT_EQ(pixel(window, 0, 150), RGB(127, 140, 141));

  // A double-click on empty space does not maximise this window.
  SendMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at(200, 150));
  EXPECT_FALSE(IsZoomed(window));
  w.destroy_window();
  gui::drop_quit_message();
}

TEST(offer_window, each_way_of_closing_ends_the_loop_with_0) {
  offer_fonts fonts;
  const struct {
    const char* way;
    void (*close)(HWND);
  } ways[] = {
      {"close button", [](HWND w) { gui::click_at(w, 497 - 20, 10); }},
      {"link", [](HWND w) { gui::click_at(w, 50, 268); }},
      {"WM_CLOSE", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.way);
    pages_opened = 0;
    int result = scripted_run::run([&](HWND w, int tick) {
      if (tick == 1) way.close(w);
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(scripted_run::timed_out);
    EXPECT_EQ(pages_opened, 0);
  }
}

TEST(offer_window, get_it_now_twice_opens_the_page_twice_and_stays_open) {
  offer_fonts fonts;
  pages_opened = 0;
  opened_for = nullptr;
  HWND shown = nullptr;
  bool open_after_clicks = false;
  int result = scripted_run::run([&](HWND w, int tick) {
    shown = w;
    if (tick == 1) {
      gui::click_at(w, 300, 250);
      gui::click_at(w, 300, 250);
    } else if (tick == 5) {
      open_after_clicks = IsWindowVisible(w) != FALSE;
      PostMessageW(w, WM_CLOSE, 0, 0);
    }
  });
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(scripted_run::timed_out);
  EXPECT_TRUE(open_after_clicks);
  EXPECT_EQ(pages_opened, 2);
  EXPECT_EQ(opened_for, shown);
}

namespace {

std::vector<std::u16string> started;
intptr_t logging_shell(void*, const char16_t* file, const char16_t*) {
  started.push_back(file);
  return 42;
}

}  // namespace

TEST(offer_window, default_opener_opens_the_offer_page_through_the_shell) {
  shell_open_fn saved = shell_open;
  shell_open = logging_shell;
  started.clear();
  open_offer_page(nullptr);
  shell_open = saved;
  EXPECT_EQ(started, std::vector<std::u16string>{offer_page_address()});
}
