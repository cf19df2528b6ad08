#include "widgets/tray_icon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/gui_driver.h"
#include "widgets/language.h"

namespace {

// What reached the shell.
struct shell_call {
  DWORD what;
  NOTIFYICONDATAW data;
};
std::vector<shell_call> shell_calls;
BOOL shell_answer = TRUE;
BOOL WINAPI recording_shell(DWORD what, PNOTIFYICONDATAW data) {
  shell_calls.push_back({what, *data});
  return shell_answer;
}

// A main window with the tray part: it records its commands, the menu's texts as they are at
// opening, which window was in front then, and the WM_NULL that follows the menu. When told,
// it picks the third item (the second command) with the keyboard.
struct tray_window : window_impl<tray_window>, CTrayIconImpl<tray_window> {
  std::vector<WPARAM> commands;
  std::vector<std::wstring> menu_texts;
  // Activations since the last tray message, and whether one came before the menu opened:
  // read from the window's own messages, as other tests on the screen may take the front.
  int activations = 0;
  bool activated_at_opening = false;
  int nulls_after_menu = 0;
  bool menu_open = false;
  bool choose = true;

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override {
    if (process_tray_upkeep(message, wparam)) return true;
    if (message == tray_message) {
      activations = 0;
      result = on_tray_icon(wparam, lparam);
      menu_open = false;
      return true;
    }
    switch (message) {
      case WM_COMMAND:
        commands.push_back(wparam);
        return true;
      case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE) activations += 1;
        return false;
      case WM_NULL:
        nulls_after_menu += 1;
        return false;
      case WM_INITMENUPOPUP: {
        menu_open = true;
        activated_at_opening = activations > 0;
        HMENU menu = reinterpret_cast<HMENU>(wparam);
        menu_texts.clear();
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
          wchar_t text[128] = {};
          GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
          menu_texts.push_back(text);
        }
        UINT keys[] = {VK_DOWN, VK_DOWN, VK_RETURN};
        if (!choose) keys[0] = keys[1] = keys[2] = VK_ESCAPE;
        for (UINT k : keys) gui::press_key(window, k);
        return false;
      }
      default:
        return false;
    }
  }
};

struct tray_fixture : testing::Test {
  tray_window tray;
  void SetUp() override {
    load_language(u"en");
    shell_calls.clear();
    shell_answer = TRUE;
    RECT area = {100, 100, 500, 400};
    ASSERT_TRUE(tray.create(nullptr, area, L"Tray owner", WS_POPUP | WS_VISIBLE));
    tray.notify_icon = &recording_shell;
  }
  void TearDown() override { unload_language(); }
  void mouse(UINT message) { SendMessageW(tray, tray.tray_message, tray_icon_id, message); }
  // Puts another window in front of the tray's owner.
  void bring_to_front(HWND other) {
    ASSERT_TRUE(gui::pump_until([&] {
      SetForegroundWindow(other);
      return GetForegroundWindow() == other;
    }));
  }
};

TEST_F(tray_fixture, AddsTheIconWithItsIdTipAndMessage) {
  EXPECT_EQ(tray.tray_message, RegisterWindowMessageW(L"WM_TRAYICON"));
  EXPECT_FALSE(tray.installed);
  HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
  ASSERT_TRUE(tray.install_icon(icon));
  ASSERT_EQ(shell_calls.size(), 1u);
  const NOTIFYICONDATAW& d = shell_calls[0].data;
  EXPECT_EQ(shell_calls[0].what, DWORD(NIM_ADD));
  if (sizeof(void*) == 4) {
    EXPECT_EQ(d.cbSize, 952u);
  }
  EXPECT_EQ(d.cbSize, DWORD(offsetof(NOTIFYICONDATAW, guidItem) + sizeof(GUID)));
  EXPECT_EQ(d.hWnd, tray.handle());
  EXPECT_EQ(d.uID, 201u);
  EXPECT_EQ(d.uFlags, 7u);
  EXPECT_EQ(d.uCallbackMessage, tray.tray_message);
  EXPECT_EQ(d.hIcon, icon);
  EXPECT_EQ(std::wstring(d.szTip), L"Vantoril");

  tray.remove_icon();
  ASSERT_EQ(shell_calls.size(), 2u);
  EXPECT_EQ(shell_calls[1].what, DWORD(NIM_DELETE));
  EXPECT_EQ(shell_calls[1].data.uID, 201u);
  EXPECT_EQ(shell_calls[1].data.uFlags, 0u);
}

TEST_F(tray_fixture, RefusedIconIsNeverRemoved) {
  shell_answer = FALSE;
  EXPECT_FALSE(tray.install_icon(LoadIconW(nullptr, IDI_APPLICATION)));
  EXPECT_FALSE(tray.installed);
  tray.remove_icon();
  EXPECT_EQ(shell_calls.size(), 1u);
}

TEST_F(tray_fixture, ARefusedIconIsTriedAgainAndARestartedShellGetsItBack) {
  shell_answer = FALSE;
  EXPECT_FALSE(tray.install_icon(LoadIconW(nullptr, IDI_APPLICATION)));
  // The retry timer: refused again, then taken; after that it stops.
  SendMessageW(tray, WM_TIMER, tray_retry_timer, 0);
  shell_answer = TRUE;
  SendMessageW(tray, WM_TIMER, tray_retry_timer, 0);
  EXPECT_TRUE(tray.installed);
  SendMessageW(tray, WM_TIMER, tray_retry_timer, 0);
  ASSERT_EQ(shell_calls.size(), 3u);
  for (const shell_call& c : shell_calls) EXPECT_EQ(c.what, DWORD(NIM_ADD));

  // Explorer restarted: the icon is added again, with the same id and message.
  EXPECT_EQ(tray.taskbar_created_message, RegisterWindowMessageW(L"TaskbarCreated"));
  SendMessageW(tray, tray.taskbar_created_message, 0, 0);
  ASSERT_EQ(shell_calls.size(), 4u);
  EXPECT_EQ(shell_calls[3].what, DWORD(NIM_ADD));
  EXPECT_EQ(shell_calls[3].data.uID, 201u);
  EXPECT_EQ(shell_calls[3].data.uCallbackMessage, tray.tray_message);
  EXPECT_TRUE(tray.installed);

  // Once removed, neither brings it back.
  tray.remove_icon();
  SendMessageW(tray, tray.taskbar_created_message, 0, 0);
  SendMessageW(tray, WM_TIMER, tray_retry_timer, 0);
  EXPECT_EQ(shell_calls.size(), 5u);  // only the removal
}

TEST_F(tray_fixture, TheShellTakesAndDropsTheIcon) {
  tray.notify_icon = &Shell_NotifyIconW;
  EXPECT_TRUE(tray.install_icon(LoadIconW(nullptr, IDI_APPLICATION)));
  tray.remove_icon();
}

TEST_F(tray_fixture, LeftClickHidesAShownWindowAndShowsItInFront) {
  gui::recording_window other(200, 100);
  bring_to_front(other.handle());
  mouse(WM_LBUTTONUP);
  EXPECT_FALSE(IsWindowVisible(tray));
  mouse(WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(tray));
  EXPECT_GT(tray.activations, 0);
  // A window that was minimised when it went to the tray comes back restored.
  ShowWindow(tray, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(tray));
  mouse(WM_LBUTTONUP);
  EXPECT_FALSE(IsWindowVisible(tray));
  mouse(WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(tray));
  EXPECT_FALSE(IsIconic(tray));
  // Other mouse messages over the icon do nothing.
  for (UINT m : {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN}) mouse(m);
  EXPECT_TRUE(IsWindowVisible(tray));
  EXPECT_TRUE(tray.menu_texts.empty());
}

TEST_F(tray_fixture, MenuOpensInFrontAndItsCommandReachesTheOwner) {
  gui::recording_window other(200, 100);
  bring_to_front(other.handle());
  mouse(WM_RBUTTONUP);
  // The owner was brought to the front, so a click elsewhere closes the menu.
  EXPECT_TRUE(tray.activated_at_opening);
  const std::vector<std::wstring> english = {L"&Preferences", L"",  L"Check for Updates", L"",
                                             L"Online &Help", L"&About Vantoril", L"",
                                             L"Exit"};
  EXPECT_EQ(tray.menu_texts, english);
  ASSERT_TRUE(gui::pump_until([&] { return !tray.commands.empty() && tray.nulls_after_menu; }));
  EXPECT_EQ(tray.commands, std::vector<WPARAM>{40019});
}

TEST_F(tray_fixture, MenuTextsFollowTheLanguageAtEachOpening) {
  tray.choose = false;
  mouse(WM_RBUTTONUP);
  EXPECT_EQ(tray.menu_texts[0], L"&Preferences");
  load_language(u"ja");
  mouse(WM_RBUTTONUP);
  const char* keys[] = {"menu_settings", nullptr, "menu_check_for_updates", nullptr,
                        "menu_help", "menu_about", nullptr, "menu_exit"};
  ASSERT_EQ(tray.menu_texts.size(), 8u);
  for (size_t i = 0; i < 8; ++i)
    EXPECT_EQ(tray.menu_texts[i], keys[i] ? as_wide(get_text(keys[i])) : L"") << i;
  EXPECT_EQ(tray.menu_texts[7], L"\u7D42\u4E86");  // "Exit" in Japanese
  gui::pump_for(50);
  EXPECT_TRUE(tray.commands.empty());
}

}  // namespace
