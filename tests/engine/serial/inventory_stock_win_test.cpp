// The scan of the system as it stands (no fixture devices), on a worker thread as the scan
// page runs it.
#include <windows.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "engine/engine_errors.h"
#include "engine/inventory.h"
#include "engine/worker_task.h"
#include "base/text.h"
#include "base/wide.h"
#include "tests/support/test_support.h"

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

// Every device's enumerator name as the system answers it, and the first part of its instance
// ID. Where the property answers, the two are one name; where it does not (always under Wine),
// a scan that required it would keep no device at all, so the scan takes the instance ID's part.
TEST(InventoryStock, TheEnumeratorIsTheInstanceIdsFirstPartAndTheScanKeepsDevicesWithoutTheProperty) {
  HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  int answered = 0, unanswered = 0;
  SP_DEVINFO_DATA data = {};
  data.cbSize = sizeof data;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &data); ++i) {
    wchar_t id[512] = {}, enumerator[256] = {};
    if (!SetupDiGetDeviceInstanceIdW(set, &data, id, 512, nullptr)) continue;
    std::u16string instance = as_u16(id);
    std::u16string first = instance.substr(0, instance.find(u'\\'));
    DWORD type = 0;
    if (SetupDiGetDeviceRegistryPropertyW(set, &data, SPDRP_ENUMERATOR_NAME, &type, reinterpret_cast<BYTE*>(enumerator),
                                          sizeof enumerator - sizeof(wchar_t), nullptr)) {
      ++answered;
      EXPECT_TRUE(equal_ci(as_u16(enumerator), first)) << u16_to_utf8(instance);
    } else {
      ++unanswered;
    }
  }
  SetupDiDestroyDeviceInfoList(set);
  ASSERT_GT(answered + unanswered, 0);
  if (running_on_wine()) {
    EXPECT_EQ(answered, 0) << "Wine answers the enumerator name now";
  }

  ASSERT_EQ(create_device_store(), 0);
  scan_progress progress;
  ASSERT_EQ(device_scan_entry(&progress), 0);
  device_info* first_device = nullptr;
  int32_t count = 0;
  get_scanned_devices(&first_device, &count);
  ASSERT_GT(count, 0) << "no device kept";
  for (int32_t i = 0; i < count; ++i) {
    const std::u16string instance = get_device(i).instance_id;
    EXPECT_TRUE(equal_ci(get_device(i).enumerator, instance.substr(0, instance.find(u'\\')))) << u16_to_utf8(instance);
  }
  destroy_device_store();
}

}  // namespace
