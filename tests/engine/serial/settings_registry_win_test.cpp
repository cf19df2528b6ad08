// The settings on the real registry of the Wine prefix: HKCU\Software\Vantoril is emptied,
// written and removed here, so these tests never run beside others.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>

#include "base/text.h"
#include "base/wide.h"
#include "engine/settings.h"
#include "engine/system_facts.h"
#include "tests/engine/settings_cases.h"
#include "tests/support/test_support.h"

namespace {

struct raw_value {
  DWORD type;
  std::vector<uint8_t> bytes;
  bool operator==(const raw_value& o) const { return type == o.type && bytes == o.bytes; }
};

void delete_settings_key() { SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Vantoril"); }

std::map<std::u16string, raw_value> read_key() {
  std::map<std::u16string, raw_value> out;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Vantoril", 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
  for (DWORD i = 0;; ++i) {
    WCHAR name[256];
    DWORD name_length = 256, type = 0, size = 4096;
    std::vector<uint8_t> data(size);
    if (RegEnumValueW(key, i, name, &name_length, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    data.resize(size);
    out[as_u16(name)] = {type, data};
  }
  RegCloseKey(key);
  return out;
}

void write_values(const std::vector<preset_value>& values) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantoril", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  for (const preset_value& v : values) {
    // Non-zero bytes behind the value, so that the registry does not add a missing terminator.
    std::vector<uint8_t> padded = v.bytes;
    padded.insert(padded.end(), {'X', 'X', 'X', 'X'});
    RegSetValueExW(key, as_wide(v.name), 0, v.type, padded.data(), DWORD(v.bytes.size()));
  }
  RegCloseKey(key);
}

std::string reg_query_output() {
  std::string out;
  FILE* pipe = _popen("reg query HKCU\\Software\\Vantoril", "r");
  if (!pipe) return out;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  _pclose(pipe);
  return out;
}

std::u16string today_utc() {
  std::time_t now = std::time(nullptr);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", std::gmtime(&now));
  return utf8_to_u16(text);
}

class SettingsRegistry : public ::testing::Test {
 protected:
  // The start-up order: the system facts give the program folder (the current directory).
  void SetUp() override {
    delete_settings_key();
    GetCurrentDirectoryW(MAX_PATH, saved_directory);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.path().wstring().c_str()));
    ASSERT_TRUE(init_system_info());
    base = app_settings.base_folder;
    ASSERT_EQ(base, folder_with_backslash(as_u16(folder.path().wstring().c_str())));
  }
  void TearDown() override {
    close_settings_key();
    delete_settings_key();
    SetCurrentDirectoryW(saved_directory);
  }
  WCHAR saved_directory[MAX_PATH];
  temp_folder folder;
  std::u16string base;
};

TEST_F(SettingsRegistry, FirstStartOnAnEmptyKeyThenASecondStart) {
  ASSERT_TRUE(load_settings());
  auto values = read_key();
  EXPECT_EQ(values.size(), 21u);
  auto dword = [&](const char16_t* name) {
    const raw_value& v = values[name];
    EXPECT_EQ(v.type, DWORD(REG_DWORD)) << u16_to_utf8(name);
    uint32_t n = 0;
    if (v.bytes.size() == 4) std::memcpy(&n, v.bytes.data(), 4);
    return n;
  };
  auto text = [&](const char16_t* name) {
    const raw_value& v = values[name];
    EXPECT_EQ(v.type, DWORD(REG_SZ)) << u16_to_utf8(name);
    std::u16string t(v.bytes.size() / 2, u'\0');
    if (!t.empty()) std::memcpy(&t[0], v.bytes.data(), v.bytes.size());
    EXPECT_TRUE(!t.empty() && t.back() == 0) << u16_to_utf8(name);
    return t.empty() ? t : t.substr(0, t.size() - 1);
  };
  EXPECT_EQ(dword(u"Autorun"), 2u);
  EXPECT_EQ(dword(u"CloseToTray"), 1u);
  EXPECT_EQ(dword(u"CheckVersion"), 1u);
  for (const char16_t* zero : {u"MatchEngine", u"ScanNonPresent", u"AutoBackup", u"ProxyType", u"ProxyPort",
                               u"EnableScheduler", u"SchedulePeriod", u"ScheduleWhen", u"ScheduleStart",
                               u"DebugStatus"})
    EXPECT_EQ(dword(zero), 0u) << u16_to_utf8(zero);
  EXPECT_EQ(text(u"Language"), u"en");
  EXPECT_EQ(text(u"DownloadPath"), base + u"Download");
  EXPECT_EQ(text(u"BackupPath"), base + u"Backup");
  for (const char16_t* empty : {u"ProxyHost", u"ProxyUser", u"ProxyPass", u"UninstallLink"})
    EXPECT_EQ(text(empty), u"") << u16_to_utf8(empty);
  EXPECT_EQ(text(u"InstallDate"), today_utc());
  EXPECT_TRUE(std::filesystem::is_directory(folder / "Download"));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "Backup"));

  // What the registry tool shows: the same 21 values.
  std::string listing = reg_query_output();
  size_t shown = 0;
  for (size_t p = listing.find("REG_"); p != std::string::npos; p = listing.find("REG_", p + 1)) ++shown;
  EXPECT_EQ(shown, 21u) << listing;
  EXPECT_NE(listing.find("InstallDate"), std::string::npos);

  close_settings_key();
  ASSERT_TRUE(load_settings());
  EXPECT_TRUE(read_key() == values);
}

TEST_F(SettingsRegistry, PresetValuesReadBackAsTheRulesSay) {
  for (const settings_case& c : settings_cases(base)) {
    delete_settings_key();
    write_values(c.values);
    load_settings();
    EXPECT_EQ(field_text(c.field), c.expected) << c.what;
    close_settings_key();
  }
}

TEST_F(SettingsRegistry, DownloadFolderOnAMissingDriveStopsTheBackupFolder) {
  // A drive letter that no prefix maps.
  write_values({sz(u"InstallDate", u"2020-01-01"), sz(u"DownloadPath", u"Q:\\nowhere\\Download"),
                sz(u"BackupPath", base + u"Backup")});
  EXPECT_TRUE(load_settings());
  EXPECT_EQ(std::u16string(app_settings.DownloadPath), u"Q:\\nowhere\\Download");
  EXPECT_FALSE(std::filesystem::exists(folder / "Backup"));
}

}  // namespace
