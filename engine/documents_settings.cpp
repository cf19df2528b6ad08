// The answer's config element lands in the settings; kept apart so that the document code
// does not need the registry.
#include "engine/documents.h"
#include "engine/settings.h"

namespace {
void save_all_settings() { save_settings(); }
}  // namespace

driver_config_target settings_config_target() {
  return {&server_desc, &app_settings.Autorun, app_settings.UninstallLink, save_all_settings};
}
