// Host stand-in for a thread handle: the thread keeps its record alive until it ends, so
// the handle can be closed while it still runs, as on Windows.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/thread.h"

namespace {

struct host_thread {
  std::mutex mutex;
  std::condition_variable ended_cv;
  bool ended = false;
};

struct handle_record {
  std::shared_ptr<host_thread> thread;
};

}  // namespace

thread_handle start_thread(thread_routine routine, void* parameter) {
  auto t = std::make_shared<host_thread>();
  try {
    std::thread([t, routine, parameter] {
      routine(parameter);
      std::lock_guard<std::mutex> lock(t->mutex);
      t->ended = true;
      t->ended_cv.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return nullptr;
  }
  return new handle_record{t};
}

bool thread_has_ended(thread_handle thread) {
  auto* r = static_cast<handle_record*>(thread);
  std::lock_guard<std::mutex> lock(r->thread->mutex);
  return r->thread->ended;
}

void wait_for_thread(thread_handle thread) {
  auto* r = static_cast<handle_record*>(thread);
  std::unique_lock<std::mutex> lock(r->thread->mutex);
  r->thread->ended_cv.wait(lock, [&] { return r->thread->ended; });
}

void close_thread(thread_handle thread) { delete static_cast<handle_record*>(thread); }
