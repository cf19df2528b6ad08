#include "engine/package_installs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "base/text.h"
#include "engine/history.h"
#include "engine/thread.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

std::atomic<bool> release_job{false};
std::atomic<int32_t> job_result{0};

int32_t held_job(void*) {
  while (!release_job) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return job_result;
}

// history.dat where the loader joins it to the folder.
fs::path history_path(const temp_folder& temp) {
  return fs::path(path_join(temp.path().u16string(), history_file_name));
}

// The file's text with line ends as text mode reads them (Windows writes CR LF).
std::string history_text(const temp_folder& temp) {
  std::string text = read_file_bytes(history_path(temp));
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

void wait_until_idle(package_install_c& p) {
  wait_for_thread(p.task.thread());
  while (p.task.is_running()) std::this_thread::yield();
}

TEST(PackageInstalls, OneJobPerPackageSeenByEveryHolderAndHistoryOnlyOnSuccess) {
  temp_folder temp;
  const std::string address = "http://h/one.zip";
  release_job = false;
  job_result = 0;
  auto first = package_install_for(address, held_job);
  first->history_folder = temp.path().u16string();
  ASSERT_TRUE(start_package_install(*first));
  // A row made later for the same package gets the same running record; a second start does
  // nothing.
  auto again = package_install_for(address, held_job);
  EXPECT_EQ(again.get(), first.get());
  EXPECT_TRUE(package_install_running(address));
  EXPECT_TRUE(any_package_install_running());
  EXPECT_FALSE(start_package_install(*again));
  // The first holder lets go while the job runs: the record stays for the thread.
  package_install_c* raw = first.get();
  first.reset();
  again.reset();
  package_install_for("http://h/other.zip", held_job);  // frees finished records only
  EXPECT_TRUE(package_install_running(address));
  release_job = true;
  auto later = package_install_for(address, held_job);
  EXPECT_EQ(later.get(), raw);
  wait_until_idle(*later);
  EXPECT_FALSE(package_install_running(address));
  EXPECT_EQ(history_text(temp), address + "\n");

  // A job that failed adds no line.
  release_job = true;
  job_result = -1;
  ASSERT_TRUE(start_package_install(*later));
  wait_until_idle(*later);
  EXPECT_EQ(later->task.result(), -1);
  EXPECT_EQ(history_text(temp), address + "\n");
}

TEST(PackageInstalls, HistoryAppendsWhereTheLoaderReads) {
  temp_folder temp;
  std::u16string folder = temp.path().u16string();
  EXPECT_TRUE(append_history(folder.c_str(), "http://a/x.zip"));
  EXPECT_TRUE(append_history(folder.c_str(), "http://a/x.zip"));
  EXPECT_FALSE(append_history(folder.c_str(), ""));
  match_context context;
  EXPECT_EQ(load_history(context, folder.c_str()), 2u);
  EXPECT_EQ(history_count(context, "http://a/x.zip"), 2u);
}

}  // namespace
