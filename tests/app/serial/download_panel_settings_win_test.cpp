// The install step's backup question changes the saved settings: the registry of the prefix.
#include <gtest/gtest.h>

#include "engine/settings.h"
#include "tests/app/row_host_fixture.h"

namespace {

using namespace row_test;

TEST(DownloadRowSettings, AutoBackupAnsweredNoIsSavedAndNotAskedAgain) {
  row_host_fixture f;
  ASSERT_TRUE(f.open({"ask.zip", "", "", 1000}, {}, 1, true));
  write_file_bytes(fs::path(f.row()->session()->final_path), "not a zip");
  f.row()->session()->resolve_download_files();
  app_settings.AutoBackup = 2;
  row_host_fixture::answer() = 2;
  SendMessageW(f.row()->handle(), WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
  EXPECT_EQ(row_host_fixture::asked(), std::vector<std::string>{
      "Do you want the current driver to be backed up automatically before driver installation?"});
  EXPECT_EQ(app_settings.AutoBackup, 0u);
  app_settings.AutoBackup = 7;
  ASSERT_TRUE(load_settings());
  EXPECT_EQ(app_settings.AutoBackup, 0u);  // REG_DWORD 0 in the key
  EXPECT_TRUE(f.host->log().empty());      // no backup queued
  ASSERT_TRUE(gui::pump_until([&] { return !package_install_running(f.address); }, 20000));
  row_host_fixture::asked().clear();
  SendMessageW(f.row()->handle(), WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
  EXPECT_TRUE(row_host_fixture::asked().empty());
}

}  // namespace
