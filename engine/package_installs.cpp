#include "engine/package_installs.h"

#include <cstdio>
#include <mutex>
#include <vector>

#include "base/text.h"
#include "engine/download_sessions.h"
#include "engine/history.h"
#include "engine/net_client.h"

namespace {

// Never destroyed: a job thread may still run while the process exits.
std::vector<std::shared_ptr<package_install_c>>& installs =
    *new std::vector<std::shared_ptr<package_install_c>>;
std::mutex& history_mutex = *new std::mutex;

// Records whose thread has ended and which no one else holds.
void free_finished(const std::string& keep) {
  for (size_t i = installs.size(); i-- > 0;) {
    auto& r = installs[i];
    if (r->address != keep && r.use_count() == 1 && !r->task.is_running()) installs.erase(installs.begin() + long(i));
  }
}

}  // namespace

package_install_c::package_install_c(std::string remote, entry_fn entry)
    : address(std::move(remote)), task(&package_install_c::thread_entry, this), entry_(entry) {}

int32_t package_install_c::thread_entry(void* self) {
  auto* install = static_cast<package_install_c*>(self);
  install_job& job = install->job;
  job.md5_refused = false;
  const int checked = check_package_md5(job.package_path, job.expected_md5.c_str());
  if (checked < 0) {
    job.md5_refused = true;  // a wrong package is never installed
    return -1;
  }
  if (checked > 0) job.md5_verified = true;
  int32_t result = install->entry_ ? install->entry_(&job) : -1;
  // Only a package that really went in counts as installed: the ranking never offers an
  // address of the history as an update again.
  if (result == 0) append_history(install->history_folder.c_str(), install->address.c_str());
  return result;
}

std::shared_ptr<package_install_c> package_install_for(const std::string& address,
                                                       package_install_c::entry_fn entry) {
  free_finished(address);
  for (const auto& r : installs)
    if (r->address == address) return r;
  auto made = std::make_shared<package_install_c>(address, entry);
  installs.push_back(made);
  return made;
}

bool package_install_running(const std::string& address) {
  for (const auto& r : installs)
    if (r->address == address && r->task.is_running()) return true;
  return false;
}

bool any_package_install_running() {
  for (const auto& r : installs)
    if (r->task.is_running()) return true;
  return false;
}

bool start_package_install(package_install_c& install) {
  if (install.task.is_running()) return false;
  install.task.close_thread_handle();
  return install.task.start();
}

bool append_history(const char16_t* program_folder, const char* remote_url) {
  if (!remote_url || !remote_url[0]) return false;
  std::u16string path = path_join(program_folder ? program_folder : u"", history_file_name);
  std::lock_guard<std::mutex> lock(history_mutex);
  FILE* f = open_file_u16(path.c_str(), "a");
  if (!f) return false;
  bool ok = std::fprintf(f, "%s\n", remote_url) >= 0;
  return std::fclose(f) == 0 && ok;
}
