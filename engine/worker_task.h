// A piece of long work on a thread of its own. The owner and the thread share the task's
// state through a reference count; whichever lets go last frees it. A count of 2 means the
// thread is still running.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "engine/thread.h"

using task_callback = int32_t (*)(void* argument);

struct backup_job;
struct check_status;
struct scan_progress;

struct task_shared_state {
  int32_t ref_count;
  std::mutex mutex;  // guards ref_count only
};

struct task_block {
  int32_t result;  // written by the thread when the callback returns
  void* argument;  // the owner's; kept alive by the owner while the thread runs
  task_callback callback;
  task_shared_state* shared;
};

class worker_task_c {
 public:
  worker_task_c(task_callback callback, void* argument);
  ~worker_task_c();
  worker_task_c(const worker_task_c&) = delete;
  worker_task_c& operator=(const worker_task_c&) = delete;

  // The workers of the scan page, bound to the page's record, which the page keeps alive
  // while the thread runs. Each result is 0, or -1 on failure (the code in last_error_code).
  // The device scan into the process-wide store.
  static worker_task_c init_device_scan(scan_progress* progress);
  // The matching exchange for the store's devices with the process-wide matching context,
  // this machine's facts and the settings.
  static worker_task_c init_online_check(check_status* status);
  // The backup of the job's devices' packages (backup_worker), bound to the backup page's job.
  static worker_task_c init_backup(backup_job* job);
  // The upload of one enveloped scan report; the thread frees the bytes (made with new).
  static worker_task_c init_report_upload(std::vector<uint8_t>* report);

  // Starts the thread. False when it cannot be started: the thread's reference is given back
  // and the task does not read as running.
  bool start();
  bool is_running();
  // The owner lets go: closes the thread handle and drops the owner's reference.
  void release();

  thread_handle thread() const { return thread_; }
  // Closes the handle of an earlier run before a restart.
  void close_thread_handle();
  // The callback's result; read only after the thread has ended.
  int32_t result() const { return block_ ? block_->result : -1; }
  task_block* block() const { return block_; }
  // Reads the reference count (tests and diagnostics).
  int32_t ref_count();

  // Threads of every task in the process whose callback has not yet returned: the one count
  // that the quit waits on and that shutdown asks before it frees what threads use.
  static int32_t live_threads();

  // How threads are started; tests replace it to see a start that fails.
  static thread_handle (*thread_starter)(thread_routine, void*);

  static unsigned THREAD_CALL thread_proc(void* parameter);

 private:
  thread_handle thread_ = nullptr;
  task_shared_state* shared_ = nullptr;
  task_block* block_ = nullptr;
};

// The callback of worker_task_c::init_online_check.
int32_t online_check_entry(void* status);
