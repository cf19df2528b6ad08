#include <gtest/gtest.h>

#include "engine/inventory.h"
#include "engine/worker_task.h"

namespace {

TEST(DeviceScanWorker, BoundToTheScanEntry) {
  scan_progress progress;
  worker_task_c task = worker_task_c::init_device_scan(&progress);
  ASSERT_NE(task.block(), nullptr);
  EXPECT_EQ(task.block()->callback, &device_scan_entry);
  EXPECT_EQ(task.block()->argument, &progress);
  task.release();
}

}  // namespace
