#include "engine/registry.h"
#include "engine/settings.h"

namespace {
// The host build has no registry: the program runs on the defaults.
class no_settings_platform : public settings_platform {
 public:
  std::unique_ptr<registry_key> open_settings_key() override { return nullptr; }
  std::u16string utc_date_text() override { return u"0000-00-00"; }
  bool is_directory(const char16_t*) override { return false; }
  long create_folder_tree(const char16_t*) override { return 3; }
};
}  // namespace

bool load_settings() {
  no_settings_platform platform;
  return load_settings(platform);
}
