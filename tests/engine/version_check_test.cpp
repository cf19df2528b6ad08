#include "engine/version_check.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/documents.h"
#include "engine/net_client.h"
#include "tests/support/service_launcher.h"

namespace {

std::atomic<uint32_t> slept{0};
void count_sleep(uint32_t ms) { slept += ms; }

struct delivery {
  unsigned message;
  std::string version, link;
};
std::mutex deliveries_lock;
std::vector<delivery> deliveries;

// Stands in for the main window: reads the texts while the check waits for it.
void record_delivery(void*, unsigned message) {
  std::lock_guard<std::mutex> lock(deliveries_lock);
  deliveries.push_back({message, published_version, published_version_link});
}

class VersionCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    // As at start-up: the library's global set-up is not safe to race from worker threads.
    curl_global_init(CURL_GLOBAL_ALL);
    saved_ = net_sleep;
    net_sleep = count_sleep;
    slept = 0;
    deliveries.clear();
  }
  void TearDown() override {
    net_sleep = saved_;
    curl_global_cleanup();
  }
  void (*saved_)(uint32_t) = nullptr;
};

TEST(VersionFile, ReadsVersionAndOnlyWebLinks) {
  struct row {
    const char* text;
    bool whole;
    const char* version;
  } rows[] = {
      {"<update><version>8.5.2</version><link>http://dl.example/v.exe</link></update>", true, "8.5.2"},
      {"<any><link>HTTPS://dl.example/v.exe</link><version>9</version></any>", true, "9"},
      {"<update><version>8.5.2</version></update>", false, "8.5.2"},
      {"<update><version>8.5.2</version><link>file:///C:/evil.exe</link></update>", false, "8.5.2"},
      {"<update><version>8.5.2</version><link>C:\\Windows\\calc.exe</link></update>", false, "8.5.2"},
      {"<update><version>8.5.2</version><link>http://</link></update>", false, "8.5.2"},
      {"<update><link>http://dl.example/</link></update>", false, ""},
      {"not xml", false, ""},
  };
  for (const auto& r : rows) {
    version_info info;
    EXPECT_EQ(parse_version_info(r.text, info), r.whole) << r.text;
    EXPECT_EQ(info.version, r.version) << r.text;
  }
  // A version file that only opens elements is refused, not parsed level by level.
  std::string deep = "<update><version>9</version><link>http://dl.example/</link>";
  for (int i = 0; i < 300000; ++i) deep += "<a>";
  version_info info;
  EXPECT_FALSE(parse_version_info(deep.c_str(), info));
}

TEST_F(VersionCheck, PublishedNewerVersionReachesTheWindow) {
  stand_in_service service({}, R"({"version": {"version": "8.5.2", "link": "http://dl.example/v852.exe"}})");
  ASSERT_TRUE(service.running());
  service.use_for_endpoints();
  EXPECT_EQ(run_version_check({1, nullptr, record_delivery}), 0);
  EXPECT_EQ(slept, 3000u);
  ASSERT_EQ(deliveries.size(), 1u);
  EXPECT_EQ(deliveries[0].message, WM_APP_VERSION_RESULT);
  EXPECT_EQ(deliveries[0].version, "8.5.2");
  EXPECT_EQ(deliveries[0].link, "http://dl.example/v852.exe");
  EXPECT_TRUE(compare_versions(deliveries[0].version.c_str(), program_version));
  ASSERT_EQ(service.requests().size(), 1u);
  EXPECT_EQ(service.requests()[0].text("path"), "/service/version.xml");
}

TEST_F(VersionCheck, StartUpCheckSendsTheShowLinkMessage) {
  stand_in_service service({}, R"({"version": {"version": "8.5.1", "link": "http://dl.example/"}})");
  service.use_for_endpoints();
  EXPECT_EQ(run_version_check({0, nullptr, record_delivery}), 0);
  ASSERT_EQ(deliveries.size(), 1u);
  EXPECT_EQ(deliveries[0].message, WM_APP_SHOW_UPDATE_LINK);
  EXPECT_FALSE(compare_versions(deliveries[0].version.c_str(), program_version));
}

TEST_F(VersionCheck, NoMessageWithoutALinkOrWithoutAnAnswer) {
  {
    stand_in_service service({}, R"({"version_raw": "<u><version>7.7.7</version></u>"})");
    service.use_for_endpoints();
    EXPECT_EQ(run_version_check({1, nullptr, record_delivery}), -1);
    EXPECT_TRUE(deliveries.empty());
    EXPECT_EQ(published_version, "7.7.7");
  }
  {
    stand_in_service service({"--mode", "500"});
    service.use_for_endpoints();
    slept = 0;
    EXPECT_EQ(run_version_check({1, nullptr, record_delivery}), -1);
    EXPECT_TRUE(deliveries.empty());
    EXPECT_EQ(slept, 3000u + 5000 + 10000 + 15000 + 20000);
  }
}

TEST_F(VersionCheck, OverlappingChecksEachDeliverTheirOwnMessage) {
  stand_in_service service({}, R"({"version": {"version": "9.0", "link": "http://dl.example/9"}})");
  service.use_for_endpoints();
  ASSERT_TRUE(start_version_job(0, nullptr, record_delivery));
  ASSERT_TRUE(start_version_job(1, nullptr, record_delivery));
  for (int i = 0; i < 400; ++i) {
    {
      std::lock_guard<std::mutex> lock(deliveries_lock);
      if (deliveries.size() == 2) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  std::lock_guard<std::mutex> lock(deliveries_lock);
  ASSERT_EQ(deliveries.size(), 2u);
  EXPECT_NE(deliveries[0].message, deliveries[1].message);
  for (const auto& d : deliveries) {
    EXPECT_EQ(d.version, "9.0");
    EXPECT_EQ(d.link, "http://dl.example/9");
  }
}

}  // namespace

namespace {

// Stands in for a window whose handler takes the lock (the update link's click did): it asks
// from another thread, as the user-interface thread would, whether the lock is free.
std::atomic<int> lock_free_at_delivery{-1};
void probe_lock(void*, unsigned) {
  std::thread other([] {
    const bool free = published_version_lock.try_lock();
    if (free) published_version_lock.unlock();
    lock_free_at_delivery = free ? 1 : 0;
  });
  other.join();
}

}  // namespace

TEST_F(VersionCheck, TheMessageIsSentWithTheLockFree) {
  stand_in_service service({}, R"({"version": {"version": "8.5.2", "link": "http://dl.example/v852.exe"}})");
  ASSERT_TRUE(service.running());
  service.use_for_endpoints();
  lock_free_at_delivery = -1;
  EXPECT_EQ(run_version_check({1, nullptr, probe_lock}), 0);
  EXPECT_EQ(lock_free_at_delivery.load(), 1);
}
