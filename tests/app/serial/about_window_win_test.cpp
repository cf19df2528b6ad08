// The about dialog and the mask over the main window. Serial: the link test points the
// prefix's https handler at a logging stand-in, and a main window of these tests must not meet
// the process tests' second starts.
#include "app/about_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/wide.h"
#include "tests/app/main_window_fixture.h"

namespace fs = std::filesystem;

namespace {

using namespace main_window_test;

int text_width(HFONT font, const std::u16string& text) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  SIZE size = {};
  GetTextExtentPoint32W(screen, as_wide(text), static_cast<int>(text.size()), &size);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return size.cx;
}

class AboutWindow : public MainWindowTest {};

}  // namespace

// Menu 40017: the dialog, centred on the main window, over the translucent mask on the
// disabled main window; its controls where they belong; everything back once it closes.
TEST_F(AboutWindow, FromTheMenuOverTheMaskOnTheDisabledMainWindow) {
  HWND w = make();
  ASSERT_NE(w, nullptr);
  HWND mask = window_->mask_window();
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(GetWindow(mask, GW_OWNER), w);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(mask, GWL_STYLE)) & ~WS_VISIBLE, 0x86000000u);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(mask, GWL_EXSTYLE)), 0x80020u);
  EXPECT_FALSE(IsWindowVisible(mask));

  struct {
    bool seen = false;
    RECT dialog = {}, main = {}, mask = {}, ok = {}, link = {};
    HWND owner = nullptr, handle = nullptr, found = nullptr;
    bool main_enabled = true, mask_visible = false, cancel_visible = true, ok_visible = false;
    BYTE alpha = 0;
    DWORD flags = 0;
    std::wstring link_text;
  } seen;
  ShowWindow(w, SW_HIDE);  // shown first when hidden
  dialog_watch watch(L"About Vantoril", [&](HWND d) {
    seen.seen = true;
    GetWindowRect(d, &seen.dialog);
    GetWindowRect(w, &seen.main);
    GetWindowRect(mask, &seen.mask);
    seen.owner = GetWindow(d, GW_OWNER);
    seen.handle = d;
    // What a second start or the tray brings to the front: the dialog, found through the mask.
    seen.found = window_->open_dialog();
    seen.main_enabled = IsWindowEnabled(w) != FALSE;
    seen.mask_visible = IsWindowVisible(mask) != FALSE;
    GetLayeredWindowAttributes(mask, nullptr, &seen.alpha, &seen.flags);
    HWND ok = GetDlgItem(d, IDOK);
    seen.ok = gui::rect_in_parent(ok);
    seen.ok_visible = IsWindowVisible(ok) != FALSE;
    seen.cancel_visible = IsWindowVisible(GetDlgItem(d, IDCANCEL)) != FALSE;
    for (HWND child = GetWindow(d, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (GetDlgCtrlID(child) == IDOK || GetDlgCtrlID(child) == IDCANCEL) continue;
      seen.link = gui::rect_in_parent(child);
      seen.link_text = gui::window_text(child);
    }
    gui::pump_for(300);
    shot(w, "about");
    PostMessageW(d, WM_COMMAND, IDOK, 0);
    return true;
  });
  PostMessageW(w, WM_COMMAND, 40017, 0);
  ASSERT_TRUE(gui::pump_until([&] { return watch.done && IsWindowEnabled(w); }, 8000));
  ASSERT_TRUE(seen.seen);
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(seen.dialog.right - seen.dialog.left, 500);
  EXPECT_EQ(seen.dialog.bottom - seen.dialog.top, 400);
  EXPECT_LE(std::abs((seen.dialog.left + seen.dialog.right) - (seen.main.left + seen.main.right)), 2);
  EXPECT_LE(std::abs((seen.dialog.top + seen.dialog.bottom) - (seen.main.top + seen.main.bottom)), 2);
  EXPECT_EQ(seen.owner, mask);
  EXPECT_EQ(seen.found, seen.handle);
  EXPECT_FALSE(seen.main_enabled);
  EXPECT_TRUE(seen.mask_visible);
  EXPECT_TRUE(EqualRect(&seen.mask, &seen.main));
  EXPECT_EQ(seen.alpha, 100);
  EXPECT_EQ(seen.flags & LWA_ALPHA, static_cast<DWORD>(LWA_ALPHA));
  EXPECT_EQ(seen.ok.left, 368);
  EXPECT_EQ(seen.ok.top, 366);
  EXPECT_EQ(seen.ok.right - seen.ok.left, 96);
  EXPECT_EQ(seen.ok.bottom - seen.ok.top, 27);
  EXPECT_TRUE(seen.ok_visible);
  EXPECT_FALSE(seen.cancel_visible);
  const std::u16string address = home_page_url();
  EXPECT_EQ(seen.link_text, std::wstring(as_wide(address)));
  EXPECT_EQ(seen.link.left, 151);
  EXPECT_EQ(seen.link.top, 260);
  EXPECT_EQ(seen.link.right - seen.link.left, text_width(font_normal_9, address));
  EXPECT_EQ(seen.link.bottom - seen.link.top, 40);
  // Back to normal.
  EXPECT_TRUE(IsWindowEnabled(w));
  EXPECT_FALSE(IsWindowVisible(mask));
}

// OK ends the dialog with 1; the close button, Cancel and Escape with 2.
TEST_F(AboutWindow, OkEndsWithOneTheCloseButtonAndEscapeWithTwo) {
  gui::recording_window owner;
  const struct {
    const char* how;
    int expected;
  } rows[] = {{"ok", 1}, {"close", 2}, {"escape", 2}, {"cancel", 2}};
  for (const auto& r : rows) {
    const std::string how = r.how;
    dialog_watch watch(L"About Vantoril", [&](HWND d) {
      RECT client = gui::client_rect(d);
      if (how == "ok") {
        gui::click_at(GetDlgItem(d, IDOK), 48, 13);
      } else if (how == "close") {
        gui::click_at(d, client.right - 20, 10);
      } else if (how == "escape") {
        gui::press_key(GetDlgItem(d, IDOK), VK_ESCAPE);
      } else {
        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
      }
      return true;
    });
    EXPECT_EQ(show_about_dialog(owner.handle()), r.expected) << r.how;
    EXPECT_TRUE(IsWindowEnabled(owner.handle())) << r.how;
  }
}

// The home page link hands its address to the shell's https handler: here a stand-in that
// logs its command line.
TEST_F(AboutWindow, TheLinkOpensTheHomePageThroughTheShell) {
  temp_folder folder;
  const fs::path log = folder.path() / "standin.log";
  set_env("VANTORIL_STANDIN_LOG", log.string());
  wchar_t module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::wstring handler = fs::path(module).parent_path().wstring() + L"\\DPInst64.exe";
  const std::wstring command = L"\"" + handler + L"\" \"%1\"";
  const wchar_t key_path[] = L"Software\\Classes\\https\\shell\\open\\command";
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  wchar_t before[1024] = {};
  DWORD before_size = sizeof(before);
  const bool had_value = RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(before),
                                          &before_size) == ERROR_SUCCESS;
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));

  gui::recording_window owner;
  dialog_watch watch(L"About Vantoril", [&](HWND d) {
    for (HWND child = GetWindow(d, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (GetDlgCtrlID(child) != IDOK && GetDlgCtrlID(child) != IDCANCEL) gui::click_at(child, 5, 8);
    gui::pump_until([&] { return fs::exists(log) && fs::file_size(log) > 0; }, 10000);
    PostMessageW(d, WM_COMMAND, IDOK, 0);
    return true;
  });
  EXPECT_EQ(show_about_dialog(owner.handle()), 1);

  if (had_value)
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(before), before_size);
  else
    RegDeleteValueW(key, nullptr);
  RegCloseKey(key);
  set_env("VANTORIL_STANDIN_LOG", "");

  const std::string logged = read_file_bytes(log);
  EXPECT_NE(logged.find("DPInst64.exe\t"), std::string::npos) << logged;
  EXPECT_NE(logged.find(std::string("\"https://www.vantoril.com\"")), std::string::npos) << logged;
}
