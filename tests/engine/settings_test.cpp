#include "engine/settings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "base/text.h"
#include "engine/helpers.h"
#include "engine/registry.h"
#include "tests/engine/settings_cases.h"
#include "tests/support/test_support.h"

namespace {

using values_t = std::map<std::u16string, memory_registry_key::value>;

// The outside of load_settings: a key in memory, a fixed date, folders in a set.
class test_platform : public settings_platform {
 public:
  std::shared_ptr<values_t> values = std::make_shared<values_t>();
  bool key_opens = true;
  std::u16string date = u"2026-12-10";
  std::set<std::u16string> folders;
  std::map<std::u16string, long> create_results;  // default 0
  std::vector<std::u16string> created;

  std::unique_ptr<registry_key> open_settings_key() override {
    if (!key_opens) return nullptr;
    auto key = std::make_unique<memory_registry_key>();
    key->values = values;
    return key;
  }
  std::u16string utc_date_text() override { return date; }
  bool is_directory(const char16_t* path) override { return folders.count(path) != 0; }
  long create_folder_tree(const char16_t* path) override {
    created.push_back(path);
    auto it = create_results.find(path);
    long result = it == create_results.end() ? 0 : it->second;
    if (result == 0) folders.insert(path);
    return result;
  }
};

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { copy_cut(app_settings.base_folder, u"C:\\Program Files\\Vantoril\\"); }
  void TearDown() override { close_settings_key(); }

  uint32_t number(const char16_t* name) {
    const auto& v = platform.values->at(name);
    EXPECT_EQ(v.type, reg_type_dword) << u16_to_utf8(name);
    EXPECT_EQ(v.bytes.size(), 4u) << u16_to_utf8(name);
    uint32_t n = 0;
    std::memcpy(&n, v.bytes.data(), 4);
    return n;
  }
  std::u16string text(const char16_t* name) {
    const auto& v = platform.values->at(name);
    EXPECT_EQ(v.type, reg_type_sz) << u16_to_utf8(name);
    std::u16string t(v.bytes.size() / 2, u'\0');
    std::memcpy(&t[0], v.bytes.data(), v.bytes.size());
    EXPECT_FALSE(t.empty() || t.back() != u'\0') << "unterminated " << u16_to_utf8(name);
    if (!t.empty()) t.pop_back();
    return t;
  }

  test_platform platform;
};

TEST_F(SettingsTest, FirstRunWritesEveryDefaultOnceAndSecondStartChangesNothing) {
  ASSERT_TRUE(load_settings(platform));
  const std::u16string base = u"C:\\Program Files\\Vantoril\\";
  EXPECT_EQ(platform.values->size(), 21u);
  struct {
    const char16_t* name;
    uint32_t value;
  } numbers[] = {{u"Autorun", 2},        {u"CloseToTray", 1},     {u"CheckVersion", 1},  {u"MatchEngine", 0},
                 {u"ScanNonPresent", 0}, {u"AutoBackup", 0},      {u"ProxyType", 0},     {u"ProxyPort", 0},
                 {u"EnableScheduler", 0}, {u"SchedulePeriod", 0}, {u"ScheduleWhen", 0}, {u"ScheduleStart", 0},
                 {u"DebugStatus", 0}};
  for (const auto& n : numbers) EXPECT_EQ(number(n.name), n.value) << u16_to_utf8(n.name);
  EXPECT_EQ(text(u"Language"), u"en");
  EXPECT_EQ(text(u"DownloadPath"), base + u"Download");
  EXPECT_EQ(text(u"BackupPath"), base + u"Backup");
  for (const char16_t* empty : {u"ProxyHost", u"ProxyUser", u"ProxyPass", u"UninstallLink"})
    EXPECT_EQ(text(empty), u"") << u16_to_utf8(empty);
  EXPECT_EQ(text(u"InstallDate"), u"2026-12-10");
  EXPECT_EQ(platform.created, (std::vector<std::u16string>{base + u"Download", base + u"Backup"}));
  EXPECT_EQ(std::u16string(app_settings.backup_catalog_path), base + u"Backup.dat");
  EXPECT_EQ(std::u16string(app_settings.exclusion_list_path), base + u"Exclusion.dat");

  values_t first = *platform.values;
  close_settings_key();
  platform.date = u"2027-01-01";
  platform.created.clear();
  ASSERT_TRUE(load_settings(platform));
  EXPECT_EQ(std::u16string(app_settings.InstallDate), u"2026-12-10");
  for (const auto& v : first) {
    const auto& now = platform.values->at(v.first);
    EXPECT_TRUE(now.type == v.second.type && now.bytes == v.second.bytes) << u16_to_utf8(v.first);
  }
  EXPECT_EQ(platform.values->size(), 21u);
  EXPECT_TRUE(platform.created.empty());
}

TEST_F(SettingsTest, PresetValuesReadBackAsTheRulesSay) {
  for (const settings_case& c : settings_cases(app_settings.base_folder)) {
    test_platform p;
    for (const preset_value& v : c.values) (*p.values)[v.name] = {v.type, v.bytes};
    load_settings(p);
    EXPECT_EQ(field_text(c.field), c.expected) << c.what;
    close_settings_key();
  }
}

TEST_F(SettingsTest, SaveWritesTwentyValuesAndNeverTheDate) {
  ASSERT_TRUE(load_settings(platform));
  copy_cut(app_settings.UninstallLink, u"http://example.test/uninstall");
  copy_cut(app_settings.InstallDate, u"1999-09-09");
  app_settings.ProxyPort = 8080;
  copy_cut(app_settings.ProxyPass, u"secret words");
  platform.values->erase(u"Autorun");
  EXPECT_TRUE(save_settings());
  EXPECT_EQ(text(u"UninstallLink"), u"http://example.test/uninstall");
  EXPECT_EQ(text(u"InstallDate"), u"2026-12-10");
  EXPECT_EQ(number(u"ProxyPort"), 8080u);
  EXPECT_EQ(number(u"Autorun"), 2u);
  EXPECT_EQ(platform.values->at(u"ProxyPass").bytes.size(), (12u + 1) * 2);
}

TEST_F(SettingsTest, LinkFromTheRegistryBecomesEmptyAtTheFirstSave) {
  (*platform.values)[u"InstallDate"] = {reg_type_sz, text_bytes(u"2020-01-01")};
  (*platform.values)[u"UninstallLink"] = {reg_type_sz, text_bytes(u"http://old/")};
  ASSERT_TRUE(load_settings(platform));
  EXPECT_EQ(text(u"UninstallLink"), u"http://old/");
  app_settings.CloseToTray = 0;
  save_settings();
  EXPECT_EQ(text(u"UninstallLink"), u"");
  EXPECT_EQ(number(u"CloseToTray"), 0u);
}

TEST_F(SettingsTest, KeyThatCannotBeOpenedLeavesDefaultsAndPersistsNothing) {
  platform.key_opens = false;
  app_settings.Autorun = 7;
  EXPECT_FALSE(load_settings(platform));
  EXPECT_EQ(app_settings.Autorun, 2u);
  EXPECT_EQ(std::u16string(app_settings.Language), u"en");
  EXPECT_TRUE(save_settings());
  EXPECT_TRUE(platform.values->empty());
  EXPECT_TRUE(platform.created.empty());
}

TEST_F(SettingsTest, FolderCreationStopsAtTheFirstHardFailure) {
  const std::u16string base = app_settings.base_folder;
  struct {
    long download_result;
    size_t attempts;
  } rows[] = {{3, 1}, {80, 1}, {161, 1}, {206, 1}, {183, 2}, {5, 2}, {0, 2}};
  for (const auto& r : rows) {
    test_platform p;
    p.create_results[base + u"Download"] = r.download_result;
    EXPECT_TRUE(load_settings(p)) << r.download_result;  // not part of the result
    EXPECT_EQ(p.created.size(), r.attempts) << r.download_result;
    close_settings_key();
  }
  test_platform existing;
  existing.folders = {base + u"Download", base + u"Backup"};
  load_settings(existing);
  EXPECT_TRUE(existing.created.empty());
}

TEST_F(SettingsTest, DefaultsInADriveRootHaveOneBackslash) {
  copy_cut(app_settings.base_folder, u"D:\\");
  set_default_settings();
  EXPECT_EQ(std::u16string(app_settings.DownloadPath), u"D:\\Download");
  EXPECT_EQ(std::u16string(app_settings.BackupPath), u"D:\\Backup");
  EXPECT_EQ(std::u16string(app_settings.exclusion_list_path), u"D:\\Exclusion.dat");
}

}  // namespace

namespace {

TEST(ExclusionFile, ReadWholeFromTheSettingsPath) {
  temp_folder dir;
  copy_cut(app_settings.exclusion_list_path, utf8_to_u16((dir / "Exclusion.dat").u8string()));
  std::vector<char> data{'x'};
  EXPECT_FALSE(read_exclusion_file(data));  // missing
  write_file_bytes(dir / "Exclusion.dat", "");
  EXPECT_FALSE(read_exclusion_file(data));  // empty
  write_file_bytes(dir / "Exclusion.dat", "<exclusions/>");
  ASSERT_TRUE(read_exclusion_file(data));
  EXPECT_EQ(std::string(data.data()), "<exclusions/>");
  EXPECT_EQ(data.size(), 14u);
}

}  // namespace
