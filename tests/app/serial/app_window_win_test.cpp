// The main window in this process: its shape, geometry, caption buttons, menu, the activation
// and modal rules, the version messages and the quit with running work. Serial: a second start
// in the process tests must find no main window of these tests.
#include "app/app_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/process_entry.h"
#include "base/text.h"
#include "base/wide.h"
#include "engine/device_store.h"
#include "engine/download_sessions.h"
#include "engine/helpers.h"
#include "engine/net_client.h"
#include "engine/settings.h"
#include "engine/thread.h"
#include "engine/version_check.h"
#include "tests/support/gui_driver.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"
#include "tests/app/main_window_fixture.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/message_window.h"
#include "widgets/ui_fonts.h"

namespace {

struct message_seen {
  int type;
  std::u16string text;
};

// What the window handed outside, for the test to read.
struct outside_record {
  std::vector<std::u16string> opened;
  std::vector<message_seen> messages;
  std::vector<int> version_checks;
  int autorun_applied = 0;
  int answer = 1;  // the answer of every message dialog
  // Runs inside a message dialog, as the user would meanwhile.
  void (*while_open)() = nullptr;
};
outside_record* outside = nullptr;

void record_open(const char16_t* url, void*) { outside->opened.push_back(url); }
int record_message(void*, int type, const char16_t* text) {
  outside->messages.push_back({type, text});
  if (outside->while_open) outside->while_open();
  return outside->answer;
}
// The scan page's error dialog: Cancel, so that a failed scan goes back home.
int record_scan_dialog(void*, int, const char16_t*) { return 2; }
bool record_autorun() {
  ++outside->autorun_applied;
  return true;
}
bool record_version_check(int flag, void*) {
  outside->version_checks.push_back(flag);
  return true;
}

class AppWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    load_language(u"en");
    create_ui_fonts("en", 61);
    create_brushes();
    create_device_store();
    keep_loopback_off_proxies();
    // The scans these tests start ask a stand-in with an empty catalog.
    service_ = new stand_in_service;
  }
  static void TearDownTestSuite() {
    delete service_;
    service_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(service_->running());
    service_->use_for_endpoints();
    outside = &record_;
    main_window_test::quiet_settings();
  }
  void TearDown() override {
    window_.reset();
    gui::drop_quit_message();
    outside = nullptr;
  }
  main_window_c::seams test_seams() {
    main_window_c::seams s;
    s.open_url = record_open;
    s.show_message = record_message;
    s.start_version_check = record_version_check;
    s.apply_autorun = record_autorun;
    s.scan.dialog = record_scan_dialog;
    s.work_wait_ms = 5000;
    return s;
  }
  HWND make(start_switch start = start_switch::plain, bool show = true) {
    window_ = std::make_unique<main_window_c>(test_seams());
    HWND w = window_->create_window(start);
    // Shown windows go to the screen's bottom-right corner, out of the way of the window tests
    // that click with real input at the screen's top left.
    if (w && show) {
      SetWindowPos(w, HWND_BOTTOM, GetSystemMetrics(SM_CXSCREEN) - 800,
                   GetSystemMetrics(SM_CYSCREEN) - 600, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
      ShowWindow(w, SW_SHOWNOACTIVATE);
    }
    gui::pump_for(50);
    return w;
  }
  int width() const { return gui::client_rect(window_->handle()).right; }

  outside_record record_;
  std::unique_ptr<main_window_c> window_;
  static stand_in_service* service_;
};
stand_in_service* AppWindow::service_ = nullptr;

}  // namespace

TEST_F(AppWindow, ACentredPopupOfItsOwnClassTitledWithTheProduct) {
  HWND w = make(start_switch::plain, false);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE)), 0x860B0000u);
  EXPECT_EQ(GetWindowLongW(w, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
  EXPECT_EQ(gui::window_text(w), L"Vantoril");
  wchar_t class_name[64] = {};
  GetClassNameW(w, class_name, 64);
  EXPECT_STREQ(class_name, L"Vantoril.MainWindow");
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 800);
  EXPECT_EQ(r.bottom - r.top, 600);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(std::abs((r.left + r.right) / 2 - (work.left + work.right) / 2), 1);
  EXPECT_LE(std::abs((r.top + r.bottom) / 2 - (work.top + work.bottom) / 2), 1);
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_TRUE(window_->installed);  // the tray icon is there while the window is hidden
  EXPECT_EQ(window_->current_page(), window_->home_page.handle());
  // The bar and the home page show, the other pages are made hidden; all clip their siblings.
  const struct {
    HWND child;
    DWORD style;
  } children[] = {{window_->sidebar.handle(), 0x56000000u},     {window_->home_page.handle(), 0x56000000u},
                  {window_->scan_page.handle(), 0x46000000u},   {window_->backup_page.handle(), 0x46000000u},
                  {window_->restore_page.handle(), 0x46000000u}, {window_->download_page.handle(), 0x46000000u},
                  {window_->uninstall_page.handle(), 0x46000000u}};
  for (const auto& c : children)
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(c.child, GWL_STYLE)), c.style) << gui::window_text(c.child);

  // A second start takes it by class and title.
  HWND found = nullptr;
  EXPECT_FALSE(find_main_window_proc(w, reinterpret_cast<LPARAM>(&found)));
  EXPECT_EQ(found, w);
}

TEST_F(AppWindow, AWindowTitledVantorilOfAnotherClassIsNotTheMainWindow) {
  // Other test programs of this prefix may have main windows of their own: the callback is
  // asked about each window directly.
  HWND decoy = CreateWindowExW(0, L"STATIC", L"Vantoril", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(decoy, nullptr);
  HWND found = nullptr;
  EXPECT_TRUE(find_main_window_proc(decoy, reinterpret_cast<LPARAM>(&found)));
  EXPECT_EQ(found, nullptr);
  HWND w = make(start_switch::plain, false);
  SetWindowTextW(w, L"VANTORIL");  // the title is compared without regard to case
  EXPECT_FALSE(find_main_window_proc(w, reinterpret_cast<LPARAM>(&found)));
  EXPECT_EQ(found, w);
  found = nullptr;
  SetWindowTextW(w, L"Vantoril - Explorer");
  EXPECT_TRUE(find_main_window_proc(w, reinterpret_cast<LPARAM>(&found)));
  EXPECT_EQ(found, nullptr);
  DestroyWindow(decoy);
}

TEST_F(AppWindow, PagesSitAt187AfterAResizeAnd188AfterASwitch) {
  HWND w = make();
  const int h = gui::client_rect(w).bottom;
  RECT bar = gui::rect_in_parent(window_->sidebar.handle());
  EXPECT_EQ(bar.left, 1);
  EXPECT_EQ(bar.top, 100);
  EXPECT_EQ(bar.right - bar.left, 187);
  EXPECT_EQ(bar.bottom - bar.top, h - 121);

  SetWindowPos(w, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
  gui::pump_for(20);
  RECT page = gui::rect_in_parent(window_->current_page());
  EXPECT_EQ(page.left, 187);
  EXPECT_EQ(page.top, 100);
  EXPECT_EQ(page.right - page.left, 900 - 188);
  EXPECT_EQ(page.bottom - page.top, 700 - 121);

  SendMessageW(w, WM_APP_START_SCAN, 0, 0);
  EXPECT_EQ(window_->current_page(), window_->scan_page.handle());
  page = gui::rect_in_parent(window_->scan_page.handle());
  EXPECT_EQ(page.left, 188);
  EXPECT_EQ(page.right - page.left, 900 - 189);
  EXPECT_FALSE(IsWindowVisible(window_->home_page.handle()));

  // Never smaller than 800 x 600.
  SetWindowPos(w, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
  MINMAXINFO info = {};
  SendMessageW(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 800);
  EXPECT_EQ(info.ptMinTrackSize.y, 600);
  EXPECT_EQ(info.ptMaxSize.y, GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION));
}

TEST_F(AppWindow, CaptionButtonsDoWhatTheySay) {
  HWND w = make();
  const int W = width();
  gui::click_at(w, W - 54, 10);  // maximise, 40-68 from the right edge
  ASSERT_TRUE(gui::pump_until([&] { return IsZoomed(w) != FALSE; }, 2000));
  const int maximised = width();
  gui::click_at(w, maximised - 54, 10);
  ASSERT_TRUE(gui::pump_until([&] { return !IsZoomed(w); }, 2000));
  gui::click_at(w, width() - 82, 10);  // minimise, 68-96
  ASSERT_TRUE(gui::pump_until([&] { return IsIconic(w) != FALSE; }, 2000));
  ShowWindow(w, SW_RESTORE);
  gui::pump_for(50);

  app_settings.CloseToTray = 1;
  gui::click_at(w, width() - 20, 10);  // close, 0-40
  ASSERT_TRUE(gui::pump_until([&] { return !IsWindowVisible(w); }, 2000));
  EXPECT_TRUE(IsWindow(w));

  ShowWindow(w, SW_SHOW);
  app_settings.CloseToTray = 0;
  gui::click_at(w, width() - 20, 10);
  EXPECT_TRUE(gui::pump_until([&] { return !IsWindow(w); }, 2000));
}

namespace {

struct menu_seen {
  std::vector<std::wstring> texts;
  std::vector<UINT> ids;
  RECT place = {};
  bool opened = false;
};
menu_seen* seen_menu = nullptr;

void CALLBACK read_open_menu(HWND, UINT, UINT_PTR id, DWORD) {
  // This thread's menu: other tests on the screen open menus of their own.
  HWND menu_window = gui::find_window(L"#32768");
  if (!menu_window) return;
  KillTimer(nullptr, id);
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
  seen_menu->opened = true;
  GetWindowRect(menu_window, &seen_menu->place);
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
    seen_menu->texts.push_back(text);
    seen_menu->ids.push_back(GetMenuItemID(menu, i));
  }
  EndMenu();
}

}  // namespace

TEST_F(AppWindow, TheMenuButtonOpensTheMenuAtItsPlaceWithItsTexts) {
  HWND w = make();
  // Room for the menu right of its point.
  SetWindowPos(w, nullptr, GetSystemMetrics(SM_CXSCREEN) - 1100, GetSystemMetrics(SM_CYSCREEN) - 600,
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  auto open_menu = [&](menu_seen& seen) {
    seen_menu = &seen;
    SetTimer(nullptr, 0, 50, read_open_menu);
    gui::click_at(w, width() - 110, 10);  // menu, 96-124
    const bool opened = gui::pump_until([&] { return seen.opened; }, 3000);
    seen_menu = nullptr;
    return opened;
  };
  menu_seen seen;
  ASSERT_TRUE(open_menu(seen));
  const std::vector<UINT> ids = {40013, 0, 40019, 0, 40016, 40017, 0, 40018};
  EXPECT_EQ(seen.ids, ids);
  const std::vector<std::wstring> texts = {L"&Preferences", L"", L"Check for Updates", L"",
                                           L"Online &Help", L"&About Vantoril", L"", L"Exit"};
  EXPECT_EQ(seen.texts, texts);
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(seen.place.top, r.top + 10);
  // Right-aligned flags are not asked for: the menu's left edge is the point.
  EXPECT_EQ(seen.place.left, r.left + width() - 103);

  // The English texts equal the resource's own item texts, so only another language shows
  // that the texts come from the language table, read at each opening.
  struct back_to_english {
    ~back_to_english() { parse_language_ini(u"en", true, true); }
  } restore;
  parse_language_ini(u"ja", true, true);
  menu_seen japanese;
  ASSERT_TRUE(open_menu(japanese));
  const char* keys[] = {"menu_settings", nullptr, "menu_check_for_updates", nullptr,
                        "menu_help",     "menu_about", nullptr, "menu_exit"};
  ASSERT_EQ(japanese.texts.size(), 8u);
  for (size_t i = 0; i < 8; ++i)
    EXPECT_EQ(japanese.texts[i], keys[i] ? std::wstring(as_wide(get_text(keys[i]))) : L"") << i;
  EXPECT_EQ(japanese.texts[7], L"\u7D42\u4E86");  // "Exit" in Japanese
  EXPECT_EQ(japanese.ids, ids);
}

TEST_F(AppWindow, ActivationShowsAndScansOnlyWhenAskedAndNotWhileScanning) {
  HWND w = make(start_switch::plain, false);
  SendMessageW(w, WM_APP_ACTIVATE, 0, 0);
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(window_->state(), main_overview);
  SendMessageW(w, WM_APP_ACTIVATE, 1, 0);
  EXPECT_EQ(window_->state(), main_scanning);
  EXPECT_EQ(window_->current_page(), window_->scan_page.handle());
  SendMessageW(w, WM_APP_SIDEBAR_COMMAND, 1, 0);  // ignored while scanning
  EXPECT_EQ(window_->current_page(), window_->scan_page.handle());
  SendMessageW(w, WM_APP_SCAN_DONE, 3, 0);
  EXPECT_EQ(window_->state(), main_results);
  EXPECT_EQ(window_->sidebar.results_available, 1);
  EXPECT_EQ(window_->scan_page.phase, 0);
  SendMessageW(w, WM_APP_SIDEBAR_COMMAND, 1, 0);
  EXPECT_EQ(window_->current_page(), window_->home_page.handle());
}

TEST_F(AppWindow, AMinimisedWindowComesBackRestoredAndTrayMovesUnderADialogChangeNothing) {
  HWND w = make();
  // A second start while the window is minimised.
  ShowWindow(w, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(w));
  SendMessageW(w, WM_APP_ACTIVATE, 0, 0);
  EXPECT_FALSE(IsIconic(w));
  EXPECT_TRUE(IsWindowVisible(w));

  // Minimised, then hidden to the tray, under a dialog.
  ShowWindow(w, SW_MINIMIZE);
  ShowWindow(w, SW_HIDE);
  EnableWindow(w, FALSE);
  for (LPARAM mouse : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
    SendMessageW(w, window_->tray_message, tray_icon_id, mouse);
    EXPECT_FALSE(IsWindowVisible(w)) << mouse;
  }
  // A click brings the dialog's owner back, restored.
  SendMessageW(w, window_->tray_message, tray_icon_id, WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_FALSE(IsIconic(w));
  EnableWindow(w, TRUE);
}

int icon_adds = 0;
BOOL WINAPI count_icon_adds(DWORD what, PNOTIFYICONDATAW) {
  if (what == NIM_ADD) ++icon_adds;
  return TRUE;
}

TEST_F(AppWindow, ARestartedShellGetsTheTrayIconBack) {
  HWND w = make();
  icon_adds = 0;
  auto shell = window_->notify_icon;
  window_->notify_icon = count_icon_adds;
  SendMessageW(w, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(icon_adds, 1);
  EXPECT_TRUE(window_->installed);
  window_->notify_icon = shell;
}

TEST_F(AppWindow, AutoscanStartsTheScanBeforeCreationReturns) {
  make(start_switch::autoscan);
  EXPECT_EQ(window_->state(), main_scanning);
  EXPECT_EQ(window_->current_page(), window_->scan_page.handle());
}

TEST_F(AppWindow, ScanRequestsWaitWhileADialogIsOpen) {
  HWND w = make();
  // A modal dialog disables its owner; a scan asked for meanwhile waits until it closes.
  EnableWindow(w, FALSE);
  SendMessageW(w, WM_APP_ACTIVATE, 1, 0);
  SendMessageW(w, WM_APP_START_SCAN, 0, 0);
  EXPECT_EQ(window_->state(), main_overview);
  EXPECT_EQ(window_->current_page(), window_->home_page.handle());
  SendMessageW(w, WM_COMMAND, 40018, 0);  // Exit from the tray waits too
  EXPECT_TRUE(IsWindow(w));
  EnableWindow(w, TRUE);
  gui::pump_for(50);  // what waited runs from the message loop
  EXPECT_EQ(window_->state(), main_scanning);  // the one waiting scan
  EXPECT_FALSE(IsWindow(w));                   // and the waiting Exit
}

namespace {
HWND dialog_owner = nullptr;
int32_t state_inside_dialog = -1;
main_window_c* window_inside = nullptr;
void activate_inside_dialog() {
  // What a second start and a scheduled scan do while the user reads the dialog.
  SendMessageW(dialog_owner, WM_APP_ACTIVATE, 1, 0);
  state_inside_dialog = window_inside->state();
}
void CALLBACK act_then_close(HWND, UINT, UINT_PTR id, DWORD) {
  // Again on every tick until the dialog is there to be closed.
  HWND dialog = window_inside->open_dialog();
  if (!dialog) return;
  KillTimer(nullptr, id);
  activate_inside_dialog();
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}
void open_real_dialog() {
  SetTimer(nullptr, 0, 100, act_then_close);
  show_message_window(dialog_owner, 0, u"dialog");
}
}  // namespace

TEST_F(AppWindow, AScanAskedForUnderARealDialogStartsWhenItCloses) {
  HWND w = make();
  dialog_owner = w;
  window_inside = window_.get();
  // A real message dialog over the main window, closed by a timer.
  record_.while_open = open_real_dialog;
  SendMessageW(w, WM_APP_VERSION_RESULT, 0, 0);  // any message that opens a dialog
  EXPECT_EQ(state_inside_dialog, main_overview);
  gui::pump_until([&] { return window_->state() == main_scanning; }, 2000);
  EXPECT_EQ(window_->state(), main_scanning);
}

TEST_F(AppWindow, VersionResultsAskOrTellAndOpenOnlyWebLinks) {
  HWND w = make();
  const struct {
    const char* version;
    const char* link;
    int answer;
    int type;
    const char* key;
    bool opened;
  } rows[] = {
      {"8.5.2", "http://example.com/setup.exe", 1, 3, "version_new_version", true},
      {"8.5.2", "http://example.com/setup.exe", 2, 3, "version_new_version", false},
      {"8.5.2", "file:///C:/x.exe", 1, 3, "version_new_version", false},
      {"8.5.1", "http://example.com/setup.exe", 1, 0, "version_up_to_date", false},
      {"8.4.9", "http://example.com/setup.exe", 1, 0, "version_up_to_date", false},
  };
  for (const auto& r : rows) {
    record_ = outside_record{};
    record_.answer = r.answer;
    published_version = r.version;
    published_version_link = r.link;
    SendMessageW(w, WM_APP_VERSION_RESULT, 0, 0);
    ASSERT_EQ(record_.messages.size(), 1u) << r.version;
    EXPECT_EQ(record_.messages[0].type, r.type) << r.version;
    EXPECT_EQ(record_.messages[0].text, std::u16string(get_text(r.key))) << r.version;
    EXPECT_EQ(record_.opened.size(), r.opened ? 1u : 0u) << r.version << " " << r.link;
  }
  // The menu and the caption link both ask for a check.
  SendMessageW(w, WM_COMMAND, 40019, 0);
  EXPECT_EQ(record_.version_checks, std::vector<int>{1});
  published_version.clear();
  published_version_link.clear();
}

TEST_F(AppWindow, ANewerVersionAtStartShowsOneUpdateLinkAt300) {
  app_settings.CheckVersion = 1;
  HWND w = make();
  EXPECT_EQ(record_.version_checks, std::vector<int>{0});
  published_version = "8.5.1";
  SendMessageW(w, WM_APP_SHOW_UPDATE_LINK, 0, 0);
  EXPECT_FALSE(window_->has_update_link());
  published_version = "8.5.2";
  published_version_link = "file:///C:/x.exe";
  SendMessageW(w, WM_APP_SHOW_UPDATE_LINK, 0, 0);
  SendMessageW(w, WM_APP_SHOW_UPDATE_LINK, 0, 0);
  ASSERT_TRUE(window_->has_update_link());
  int links = 0, hidden_check_links = 0;
  button_c<main_window_c>* update = nullptr;
  for (auto* item : window_->items) {
    if (item->text == get_text("version_download")) {
      ++links;
      update = item;
    }
    if (item->text == get_text("menu_check_for_updates") && !item->is_visible()) ++hidden_check_links;
  }
  EXPECT_EQ(links, 1);
  EXPECT_EQ(hidden_check_links, 1);
  ASSERT_NE(update, nullptr);
  SetWindowPos(w, nullptr, 0, 0, 1000, 700, SWP_NOMOVE | SWP_NOZORDER);
  gui::pump_for(20);
  RECT r = update->get_rect();
  EXPECT_EQ(r.left, 300);
  // A click on it never hands a file link to the shell.
  gui::click_at(w, r.left + 2, (r.top + r.bottom) / 2);
  gui::pump_for(100);
  EXPECT_TRUE(record_.opened.empty());
  published_version.clear();
  published_version_link.clear();
}

TEST_F(AppWindow, TheVersionCheckAgainstTheServiceAsksAboutANewVersion) {
  keep_loopback_off_proxies();
  const struct {
    const char* catalog;
    const char* key;
  } rows[] = {
      {R"({"version": {"version": "8.5.2", "link": "http://127.0.0.1/new.exe"}})", "version_new_version"},
      {R"({"version": {"version": "8.5.1", "link": "http://127.0.0.1/new.exe"}})", "version_up_to_date"},
  };
  for (const auto& r : rows) {
    stand_in_service service({}, r.catalog);
    ASSERT_TRUE(service.running());
    service.use_for_endpoints();
    record_ = outside_record{};
    record_.answer = 2;
    main_window_c::seams s = test_seams();
    s.start_version_check = ::start_version_check;
    window_ = std::make_unique<main_window_c>(s);
    HWND w = window_->create_window();
    ASSERT_NE(w, nullptr);
    SendMessageW(w, WM_COMMAND, 40019, 0);
    ASSERT_TRUE(gui::pump_until([&] { return !record_.messages.empty(); }, 10000)) << r.key;
    EXPECT_EQ(record_.messages[0].text, std::u16string(get_text(r.key)));
    window_.reset();
  }
}

TEST_F(AppWindow, ExitDuringADownloadAsksAndYesKeepsThePartialFile) {
  keep_loopback_off_proxies();
  temp_folder folder;
  copy_cut(app_settings.DownloadPath, folder.path().u16string());
  stand_in_service service({"--mode", "slow", "--only", "/packages/", "--delay", "0.2", "--chunk", "400"});
  ASSERT_TRUE(service.running());
  service.add_package("driver.zip", std::string(40000, 'D'));
  download_session_c* s = find_download_session(service.url("/packages/driver.zip").c_str(), 40000);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->start(), 0);
  ASSERT_TRUE(gui::pump_until([&] { return s->transfer.bytes_on_disk > 0; }, 10000));

  HWND w = make();
  record_.answer = 2;  // No: nothing changes
  SendMessageW(w, WM_COMMAND, 40018, 0);
  ASSERT_EQ(record_.messages.size(), 1u);
  EXPECT_EQ(record_.messages[0].type, 3);
  EXPECT_EQ(record_.messages[0].text, std::u16string(get_text("quit_confirm")));
  EXPECT_TRUE(IsWindow(w));
  EXPECT_TRUE(s->is_running());

  record_.answer = 1;  // Yes: the transfer stops before the window goes
  SendMessageW(w, WM_COMMAND, 40018, 0);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(s->is_running());
  EXPECT_FALSE(window_->work_left_running());
  EXPECT_EQ(finish_download_session(*s, u""), download_partial);
  std::filesystem::path partial(s->partial_path);
  EXPECT_TRUE(std::filesystem::exists(partial));
  EXPECT_GT(std::filesystem::file_size(partial), 0u);
  EXPECT_LT(std::filesystem::file_size(partial), 40000u);
  if (s->task.thread()) wait_for_thread(s->task.thread());
  download_sessions.clear();
}

TEST_F(AppWindow, ExitWithoutWorkDoesNotAskAndTheSessionEndKeepsTheLogOnStart) {
  HWND w = make();
  EXPECT_EQ(SendMessageW(w, WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(record_.autorun_applied, 1);
  SendMessageW(w, WM_COMMAND, 40018, 0);
  EXPECT_TRUE(record_.messages.empty());
  EXPECT_EQ(record_.autorun_applied, 2);
  EXPECT_FALSE(IsWindow(w));
}

namespace {
std::wstring failure_text;
int record_failure(const wchar_t* text) {
  failure_text = text;
  return IDOK;
}
bool facts_fail() { return false; }
}  // namespace

TEST(ProcessEntry, AFailedSystemFactsStepStopsTheStartWithItsMessage) {
  wchar_t folder[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, folder);
  EXPECT_EQ(init_application(facts_fail, record_failure), -1);
  SetCurrentDirectoryW(folder);
  EXPECT_EQ(failure_text, L"Application initialization failed, error code: 1.");
}

namespace {
struct options_seen {
  HWND main = nullptr;
  HWND owner = nullptr;
  bool main_disabled = false;
};
options_seen* seen_options = nullptr;
void CALLBACK read_options_dialog(HWND, UINT, UINT_PTR id, DWORD) {
  if (!seen_options || seen_options->owner) return;
  HWND dialog = FindWindowW(L"#32770", L"Options");
  if (!dialog || !IsWindowVisible(dialog)) return;
  seen_options->owner = GetWindow(dialog, GW_OWNER);
  seen_options->main_disabled = !IsWindowEnabled(seen_options->main);
  KillTimer(nullptr, id);
}
}  // namespace

// The menu's preferences command and navigation entry 6 open the dialog owned by the main
// window, shown first when it was hidden; the window is usable again once it closes.
TEST_F(AppWindow, PreferencesOpenOwnedByTheMainWindow) {
  HWND w = make(start_switch::plain, false);
  for (int way = 0; way < 2; ++way) {
    ShowWindow(w, SW_HIDE);
    options_seen seen;
    seen.main = w;
    seen_options = &seen;
    SetTimer(nullptr, 0, 30, read_options_dialog);
    gui::dialog_answerer cancel(L"Options", 2);
    if (way == 0)
      PostMessageW(w, WM_COMMAND, 40013, 0);
    else
      PostMessageW(w, WM_APP_SIDEBAR_COMMAND, 6, 0);
    ASSERT_TRUE(gui::pump_until([&] { return cancel.answered() == 1 && IsWindowEnabled(w); }, 8000)) << way;
    seen_options = nullptr;
    EXPECT_EQ(seen.owner, w) << way;
    EXPECT_TRUE(seen.main_disabled) << way;
    EXPECT_TRUE(IsWindowVisible(w)) << way;
  }
}
