#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>

#include "base/wide.h"
#include "engine/registry.h"
#include "engine/settings.h"

namespace {

class windows_settings_platform : public settings_platform {
 public:
  std::unique_ptr<registry_key> open_settings_key() override {
    return create_current_user_key(u"Software\\Vantoril");
  }
  std::u16string utc_date_text() override {
    SYSTEMTIME t;
    GetSystemTime(&t);
    char text[16];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", unsigned(t.wYear), unsigned(t.wMonth),
                  unsigned(t.wDay));
    return std::u16string(text, text + std::char_traits<char>::length(text));
  }
  bool is_directory(const char16_t* path) override { return PathIsDirectoryW(as_wide(path)) != FALSE; }
  long create_folder_tree(const char16_t* path) override {
    return SHCreateDirectoryExW(nullptr, as_wide(path), nullptr);
  }
};

}  // namespace

bool load_settings() {
  windows_settings_platform platform;
  return load_settings(platform);
}
