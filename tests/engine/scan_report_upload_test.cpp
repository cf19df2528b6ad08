#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "engine/driver_groups.h"
#include "engine/registry.h"
#include "engine/scan_report.h"
#include "engine/settings.h"
#include "engine/worker_task.h"
#include "tests/support/hex_text.h"
#include "tests/support/service_launcher.h"

namespace {

// The settings key in memory, so that a test sees what the upload saved.
class memory_settings : public settings_platform {
 public:
  std::shared_ptr<std::map<std::u16string, memory_registry_key::value>> values =
      std::make_shared<std::map<std::u16string, memory_registry_key::value>>();
  std::unique_ptr<registry_key> open_settings_key() override {
    auto key = std::make_unique<memory_registry_key>();
    key->values = values;
    return key;
  }
  std::u16string utc_date_text() override { return u"2026-12-10"; }
  bool is_directory(const char16_t*) override { return true; }
  long create_folder_tree(const char16_t*) override { return 0; }

  uint32_t saved_debug_status() const {
    uint32_t n = 0;
    std::memcpy(&n, values->at(u"DebugStatus").bytes.data(), sizeof n);
    return n;
  }
};

const std::string report_text = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<drivercb />\n";

class ScanReportUpload : public ::testing::Test {
 protected:
  void SetUp() override {
    keep_loopback_off_proxies();
    ASSERT_TRUE(load_settings(platform));
    ASSERT_EQ(app_settings.DebugStatus, 0u);
    ASSERT_TRUE(seal_scan_report(report_text, sealed));
  }
  void TearDown() override { close_settings_key(); }

  memory_settings platform;
  byte_buffer sealed;
};

TEST_F(ScanReportUpload, AcceptedReportSetsAndSavesDebugStatus) {
  stand_in_service service;
  ASSERT_TRUE(service.running());
  service.use_for_endpoints();
  EXPECT_EQ(upload_scan_report(sealed), 0);
  EXPECT_EQ(app_settings.DebugStatus, 1u);
  EXPECT_EQ(platform.saved_debug_status(), 1u);
  const auto log = service.requests();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text("method"), "POST");
  EXPECT_EQ(log[0].text("path"), "/service/debug.php");
  EXPECT_EQ(log[0].text("name"), "drivercb");
  EXPECT_EQ(log[0].text("hex"), hex_text(sealed));  // the bytes exactly, no terminator
  EXPECT_EQ(log[0].text("document"), report_text);
}

TEST_F(ScanReportUpload, RefusedOrUnreadAnswersChangeNothing) {
  struct row {
    const char* what;
    std::vector<std::string> args;
    bool accepted;
  } rows[] = {
      {"status 404", {"--mode", "404"}, false},
      {"connection reset", {"--mode", "refuse"}, false},
      {"answer of 1023 bytes", {"--mode", "oversize", "--oversize", "1023"}, true},
      {"answer of 1024 bytes", {"--mode", "oversize", "--oversize", "1024"}, false},
      {"nobody listening", {}, false},
  };
  for (const row& r : rows) {
    app_settings.DebugStatus = 0;
    save_settings();
    if (r.args.empty()) {
      set_env("VANTORIL_SERVICE", "http://127.0.0.1:" + std::to_string(closed_loopback_port));
      EXPECT_EQ(upload_scan_report(sealed), 0) << r.what;
    } else {
      stand_in_service service(r.args);
      ASSERT_TRUE(service.running()) << r.what;
      service.use_for_endpoints();
      EXPECT_EQ(upload_scan_report(sealed), 0) << r.what;
      EXPECT_EQ(service.requests().size(), 1u) << r.what;  // never a retry
    }
    EXPECT_EQ(app_settings.DebugStatus, r.accepted ? 1u : 0u) << r.what;
    EXPECT_EQ(platform.saved_debug_status(), r.accepted ? 1u : 0u) << r.what;
  }
}

// The test's thread starter runs the worker and says when its callback has returned.
std::atomic<bool> upload_done{false};
thread_routine upload_routine = nullptr;
void* upload_block = nullptr;
unsigned THREAD_CALL watched_routine(void*) {
  upload_routine(upload_block);
  upload_done = true;
  return 0;
}
thread_handle watched_start(thread_routine routine, void* block) {
  upload_routine = routine;
  upload_block = block;
  return start_thread(watched_routine, nullptr);
}

TEST_F(ScanReportUpload, SendBuildsTheReportAndUploadsItOnAWorker) {
  stand_in_service service;
  ASSERT_TRUE(service.running());
  service.use_for_endpoints();
  device_info lone{};
  copy_cut(lone.instance_id, u"ROOT\\LEGACY\\0000");
  driver_group_list_c groups;
  groups.build(&lone, 1, match_engine_best);

  auto saved = worker_task_c::thread_starter;
  worker_task_c::thread_starter = watched_start;
  upload_done = false;
  send_scan_report(groups, 0, 0, 1);
  worker_task_c::thread_starter = saved;
  for (int i = 0; i < 3000 && !upload_done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(upload_done);
  EXPECT_EQ(app_settings.DebugStatus, 1u);
  const auto log = service.requests();
  ASSERT_EQ(log.size(), 1u);
  const std::string document = log[0].text("document");
  EXPECT_NE(document.find("<summary outdated=\"0\" updated=\"0\" notfound=\"1\" />"), std::string::npos);
  EXPECT_NE(document.find("version=\"8.5.1\""), std::string::npos);
}

}  // namespace
