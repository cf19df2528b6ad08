#include <string>

#include "engine/device_store.h"
#include "engine/engine_errors.h"
#include "engine/history.h"
#include "engine/matching_exchange.h"
#include "engine/system_facts.h"
#include "engine/worker_task.h"

namespace {

// The folder of the running program, where history.dat is kept; "" when its path is unknown.
std::u16string program_folder() {
  std::u16string path(exe_path);
  size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

}  // namespace

int32_t online_check_entry(void* argument) {
  auto* status = static_cast<check_status*>(argument);
  device_store* store = the_device_store();
  match_context* context = the_match_context();
  if (!status || !store || !context) {
    set_last_error(engine_error::client_create);  // nothing to work with
    return -1;
  }
  std::u16string folder = program_folder();
  matching_inputs inputs{&store->devices, machine_client_facts(), settings_config_target(), context,
                         folder.c_str()};
  return check_drivers_online(*status, inputs) ? 0 : -1;
}

worker_task_c worker_task_c::init_online_check(check_status* status) {
  return worker_task_c(online_check_entry, status);
}
