// The uninstall page inside the main window: made hidden with the other pages, filled when a
// scan ends, shown for navigation entry 5, and its uninstall's message owned by the main
// window. Serial: it makes the process's main window.
#include <gtest/gtest.h>

#include <atomic>

#include "app/app_window.h"
#include "engine/install_jobs.h"
#include "tests/engine/backup_fixture.h"
#include "tests/support/gui_driver.h"
#include "tests/support/service_launcher.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace {

std::atomic<int> shown{0};
std::atomic<void*> shown_owner{nullptr};

int record_message(void* owner, int, const char16_t*) {
  shown_owner = owner;
  ++shown;
  return 1;
}
int answer_ok(void*, int, const char16_t*) { return 1; }
// The store is the test's: the scan leaves it as it is.
int32_t keep_store(void*) { return 0; }
bool no_version_check(int, void*) { return true; }
bool no_autorun() { return true; }

TEST(UninstallPageMain, AScanInMode3ShowsTheFilledPageAndRemoveTellsOverTheMainWindow) {
  load_language(u"en");
  create_ui_fonts("en", 61);
  create_brushes();
  create_pens();
  keep_loopback_off_proxies();
  stand_in_service service;  // an empty catalog for the matching exchange
  ASSERT_TRUE(service.running());
  service.use_for_endpoints();
  set_default_settings();
  app_settings.CheckVersion = 0;

  backup_test::files store;
  store.package(u"cam_1a");
  store.package(u"net_2b");
  store.device(u"USB\\VID_1\\1", u"oem5.inf", u"cam_1a");
  store.device(u"PCI\\VEN_2\\1", u"oem9.inf", u"net_2b");
  const std::filesystem::path log = store.temp.path() / "standin.log";
  SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", log.wstring().c_str());
  job_bindings b;
  b.show_message = record_message;
  set_job_bindings(b);

  main_window_c::seams s;
  s.show_message = answer_ok;
  s.start_version_check = no_version_check;
  s.apply_autorun = no_autorun;
  s.scan.device_scan = keep_store;
  s.scan.dialog = answer_ok;
  s.work_wait_ms = 5000;
  {
    main_window_c window(s);
    HWND w = window.create_window();
    ASSERT_TRUE(w);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    uninstall_window_c& page = window.uninstall_page;
    ASSERT_TRUE(page.handle());
    EXPECT_EQ(GetParent(page.handle()), w);
    EXPECT_EQ(DWORD(GetWindowLongW(page.handle(), GWL_STYLE)), 0x46000000u);

    SendMessageW(w, WM_APP_SIDEBAR_COMMAND, 5, 0);  // mode 3, and a scan
    ASSERT_TRUE(gui::pump_until([&] { return window.state() == main_results; }, 30000));
    EXPECT_EQ(window.current_page(), page.handle());
    EXPECT_TRUE(IsWindowVisible(page.handle()));
    EXPECT_EQ(page.available_count(), 2);
    EXPECT_EQ(page.inbox_count(), 0);
    ASSERT_EQ(page.rows.stack().rows.size(), 3u);  // one header, two rows
    gui::pump_for(100);
    wchar_t dir[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
    if (n && n < MAX_PATH) {
      RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
      gui::save_screen_bmp(w, std::wstring(dir) + L"\\uninstall-main.bmp");
    }

    auto* row = static_cast<uninstall_panel_c*>(page.rows.stack().rows[2]);
    SendMessageW(row->handle(), WM_COMMAND, MAKEWPARAM(uninstall_panel_c::remove_id, BN_CLICKED), 0);
    ASSERT_TRUE(gui::pump_until([&] { return shown == 1 && !page.uninstall_running(); }, 20000));
    EXPECT_EQ(shown_owner.load(), static_cast<void*>(w));
    std::string logged = read_file_bytes(log);
    EXPECT_NE(logged.find("/U \""), std::string::npos) << logged;
    EXPECT_NE(logged.find("\\inf\\oem9.inf\""), std::string::npos) << logged;

    // A second scan rebuilds the rows over the new list.
    SendMessageW(w, WM_APP_SIDEBAR_COMMAND, 1, 0);
    SendMessageW(w, WM_APP_START_SCAN, 0, 0);
    ASSERT_TRUE(gui::pump_until([&] { return window.state() == main_results; }, 30000));
    ASSERT_EQ(page.rows.stack().rows.size(), 3u);
    EXPECT_EQ(static_cast<uninstall_panel_c*>(page.rows.stack().rows[1])->entry(), &backup_list[0]);
    DestroyWindow(w);
  }
  SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", nullptr);
  set_job_bindings(job_bindings());
  delete_ui_objects();
  gui::drop_quit_message();
}

}  // namespace
