#include "engine/worker_task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// A callback that waits until the test lets it return, so the test sees it mid-run.
struct gate {
  std::atomic<bool> entered{false};
  std::atomic<bool> open{false};
  std::atomic<int> observed_count{0};
  worker_task_c* task = nullptr;
};

int32_t gated(void* argument) {
  auto* g = static_cast<gate*>(argument);
  g->entered = true;
  while (!g->open) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return 42;
}

void wait_until(const std::atomic<bool>& flag) {
  while (!flag) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(WorkerTask, CountReadsTwoWhileTheCallbackRunsAndResultAfterItEnds) {
  gate g;
  worker_task_c task(gated, &g);
  EXPECT_EQ(task.ref_count(), 1);
  EXPECT_FALSE(task.is_running());
  ASSERT_TRUE(task.start());
  wait_until(g.entered);
  EXPECT_EQ(task.ref_count(), 2);
  EXPECT_TRUE(task.is_running());
  EXPECT_FALSE(thread_has_ended(task.thread()));
  g.open = true;
  wait_for_thread(task.thread());
  EXPECT_TRUE(thread_has_ended(task.thread()));
  EXPECT_EQ(task.ref_count(), 1);
  EXPECT_FALSE(task.is_running());
  EXPECT_EQ(task.result(), 42);
  task.release();
  EXPECT_EQ(task.thread(), nullptr);
  EXPECT_EQ(task.block(), nullptr);
}

TEST(WorkerTask, OwnerReleasingFirstLeavesTheStateToTheThread) {
  gate g;
  auto* task = new worker_task_c(gated, &g);
  ASSERT_TRUE(task->start());
  wait_until(g.entered);
  task_block* block = task->block();
  task->release();  // the thread still holds its reference: nothing is freed yet
  EXPECT_EQ(task->thread(), nullptr);
  EXPECT_EQ(block->shared->ref_count, 1);
  delete task;
  g.open = true;  // the thread now frees the state and block (ASan sees any use after free)
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

// Atomic: fire-and-forget threads may run side by side.
int32_t quick(void* argument) { return ++*static_cast<std::atomic<int>*>(argument); }

TEST(WorkerTask, FireAndForgetLeavesNothingBehind) {
  std::atomic<int> runs{0};
  for (int i = 0; i < 20; ++i) {
    worker_task_c task(quick, &runs);
    ASSERT_TRUE(task.start());
    task.release();
  }
  for (int spin = 0; spin < 2000 && runs < 20; ++spin)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(runs.load(), 20);
}

TEST(WorkerTask, CanStartAgainWithTheSameBlockAfterARun) {
  std::atomic<int> runs{0};
  worker_task_c task(quick, &runs);
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(task.start());
    wait_for_thread(task.thread());
    EXPECT_FALSE(task.is_running());
    EXPECT_EQ(task.result(), i);
  }
}

thread_handle failing_start(thread_routine, void*) { return nullptr; }

TEST(WorkerTask, AThreadThatCannotStartDoesNotReadAsRunning) {
  std::atomic<int> runs{0};
  auto saved = worker_task_c::thread_starter;
  worker_task_c::thread_starter = failing_start;
  worker_task_c task(quick, &runs);
  EXPECT_FALSE(task.start());
  worker_task_c::thread_starter = saved;
  EXPECT_EQ(task.thread(), nullptr);
  EXPECT_EQ(task.ref_count(), 1);
  EXPECT_FALSE(task.is_running());
  EXPECT_EQ(runs.load(), 0);
  task.release();  // frees the state: the thread never held a reference
}

}  // namespace
