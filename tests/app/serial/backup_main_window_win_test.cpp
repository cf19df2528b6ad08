// The backup page inside the main window: made hidden, filled when a scan ends, shown by
// navigation button 3, and the install's queued backup forwarded to it. Serial: a main window.
#include "app/app_window.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/backup.h"
#include "engine/settings.h"
#include "tests/app/main_window_fixture.h"
#include "tests/app/ui_setup.h"
#include "tests/engine/backup_fixture.h"
#include "tests/support/gui_driver.h"
#include "widgets/app_messages.h"

namespace fs = std::filesystem;

namespace {

using main_window_test::quiet_seams;
using main_window_test::quiet_settings;

TEST(BackupMainWindow, ScanEndFillsThePageButtonThreeShowsItAndQueuedBackupsReachIt) {
  ui_setup ui;
  quiet_settings();
  backup_test::files store;
  write_file_bytes(fs::path(store.package(u"fakecam.inf_1")) / "fakecam.inf", "[Version]\n");
  device_info& loose = store.device(u"USB\\LOOSE\\1", u"oem3.inf", u"", u"Loose", u"1.0");
  device_info& cam = store.device(u"USB\\CAM\\1", u"oem1.inf", u"fakecam.inf_1", u"Fake Camera", u"2.0");
  store.device(u"USB\\VIDEO\\1", u"usbvideo.inf", u"usbvideo.inf_2", u"USB Video", u"6.1");
  store.package(u"usbvideo.inf_2");

  main_window_c::seams s = quiet_seams();
  {
    main_window_c window(s);
    HWND w = window.create_window();
    ASSERT_TRUE(w);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    ASSERT_TRUE(window.backup_page.handle());
    EXPECT_EQ(GetParent(window.backup_page.handle()), w);
    EXPECT_EQ(DWORD(GetWindowLongW(window.backup_page.handle(), GWL_STYLE)) & 0x56000000u, 0x46000000u);

    SendMessageW(w, WM_APP_SCAN_DONE, 3, 0);
    EXPECT_EQ(backup_list.size(), 2u);
    EXPECT_EQ(window.backup_page.rows().size(), 2u);
    EXPECT_EQ(window.backup_page.selection().size(), 1u);
    SendMessageW(w, WM_APP_SIDEBAR_COMMAND, 3, 0);
    EXPECT_EQ(window.current_page(), window.backup_page.handle());
    EXPECT_TRUE(IsWindowVisible(window.backup_page.handle()));
    wchar_t dir[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
      gui::pump_for(100);
      gui::save_screen_bmp(w, (fs::path(dir) / "backup_main_window.bmp").wstring());
    }

    // An install's queue of a group whose first device has no package, through the main window.
    EXPECT_EQ(SendMessageW(w, WM_APP_QUEUE_BACKUP, WPARAM(&loose), 0), 0);
    EXPECT_EQ(SendMessageW(w, WM_APP_QUEUE_BACKUP, WPARAM(&cam), 1), 0);
    EXPECT_EQ(SendMessageW(w, WM_APP_BACKUP_QUEUED, 0, 0), 0);
    EXPECT_TRUE(fs::exists(fs::path(store.backups) / "Fake-Camera-2.0.zip"));
    EXPECT_EQ(window.backup_page.job().devices, std::vector<device_info*>{&cam});
    DestroyWindow(w);
  }
  gui::drop_quit_message();
  set_default_settings();
}

}  // namespace
