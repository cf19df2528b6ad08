// Backup.dat: written and read back, records whose archive is gone or whose texts are
// missing, and a failed write that must leave the earlier file whole.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "engine/helpers.h"
#include "tests/engine/backup_fixture.h"

namespace fs = std::filesystem;
using backup_test::files;
using backup_test::fs_path;

namespace {

void put_archive(const files& f, const std::u16string& name) {
  write_file_bytes(fs_path(path_join(f.backups, name)), "PK\x05\x06");
}

void write_catalog(const files& f, const std::string& text) { write_file_bytes(fs_path(f.catalog_path()), text); }

// The text with its first `what` replaced by `with`.
std::string replaced(std::string text, const std::string& what, const std::string& with) {
  return text.replace(text.find(what), what.size(), with);
}

std::string device_xml(const std::string& id, const std::string& skip = "") {
  std::string out = "<device>";
  for (const char* name : {"id", "desc", "class", "class_image", "manu", "name", "version", "date"}) {
    if (name == skip) continue;
    out += std::string("<") + name + "><![CDATA[" + (std::strcmp(name, "id") == 0 ? id : std::string(name) + "-" + id) +
           "]]></" + name + ">";
  }
  return out + "</device>";
}

std::string record_xml(const std::string& file, const std::string& devices) {
  return "<driver><file><![CDATA[" + file + "]]></file><date>2024-01-31</date><devices>" + devices +
         "</devices></driver>";
}

std::string catalog_xml(const std::string& records, const std::string& root = "Vantoril") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<" + root + ">" + records + "</" + root + ">";
}

std::string repeated(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(BackupCatalog, WrittenAndReadBack) {
  files f;
  device_class_info cls{};
  copy_cut(cls.description, u"Imaging devices");
  cls.image_index = 23;
  device_info& cam = f.device(u"USB\\VID_1234&PID_5678\\1", u"oem7.inf", u"", u"Cam ]]> <&> desc",
                              u"1.2.3.4.5.6.7.8.9.10.11.12.13.14.15.16");
  cam.device_class = &cls;
  copy_cut(cam.ProviderName, u"");  // an empty value
  device_info& other = f.device(u"PCI\\VEN_1\\2", u"oem8.inf", u"");  // no class record
  backup_entry entry{};
  entry.devices = {&cam, &other};
  const std::u16string archive = path_join(f.backups, u"Cam-1.0.zip");
  put_archive(f, u"Cam-1.0.zip");
  ASSERT_EQ(add_backup_record(archive.c_str(), entry), 0);

  const std::string text = read_file_bytes(fs_path(f.catalog_path()));
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_NE(text.find("<Vantoril>\n\t<driver>\n\t\t<file>\n\t\t\t<![CDATA[Cam-1.0.zip]]>\n\t\t</file>\n\t\t<date>"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\t\t\t\t<class_image>\n\t\t\t\t\t<![CDATA[23]]>\n\t\t\t\t</class_image>\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(fs_path(f.catalog_path() + u".tmp")));

  // Read back over a new scan in which only the first device is found again.
  backup_catalog.clear();
  the_device_store()->devices.pop_back();
  ASSERT_EQ(load_backup_catalog(), 0);
  ASSERT_EQ(backup_catalog.size(), 1u);
  const backup_record& r = backup_catalog[0];
  EXPECT_STREQ(r.file, "Cam-1.0.zip");
  local_time_parts now = local_time_now();
  char today[32];
  std::snprintf(today, sizeof today, "%04u-%02u-%02u", unsigned(now.year), unsigned(now.month), unsigned(now.day));
  EXPECT_STREQ(r.date, today);
  ASSERT_EQ(r.devices.size(), 2u);
  const backup_device& d = r.devices[0];
  EXPECT_EQ(d.device, &the_device_store()->devices[0]);
  EXPECT_EQ(std::u16string(d.id), u"USB\\VID_1234&PID_5678\\1");
  EXPECT_EQ(std::u16string(d.desc), u"Cam ]]> <&> desc");
  EXPECT_EQ(std::u16string(d.class_desc), u"Imaging devices");
  EXPECT_EQ(std::u16string(d.class_image), u"23");
  EXPECT_EQ(std::u16string(d.manu), u"");
  EXPECT_EQ(std::u16string(d.name), u"oem7.inf");
  EXPECT_EQ(std::u16string(d.version), u"1.2.3.4.5.6.7.8.9.10.11.12.13.1") << "cut to 31 characters";
  EXPECT_EQ(std::u16string(d.date), u"3-14-2019");
  EXPECT_EQ(std::u16string(d.backup_file), u"Cam-1.0.zip");
  EXPECT_EQ(std::u16string(d.backup_date), utf8_to_u16(today));
  EXPECT_EQ(r.devices[1].device, nullptr) << "not in the current scan";
  EXPECT_EQ(std::u16string(r.devices[1].class_desc), u"");
}

TEST(BackupCatalog, SameArchiveAgainReplacesItsRecord) {
  files f;
  device_info& a = f.device(u"A\\1", u"oem1.inf", u"");
  device_info& b = f.device(u"B\\1", u"oem2.inf", u"");
  put_archive(f, u"X-1.0.zip");
  put_archive(f, u"Y-1.0.zip");
  backup_entry first{}, second{};
  first.devices = {&a};
  second.devices = {&b};
  const std::u16string x = path_join(f.backups, u"X-1.0.zip"), y = path_join(f.backups, u"Y-1.0.zip");
  ASSERT_EQ(add_backup_record(x.c_str(), first), 0);
  ASSERT_EQ(add_backup_record(y.c_str(), first), 0);
  std::strcpy(backup_catalog[0].date, "2001-01-01");
  ASSERT_EQ(add_backup_record(x.c_str(), second), 0);
  ASSERT_EQ(load_backup_catalog(), 0);
  ASSERT_EQ(backup_catalog.size(), 2u);
  EXPECT_STREQ(backup_catalog[0].file, "X-1.0.zip") << "keeps its place";
  EXPECT_STRNE(backup_catalog[0].date, "2001-01-01");
  ASSERT_EQ(backup_catalog[0].devices.size(), 1u);
  EXPECT_EQ(std::u16string(backup_catalog[0].devices[0].id), u"B\\1");
}

TEST(BackupCatalog, WhatLoadingKeepsAndDrops) {
  struct load_case {
    const char* what;
    std::string text;
    int result;
    size_t records;  // after the load; 1 stands for the record loaded before
    size_t devices;  // of the first record
  };
  const std::string a = record_xml("A-1.0.zip", device_xml("A\\1"));
  const load_case cases[] = {
      {"two devices", catalog_xml(record_xml("A-1.0.zip", device_xml("A\\1") + device_xml("A\\2"))), 0, 1, 2},
      {"any root name", catalog_xml(a, "Other"), 0, 1, 1},
      {"archive gone", catalog_xml(record_xml("Gone-1.0.zip", device_xml("G\\1"))), 0, 0, 0},
      {"second device lacks manu", catalog_xml(record_xml("A-1.0.zip", device_xml("A\\1") + device_xml("A\\2", "manu") +
                                                           device_xml("A\\3"))),
       0, 1, 1},
      {"first device lacks a child", catalog_xml(record_xml("A-1.0.zip", device_xml("A\\1", "date"))), 0, 0, 0},
      {"no devices", catalog_xml(record_xml("A-1.0.zip", "")), 0, 0, 0},
      {"no date", catalog_xml("<driver><file>A-1.0.zip</file><devices>" + device_xml("A\\1") + "</devices></driver>"),
       0, 0, 0},
      {"a file outside the folder", catalog_xml(record_xml("..\\backup\\A-1.0.zip", device_xml("A\\1"))), 0, 0, 0},
      {"a plain text ending in a letter outside ASCII",
       catalog_xml(record_xml("A-1.0.zip", replaced(device_xml("A\\1"), "<![CDATA[A\\1]]>", "A\\1 ]]&gt; \xE9"))), 0, 1,
       1},
      {"the same file twice", catalog_xml(a + record_xml("A-1.0.zip", device_xml("A\\1") + device_xml("A\\2"))), 0, 1, 1},
      {"no driver element", catalog_xml("<other/>"), -1, 1, 1},
      {"not XML", "<Vantoril><driver>", -1, 1, 1},
      {"nested far too deep", catalog_xml(repeated("<a>", 5000) + a), -1, 1, 1},
      {"empty file", "", -1, 1, 1},
  };
  for (const load_case& c : cases) {
    SCOPED_TRACE(c.what);
    files f;
    put_archive(f, u"A-1.0.zip");
    write_catalog(f, catalog_xml(a));
    ASSERT_EQ(load_backup_catalog(), 0);
    write_catalog(f, c.text);
    EXPECT_EQ(load_backup_catalog(), c.result);
    ASSERT_EQ(backup_catalog.size(), c.records);
    if (c.records) {
      EXPECT_EQ(backup_catalog[0].devices.size(), c.devices);
    }
  }
  files f;
  EXPECT_EQ(load_backup_catalog(), -1) << "no Backup.dat";
}

TEST(BackupCatalog, FailedWriteLeavesTheEarlierFile) {
  files f;
  device_info& a = f.device(u"A\\1", u"oem1.inf", u"");
  backup_entry entry{};
  entry.devices = {&a};
  put_archive(f, u"A-1.0.zip");
  const std::u16string archive = path_join(f.backups, u"A-1.0.zip");
  ASSERT_EQ(add_backup_record(archive.c_str(), entry), 0);
  const std::string before = read_file_bytes(fs_path(f.catalog_path()));
  // The temporary file cannot be made: a folder has its name.
  fs::create_directories(fs_path(f.catalog_path() + u".tmp"));
  EXPECT_EQ(add_backup_record(path_join(f.backups, u"B-1.0.zip").c_str(), entry), -1);
  EXPECT_EQ(read_file_bytes(fs_path(f.catalog_path())), before);
}

}  // namespace
