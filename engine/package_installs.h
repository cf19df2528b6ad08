// The install jobs of downloaded packages, one record per package for the whole process, as
// the download sessions are: a row that started an install may be deleted (the update list is
// rebuilt after every scan) while the job still runs, and a new row of the same package must
// see that job. A record is freed once its thread has ended and no one holds it.
#pragma once

#include <memory>
#include <string>

#include "engine/install_jobs.h"
#include "engine/worker_task.h"

class package_install_c {
 public:
  using entry_fn = int32_t (*)(void* job);  // install_entry in the program

  package_install_c(std::string address, entry_fn entry);
  package_install_c(const package_install_c&) = delete;
  package_install_c& operator=(const package_install_c&) = delete;

  const std::string address;  // the package's remote address
  install_job job;
  // Where history.dat is appended once the install returned 0 (the program's folder).
  std::u16string history_folder;
  worker_task_c task;

 private:
  static int32_t thread_entry(void* self);
  entry_fn entry_;
};

// The record of the address, made when there is none; the finished records of other packages
// are freed on the way.
std::shared_ptr<package_install_c> package_install_for(const std::string& address,
                                                       package_install_c::entry_fn entry);
bool package_install_running(const std::string& address);
// Whether any install job of the process still runs (the main window asks before it ends).
bool any_package_install_running();
// Starts the job of a record whose job fields are filled: false when one already runs for the
// package or the thread cannot be started.
bool start_package_install(package_install_c& install);

// Appends the address as one line to history.dat in the folder; false when it cannot be
// written. Safe from several threads at once.
bool append_history(const char16_t* program_folder, const char* remote_url);
