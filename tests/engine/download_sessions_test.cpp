#include "engine/download_sessions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/text.h"
#include "engine/helpers.h"
#include "engine/settings.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

void no_wait(uint32_t) {}

// A download folder of its own and an empty session list for each test; the transfer's
// pauses between tries do not wait.
class DownloadSessions : public ::testing::Test {
 protected:
  void SetUp() override {
    keep_loopback_off_proxies();
    saved_sleep_ = net_sleep;
    net_sleep = no_wait;
    use_folder("dl");
  }
  void TearDown() override {
    for (auto& s : download_sessions)
      if (s->task.thread()) wait_for_thread(s->task.thread());
    download_sessions.clear();
    net_sleep = saved_sleep_;
  }
  void use_folder(const std::string& name) {
    fs::create_directories(temp_.path() / name);
    copy_cut(app_settings.DownloadPath, (temp_.path() / name).u16string());
  }
  // The file as the session names it (the folder joined with one backslash).
  static fs::path disk(const std::u16string& path) { return fs::path(path); }
  static int32_t run_to_end(download_session_c& s, const char16_t* md5 = u"") {
    EXPECT_EQ(s.start(), 0);
    wait_for_thread(s.task.thread());
    while (s.is_running()) {}  // the thread drops its reference just before it ends
    return finish_download_session(s, md5);
  }

  temp_folder temp_;

 private:
  void (*saved_sleep_)(uint32_t) = nullptr;
};

std::string md5_hex(const std::string& bytes) {
  char out[33];
  md5_text_hex(bytes.c_str(), out);  // the packages of these tests hold no zero byte
  return out;
}

std::string package(size_t n) {
  std::string s(n, 'x');
  for (size_t i = 0; i < n; ++i) s[i] = char('A' + (i * 7 + i / 13) % 26);
  return s;
}

TEST_F(DownloadSessions, FileNamesHashTheWholeAddressAndTakeASafeExtension) {
  struct {
    const char* address;
    const char* ext;
  } cases[] = {
      {"http://dl.example.com/pkg/driver.zip", ".zip"},
      {"http://dl.example.com/pkg/Driver.CAB", ".CAB"},
      {"http://dl.example.com/pkg/a.tar.gz", ".gz"},
      {"http://dl.example.com/download", ".exe"},                // the host's '.' is no extension
      {"http://dl.example.com/get?file=x.zip", ".exe"},          // nor the query's
      {"http://dl.example.com/pkg/driver.zip?v=2.1", ".zip"},
      {"http://dl.example.com/pkg/driver.zip#part.2", ".zip"},
      {"http://dl.example.com/pkg/driver.", ".exe"},
      {"http://dl.example.com/pkg/driver.toolongext", ".exe"},
      {"http://dl.example.com/pkg/driver.z-p", ".exe"},
      {"http://dl.example.com/a.b/driver", ".exe"},
  };
  for (const auto& c : cases) {
    std::string name = u16_to_utf8(download_file_name(c.address));
    EXPECT_EQ(name, md5_hex(c.address) + c.ext) << c.address;
  }
  EXPECT_NE(download_file_name("http://a.example.com/v1/setup.exe"),
            download_file_name("http://a.example.com/v2/setup.exe"));
}

TEST_F(DownloadSessions, StatusComesFromTheFilesOnDisk) {
  const char* address = "http://dl.example.com/pkg/driver.zip";
  std::u16string final_path = path_join(app_settings.DownloadPath, download_file_name(address));
  std::u16string partial_path = final_path + u".tmp";
  struct {
    const char* what;
    const char* partial;  // null: no such file
    const char* final_file;
    int32_t status;
    uint32_t bytes;
  } cases[] = {
      {"neither", nullptr, nullptr, download_none, 0},
      {"partial", "12345", nullptr, download_partial, 5},
      {"0-byte partial", "", nullptr, download_partial, 0},
      {"final", nullptr, "1234567", download_done, 7},
      {"both: the partial wins", "12", "1234567", download_partial, 2},
  };
  for (const auto& c : cases) {
    fs::remove(disk(partial_path));
    fs::remove(disk(final_path));
    if (c.partial) write_file_bytes(disk(partial_path), c.partial);
    if (c.final_file) write_file_bytes(disk(final_path), c.final_file);
    download_session_c s(address, 100);
    EXPECT_EQ(s.status, c.status) << c.what;
    EXPECT_EQ(uint32_t(s.transfer.bytes_on_disk), c.bytes) << c.what;
    EXPECT_EQ(s.partial_path, partial_path);
    EXPECT_EQ(std::u16string(s.partial_file), partial_path);
    EXPECT_EQ(s.final_path, final_path);
  }
}

TEST_F(DownloadSessions, OneSessionPerAddress) {
  download_session_c* a = find_download_session("http://x/a.zip", 10);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(find_download_session("http://x/a.zip", 99), a);
  EXPECT_EQ(a->transfer.expected_size, 10u);
  EXPECT_NE(find_download_session("http://x/A.zip", 10), a);
  EXPECT_EQ(download_sessions.size(), 2u);
}

TEST_F(DownloadSessions, AThreadThatCannotStartLeavesTheStatusOfTheFiles) {
  download_session_c* s = find_download_session("http://x/a.zip", 10);
  write_file_bytes(disk(s->partial_path), "abc");
  auto saved = worker_task_c::thread_starter;
  worker_task_c::thread_starter = [](thread_routine, void*) -> thread_handle { return nullptr; };
  int rc = s->start();
  worker_task_c::thread_starter = saved;
  EXPECT_EQ(rc, -1);
  EXPECT_EQ(s->status, download_partial);
  EXPECT_FALSE(s->is_running());
}

TEST_F(DownloadSessions, RefreshResolvesIdleSessionsAgainstTheNewFolder) {
  download_session_c* s = find_download_session("http://x/a.zip", 10);
  write_file_bytes(disk(s->final_path), "0123456789");
  refresh_download_sessions();
  EXPECT_EQ(s->status, download_done);
  use_folder("empty");
  refresh_download_sessions();
  EXPECT_EQ(s->status, download_none);
  EXPECT_EQ(s->final_path, path_join(app_settings.DownloadPath, download_file_name("http://x/a.zip")));
}

TEST_F(DownloadSessions, FinishJudgesTheTransfer) {
  const std::string bytes = package(10);
  struct {
    const char* what;
    bool cancel;
    int32_t curl_result;
    uint32_t expected;
    std::string md5;
    int32_t status;
    bool partial_left, final_made;
  } cases[] = {
      {"cancelled", true, 0, 10, "", download_partial, true, false},
      {"transfer error", false, 28, 10, "", download_failed, true, false},
      {"short", false, 0, 11, "", download_failed, true, false},
      {"complete, no sum", false, 0, 10, "", download_done, false, true},
      {"complete, sum in upper case", false, 0, 10, "", download_done, false, true},
      {"complete, wrong sum", false, 0, 10, std::string(32, '0'), download_failed, false, false},
      {"complete, no sum but a text", false, 0, 10, "n/a", download_done, false, true},
  };
  cases[4].md5 = md5_hex(bytes);
  for (auto& ch : cases[4].md5) ch = char(std::toupper(ch));
  for (const auto& c : cases) {
    download_sessions.clear();
    download_session_c* s = find_download_session("http://x/a.zip", c.expected);
    fs::remove(disk(s->final_path));
    write_file_bytes(disk(s->partial_path), bytes);
    s->resolve_download_files();
    s->status = download_running;
    s->transfer.cancel = c.cancel;
    s->transfer.curl_result = c.curl_result;
    s->transfer.bytes_on_disk = 10;
    EXPECT_EQ(finish_download_session(*s, utf8_to_u16(c.md5).c_str()), c.status) << c.what;
    EXPECT_EQ(s->status, c.status) << c.what;
    EXPECT_EQ(fs::exists(disk(s->partial_path)), c.partial_left) << c.what;
    EXPECT_EQ(fs::exists(disk(s->final_path)), c.final_made) << c.what;
    EXPECT_FALSE(s->transfer.cancel);
  }
}

TEST_F(DownloadSessions, ACutDownloadResumesToTheExactBytes) {
  stand_in_service service({"--mode", "cut", "--only", "/packages/", "--times", "1"});
  ASSERT_TRUE(service.running());
  const std::string bytes = package(300000);
  service.add_package("driver.zip", bytes);
  download_session_c* s = find_download_session(service.url("/packages/driver.zip").c_str(), 300000);
  EXPECT_EQ(run_to_end(*s, utf8_to_u16(md5_hex(bytes)).c_str()), download_done);
  EXPECT_EQ(read_file_bytes(disk(s->final_path)), bytes);
  auto log = service.requests();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log.back().text("range").rfind("bytes=", 0), 0u);  // the second try resumed
}

TEST_F(DownloadSessions, AnErrorPageNeverBecomesPartOfThePackage) {
  stand_in_service service({"--mode", "404", "--only", "/packages/"});
  ASSERT_TRUE(service.running());
  download_session_c* s = find_download_session(service.url("/packages/driver.zip").c_str(), 5000);
  EXPECT_EQ(run_to_end(*s), download_failed);
  EXPECT_EQ(s->transfer.http_status, 404);
  EXPECT_EQ(uint32_t(s->transfer.bytes_on_disk), 0u);
  EXPECT_FALSE(fs::exists(disk(s->final_path)));
  EXPECT_EQ(file_size(s->partial_path.c_str()), 0u);
}

TEST_F(DownloadSessions, AWrongSumFailsAndLeavesNoFile) {
  stand_in_service service;
  ASSERT_TRUE(service.running());
  service.add_package("driver.zip", package(4000));
  download_session_c* s = find_download_session(service.url("/packages/driver.zip").c_str(), 4000);
  EXPECT_EQ(run_to_end(*s, utf8_to_u16(md5_hex(package(3999))).c_str()), download_failed);
  EXPECT_FALSE(fs::exists(disk(s->partial_path)));
  EXPECT_FALSE(fs::exists(disk(s->final_path)));
}

TEST_F(DownloadSessions, TwoAddressesWithOneFileNameGetTwoFiles) {
  stand_in_service first, second;
  ASSERT_TRUE(first.running() && second.running());
  const std::string one = package(1000), two = package(2000);
  first.add_package("setup.exe", one);
  second.add_package("setup.exe", two);
  download_session_c* a = find_download_session(first.url("/packages/setup.exe").c_str(), 1000);
  download_session_c* b = find_download_session(second.url("/packages/setup.exe").c_str(), 2000);
  EXPECT_EQ(run_to_end(*a), download_done);
  EXPECT_EQ(run_to_end(*b), download_done);
  EXPECT_NE(a->final_path, b->final_path);
  EXPECT_EQ(read_file_bytes(disk(a->final_path)), one);
  EXPECT_EQ(read_file_bytes(disk(b->final_path)), two);
}

TEST_F(DownloadSessions, ARunningSessionKeepsItsFilesThroughARefresh) {
  stand_in_service service({"--mode", "slow", "--only", "/packages/", "--delay", "0.1", "--chunk", "500"});
  ASSERT_TRUE(service.running());
  const std::string bytes = package(5000);
  service.add_package("driver.zip", bytes);
  download_session_c* s = find_download_session(service.url("/packages/driver.zip").c_str(), 5000);
  const std::u16string started_with = s->final_path;
  ASSERT_EQ(s->start(), 0);
  use_folder("other");
  refresh_download_sessions();
  EXPECT_EQ(s->start(), 0);  // already running: nothing changes
  EXPECT_TRUE(s->is_running());
  EXPECT_EQ(s->status, download_running);
  EXPECT_EQ(s->final_path, started_with);
  wait_for_thread(s->task.thread());
  while (s->is_running()) {}
  EXPECT_EQ(finish_download_session(*s, u""), download_done);
  EXPECT_EQ(read_file_bytes(disk(started_with)), bytes);
  refresh_download_sessions();  // idle now: it follows the new folder
  EXPECT_EQ(s->status, download_none);
}

}  // namespace

namespace {

using DownloadSessionEnds = DownloadSessions;

// The folder changes after the transfer's thread has ended but before its owner took the end
// in (the row looks every 200 ms): the complete file is moved where it was written, not left
// as a ".tmp" in the old folder while the session offers the download again.
TEST_F(DownloadSessionEnds, AnEndedTransferNotYetTakenInKeepsItsFolderThroughARefresh) {
  stand_in_service service;
  ASSERT_TRUE(service.running());
  const std::string bytes = package(6000);
  service.add_package("driver.zip", bytes);
  download_session_c* s = find_download_session(service.url("/packages/driver.zip").c_str(), 6000);
  const std::u16string written_to = s->final_path;
  ASSERT_EQ(s->start(), 0);
  wait_for_thread(s->task.thread());
  while (s->is_running()) {}
  use_folder("other");
  refresh_download_sessions();
  EXPECT_EQ(s->status, download_running);
  EXPECT_EQ(s->final_path, written_to);
  EXPECT_EQ(finish_download_session(*s, utf8_to_u16(md5_hex(bytes)).c_str()), download_done);
  EXPECT_EQ(read_file_bytes(disk(written_to)), bytes);
  EXPECT_FALSE(fs::exists(disk(written_to + u".tmp")));
}

// The end rule runs on the user-interface thread: it takes the sum that the transfer's thread
// took of what it wrote, and reads no file (here the bytes changed after the thread ended).
TEST_F(DownloadSessionEnds, TheEndRuleTakesTheSumTheTransfersThreadTook) {
  stand_in_service service;
  ASSERT_TRUE(service.running());
  const std::string bytes = package(5000);
  service.add_package("driver.zip", bytes);
  download_session_c* s = find_download_session(service.url("/packages/driver.zip").c_str(), 5000);
  ASSERT_EQ(s->start(), 0);
  wait_for_thread(s->task.thread());
  while (s->is_running()) {}
  write_file_bytes(disk(s->partial_path), std::string(5000, 'z'));
  EXPECT_EQ(finish_download_session(*s, utf8_to_u16(md5_hex(bytes)).c_str()), download_done);
}

}  // namespace
