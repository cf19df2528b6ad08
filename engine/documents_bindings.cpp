// The documents bound to the process-wide records: the request's client element from the
// system facts, the answer's config element into the settings. Kept apart so that the
// document code itself needs neither the registry nor the machine.
#include "engine/documents.h"
#include "engine/settings.h"
#include "engine/system_facts.h"

namespace {
void save_all_settings() { save_settings(); }
}  // namespace

driver_config_target settings_config_target() {
  return {&server_desc, &app_settings.Autorun, app_settings.UninstallLink, save_all_settings};
}

request_client_facts machine_client_facts() {
  wait_for_wmi_facts();  // read on the matching worker; the start-up read may still run
  return {os_name_text(), processor_name, system_uuid};
}
