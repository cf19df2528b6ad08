#include <windows.h>

#include "base/wide.h"
#include "engine/registry.h"

namespace {

class windows_registry_key : public registry_key {
 public:
  explicit windows_registry_key(HKEY key) : key_(key) {}
  ~windows_registry_key() override { RegCloseKey(key_); }
  windows_registry_key(const windows_registry_key&) = delete;
  windows_registry_key& operator=(const windows_registry_key&) = delete;

  long query(const char16_t* name, uint32_t* type, void* data, uint32_t* bytes) override {
    DWORD t = 0, size = bytes ? *bytes : 0;
    LONG result = RegQueryValueExW(key_, as_wide(name), nullptr, type ? &t : nullptr,
                                   static_cast<BYTE*>(data), bytes ? &size : nullptr);
    if (type) *type = t;
    if (bytes) *bytes = size;
    return result;
  }
  long set(const char16_t* name, uint32_t type, const void* data, uint32_t bytes) override {
    return RegSetValueExW(key_, as_wide(name), 0, type, static_cast<const BYTE*>(data), bytes);
  }
  long remove(const char16_t* name) override { return RegDeleteValueW(key_, as_wide(name)); }

 private:
  HKEY key_;
};

}  // namespace

std::unique_ptr<registry_key> create_current_user_key(const char16_t* sub_key) {
  HKEY key = nullptr;
  REGSAM access = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, as_wide(sub_key), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      access, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return std::make_unique<windows_registry_key>(key);
}
