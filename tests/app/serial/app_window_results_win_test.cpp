// The main window over its result pages: navigation by state against the stand-in service,
// and a scan's end under an open dialog. Serial: main windows of these tests must not meet the
// process tests' second starts.
#include <gtest/gtest.h>

#include "tests/app/main_window_fixture.h"
#include "widgets/app_messages.h"

namespace {

using namespace main_window_test;

class AppWindowResults : public MainWindowTest {
 protected:
  int posts() const {
    int n = 0;
    for (const auto& r : service_->requests())
      if (r.text("method") == "POST" && r.text("path") == "/service/") ++n;
    return n;
  }
  // A click on navigation button `number` (1-7), as the user makes it.
  void click_bar(int number) {
    HWND bar = window_->sidebar.handle();
    POINT p = {90, 45 * (number - 1) + 22};
    HWND target = ChildWindowFromPoint(bar, p);  // the entry's button
    MapWindowPoints(bar, target, &p, 1);
    gui::click_at(target, p.x, p.y);
    gui::pump_for(20);
  }
  bool wait_scan_end() {
    return gui::pump_until([&] { return window_->state() != main_scanning; }, 30000);
  }
};

main_page page_of_button(int button) { return page_of_mode(button - 2); }

}  // namespace

// Buttons 2-5 without results set the mode and scan once; the scan ends on that mode's page
// with its button selected. With results they only switch pages. After button 1, a scan from
// the home page ends on the update page.
TEST_F(AppWindowResults, NavigationScansWithoutResultsAndSwitchesPagesWithThem) {
  for (int button = 2; button <= 5; ++button) {
    HWND w = make();
    ASSERT_NE(w, nullptr);
    const int before = posts();
    click_bar(button);
    EXPECT_EQ(window_->state(), main_scanning) << button;
    EXPECT_EQ(window_->current_page(), window_->scan_page.handle()) << button;
    ASSERT_TRUE(wait_scan_end()) << button;
    EXPECT_EQ(window_->state(), main_results) << button;
    EXPECT_EQ(posts(), before + 1) << button;
    EXPECT_EQ(window_->current_page(), window_->page_window(page_of_button(button))) << button;
    EXPECT_EQ(window_->sidebar.selected, button) << button;
    window_.reset();
    gui::drop_quit_message();
  }

  HWND w = make();
  ASSERT_NE(w, nullptr);
  click_bar(3);
  ASSERT_TRUE(wait_scan_end());
  const int after_scan = posts();
  for (int button : {2, 5, 4, 3, 2}) {
    click_bar(button);
    EXPECT_EQ(window_->state(), main_results) << button;
    EXPECT_EQ(window_->current_page(), window_->page_window(page_of_button(button))) << button;
    EXPECT_EQ(window_->sidebar.selected, button) << button;
  }
  gui::pump_for(300);
  EXPECT_EQ(posts(), after_scan);

  click_bar(4);
  click_bar(1);
  EXPECT_EQ(window_->current_page(), window_->home_page.handle());
  SendMessageW(w, WM_APP_START_SCAN, 0, 0);  // the home page's start button
  ASSERT_TRUE(wait_scan_end());
  EXPECT_EQ(posts(), after_scan + 1);
  EXPECT_EQ(window_->current_page(), window_->page_window(main_page::download));
  EXPECT_EQ(window_->sidebar.selected, 2);
}

// A scan that ends while the preferences dialog is open leaves the dialog its focus; the
// mode's page comes once the dialog has closed.
TEST_F(AppWindowResults, AScansEndUnderThePreferencesWaitsForThemToClose) {
  HWND w = make();
  ASSERT_NE(w, nullptr);
  SendMessageW(w, WM_APP_START_SCAN, 0, 0);
  ASSERT_EQ(window_->state(), main_scanning);
  struct {
    bool seen = false;
    int32_t state = -1;
    HWND page = nullptr;
    bool focus_in_dialog = false;
    bool workers_ended = false;
  } inside;
  dialog_watch watch(L"Options", [&](HWND d) {
    // The scan runs on and ends while the dialog is open.
    inside.workers_ended = gui::pump_until([&] { return !window_->scan_page.workers_running(); }, 30000);
    gui::pump_for(1000);  // the scan page's timer sees the end and reports it
    inside.seen = true;
    inside.state = window_->state();
    inside.page = window_->current_page();
    HWND focus = GetFocus();
    inside.focus_in_dialog = focus == d || IsChild(d, focus);
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    return true;
  });
  PostMessageW(w, WM_COMMAND, 40013, 0);
  ASSERT_TRUE(gui::pump_until([&] { return watch.done && IsWindowEnabled(w); }, 40000));
  ASSERT_TRUE(inside.seen);
  EXPECT_TRUE(inside.workers_ended);
  EXPECT_EQ(inside.state, main_scanning);
  EXPECT_EQ(inside.page, window_->scan_page.handle());
  EXPECT_TRUE(inside.focus_in_dialog);
  gui::pump_for(100);
  // Handled once the dialog is gone: the scan's end or, when it failed, the way home.
  EXPECT_NE(window_->state(), main_scanning);
  EXPECT_NE(window_->current_page(), window_->scan_page.handle());
  EXPECT_TRUE(IsWindowEnabled(window_->sidebar.handle()));
}
