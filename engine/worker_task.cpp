#include "engine/worker_task.h"

#include <atomic>
#include <new>

thread_handle (*worker_task_c::thread_starter)(thread_routine, void*) = start_thread;

namespace {

std::atomic<int32_t> live_count{0};

// Drops one reference; the side that drops the last one frees the state and the block.
void drop_reference(task_shared_state* shared, task_block* block) {
  int32_t before;
  {
    std::lock_guard<std::mutex> lock(shared->mutex);
    before = shared->ref_count--;
  }
  if (before == 1) {
    delete shared;
    delete block;
  }
}

}  // namespace

worker_task_c::worker_task_c(task_callback callback, void* argument) {
  shared_ = new (std::nothrow) task_shared_state{1, {}};
  if (!shared_) return;
  block_ = new (std::nothrow) task_block{0, argument, callback, shared_};
  if (!block_) {
    delete shared_;
    shared_ = nullptr;
  }
}

worker_task_c::~worker_task_c() { release(); }

bool worker_task_c::start() {
  if (!shared_ || !block_) return false;
  close_thread_handle();  // a restart: the earlier run's handle is no longer needed
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    ++shared_->ref_count;
  }
  ++live_count;  // before the thread runs, so that it never reads as gone while it starts
  thread_ = thread_starter(&worker_task_c::thread_proc, block_);
  if (!thread_) {
    --live_count;
    std::lock_guard<std::mutex> lock(shared_->mutex);
    --shared_->ref_count;  // the thread that never ran holds no reference
    return false;
  }
  return true;
}

int32_t worker_task_c::live_threads() { return live_count.load(); }

bool worker_task_c::is_running() { return ref_count() == 2; }

int32_t worker_task_c::ref_count() {
  if (!shared_) return 0;
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->ref_count;
}

void worker_task_c::close_thread_handle() {
  if (thread_) {
    close_thread(thread_);
    thread_ = nullptr;
  }
}

void worker_task_c::release() {
  close_thread_handle();
  if (shared_) drop_reference(shared_, block_);
  shared_ = nullptr;
  block_ = nullptr;
}

unsigned THREAD_CALL worker_task_c::thread_proc(void* parameter) {
  auto* block = static_cast<task_block*>(parameter);
  int32_t result = block->callback(block->argument);
  block->result = result;
  drop_reference(block->shared, block);
  --live_count;  // last: nothing of the task is touched after this
  return 0;
}
