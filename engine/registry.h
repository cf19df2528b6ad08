// The registry as the settings use it: one open key, values queried and set the way
// RegQueryValueExW and RegSetValueExW do. Windows gives the real key; tests use the store in
// memory below.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

constexpr uint32_t reg_type_sz = 1;
constexpr uint32_t reg_type_expand_sz = 2;
constexpr uint32_t reg_type_binary = 3;
constexpr uint32_t reg_type_dword = 4;

constexpr long reg_ok = 0;
constexpr long reg_not_found = 2;    // ERROR_FILE_NOT_FOUND
constexpr long reg_more_data = 234;  // ERROR_MORE_DATA

class registry_key {
 public:
  virtual ~registry_key() = default;
  // type and data may be null; *bytes holds the buffer's size and receives the value's size.
  // A buffer that is too small gives reg_more_data, and its contents are then undefined.
  virtual long query(const char16_t* name, uint32_t* type, void* data, uint32_t* bytes) = 0;
  virtual long set(const char16_t* name, uint32_t type, const void* data, uint32_t bytes) = 0;
  // Deletes the value: reg_not_found when there is none.
  virtual long remove(const char16_t* name) = 0;
};

// A key in memory. Like the real one, a too small buffer receives the value's first bytes.
class memory_registry_key : public registry_key {
 public:
  struct value {
    uint32_t type;
    std::vector<uint8_t> bytes;
  };
  long query(const char16_t* name, uint32_t* type, void* data, uint32_t* bytes) override;
  long set(const char16_t* name, uint32_t type, const void* data, uint32_t bytes) override;
  long remove(const char16_t* name) override;

  // Shared with the test that made the key, which keeps looking at it after handing it over.
  std::shared_ptr<std::map<std::u16string, value>> values =
      std::make_shared<std::map<std::u16string, value>>();
};

// What loading the settings needs from outside: the key, today's date, the folders.
class settings_platform {
 public:
  virtual ~settings_platform() = default;
  // The settings key, opened or created; null when that fails.
  virtual std::unique_ptr<registry_key> open_settings_key() = 0;
  // The current UTC date as "%Y-%m-%d".
  virtual std::u16string utc_date_text() = 0;
  virtual bool is_directory(const char16_t* path) = 0;
  // Creates the folder with every missing parent: 0 or a Windows error code.
  virtual long create_folder_tree(const char16_t* path) = 0;
};

#ifdef _WIN32
// Windows: HKEY_CURRENT_USER\<sub_key>, opened or created with read, set-value and
// create-sub-key access (0x2001F); null when that fails.
std::unique_ptr<registry_key> create_current_user_key(const char16_t* sub_key);
#endif
