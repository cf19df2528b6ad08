// The preferences dialog's look and controls, with the settings in memory only (nothing is
// saved: no settings key is open).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/app/settings_fixture.h"

namespace {

using c = pref_control;

struct SettingsWindow : ::testing::Test {
  void SetUp() override {
    set_default_settings();
    app_settings.ProxyType = 0;
    app_settings.EnableScheduler = 0;
    app_settings.SchedulePeriod = 0;
    app_settings.ScheduleStart = 3;
  }
};

RECT rect_of(HWND w) { return gui::rect_in_parent(w); }

TEST_F(SettingsWindow, SizePlaceTitleAndButtons) {
  settings_dialog_fixture f;
  f.open();
  RECT d, m;
  GetWindowRect(f.window, &d);
  GetWindowRect(f.main, &m);
  EXPECT_EQ(d.right - d.left, 614);
  EXPECT_EQ(d.bottom - d.top, 398);
  EXPECT_NEAR((d.left + d.right) / 2, (m.left + m.right) / 2, 1);
  EXPECT_NEAR((d.top + d.bottom) / 2, (m.top + m.bottom) / 2, 1);
  EXPECT_EQ(gui::window_text(f.window), L"Options");
  EXPECT_EQ(GetWindow(f.window, GW_OWNER), f.main.handle());
  struct {
    int id, x;
    const wchar_t* text;
  } buttons[] = {{IDOK, 488, L"OK"}, {IDCANCEL, 368, L"Cancel"}};
  for (const auto& b : buttons) {
    RECT r = rect_of(f.control(b.id));
    EXPECT_EQ(r.left, b.x);
    EXPECT_EQ(r.top, 361);
    EXPECT_EQ(r.right - r.left, 96);
    EXPECT_EQ(r.bottom - r.top, 27);
    EXPECT_EQ(gui::window_text(f.control(b.id)), b.text);
  }
  for (int k = 0; k < 5; ++k) {
    auto* t = static_cast<settings_window_c::tab*>(f.dialog->tab_group.members[static_cast<size_t>(k)]);
    RECT r = t->get_rect();
    EXPECT_EQ(r.left, 15);
    EXPECT_EQ(r.top, 43 + 43 * k);
    EXPECT_EQ(r.right - r.left, 109);
    EXPECT_EQ(r.bottom - r.top, 29);
    EXPECT_EQ(t->selected, k == 0 ? 1 : 0);
  }
  // The EDITs scroll their text and hold what their fields hold.
  const struct {
    int id;
    LRESULT limit;
  } edits[] = {{1001, 259}, {1002, 259}, {1003, 1024}, {1004, 5}, {1005, 63}, {1006, 63}};
  for (const auto& e : edits) {
    HWND edit = f.control(e.id);
    EXPECT_TRUE(GetWindowLongW(edit, GWL_STYLE) & ES_AUTOHSCROLL) << e.id;
    EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), e.limit) << e.id;
  }
  SetWindowTextW(f.control(1006), std::wstring(80, L'x').c_str());
  SendMessageW(f.control(1006), EM_SETSEL, 0, -1);
  SendMessageW(f.control(1006), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(std::wstring(80, L'y').c_str()));
  EXPECT_EQ(GetWindowTextLengthW(f.control(1006)), 63);
}

TEST_F(SettingsWindow, EachTabShowsOnlyItsPage) {
  settings_dialog_fixture f;
  f.open();
  const std::vector<std::pair<int, std::vector<int>>> windows_of_page = {
      {0, {}}, {1, {1001, 1002}}, {2, {1003, 1004, 1005, 1006}}, {3, {1007}}, {4, {}}};
  const wchar_t* names[] = {L"general", L"location", L"network", L"exclusion", L"scheduler"};
  for (int page : {1, 2, 3, 4, 0}) {
    f.tab(page);
    EXPECT_EQ(f.dialog->current_page, page);
    for (int id = 1001; id <= 1007; ++id) {
      bool want = false;
      for (int shown : windows_of_page[static_cast<size_t>(page)].second) want = want || shown == id;
      EXPECT_EQ(IsWindowVisible(f.control(id)) != FALSE, want) << "page " << page << " control " << id;
    }
    for (const pref_layout& l : preferences_layout()) {
      if (!f.item(l.id)) continue;
      bool want = l.page == page && !(l.id == c::weekday || l.id == c::month_day);
      EXPECT_EQ(f.item(l.id)->is_visible(), want) << "page " << page << " item " << int(l.id);
    }
    f.screenshot(std::wstring(L"prefs_en_") + names[page]);
    // Drawn items of other pages leave no pixels: where the first check box is, the band shows.
    if (page == 3) {
      rendered picture(f.window);
      for (int y = 68; y < 88; y += 4) EXPECT_EQ(picture.at(190, y), picture.at(590, y)) << y;
    }
  }
}

TEST_F(SettingsWindow, ProxyRadiosEnableTheProxyFields) {
  settings_dialog_fixture f;
  f.open();
  for (int id = 1003; id <= 1006; ++id) EXPECT_FALSE(IsWindowEnabled(f.control(id)));
  f.tab(2);
  struct {
    c radio;
    bool enabled;
  } steps[] = {{c::proxy2, true}, {c::proxy1, false}, {c::proxy3, true}, {c::proxy0, false}};
  for (const auto& s : steps) {
    f.click(f.item(s.radio));
    for (int id = 1003; id <= 1006; ++id) EXPECT_EQ(IsWindowEnabled(f.control(id)) != FALSE, s.enabled) << id;
    EXPECT_EQ(f.dialog->proxy_group.current_index(), int(s.radio) - int(c::proxy0));
  }
  // The frame of a disabled field is grey, of an enabled one white.
  rendered off(f.window);
  EXPECT_EQ(off.at(240, 198), 0xF0F0F0u);
  f.click(f.item(c::proxy2));
  rendered on(f.window);
  EXPECT_EQ(on.at(240, 198), 0xFFFFFFu);
}

TEST_F(SettingsWindow, EnableBoxTurnsTheListsOnAndOff) {
  settings_dialog_fixture f;
  f.open();
  f.tab(4);
  const c lists[] = {c::period, c::hour, c::weekday, c::month_day};
  for (c id : lists) EXPECT_EQ(f.item(id)->get_state(), item_disabled);
  f.click(f.item(c::enable));
  for (c id : lists) EXPECT_NE(f.item(id)->get_state(), item_disabled);
  f.click(f.item(c::enable));
  for (c id : lists) EXPECT_EQ(f.item(id)->get_state(), item_disabled);
}

TEST_F(SettingsWindow, DropDownsOfTheSchedulerPage) {
  settings_dialog_fixture f;
  f.open();
  f.tab(4);
  f.click(f.item(c::enable));
  auto* period = f.dialog->list(c::period);
  auto* hour = f.dialog->list(c::hour);
  POINT origin = {0, 0};
  ClientToScreen(f.window, &origin);

  f.click(period);
  ASSERT_TRUE(period->is_open());
  RECT r = rect_of(period->container.handle());
  EXPECT_EQ(r.left - origin.x, 183);
  EXPECT_EQ(r.top - origin.y, 159);
  EXPECT_EQ(r.right - r.left, 254);
  EXPECT_EQ(r.bottom - r.top, 68);
  EXPECT_EQ(period->list.scroll_bar, nullptr);
  f.screenshot(L"prefs_en_period_open");
  HWND list = period->list.handle();
  // Release on the chosen row: nothing; on another: chosen, callback once, weekday list shown.
  PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
  PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(30, 10));
  gui::pump_until([&] { return !period->is_open(); }, 2000);
  EXPECT_EQ(period->selected_index, 0);
  EXPECT_FALSE(f.item(c::weekday)->is_visible());
  f.click(period);
  PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
  PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
  gui::pump_until([&] { return !period->is_open(); }, 2000);
  EXPECT_FALSE(period->is_open());
  EXPECT_EQ(period->selected_index, 1);
  EXPECT_TRUE(f.item(c::weekday)->is_visible());
  EXPECT_FALSE(f.item(c::month_day)->is_visible());
  // Outside: closes, nothing changes.
  f.click(period);
  PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(30, 50));
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 200));
  gui::pump_until([&] { return !period->is_open(); }, 2000);
  EXPECT_FALSE(period->is_open());
  EXPECT_EQ(period->selected_index, 1);

  f.click(hour);
  ASSERT_TRUE(hour->is_open());
  r = rect_of(hour->container.handle());
  EXPECT_EQ(r.left - origin.x, 183);
  EXPECT_EQ(r.top - origin.y, 215);
  EXPECT_EQ(r.right - r.left, 254);
  EXPECT_EQ(r.bottom - r.top, 208);
  ASSERT_TRUE(hour->list.scroll_bar);
  RECT bar = rect_of(hour->list.scroll_bar);
  EXPECT_EQ(bar.right - bar.left, GetSystemMetrics(SM_CXVSCROLL));
  // The stored 03:00 is marked; a wheel notch scrolls 20 pixels.
  EXPECT_EQ(hour->list.marked, 3);
  PostMessageW(hour->list.handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
  gui::pump_for(30);
  EXPECT_EQ(hour->list.position, 20);
  f.screenshot(L"prefs_en_hour_open");
  PostMessageW(hour->list.handle(), WM_MOUSEMOVE, 0, MAKELPARAM(30, 50));  // 70 into the rows: 03:00
  PostMessageW(hour->list.handle(), WM_LBUTTONUP, 0, MAKELPARAM(30, 50));
  gui::pump_until([&] { return !hour->is_open(); }, 2000);
  EXPECT_EQ(hour->selected_index, 3);
  f.click(hour);
  PostMessageW(hour->list.handle(), WM_MOUSEMOVE, 0, MAKELPARAM(30, 90));  // 110: 05:00
  PostMessageW(hour->list.handle(), WM_LBUTTONUP, 0, MAKELPARAM(30, 90));
  gui::pump_until([&] { return !hour->is_open(); }, 2000);
  EXPECT_EQ(std::u16string(hour->get_selected_text()), u"05:00");
}

TEST_F(SettingsWindow, JapanesePages) {
  settings_dialog_fixture f(u"ja");
  f.open();
  EXPECT_EQ(gui::window_text(f.window), L"\u30aa\u30d7\u30b7\u30e7\u30f3");
  const wchar_t* names[] = {L"general", L"location", L"network", L"exclusion", L"scheduler"};
  for (int page : {0, 1, 2, 3, 4}) {
    f.tab(page);
    f.screenshot(std::wstring(L"prefs_ja_") + names[page]);
  }
}

// The modal run the main window uses: Cancel leaves the settings as they were.
TEST_F(SettingsWindow, ModalDialogCancelledChangesNothing) {
  settings_dialog_fixture f;
  app_settings_record before = app_settings;
  gui::dialog_answerer cancel(L"Options", IDCANCEL);
  preferences_report report;
  EXPECT_EQ(show_preferences_dialog(f.main, report), 2);
  EXPECT_EQ(cancel.answered(), 1);
  EXPECT_FALSE(report.download_folder_changed);
  EXPECT_FALSE(report.exclusions_removed);
  EXPECT_EQ(std::memcmp(&before, &app_settings, sizeof before), 0);
  EXPECT_EQ(f.main.redraws, 0);
}

}  // namespace
