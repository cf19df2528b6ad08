// The backup page over the prefix's own driver store: fixture devices with driver keys in the
// registry, packages in the DRVSTORE folder that the system kept before Windows 6.0 whose INFs
// have the bytes of the installed oemN.inf, a real device scan, then "Back Up All". Serial: it
// changes the prefix's registry and Windows folder.
#include "app/backup_page_win.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/wide.h"
#include "engine/backup.h"
#include "engine/backup_catalog.h"
#include "engine/device_store.h"
#include "engine/driver_store.h"
#include "engine/inventory.h"
#include "engine/settings.h"
#include "engine/system_facts.h"
#include "tests/app/ui_setup.h"
#include "tests/support/device_fixture.h"
#include "tests/support/gui_driver.h"
#include "tests/support/test_support.h"
#include "widgets/language.h"

namespace fs = std::filesystem;

namespace {

const std::u16string usb_guid = u"{36FC9E60-C465-11CF-8056-444553540000}";

std::vector<std::u16string>& shown() {
  static std::vector<std::u16string> m;
  return m;
}
int record_message(void*, int, const char16_t* text) {
  shown().push_back(text ? text : u"");
  return 1;
}

class quiet_list : public scan_list_sink {
 public:
  void on_device_scanned(const char16_t*) override {}
  void lock() override {}
  void unlock() override {}
};

fs::path windows_folder() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"SYSTEMROOT", buffer, MAX_PATH);
  return n && n < MAX_PATH ? fs::path(buffer) : fs::path();
}

// A package in DRVSTORE and its installed copy in the INF folder, removed when done.
struct seeded_package {
  fs::path folder, installed;
  seeded_package(const std::string& name, const std::string& inf_name, const std::string& tag, int files) {
    const fs::path windows = windows_folder();
    folder = windows / "system32" / "DRVSTORE" / name;
    installed = windows / "inf" / inf_name;
    const std::string inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=USB\r\n; " + tag + "\r\n";
    fs::create_directories(folder);
    write_file_bytes(folder / (tag + ".inf"), inf);
    for (int i = 0; i < files; ++i) write_file_bytes(folder / (tag + std::to_string(i) + ".sys"), std::string(3000, 'S'));
    write_file_bytes(installed, inf);
  }
  ~seeded_package() {
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::remove(installed, ec);
  }
};

fixture_device usb_device(const char16_t* id, const char16_t* hardware_id, const char16_t* name,
                          const char16_t* inf, const char16_t* desc, const char16_t* version) {
  fixture_device d;
  d.instance_id = id;
  d.class_name = u"USB";
  d.class_guid = usb_guid;
  d.device_desc = name;
  d.hardware_ids = {hardware_id};
  d.driver_values = {{u"InfPath", inf},
                     {u"DriverDesc", desc},
                     {u"DriverVersion", version},
                     {u"DriverDate", u"3-14-2019"},
                     {u"MatchingDeviceId", hardware_id},
                     {u"ProviderName", u"FakeVendor"}};
  return d;
}

TEST(BackupPageStore, BackUpAllFromTheOlderStoreMakesOneArchivePerPackage) {
  ui_setup ui{test_language()};
  const os_version_record saved = os_version_info;
  os_version_info.dwMajorVersion = 5;
  os_version_info.dwMinorVersion = 1;
  seeded_package cam("fakecam_7a01e5c3", "oem7a01.inf", "fakecam", 3);
  seeded_package mic("fakemic_7a02d4b2", "oem7a02.inf", "fakemic", 2);
  ASSERT_EQ(init_driver_store(), 0);

  device_fixture fx;
  fx.add_class(usb_guid, u"USB", u"Universal Serial Bus controllers");
  fx.add_device(usb_device(u"USB\\VID_7A01&PID_00B1\\1", u"USB\\VID_7A01&PID_00B1", u"Fake Camera", u"oem7a01.inf",
                           u"Fake Camera Driver", u"2.3.4.5"));
  fx.add_device(usb_device(u"USB\\VID_7A02&PID_00B2\\1", u"USB\\VID_7A02&PID_00B2", u"Fake Microphone",
                           u"oem7a02.inf", u"Fake Microphone \"Pro\"", u"1.0"));
  ASSERT_EQ(create_device_store(), 0);
  scan_progress progress;
  quiet_list list;
  progress.list = &list;
  ASSERT_TRUE(scan_devices(progress));

  temp_folder temp;
  const fs::path backups = temp / "Backup";
  fs::create_directories(backups);
  copy_cut(app_settings.BackupPath, backups.u16string());
  copy_cut(app_settings.backup_catalog_path, (temp / "Backup.dat").u16string());
  shown().clear();
  {
    gui::recording_window host{800, 600};
    backup_page_seams seams;
    seams.show_message = record_message;
    backup_window_c page(seams);
    RECT r = {0, 0, 800, 600};
    ASSERT_TRUE(page.create_page(host.handle(), r));
    ShowWindow(page.handle(), SW_SHOW);
    page.reload();
    gui::pump_for(100);
    // Both packages come from outside Windows: both rows checked, both selected.
    ASSERT_EQ(page.rows().size(), 2u);
    EXPECT_TRUE(page.rows()[0]->checked());
    EXPECT_TRUE(page.rows()[1]->checked());
    EXPECT_EQ(page.selection().size(), 2u);
    wchar_t dir[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
      gui::save_screen_bmp(host.handle(), (fs::path(dir) / ("backup_store-" + std::string(test_language()) + ".bmp")).wstring());

    PostMessageW(page.handle(), WM_COMMAND, MAKEWPARAM(backup_window_c::backup_all_id, BN_CLICKED),
                 LPARAM(page.backup_all_button()));
    ASSERT_TRUE(gui::pump_until([&] { return !shown().empty(); }, 30000));
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0], get_text("backup_success"));
  }
  std::set<std::string> files;
  for (const auto& e : fs::directory_iterator(backups)) files.insert(e.path().filename().string());
  const std::set<std::string> archives = {"Fake-Camera-Driver-2.3.4.5.zip", "Fake-Microphone--Pro--1.0.zip"};
  EXPECT_EQ(files, archives) << "one archive per package, no .tmp";
  backup_catalog.clear();
  ASSERT_EQ(load_backup_catalog(), 0);
  std::set<std::string> recorded;
  for (const backup_record& rec : backup_catalog) recorded.insert(rec.file);
  EXPECT_EQ(recorded, archives);

  backup_list.clear();
  backup_catalog.clear();
  clear_device_store(*the_device_store());
  drvstore_inf_map.clear();
  set_driver_store(u"", u"", nullptr);
  app_settings.BackupPath[0] = 0;
  app_settings.backup_catalog_path[0] = 0;
  os_version_info = saved;
}

}  // namespace
