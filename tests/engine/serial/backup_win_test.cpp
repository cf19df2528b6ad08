// The driver store of the test system and a real backup from it: a package in the DRVSTORE
// folder that the system kept before Windows 6.0, a device of the fixture whose installed
// INF has the same bytes, and the backup job on its worker thread into a zip archive.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "base/text.h"
#include "base/wide.h"
#include "engine/backup.h"
#include "engine/backup_catalog.h"
#include "engine/device_store.h"
#include "engine/driver_store.h"
#include "engine/inventory.h"
#include "engine/settings.h"
#include "engine/system_facts.h"
#include "engine/worker_task.h"
#include "tests/engine/zip_read.h"
#include "tests/support/device_fixture.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

const std::u16string usb_guid = u"{36FC9E60-C465-11CF-8056-444553540000}";

std::u16string u16_of(const fs::path& p) { return as_u16(p.wstring().c_str()); }

std::u16string system_root() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"SYSTEMROOT", buffer, MAX_PATH);
  return n && n < MAX_PATH ? as_u16(buffer) : u"";
}

// Debian's unzip checks the archive when the test runs under Wine, which starts programs of
// its host but gives no exit code for them: the shell leaves it in a file. -1 when it cannot run.
int host_unzip_test(const fs::path& archive, const fs::path& scratch) {
  using unix_name_fn = char*(CDECL*)(const wchar_t*);
  auto unix_name = reinterpret_cast<unix_name_fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!unix_name) return -1;
  const fs::path result = scratch / "unzip.rc";
  auto name_of = [&](const fs::path& p) {
    char* n = unix_name(p.c_str());
    std::string s = n ? n : "";
    HeapFree(GetProcessHeap(), 0, n);
    return s;
  };
  const std::string a = name_of(archive), r = name_of(result);
  if (a.empty() || r.empty()) return -1;
  std::wstring command = as_wide(utf8_to_u16("sh -c \"unzip -tq '" + a + "' >/dev/null 2>&1; echo $? >'" + r +
                                                 ".part'; mv '" + r + ".part' '" + r + "'\"").c_str());
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(L"Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int i = 0; i < 600 && !fs::exists(result); ++i) Sleep(50);
  return fs::exists(result) ? std::atoi(read_file_bytes(result).c_str()) : -1;
}

class null_list : public scan_list_sink {
 public:
  void on_device_scanned(const char16_t*) override {}
  void lock() override {}
  void unlock() override {}
};

// The version, the store state and the settings' paths as they were.
class BackupWin : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = os_version_info; }
  void TearDown() override {
    os_version_info = saved_;
    drvstore_inf_map.clear();
    set_driver_store(u"", u"", nullptr);
    backup_list.clear();
    backup_catalog.clear();
    if (the_device_store()) clear_device_store(*the_device_store());
    app_settings.BackupPath[0] = 0;
    app_settings.backup_catalog_path[0] = 0;
  }
  static void set_version(uint32_t v) {
    os_version_info.dwMajorVersion = v / 10;
    os_version_info.dwMinorVersion = v % 10;
  }
  os_version_record saved_;
};

TEST_F(BackupWin, FromWindows6OnTheSetupLibraryLooksUp) {
  set_version(61);
  ASSERT_EQ(init_driver_store(), 0);
  const std::u16string root = system_root();
  ASSERT_FALSE(root.empty());
  EXPECT_TRUE(equal_ci(driver_store_root, root + u"\\System32\\DriverStore\\FileRepository"));
  EXPECT_TRUE(equal_ci(inf_folder, root + u"\\inf"));
  EXPECT_NE(inf_store_location, &inf_store_location_xp);
  char16_t buffer[MAX_PATH];
  if (running_on_wine()) {  // Wine's setup library has the function but answers no INF
    EXPECT_FALSE(inf_store_location(u"machine.inf", nullptr, nullptr, buffer, MAX_PATH, nullptr));
  }
}

TEST_F(BackupWin, PackageOfTheOlderStoreBackedUpIntoAnArchive) {
  const fs::path windows(system_root());
  const fs::path package = windows / "system32" / "DRVSTORE" / "fakecam_7a01e5c3";
  const fs::path installed = windows / "inf" / "oem7a01.inf";
  struct cleanup {
    fs::path a, b;
    ~cleanup() {
      std::error_code ec;
      fs::remove_all(a, ec);
      fs::remove(b, ec);
    }
  } gone{package, installed};
  const std::string inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=USB\r\n; fake camera 7a01\r\n";
  fs::create_directories(package / "i386");
  write_file_bytes(package / "fakecam.inf", inf);
  write_file_bytes(package / "fakecam.sys", std::string(70000, 'S'));
  write_file_bytes(package / "i386" / "fakecam.dll", "MZ dll");
  write_file_bytes(installed, inf);

  set_version(51);
  ASSERT_EQ(init_driver_store(), 0);
  char16_t found[MAX_PATH];
  ASSERT_TRUE(inf_store_location(u"oem7a01.inf", nullptr, nullptr, found, MAX_PATH, nullptr));
  EXPECT_TRUE(equal_ci(found, u16_of(package / "fakecam.inf")));

  device_fixture fx;
  fx.add_class(usb_guid, u"USB", u"Universal Serial Bus controllers");
  fixture_device cam;
  cam.instance_id = u"USB\\VID_7A01&PID_00B1\\1";
  cam.class_name = u"USB";
  cam.class_guid = usb_guid;
  cam.device_desc = u"Fake Camera";
  cam.hardware_ids = {u"USB\\VID_7A01&PID_00B1"};
  cam.driver_values = {{u"InfPath", u"oem7a01.inf"},
                       {u"DriverDesc", u"Fake Camera: Driver"},
                       {u"DriverVersion", u"2.3.4.5"},
                       {u"DriverDate", u"3-14-2019"},
                       {u"MatchingDeviceId", u"usb\\vid_7a01&pid_00b1"},
                       {u"ProviderName", u"FakeVendor"}};
  fx.add_device(cam);
  ASSERT_EQ(create_device_store(), 0);
  scan_progress progress;
  null_list list;
  progress.list = &list;
  ASSERT_TRUE(scan_devices(progress));
  device_info* device = find_device(u"USB\\VID_7A01&PID_00B1");
  ASSERT_NE(device, nullptr);

  temp_folder temp;
  copy_cut(app_settings.BackupPath, u16_of(temp.path()));
  copy_cut(app_settings.backup_catalog_path, u16_of(temp / "Backup.dat"));
  build_backup_list();
  int index = find_backup_entry(device);
  ASSERT_GE(index, 0);
  EXPECT_EQ(std::u16string(backup_list[size_t(index)].folder_name), u"fakecam_7a01e5c3");

  backup_job job;
  job.devices = {device};
  worker_task_c task = worker_task_c::init_backup(&job);
  ASSERT_TRUE(task.start());
  wait_for_thread(task.thread());
  EXPECT_EQ(task.result(), 0);
  EXPECT_EQ(job.progress, 100);

  const fs::path archive = temp / "Fake-Camera--Driver-2.3.4.5.zip";
  zip_read_archive z = zip_read(read_file_bytes(archive));
  EXPECT_EQ(z.error, "");
  std::set<std::string> names;
  for (const auto& e : z.entries) names.insert(e.c_name);
  EXPECT_EQ(names, (std::set<std::string>{"fakecam.inf", "fakecam.sys", "i386/fakecam.dll"}));
  EXPECT_FALSE(fs::exists(temp / "Fake-Camera--Driver-2.3.4.5.zip.tmp"));
  if (running_on_wine()) {
    EXPECT_EQ(host_unzip_test(archive, temp.path()), 0) << "unzip -t";
  }
  ASSERT_EQ(load_backup_catalog(), 0);
  ASSERT_EQ(backup_catalog.size(), 1u);
  EXPECT_STREQ(backup_catalog[0].file, "Fake-Camera--Driver-2.3.4.5.zip");
  EXPECT_EQ(backup_catalog[0].devices[0].device, device);
}

}  // namespace
