// The about dialog and the mask over the main window, and the main window's waits for its
// modal dialogs: a scan's end under the preferences dialog. Serial: the link test points the
// prefix's https handler at a logging stand-in, and a main window of these tests must not meet
// the process tests' second starts.
#include "app/about_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/app_window.h"
#include "base/wide.h"
#include "engine/device_store.h"
#include "engine/settings.h"
#include "tests/support/gui_driver.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace fs = std::filesystem;

namespace {

// Calls `on_dialog` from a timer (modal loops run our timers too) with the first visible
// dialog of this thread titled `title`, until it returns true.
struct dialog_watch {
  static dialog_watch*& current() {
    static dialog_watch* w = nullptr;
    return w;
  }
  std::wstring title;
  std::function<bool(HWND)> on_dialog;
  bool done = false;
  bool busy = false;  // on_dialog may pump messages, this timer's among them
  UINT_PTR timer = 0;

  dialog_watch(const wchar_t* t, std::function<bool(HWND)> f) : title(t), on_dialog(std::move(f)) {
    current() = this;
    timer = SetTimer(nullptr, 0, 30, tick);
  }
  ~dialog_watch() {
    KillTimer(nullptr, timer);
    current() = nullptr;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    dialog_watch* w = current();
    if (!w || w->done || w->busy) return;
    HWND d = gui::find_window(L"#32770", w->title.c_str());
    if (!d || !IsWindowVisible(d)) return;
    w->busy = true;
    if (w->on_dialog(d)) w->done = true;
    w->busy = false;
  }
};

// A screenshot of the screen's part under `window` into VANTORIL_SCREENSHOT_DIR when set.
void shot(HWND window, const char* name) {
  wchar_t dir[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  gui::save_screen_bmp(window, (fs::path(dir) / (std::string(name) + ".bmp")).wstring());
}

int text_width(HFONT font, const std::u16string& text) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  SIZE size = {};
  GetTextExtentPoint32W(screen, as_wide(text), static_cast<int>(text.size()), &size);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return size.cx;
}

void ignore_url(const char16_t*, void*) {}
int answer_ok(void*, int, const char16_t*) { return 1; }
int answer_cancel(void*, int, const char16_t*) { return 2; }
bool no_version_check(int, void*) { return true; }
bool no_autorun() { return true; }

class AboutWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    load_language(u"en");
    create_ui_fonts("en", 61);
    create_brushes();
    create_device_store();
    keep_loopback_off_proxies();
    service_ = new stand_in_service;  // an empty catalog: scans end with no drivers
  }
  static void TearDownTestSuite() {
    delete service_;
    service_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(service_->running());
    service_->use_for_endpoints();
    set_default_settings();
    app_settings.CheckVersion = 0;
    app_settings.Autorun = 0;
  }
  void TearDown() override {
    window_.reset();
    gui::drop_quit_message();
  }
  HWND make() {
    main_window_c::seams s;
    s.open_url = ignore_url;
    s.show_message = answer_ok;
    s.start_version_check = no_version_check;
    s.apply_autorun = no_autorun;
    s.scan.dialog = answer_cancel;
    s.work_wait_ms = 5000;
    window_ = std::make_unique<main_window_c>(s);
    HWND w = window_->create_window();
    if (w) {
      SetWindowPos(w, HWND_TOP, 200, 150, 0, 0, SWP_NOSIZE);
      ShowWindow(w, SW_SHOW);
    }
    gui::pump_for(50);
    return w;
  }

  std::unique_ptr<main_window_c> window_;
  static stand_in_service* service_;
};
stand_in_service* AboutWindow::service_ = nullptr;

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
    HWND owner = nullptr;
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

// A scan that ends while the preferences dialog is open leaves the dialog its focus; the
// mode's page comes once the dialog has closed.
TEST_F(AboutWindow, AScansEndUnderThePreferencesWaitsForThemToClose) {
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
