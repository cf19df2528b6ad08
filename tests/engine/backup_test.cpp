// The backup list, the archive names and the backup of packages into archives: what is
// packed, what a failure or a cancel leaves behind, and a second run that has nothing to do.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "tests/engine/backup_fixture.h"
#include "tests/engine/zip_read.h"

namespace fs = std::filesystem;
using backup_test::files;
using backup_test::fs_path;

namespace {

std::set<std::string> entry_names(const std::u16string& archive) {
  zip_read_archive z = zip_read(read_file_bytes(fs_path(archive)));
  EXPECT_EQ(z.error, "");
  std::set<std::string> names;
  for (const auto& e : z.entries) names.insert(e.c_name);
  return names;
}

// Files of the folder below `at` (both builds' separators).
bool any_temporary(const files& f) {
  for (const auto& e : fs::recursive_directory_iterator(f.temp.path()))
    if (e.path().u16string().find(u".tmp") != std::u16string::npos) return true;
  return false;
}

TEST(Backup, ArchiveNames) {
  files f;
  struct name_case {
    const char16_t* desc;
    const char16_t* version;
    const char16_t* name;
  };
  const name_case cases[] = {
      {u"A/B: C ", u"1.0", u"A-B--C-1.0"},
      {u"  Cam\r\n\t\v", u"2.0 ", u"Cam-2.0"},
      {u"x*y?z<w>v|u\\t", u"3", u"x-y-z-w-v-u-t-3"},
      {u"", u"", u"-"},
  };
  for (const name_case& c : cases) {
    SCOPED_TRACE(u16_to_utf8(c.desc));
    backup_entry e{};
    e.devices = {&f.device(u"A\\1", u"oem1.inf", u"", c.desc, c.version)};
    EXPECT_EQ(backup_file_name(e), path_join(f.backups, c.name) + u".zip");
  }
  // A name that would not fit the path limit is cut in its description so that its temporary
  // path fits and the version stays.
  backup_entry e{};
  e.devices = {&f.device(u"A\\2", u"oem1.inf", u"", std::u16string(400, u'D'), u"1.0")};
  std::u16string name = backup_file_name(e);
  EXPECT_LT(name.size() + 4, 260u);
  EXPECT_EQ(name.substr(0, f.backups.size() + 2), path_join(f.backups, u"D"));
  EXPECT_EQ(name.substr(name.size() - 9), u"D-1.0.zip");
}

TEST(Backup, NamesStayUniqueAndOnlyThePackagesOwnArchiveCounts) {
  files f;
  for (const char16_t* p : {u"cam_a", u"cam_b", u"quote_c", u"jp_d", u"jp_e", u"user_f"})
    write_file_bytes(fs_path(f.package(p)) / "x.inf", "[Version]\n");
  // Two packages whose descriptions and versions give one name; a '"' in a description;
  // two descriptions of characters outside the ANSI page; a file of the user's own that
  // carries a package's name.
  device_info& a = f.device(u"USB\\A\\1", u"oem1.inf", u"cam_a", u"Fake Camera", u"2.3");
  device_info& b = f.device(u"USB\\B\\1", u"oem2.inf", u"cam_b", u"Fake Camera", u"2.3");
  device_info& q = f.device(u"USB\\Q\\1", u"oem3.inf", u"quote_c", u"Cam \"Pro\"", u"1.0");
  device_info& j1 = f.device(u"USB\\J\\1", u"oem4.inf", u"jp_d", u"\u30ab\u30e1\u30e9", u"1.0");
  device_info& j2 = f.device(u"USB\\J\\2", u"oem5.inf", u"jp_e", u"\u30de\u30a4\u30af", u"1.0");
  device_info& u = f.device(u"USB\\U\\1", u"oem6.inf", u"user_f", u"Mine", u"1");
  write_file_bytes(fs_path(path_join(f.backups, u"Mine-1.zip")), "the user's own file");
  build_backup_list();
  ASSERT_EQ(backup_list.size(), 6u);

  backup_job job;
  job.devices = {&a, &b, &q, &j1, &j2, &u};
  ASSERT_EQ(backup_worker(job), 0);
  EXPECT_EQ(job.progress, 600) << "every package zipped, none taken as saved by another's archive";
  std::set<std::u16string> names;
  for (const auto& e : fs::directory_iterator(fs_path(f.backups))) names.insert(e.path().filename().u16string());
  EXPECT_EQ(names.size(), 7u);
  EXPECT_EQ(names.count(u"Fake-Camera-2.3.zip"), 1u);
  EXPECT_EQ(names.count(u"Cam--Pro--1.0.zip"), 1u);
  EXPECT_EQ(names.count(u"----1.0.zip"), 1u);
  EXPECT_EQ(read_file_bytes(fs_path(path_join(f.backups, u"Mine-1.zip"))), "the user's own file");
  // The second of a clash keeps the name and its version, with the package's mark after them.
  const std::u16string second = backup_file_name(backup_list[1]);
  EXPECT_EQ(second.substr(0, second.size() - 12), path_join(f.backups, u"Fake-Camera-2.3-"));
  EXPECT_TRUE(is_own_archive(backup_list[1], second));
  EXPECT_FALSE(is_own_archive(backup_list[0], second));
  EXPECT_EQ(backup_file_name(backup_list[0]), path_join(f.backups, u"Fake-Camera-2.3.zip"));
  ASSERT_EQ(load_backup_catalog(), 0);
  EXPECT_EQ(backup_catalog.size(), 6u);

  // Again: every package finds its own archive, nothing is zipped.
  backup_job again;
  again.devices = job.devices;
  EXPECT_EQ(backup_worker(again), 0);
  EXPECT_EQ(again.progress, 0);
}

TEST(Backup, ListGroupsDevicesByPackage) {
  files f;
  device_info& cam = f.device(u"USB\\CAM\\1", u"oem1.inf", u"cam.inf_amd64_1");
  device_info& cam2 = f.device(u"USB\\CAM\\2", u"OEM2.inf", u"CAM.INF_AMD64_1");
  device_info& kbd = f.device(u"HID\\KBD\\1", u"keyboard.inf", u"keyboard.inf_amd64_2");
  f.device(u"X\\NOLOOKUP\\1", u"oem9.inf", u"");
  device_info& outside = f.device(u"X\\OUTSIDE\\1", u"oem5.inf", u"");
  backup_test::lookup_table()[u"oem5.inf"] = u"C:\\elsewhere\\pkg\\oem5.inf";
  device_info& nodriver = f.device(u"X\\NODRIVER\\1", u"oem6.inf", u"nodriver_3");
  nodriver.has_driver = 0;

  build_backup_list();
  ASSERT_EQ(backup_list.size(), 2u);
  EXPECT_EQ(std::u16string(backup_list[0].folder_name), u"cam.inf_amd64_1");
  EXPECT_EQ(backup_list[0].inbox, 0);
  EXPECT_EQ(backup_list[0].devices, (std::vector<device_info*>{&cam, &cam2}));
  EXPECT_EQ(std::u16string(backup_list[1].folder_name), u"keyboard.inf_amd64_2");
  EXPECT_EQ(backup_list[1].inbox, 1);
  EXPECT_EQ(find_backup_entry(&cam2), 0);
  EXPECT_EQ(find_backup_entry(&kbd), 1);
  EXPECT_EQ(find_backup_entry(&outside), -1);
  EXPECT_EQ(find_backup_entry(nullptr), -1);

  // Before Windows 6.0 the system's own drivers are not offered.
  files::set_version(51);
  build_backup_list();
  ASSERT_EQ(backup_list.size(), 1u);
  EXPECT_EQ(find_backup_entry(&kbd), -1);
}

TEST(Backup, PackagesZippedRecordedAndNotAgain) {
  files f;
  fs::path pkg = fs_path(f.package(u"cam.inf_1"));
  fs::create_directories(pkg / "x64" / "deeper");
  write_file_bytes(pkg / "cam.inf", "[Version]\n");
  write_file_bytes(pkg / "x64" / "cam.sys", std::string(100000, 's'));
  write_file_bytes(pkg / "x64" / "deeper" / "cam.cat", "cat");
  write_file_bytes(pkg / ".hidden", "not packed");
  f.package(u"empty.inf_2");
  device_info& cam = f.device(u"USB\\CAM\\1", u"oem1.inf", u"cam.inf_1", u"Fake Camera", u"2.3");
  device_info& cam2 = f.device(u"USB\\CAM\\2", u"oem2.inf", u"cam.inf_1", u"Fake Camera", u"2.3");
  device_info& empty = f.device(u"X\\EMPTY\\1", u"oem3.inf", u"empty.inf_2", u"Nothing", u"1");
  build_backup_list();

  backup_job job;
  job.devices = {&cam, &cam2, &empty};
  ASSERT_EQ(backup_worker(job), 0);
  EXPECT_EQ(job.progress, 200) << "two packages; the second device finds its archive made";
  const std::u16string cam_zip = path_join(f.backups, u"Fake-Camera-2.3.zip");
  EXPECT_EQ(entry_names(cam_zip), (std::set<std::string>{"cam.inf", "x64/cam.sys", "x64/deeper/cam.cat"}));
  EXPECT_TRUE(entry_names(path_join(f.backups, u"Nothing-1.zip")).empty());
  EXPECT_FALSE(any_temporary(f));

  ASSERT_EQ(load_backup_catalog(), 0);
  ASSERT_EQ(backup_catalog.size(), 2u);
  EXPECT_STREQ(backup_catalog[0].file, "Fake-Camera-2.3.zip");
  EXPECT_EQ(backup_catalog[0].devices.size(), 2u);

  const std::string before = read_file_bytes(fs_path(cam_zip));
  backup_job again;
  again.devices = job.devices;
  EXPECT_EQ(backup_worker(again), 0);
  EXPECT_EQ(again.progress, 0);
  EXPECT_EQ(read_file_bytes(fs_path(cam_zip)), before);

  backup_job none;
  EXPECT_EQ(backup_worker(none), 0);
}

TEST(Backup, FailuresLeaveNoArchiveAndNoRecord) {
  enum fault { cancelled, package_gone, not_creatable, unknown_device };
  for (fault which : {cancelled, package_gone, not_creatable, unknown_device}) {
    SCOPED_TRACE(int(which));
    files f;
    fs::path pkg = fs_path(f.package(u"cam.inf_1"));
    write_file_bytes(pkg / "cam.inf", "[Version]\n");
    device_info& cam = f.device(u"USB\\CAM\\1", u"oem1.inf", u"cam.inf_1");
    device_info& later = f.device(u"USB\\OTHER\\1", u"oem2.inf", u"other.inf_2", u"Other");
    f.package(u"other.inf_2");
    build_backup_list();
    backup_job job;
    job.devices = {&cam, &later};
    if (which == cancelled) job.cancel = 1;
    if (which == package_gone) fs::remove_all(pkg);
    // The archive cannot be created: a folder has its temporary name.
    if (which == not_creatable) fs::create_directories(fs_path(backup_file_name(backup_list[0]) + u".tmp"));
    device_info stranger{};
    if (which == unknown_device) job.devices.insert(job.devices.begin(), &stranger);
    EXPECT_EQ(backup_worker(job), -1);
    if (which != not_creatable) {
      EXPECT_FALSE(any_temporary(f));
      EXPECT_TRUE(fs::is_empty(fs_path(f.backups))) << "later devices are not backed up";
    }
    EXPECT_FALSE(fs::exists(fs_path(backup_file_name(backup_list[0]))));
    EXPECT_FALSE(fs::exists(fs_path(f.catalog_path())));
  }
}

TEST(Backup, CatalogThatCannotBeWrittenFailsTheJobButKeepsTheArchive) {
  files f;
  write_file_bytes(fs_path(f.package(u"cam.inf_1")) / "cam.inf", "[Version]\n");
  device_info& cam = f.device(u"USB\\CAM\\1", u"oem1.inf", u"cam.inf_1", u"Cam", u"1");
  build_backup_list();
  fs::create_directories(fs_path(f.catalog_path() + u".tmp"));
  backup_job job;
  job.devices = {&cam};
  EXPECT_EQ(backup_worker(job), -1);
  EXPECT_TRUE(fs::exists(fs_path(path_join(f.backups, u"Cam-1.zip"))));
}

}  // namespace
