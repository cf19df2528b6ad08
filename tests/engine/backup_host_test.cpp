// Host only: an archive of a package checked by Debian's unzip, and a cancel that comes while
// a file is being read (a named pipe holds the reader until the test has set the flag).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/engine/backup_fixture.h"
#include "tests/engine/zip_read.h"

namespace fs = std::filesystem;
using backup_test::files;
using backup_test::fs_path;

namespace {

TEST(BackupHost, ArchivePassesUnzipWithThePackagePaths) {
  files f;
  fs::path pkg = fs_path(f.package(u"cam.inf_1"));
  fs::create_directories(pkg / "x64");
  std::string sys;
  for (int i = 0; i < 50000; ++i) sys += std::to_string(i * 7919 % 1000);
  write_file_bytes(pkg / "cam.inf", "[Version]\nSignature=\"$WINDOWS NT$\"\n");
  write_file_bytes(pkg / "x64" / "cam.sys", sys);
  write_file_bytes(pkg / "cam.zip", "PK\x05\x06" + std::string(18, '\0'));  // stored, not deflated
  device_info& cam = f.device(u"USB\\CAM\\1", u"oem1.inf", u"cam.inf_1", u"Cam", u"1");
  build_backup_list();
  backup_job job;
  job.devices = {&cam};
  ASSERT_EQ(backup_worker(job), 0);
  fs::path archive = fs_path(path_join(f.backups, u"Cam-1.zip"));
  std::string test = "unzip -tq '" + archive.string() + "' >/dev/null";
  EXPECT_EQ(std::system(test.c_str()), 0);
  fs::path out = f.temp.path() / "out";
  std::string extract = "unzip -q '" + archive.string() + "' -d '" + out.string() + "'";
  ASSERT_EQ(std::system(extract.c_str()), 0);
  EXPECT_EQ(read_file_bytes(out / "x64" / "cam.sys"), sys);
  EXPECT_EQ(read_file_bytes(out / "cam.inf"), read_file_bytes(pkg / "cam.inf"));
}

TEST(BackupHost, CancelWhileAFileIsReadStopsBeforeTheNext) {
  files f;
  fs::path pkg = fs_path(f.package(u"cam.inf_1"));
  for (const char* name : {"a.inf", "b.sys", "d.cat"}) write_file_bytes(pkg / name, name);
  ASSERT_EQ(mkfifo((pkg / "c.dll").c_str(), 0600), 0);
  device_info& cam = f.device(u"USB\\CAM\\1", u"oem1.inf", u"cam.inf_1", u"Cam", u"1");
  build_backup_list();
  backup_job job;
  job.devices = {&cam};
  std::thread user([&] {
    // The third file is being opened once two of four are done.
    while (job.progress.load() < 50) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    job.cancel = 1;
    int fd = open((pkg / "c.dll").c_str(), O_WRONLY);
    if (fd >= 0) close(fd);
  });
  EXPECT_EQ(backup_worker(job), -1);
  user.join();
  EXPECT_EQ(job.progress, 75) << "the file being read is finished, the next one is not begun";
  EXPECT_TRUE(fs::is_empty(fs_path(f.backups))) << "no archive and no temporary file";
  EXPECT_FALSE(fs::exists(fs_path(f.catalog_path())));
}

}  // namespace
