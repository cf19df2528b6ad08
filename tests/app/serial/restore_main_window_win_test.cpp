// The restore page inside the main window: made hidden, shown by navigation button 4 after a
// scan, listing the archive the backup page has just made. Serial: a main window.
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
#include "widgets/panel_list.h"

namespace fs = std::filesystem;

namespace {

using main_window_test::quiet_seams;
using main_window_test::quiet_settings;

TEST(RestoreMainWindow, ButtonFourShowsTheBackupsMadeMeanwhile) {
  ui_setup ui;
  quiet_settings();
  backup_test::files store;
  write_file_bytes(fs::path(store.package(u"fakecam.inf_1")) / "fakecam.inf", "[Version]\n");
  device_info& cam = store.device(u"USB\\CAM\\1", u"oem1.inf", u"fakecam.inf_1", u"Fake Camera", u"2.0");

  main_window_c::seams s = quiet_seams();
  {
    main_window_c window(s);
    HWND w = window.create_window();
    ASSERT_TRUE(w);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    HWND page = window.restore_page.handle();
    ASSERT_TRUE(page);
    EXPECT_EQ(GetParent(page), w);
    EXPECT_EQ(DWORD(GetWindowLongW(page, GWL_STYLE)) & 0x56000000u, 0x46000000u);

    SendMessageW(w, WM_APP_SCAN_DONE, 1, 0);
    SendMessageW(w, WM_APP_SIDEBAR_COMMAND, 4, 0);
    EXPECT_EQ(window.current_page(), page);
    EXPECT_TRUE(IsWindowVisible(page));
    EXPECT_EQ(window.restore_page.list().stack().rows.size(), 0u);  // nothing backed up yet

    // The install's backup through the backup page, then the restore page again.
    SendMessageW(w, WM_APP_QUEUE_BACKUP, WPARAM(&cam), 0);
    SendMessageW(w, WM_APP_BACKUP_QUEUED, 0, 0);
    ASSERT_TRUE(fs::exists(fs::path(store.backups) / "Fake-Camera-2.0.zip"));
    SendMessageW(w, WM_APP_SIDEBAR_COMMAND, 2, 0);
    SendMessageW(w, WM_APP_SIDEBAR_COMMAND, 4, 0);
    EXPECT_EQ(window.current_page(), page);
    EXPECT_EQ(window.restore_page.list().stack().rows.size(), 2u);  // the header and one row
    DestroyWindow(w);
  }
  gui::drop_quit_message();
  set_default_settings();
}

// The preferences, open over the main window: a new backup folder typed in, then OK.
std::wstring new_backup_folder;
void CALLBACK type_backup_folder_and_ok(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = gui::find_window(L"#32770", L"Options");
  if (!dialog || !IsWindowVisible(dialog)) return;
  KillTimer(nullptr, id);
  SetWindowTextW(GetDlgItem(dialog, 1002), new_backup_folder.c_str());
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST(RestoreMainWindow, ANewBackupFolderInThePreferencesReloadsTheShownPage) {
  ui_setup ui;
  quiet_settings();
  backup_test::files store;
  write_file_bytes(fs::path(store.package(u"fakecam.inf_1")) / "fakecam.inf", "[Version]\n");
  device_info& cam = store.device(u"USB\\CAM\\1", u"oem1.inf", u"fakecam.inf_1", u"Fake Camera", u"2.0");
  main_window_c::seams s = quiet_seams();
  {
    main_window_c window(s);
    HWND w = window.create_window();
    ASSERT_TRUE(w);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    SendMessageW(w, WM_APP_SCAN_DONE, 1, 0);
    SendMessageW(w, WM_APP_QUEUE_BACKUP, WPARAM(&cam), 0);
    SendMessageW(w, WM_APP_BACKUP_QUEUED, 0, 0);
    SendMessageW(w, WM_APP_SIDEBAR_COMMAND, 4, 0);
    ASSERT_EQ(window.restore_page.list().stack().rows.size(), 2u);

    // Another folder, without that archive: the shown page lists what that folder holds.
    fs::path other = fs::path(store.backups).parent_path() / "OtherBackups";
    fs::create_directories(other);
    new_backup_folder = other.wstring();
    SetTimer(nullptr, 0, 50, type_backup_folder_and_ok);
    SendMessageW(w, WM_APP_SIDEBAR_COMMAND, 6, 0);  // the preferences, modal
    EXPECT_EQ(fs::path(app_settings.BackupPath), other);
    EXPECT_EQ(window.current_page(), window.restore_page.handle());
    EXPECT_EQ(window.restore_page.list().stack().rows.size(), 0u);
    DestroyWindow(w);
  }
  gui::drop_quit_message();
  set_default_settings();
}

}  // namespace
