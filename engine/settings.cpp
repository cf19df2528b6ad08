#include "engine/settings.h"

#include <cstddef>
#include <cstring>
#include <mutex>

#include "base/text.h"
#include "engine/documents.h"
#include "engine/engine_errors.h"
#include "engine/registry.h"

app_settings_record app_settings;

namespace {

// One registry value: its field, and for a text the field's capacity in characters.
struct setting_value {
  const char16_t* name;
  size_t offset;
  size_t capacity;  // 0 for a REG_DWORD
};

#define NUMBER(field) {u"" #field, offsetof(app_settings_record, field), 0}
#define TEXT(field) \
  {u"" #field, offsetof(app_settings_record, field), sizeof(app_settings_record::field) / sizeof(char16_t)}

// Table order is the order of reading and writing.
constexpr setting_value setting_values[] = {
    NUMBER(Autorun),       NUMBER(CloseToTray),    NUMBER(CheckVersion),   TEXT(Language),
    NUMBER(MatchEngine),   NUMBER(ScanNonPresent), NUMBER(AutoBackup),     TEXT(DownloadPath),
    TEXT(BackupPath),      NUMBER(ProxyType),      TEXT(ProxyHost),        NUMBER(ProxyPort),
    TEXT(ProxyUser),       TEXT(ProxyPass),        NUMBER(EnableScheduler), NUMBER(SchedulePeriod),
    NUMBER(ScheduleWhen),  NUMBER(ScheduleStart),  TEXT(InstallDate),      NUMBER(DebugStatus),
    TEXT(UninstallLink),
};

#undef NUMBER
#undef TEXT

constexpr size_t setting_count = sizeof setting_values / sizeof setting_values[0];

constexpr bool same_name(const char16_t* a, const char16_t* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}
// The position of a value in the table, found by its name, so a reorder cannot shift it.
constexpr size_t index_of(const char16_t* name) {
  for (size_t i = 0; i < setting_count; ++i)
    if (same_name(setting_values[i].name, name)) return i;
  return setting_count;
}

constexpr size_t install_date_index = index_of(u"InstallDate");
constexpr size_t debug_status_index = index_of(u"DebugStatus");
constexpr size_t uninstall_link_index = index_of(u"UninstallLink");
constexpr size_t language_index = index_of(u"Language");
static_assert(language_index < setting_count, "Language is in the table");
// Loads read every value before UninstallLink (the last); saves write every value before
// InstallDate, then DebugStatus and UninstallLink.
static_assert(uninstall_link_index == setting_count - 1, "UninstallLink is read apart, so it comes last");
static_assert(debug_status_index == install_date_index + 1 && uninstall_link_index == debug_status_index + 1,
              "a save writes the values before InstallDate in one run, then these two by name");
static_assert(language_index < install_date_index, "Language is saved with the others");

// The key load_settings opened; saves write nothing without it. Never destroyed: a worker
// (the scan report's upload) may still save while the process exits.
std::unique_ptr<registry_key>& settings_key = *new std::unique_ptr<registry_key>;
std::mutex& save_lock = *new std::mutex;

uint32_t& number_field(const setting_value& v) {
  return *reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(&app_settings) + v.offset);
}
char16_t* text_field(const setting_value& v) {
  return reinterpret_cast<char16_t*>(reinterpret_cast<char*>(&app_settings) + v.offset);
}

// A value reaches its field only when it passed every check: after a failed or cut-short
// read the buffer holds nothing to trust.
void read_value(registry_key& key, const setting_value& v) {
  if (v.capacity == 0) {
    uint32_t number = 0, type = 0, bytes = sizeof number;
    if (key.query(v.name, &type, &number, &bytes) == reg_ok && type == reg_type_dword && bytes == 4)
      number_field(v) = number;
    return;
  }
  std::u16string buffer(v.capacity, u'\0');
  uint32_t type = 0, bytes = uint32_t(v.capacity * sizeof(char16_t));
  if (key.query(v.name, &type, &buffer[0], &bytes) != reg_ok) return;
  if (type != reg_type_sz && type != reg_type_expand_sz) return;
  if (bytes % 2 != 0 || bytes > v.capacity * sizeof(char16_t)) return;
  size_t chars = bytes / 2;
  if (chars > 0 && buffer[chars - 1] != u'\0') return;
  buffer.resize(chars);
  copy_cut(text_field(v), v.capacity, buffer.c_str());
}

void write_value(registry_key& key, const setting_value& v) {
  if (v.capacity == 0) {
    uint32_t number = number_field(v);
    key.set(v.name, reg_type_dword, &number, sizeof number);
    return;
  }
  const char16_t* text = text_field(v);
  size_t length = 0;
  while (length < v.capacity - 1 && text[length]) ++length;
  std::u16string copy(text, length);  // terminated, even if a writer left the field unterminated
  key.set(v.name, reg_type_sz, copy.c_str(), uint32_t((length + 1) * sizeof(char16_t)));
}

void stamp_install_date(registry_key& key, settings_platform& platform) {
  copy_cut(app_settings.InstallDate, platform.utc_date_text());
  write_value(key, setting_values[install_date_index]);
}

bool load_setting_values(registry_key& key) {
  for (size_t i = 0; i < uninstall_link_index; ++i) read_value(key, setting_values[i]);
  return true;
}

bool create_data_folders(settings_platform& platform) {
  for (const char16_t* path : {app_settings.DownloadPath, app_settings.BackupPath}) {
    if (platform.is_directory(path)) continue;
    long result = platform.create_folder_tree(path);
    if (result == 3 || result == 80 || result == 161 || result == 206) return false;
  }
  return true;
}

}  // namespace

void set_default_settings() {
  app_settings_record& s = app_settings;
  s.Autorun = 2;
  s.CloseToTray = 1;
  s.CheckVersion = 1;
  copy_cut(s.Language, u"en");
  s.MatchEngine = 0;
  s.ScanNonPresent = 0;
  s.AutoBackup = 0;
  copy_cut(s.DownloadPath, path_join(s.base_folder, u"Download"));
  copy_cut(s.BackupPath, path_join(s.base_folder, u"Backup"));
  s.ProxyType = 0;
  s.ProxyHost[0] = 0;
  s.ProxyPort = 0;
  s.ProxyUser[0] = 0;
  s.ProxyPass[0] = 0;
  s.EnableScheduler = 0;
  s.SchedulePeriod = 0;
  s.ScheduleWhen = 0;
  s.ScheduleStart = 0;
  copy_cut(s.InstallDate, u"0000-00-00");
  s.DebugStatus = 0;
  s.UninstallLink[0] = 0;
  copy_cut(s.backup_catalog_path, path_join(s.base_folder, u"Backup.dat"));
  copy_cut(s.exclusion_list_path, path_join(s.base_folder, u"Exclusion.dat"));
  clear_server_message();
  server_desc = 0;
}

bool load_settings(settings_platform& platform) {
  set_default_settings();
  {
    std::lock_guard<std::mutex> g(save_lock);
    settings_key = platform.open_settings_key();
  }
  if (!settings_key) return false;
  registry_key& key = *settings_key;
  bool result;
  if (key.query(u"InstallDate", nullptr, nullptr, nullptr) == reg_not_found) {
    stamp_install_date(key, platform);
    read_value(key, setting_values[language_index]);
    result = save_settings();
  } else {
    result = load_setting_values(key);
  }
  create_data_folders(platform);
  return result;
}

bool save_settings() {
  std::lock_guard<std::mutex> g(save_lock);
  if (!settings_key) return true;
  for (size_t i = 0; i < install_date_index; ++i) write_value(*settings_key, setting_values[i]);
  write_value(*settings_key, setting_values[debug_status_index]);
  write_value(*settings_key, setting_values[uninstall_link_index]);
  return true;
}

void close_settings_key() {
  std::lock_guard<std::mutex> g(save_lock);
  settings_key.reset();
}
