#include <windows.h>

#include <stdexcept>

#include "base/text.h"
#include "base/wide.h"
#include "tests/support/device_fixture.h"

namespace {

const std::u16string enum_root = u"System\\CurrentControlSet\\Enum\\";
const std::u16string class_root = u"System\\CurrentControlSet\\Control\\Class\\";

// Removes a key with everything under it (left over by a run that did not finish).
void delete_tree(HKEY parent, const std::u16string& path) {
  HKEY key;
  if (RegOpenKeyExW(parent, as_wide(path), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
  wchar_t name[256];
  for (;;) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    delete_tree(key, as_u16(name));
  }
  RegCloseKey(key);
  RegDeleteKeyW(parent, as_wide(path));
}

void set_text(HKEY key, const char16_t* name, const std::u16string& text) {
  RegSetValueExW(key, as_wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 DWORD((text.size() + 1) * sizeof(char16_t)));
}

void set_multi(HKEY key, const char16_t* name, const std::vector<std::u16string>& texts) {
  std::u16string units;
  for (const std::u16string& t : texts) units += t + u'\0';
  units += u'\0';
  RegSetValueExW(key, as_wide(name), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(units.data()),
                 DWORD(units.size() * sizeof(char16_t)));
}

int g_next_driver = 9100;  // driver key numbers no stock class uses

// The keys made so far are written down as they are made, so that a run that ends halfway
// (a crash) is cleaned up by the next one.
const wchar_t journal_key[] = L"Software\\Vantoril Tests";
const wchar_t journal_value[] = L"Device fixture keys";

void write_journal(const std::vector<std::u16string>& keys) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, journal_key, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  if (keys.empty()) {
    RegDeleteValueW(key, journal_value);
  } else {
    std::u16string units;
    for (const std::u16string& k : keys) units += k + u'\0';
    units += u'\0';
    RegSetValueExW(key, journal_value, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(units.data()),
                   DWORD(units.size() * sizeof(char16_t)));
  }
  RegCloseKey(key);
}

std::vector<std::u16string> read_journal() {
  std::vector<std::u16string> keys;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, journal_key, 0, KEY_READ, &key) != ERROR_SUCCESS) return keys;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, journal_value, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_MULTI_SZ) {
    std::u16string units(size / sizeof(char16_t) + 1, u'\0');
    if (RegQueryValueExW(key, journal_value, nullptr, &type, reinterpret_cast<BYTE*>(&units[0]),
                         &size) == ERROR_SUCCESS) {
      for (size_t start = 0; start < units.size();) {
        size_t end = units.find(u'\0', start);
        if (end == start || end == std::u16string::npos) break;
        keys.push_back(units.substr(start, end - start));
        start = end + 1;
      }
    }
  }
  RegCloseKey(key);
  return keys;
}

void delete_keys(const std::vector<std::u16string>& keys) {
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) delete_tree(HKEY_LOCAL_MACHINE, *it);
}

}  // namespace

device_fixture::device_fixture() {
  delete_keys(read_journal());
  write_journal({});
}

device_fixture::~device_fixture() {
  delete_keys(created_);
  write_journal({});
}

void* device_fixture::make_key(const std::u16string& path) {
  // Each missing level is made and remembered, so that nothing of it stays behind.
  size_t start = 0;
  HKEY key = nullptr;
  for (;;) {
    size_t end = path.find(u'\\', start);
    std::u16string level = path.substr(0, end);
    if (key) RegCloseKey(key);
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, as_wide(level), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, &disposition) != ERROR_SUCCESS)
      throw std::runtime_error("cannot make " + u16_to_utf8(level));
    if (disposition == REG_CREATED_NEW_KEY) {
      created_.push_back(level);
      write_journal(created_);
    }
    if (end == std::u16string::npos) return key;
    start = end + 1;
  }
}

void device_fixture::add_class(const std::u16string& guid, const std::u16string& name,
                               const std::u16string& description) {
  size_t before = created_.size();
  HKEY key = static_cast<HKEY>(make_key(class_root + guid));
  if (created_.size() != before) {
    set_text(key, u"Class", name);
    set_text(key, u"", description);
  }
  RegCloseKey(key);
}

void device_fixture::add_device(const fixture_device& d) {
  delete_tree(HKEY_LOCAL_MACHINE, enum_root + d.instance_id);
  HKEY key = static_cast<HKEY>(make_key(enum_root + d.instance_id));
  if (!d.class_name.empty()) set_text(key, u"Class", d.class_name);
  if (!d.class_guid.empty()) set_text(key, u"ClassGUID", d.class_guid);
  if (!d.friendly_name.empty()) set_text(key, u"FriendlyName", d.friendly_name);
  if (!d.device_desc.empty()) set_text(key, u"DeviceDesc", d.device_desc);
  if (!d.device_desc_unterminated.empty()) {
    const std::u16string& t = d.device_desc_unterminated;
    RegSetValueExW(key, L"DeviceDesc", 0, REG_SZ, reinterpret_cast<const BYTE*>(t.data()),
                   DWORD(t.size() * sizeof(char16_t)));
  }
  if (!d.hardware_ids.empty()) set_multi(key, u"HardwareID", d.hardware_ids);
  if (!d.compatible_ids.empty()) set_multi(key, u"CompatibleIDs", d.compatible_ids);
  if (!d.driver_values.empty()) {
    std::u16string number = utf8_to_u16(std::to_string(g_next_driver++));
    std::u16string driver = d.class_guid + u"\\" + number;
    delete_tree(HKEY_LOCAL_MACHINE, class_root + driver);
    HKEY values = static_cast<HKEY>(make_key(class_root + driver));
    for (const auto& [name, text] : d.driver_values) set_text(values, name.c_str(), text);
    RegCloseKey(values);
    set_text(key, u"Driver", driver);
  }
  RegCloseKey(key);
}
