#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/sidebar.h"
#include "base/wide.h"
#include "tests/app/ui_setup.h"
#include "tests/support/gui_driver.h"
#include "widgets/app_messages.h"

namespace {

// The entries' pictures as drawn by the picture generator, at a point clear of glyph and text.
const unsigned normal_band = 0xE5E9EE, hover_band = 0xD0DEEE, selected_band = 0x185AA0;

struct bar_fixture : testing::Test {
  ui_setup ui{test_language()};
  gui::recording_window host{800, 600};
  sidebar_window_c bar;

  void SetUp() override {
    RECT area = {0, 0, 187, 600};
    ASSERT_TRUE(bar.create_bar(host.handle(), host.handle(), area));
    ASSERT_EQ(bar.buttons.size(), 7u);
    // Clear of the windows that other tests open at the screen's corner.
    SetWindowPos(host.handle(), HWND_TOPMOST, 420, 380, 0, 0, SWP_NOSIZE);
    SetForegroundWindow(host.handle());
    gui::pump_for(50);
  }
  HWND button(int number) { return *bar.buttons[size_t(number - 1)]; }
  // A user's click on entry `number`, and what the main window heard.
  std::vector<WPARAM> click(int number) {
    host.log.clear();
    gui::input_click_at(button(number), 90, 22);
    gui::pump_for(60);
    return host.wparams(WM_APP_SIDEBAR_COMMAND);
  }
  static std::vector<WPARAM> sent(int number) { return {WPARAM(number)}; }
  static std::vector<WPARAM> nothing() { return {}; }
};

TEST_F(bar_fixture, SevenEntriesDownTheLeftEdgeWithTheirTexts) {
  const char* keys[] = {"btn_home",      "btn_update",  "btn_backup", "btn_restore",
                        "btn_uninstall", "btn_options", "btn_support"};
  for (int n = 1; n <= 7; ++n) {
    RECT r = gui::rect_in_parent(button(n));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 45 * (n - 1));
    EXPECT_EQ(r.right - r.left, 186);
    EXPECT_EQ(r.bottom - r.top, 45);
    EXPECT_EQ(GetDlgCtrlID(button(n)), n);
    EXPECT_EQ(gui::window_text(button(n)), as_wide(get_text(keys[n - 1])));
    EXPECT_FALSE(gui::window_text(button(n)).empty());
  }
  EXPECT_EQ(bar.selected, 1);
  EXPECT_EQ(bar.results_available, 0);
  // The bar's own ground and its blue right edge below the entries.
  rendered ground(bar);
  EXPECT_EQ(ground.at(50, 500), 0xE5E9EEu);
  EXPECT_NE(ground.at(186, 500), 0xE5E9EEu);
}

TEST_F(bar_fixture, NormalHoverSelectedAndDisabledLooks) {
  // The selected entry: the dark band with white text; the others: light with blue text.
  rendered home(button(1));
  EXPECT_EQ(home.at(120, 3), selected_band);
  EXPECT_TRUE(home.any(48, 10, 186, 40, 0xFFFFFF));
  rendered update(button(2));
  EXPECT_EQ(update.at(120, 3), normal_band);
  EXPECT_TRUE(update.any(48, 10, 186, 40, 0x155092));
  EXPECT_FALSE(update.any(48, 10, 186, 40, 0xFFFFFF));

  gui::move_pointer_to(button(3), 120, 20);
  ASSERT_TRUE(gui::pump_until([&] { return bar.buttons[2]->is_hovered(); }, 2000));
  EXPECT_EQ(rendered(button(3)).at(120, 3), hover_band);

  bar.enable(0);
  rendered off(button(4));
  EXPECT_EQ(off.at(120, 3), normal_band);
  EXPECT_TRUE(off.any(48, 10, 186, 40, 0x4E4E4E));  // the grey disabled caption
  bar.enable(1);
}

TEST_F(bar_fixture, ClicksBeforeResultsAreSentAndKeepTheOverview) {
  EXPECT_EQ(click(1), nothing());  // the selected entry
  for (int n = 2; n <= 7; ++n) {
    EXPECT_EQ(click(n), sent(n)) << n;
    EXPECT_EQ(bar.selected, 1);
  }
  EXPECT_EQ(bar.buttons[0]->checked, 1);
  EXPECT_EQ(bar.buttons[1]->checked, 0);
}

TEST_F(bar_fixture, WithResultsThePagesTakeTheSelection) {
  bar.results_available = 1;
  EXPECT_EQ(bar.select(2), 0);  // the main window, after a scan
  EXPECT_EQ(bar.selected, 2);
  for (int n : {3, 4, 5, 1, 2}) {
    EXPECT_EQ(click(n), sent(n)) << n;
    EXPECT_EQ(bar.selected, n);
    for (int m = 1; m <= 7; ++m) EXPECT_EQ(bar.buttons[size_t(m - 1)]->checked, m == n ? 1 : 0);
    EXPECT_EQ(bar.buttons[size_t(n - 1)]->text_colour, RGB(255, 255, 255));
  }
  EXPECT_EQ(bar.buttons[0]->text_colour, sidebar_text_colour);
  EXPECT_EQ(click(2), nothing());
  // Options and support open their dialogs without taking the selection.
  EXPECT_EQ(click(6), sent(6));
  EXPECT_EQ(click(7), sent(7));
  EXPECT_EQ(bar.selected, 2);
  EXPECT_EQ(bar.buttons[5]->checked, 0);
  EXPECT_EQ(bar.select(9), -1);
  EXPECT_EQ(bar.selected, 2);
}

TEST_F(bar_fixture, DisabledEntriesSendNothing) {
  EXPECT_EQ(bar.enable(0), 7);
  for (int n = 2; n <= 7; ++n) EXPECT_EQ(click(n), nothing()) << n;
  EXPECT_EQ(bar.enable(1), 7);
  EXPECT_EQ(click(3), sent(3));
}

TEST_F(bar_fixture, KeepsNoFocus) {
  SetFocus(bar);
  EXPECT_EQ(GetFocus(), host.handle());
}

// With VANTORIL_SHOT_DIR set: the bar with the overview selected, one entry under the pointer,
// and (second picture) all entries disabled, for a person to look at.
TEST_F(bar_fixture, Screenshot) {
  const char* dir = std::getenv("VANTORIL_SHOT_DIR");
  if (!dir) GTEST_SKIP() << "no VANTORIL_SHOT_DIR";
  std::wstring folder = shot_folder(dir);
  std::wstring suffix = shot_suffix();
  bar.results_available = 1;
  bar.select(3);
  gui::move_pointer_to(button(5), 120, 20);
  gui::pump_for(300);
  EXPECT_TRUE(gui::save_screen_bmp(host.handle(), folder + L"\\sidebar" + suffix + L".bmp"));
  bar.enable(0);
  gui::pump_for(200);
  EXPECT_TRUE(gui::save_screen_bmp(host.handle(), folder + L"\\sidebar-disabled" + suffix + L".bmp"));
}

}  // namespace
