// A driver store, a backup folder and a catalog path of the test's own, devices in the
// process-wide store, and a store lookup that answers from a table (what the setup library
// answers on Windows).
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "base/text.h"
#include "engine/backup.h"
#include "engine/backup_catalog.h"
#include "engine/device_store.h"
#include "engine/driver_store.h"
#include "engine/settings.h"
#include "engine/system_facts.h"
#include "tests/support/test_support.h"

namespace backup_test {

// INF name -> path inside the store.
inline std::map<std::u16string, std::u16string>& lookup_table() {
  static std::map<std::u16string, std::u16string> table;
  return table;
}

inline int STORE_CALL table_lookup(const char16_t* inf, void*, const char16_t*, char16_t* buffer, uint32_t size,
                                   uint32_t*) {
  auto found = lookup_table().find(inf);
  if (found == lookup_table().end()) return 0;
  copy_cut(buffer, size, found->second);
  return 1;
}

inline std::filesystem::path fs_path(const std::u16string& p) { return std::filesystem::path(p); }

class files {
 public:
  files() {
    root = (temp.path() / "store").u16string();
    backups = (temp.path() / "backup").u16string();
    std::filesystem::create_directories(fs_path(root));
    std::filesystem::create_directories(fs_path(backups));
    copy_cut(app_settings.BackupPath, backups);
    copy_cut(app_settings.backup_catalog_path, (temp.path() / "Backup.dat").u16string());
    saved_version = os_version_info;
    set_version(61);
    create_device_store();
    clear_device_store(*the_device_store());
    the_device_store()->devices.reserve(32);  // the entries keep pointers to the devices
    set_driver_store(u"", root.c_str(), table_lookup);
    lookup_table().clear();
    backup_list.clear();
    backup_catalog.clear();
  }
  ~files() {
    clear_device_store(*the_device_store());
    set_driver_store(u"", u"", nullptr);
    lookup_table().clear();
    backup_list.clear();
    backup_catalog.clear();
    os_version_info = saved_version;
    app_settings.BackupPath[0] = 0;
    app_settings.backup_catalog_path[0] = 0;
  }
  files(const files&) = delete;
  files& operator=(const files&) = delete;

  static void set_version(uint32_t v) {
    os_version_info.dwMajorVersion = v / 10;
    os_version_info.dwMinorVersion = v % 10;
  }

  // The package's folder inside the store (made), as the backup joins it.
  std::u16string package(const std::u16string& name) {
    std::u16string folder = path_join(root, name);
    std::filesystem::create_directories(fs_path(folder));
    return folder;
  }

  // A scanned device with driver values; the lookup finds its INF in `package` when given.
  device_info& device(const std::u16string& id, const std::u16string& inf, const std::u16string& package_name,
                      const std::u16string& desc = u"Fake Camera Driver", const std::u16string& version = u"1.0") {
    device_info d{};
    copy_cut(d.instance_id, id);
    copy_cut(d.InfPath, inf);
    copy_cut(d.DriverDesc, desc);
    copy_cut(d.DriverVersion, version);
    copy_cut(d.ProviderName, u"FakeVendor");
    copy_cut(d.DriverDate, u"3-14-2019");
    d.has_driver = 1;
    if (!package_name.empty()) lookup_table()[inf] = path_join(path_join(root, package_name), inf);
    the_device_store()->devices.push_back(d);
    return the_device_store()->devices.back();
  }

  std::u16string catalog_path() const { return app_settings.backup_catalog_path; }

  temp_folder temp;
  std::u16string root, backups;
  os_version_record saved_version;
};

}  // namespace backup_test
