// The scan of the system as it stands (no fixture devices), on a worker thread as the scan
// page runs it.
#include <gtest/gtest.h>

#include <mutex>

#include "engine/engine_errors.h"
#include "engine/inventory.h"
#include "engine/worker_task.h"

namespace {

class counting_list : public scan_list_sink {
 public:
  int scanned = 0;
  std::mutex mutex;
  void on_device_scanned(const char16_t*) override {
    std::lock_guard<std::mutex> hold(mutex);
    ++scanned;
  }
  void lock() override { mutex.lock(); }
  void unlock() override { mutex.unlock(); }
};

TEST(InventoryStock, ScanSucceedsAndEveryKeptDeviceHasIdsAndAClass) {
  ASSERT_EQ(create_device_store(), 0);
  scan_progress progress;
  counting_list list;
  progress.list = &list;
  last_error_code = 0;
  worker_task_c task(device_scan_entry, &progress);
  ASSERT_TRUE(task.start());
  wait_for_thread(task.thread());
  ASSERT_EQ(task.result(), 0);
  EXPECT_EQ(last_error_code, 0);

  device_info* first = nullptr;
  int32_t count = 0;
  get_scanned_devices(&first, &count);
  EXPECT_GT(progress.total, 0);
  EXPECT_EQ(progress.current, progress.total);
  EXPECT_EQ(list.scanned, progress.total);
  for (int32_t i = 0; i < count; ++i) {
    const device_info& d = get_device(i);
    EXPECT_FALSE(split_multi_string(d.hardware_ids).empty());
    ASSERT_NE(d.device_class, nullptr);
    EXPECT_NE(d.device_class->class_name[0], u'\0');
    EXPECT_NE(d.enumerator[0], u'\0');
  }
  ASSERT_GT(count, 0);
  EXPECT_EQ(std::u16string(progress.last_name), std::u16string(get_device(count - 1).name));
  destroy_device_store();
  EXPECT_EQ(device_scan_entry(&progress), -1) << "no store";
  EXPECT_EQ(last_error_code, engine_error::class_list);
}

}  // namespace
