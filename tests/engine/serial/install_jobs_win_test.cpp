// The install, restore and uninstall jobs with the stand-ins beside the test program: their
// logs show what was started, with which command line and in which folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/history.h"
#include "engine/install_jobs.h"
#include "engine/package_installs.h"
#include "engine/worker_task.h"
#include "tests/engine/serial/standins.h"
#include "tests/engine/serial/zip_fixture.h"
#include "tests/support/windows_system.h"

namespace fs = std::filesystem;

namespace {

struct shown_message {
  void* owner;
  int type;
  std::u16string text;
  DWORD thread;
  HWND active;  // the showing thread's active window
};

std::vector<shown_message> messages;
std::vector<std::u16string> explorer_shows;
std::u16string download_folder, backup_folder;

class InstallJobs : public ::testing::Test {
 protected:
  void SetUp() override {
    messages.clear();
    explorer_shows.clear();
    download_folder = u16_of(t_ / "Download");
    backup_folder = u16_of(t_ / "Backup");
    fs::create_directory(t_ / "Download");
    fs::create_directory(t_ / "Backup");
    saved_ = current_job_bindings();
    job_bindings b;
    b.download_path = [] { return download_folder; };
    b.backup_path = [] { return backup_folder; };
    b.show_message = [](void* owner, int type, const char16_t* text) {
      messages.push_back({owner, type, text, GetCurrentThreadId(), GetActiveWindow()});
      return 1;
    };
    b.show_in_explorer = [](void*, const char16_t* path) { explorer_shows.push_back(path); };
    set_job_bindings(b);
  }
  void TearDown() override { set_job_bindings(saved_); }

  std::u16string installer() const { return installer_for_this_windows(); }
  static std::vector<std::u16string> lines_of(const std::vector<standin_start>& s, const char16_t* program) {
    std::vector<std::u16string> out;
    for (auto& x : s)
      if (x.program == program) out.push_back(x.command_line);
    std::sort(out.begin(), out.end());
    return out;
  }

  temp_folder t_;
  job_bindings saved_;
  void* const owner_ = reinterpret_cast<void*>(uintptr_t(0x4321));
};

TEST_F(InstallJobs, ZipWithTwoInfFoldersRunsTheExtractorThenTheInstallerOnEachFolder) {
  fs::path package = t_ / "Download" / "net-1.0.zip";
  write_zip(package, {{"drv/x64/a.inf", "a", true},
                      {"drv/x64/b.inf", "b", true},
                      {"drv/x86/c.inf", "c", true},
                      {"readme.htm", "<p>", true},
                      {"notes.txt", "n", true}});
  // An older extraction of a same-named package and an INF outside the extraction folder.
  fs::create_directories(t_ / "Download" / "net-1.0" / "old");
  write_file_bytes(t_ / "Download" / "net-1.0" / "old" / "stale.inf", "old");
  write_file_bytes(t_ / "Download" / "evil.inf", "e");
  standin_log log(t_ / "log.txt");
  install_job job;
  job.package_path = u16_of(package);
  job.wanted_infs = {u"drv\\x64\\a.inf", u"drv\\x64\\b.inf", u"drv\\x86\\c.inf", u"..\\evil.inf",
                     u16_of(t_ / "Download" / "evil.inf")};
  job.owner_window = owner_;
  ASSERT_EQ(install_entry(&job), 0);

  std::u16string folder = download_folder + u"\\net-1.0";
  auto starts = log.wait_for(3);
  ASSERT_GE(starts.size(), 1u);
  EXPECT_EQ(starts[0].program, u"extract.exe");
  EXPECT_EQ(starts[0].command_line, u"extract.exe x \"" + job.package_path + u"\" -aos -o\"" + folder + u"\" -r -y");
  EXPECT_EQ(starts[0].folder, current_folder());
  std::vector<std::u16string> expected = {u"\"" + installer() + u"\" /SH /PATH \"" + folder + u"\\drv\\x64\"",
                                          u"\"" + installer() + u"\" /SH /PATH \"" + folder + u"\\drv\\x86\""};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines_of(starts, installer().c_str()), expected);
  EXPECT_EQ(starts.size(), 3u);
  EXPECT_TRUE(fs::exists(t_ / "Download" / "net-1.0" / "notes.txt"));
  EXPECT_FALSE(fs::exists(t_ / "Download" / "net-1.0" / "readme.htm"));
  EXPECT_FALSE(fs::exists(t_ / "Download" / "net-1.0" / "old"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(InstallJobs, InfBehindAnInnerArchiveAndAnAbsentDevice) {
  fs::path package = t_ / "Download" / "cam.zip";
  write_zip(package, {{"drv.zip", make_zip_bytes({{"x64/cam.inf", "inf", true}}), false}});
  standin_log log(t_ / "log.txt");
  install_job job;
  job.package_path = u16_of(package);
  job.not_all_present = 1;
  job.wanted_infs = {u"drv\\x64\\cam.inf"};
  ASSERT_EQ(install_entry(&job), 0);
  std::u16string folder = download_folder + u"\\cam";
  auto starts = log.wait_for(3);
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(starts[1].command_line,
            u"extract.exe x \"" + folder + u"\\drv.zip\" -aos -o\"" + folder + u"\\drv\" -r -y");
  EXPECT_EQ(starts[2].command_line, u"\"" + installer() + u"\" /PATH \"" + folder + u"\\drv\\x64\"");
}

TEST_F(InstallJobs, InstallerExitCodeIsNotReadButAMissingInstallerFails) {
  fs::path package = t_ / "Download" / "p.zip";
  write_zip(package, {{"a.inf", "a", true}});
  install_job job;
  job.package_path = u16_of(package);
  job.wanted_infs = {u"a.inf"};
  job.owner_window = owner_;
  {
    standin_log log(t_ / "failing.txt", L"0x80010000");
    EXPECT_EQ(install_entry(&job), 0);  // not waited for: its failure is its own window's to show
    EXPECT_EQ(log.wait_for(2).size(), 2u);
  }
  standin_log log(t_ / "missing.txt");
  standin_missing gone(installer() == u"DPInst32.exe" ? L"DPInst32.exe" : L"DPInst64.exe");
  EXPECT_EQ(install_entry(&job), -1);
  EXPECT_EQ(log.starts().size(), 1u);  // the extractor only
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].owner, owner_);
  EXPECT_EQ(messages[0].type, 0);
  EXPECT_EQ(messages[0].text, u"The current driver package requires manually installation.");
  ASSERT_EQ(explorer_shows.size(), 1u);
  EXPECT_EQ(explorer_shows[0], job.package_path);
}

TEST_F(InstallJobs, UnsignedSetupProgramsAreNotStarted) {
  // A copy of a stand-in serves as the setup program: it logs if it is ever started.
  std::string program = read_file_bytes(program_folder() / "DPInst64.exe");
  fs::path package = t_ / "Download" / "tool.zip";
  write_zip(package, {{"tool/setup.exe", program, true}, {"tool/readme.txt", "r", true}});
  standin_log log(t_ / "log.txt");
  install_job job;
  job.package_path = u16_of(package);
  job.wanted_infs = {u"tool\\missing.inf"};
  EXPECT_EQ(install_entry(&job), -1);
  EXPECT_TRUE(lines_of(log.starts(), u"setup.exe").empty());
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(explorer_shows.size(), 1u);

  // An ".exe" package runs itself only when its MD5 matched (or it is signed); refused, it
  // leaves the user the manual way.
  fs::path exe = t_ / "Download" / "pkg.exe";
  write_file_bytes(exe, program);
  install_job exe_job;
  exe_job.package_path = u16_of(exe);
  exe_job.owner_window = owner_;
  EXPECT_EQ(install_entry(&exe_job), -1);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1].owner, owner_);
  EXPECT_EQ(messages[1].text, u"The current driver package requires manually installation.");
  ASSERT_EQ(explorer_shows.size(), 2u);
  EXPECT_EQ(explorer_shows[1], exe_job.package_path);
  exe_job.md5_verified = true;
  EXPECT_EQ(install_entry(&exe_job), 0);
  auto starts = log.wait_for(4);
  EXPECT_EQ(std::count_if(starts.begin(), starts.end(), [](auto& s) { return s.program == u"pkg.exe"; }), 1);
  EXPECT_EQ(messages.size(), 2u);  // no message when the package started
}

TEST_F(InstallJobs, RestoreExtractsIntoTheArchivesFolderAndForces) {
  write_zip(t_ / "Backup" / "Net Adapter-2.1.zip", {{"net.inf", "n", true}});
  fs::create_directories(t_ / "Backup" / "Net Adapter-2.1");
  write_file_bytes(t_ / "Backup" / "Net Adapter-2.1" / "old.inf", "o");
  standin_log log(t_ / "log.txt");
  restore_job job{u"Net Adapter-2.1.zip"};
  EXPECT_EQ(restore_entry(&job), 0);
  std::u16string folder = backup_folder + u"\\Net Adapter-2.1";
  auto starts = log.wait_for(2);
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0].command_line, u"extract.exe x \"" + backup_folder + u"\\Net Adapter-2.1.zip\" -aos -o\"" +
                                        folder + u"\" -r -y");
  EXPECT_EQ(starts[1].command_line, u"\"" + installer() + u"\" /F /PATH \"" + folder + u"\"");
  EXPECT_TRUE(fs::exists(t_ / "Backup" / "Net Adapter-2.1" / "net.inf"));
  EXPECT_FALSE(fs::exists(t_ / "Backup" / "Net Adapter-2.1" / "old.inf"));

  restore_job outside{u"..\\x.zip"};
  EXPECT_EQ(restore_entry(&outside), -1);
  standin_missing gone(L"extract.exe");
  EXPECT_EQ(restore_entry(&job), -1);
}

TEST_F(InstallJobs, ARestoreWhoseArchiveDoesNotExtractStartsNoInstaller) {
  // The INF comes out whole, the driver file does not: the extractor says so by its exit code.
  write_file_bytes(t_ / "Backup" / "Cam-1.0.zip",
                   zip_with_damaged_last_entry({{"cam.inf", "c", true}, {"cam.sys", std::string(4000, 'S'), false}}));
  restore_job job{u"Cam-1.0.zip"};
  {
    standin_log log(t_ / "damaged.txt");
    EXPECT_EQ(restore_entry(&job), -1);
    auto starts = log.starts();  // the extractor is waited for: logged before the job returned
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].program, u"extract.exe");
    EXPECT_TRUE(fs::exists(t_ / "Backup" / "Cam-1.0" / "cam.inf"));
  }
  // Deleted after the page listed it: nothing to extract, nothing installed from an empty folder.
  fs::remove(t_ / "Backup" / "Cam-1.0.zip");
  standin_log log(t_ / "gone.txt");
  EXPECT_EQ(restore_entry(&job), -1);
  EXPECT_EQ(log.starts().size(), 1u);
}

TEST_F(InstallJobs, AFileOfAnEarlierExtractionThatCannotGoFailsTheJob) {
  // Another program holds the earlier extraction's INF: "-aos" would keep it, and the installer
  // would take it for the archive's.
  write_zip(t_ / "Backup" / "Cam-1.0.zip", {{"cam.inf", "new", true}});
  fs::create_directories(t_ / "Backup" / "Cam-1.0");
  const fs::path old_inf = t_ / "Backup" / "Cam-1.0" / "cam.inf";
  write_file_bytes(old_inf, "old");
  restore_job job{u"Cam-1.0.zip"};
  {
    HANDLE held = CreateFileW(old_inf.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    standin_log log(t_ / "held.txt");
    EXPECT_EQ(restore_entry(&job), -1);
    CloseHandle(held);
    Sleep(300);  // an installer is not waited for: time to log, had one started
    EXPECT_TRUE(log.starts().empty());  // neither extracted over it nor installed from it
  }
  standin_log log(t_ / "log.txt");
  EXPECT_EQ(restore_entry(&job), 0);
  EXPECT_EQ(read_file_bytes(old_inf), "new");
  EXPECT_EQ(log.wait_for(2).size(), 2u);
}

TEST_F(InstallJobs, AnInstallWhoseExtractionFailedIsNotInTheHistory) {
  fs::path package = t_ / "Download" / "net-2.0.zip";
  write_file_bytes(package, zip_with_damaged_last_entry(
                                {{"drv/net.inf", "n", true}, {"drv/net.sys", std::string(4000, 'N'), false}}));
  const std::string address = "http://dl.example.com/pkg/net-2.0.zip";
  auto install = package_install_for(address, install_entry);
  install->job.package_path = u16_of(package);
  install->job.wanted_infs = {u"drv\\net.inf"};
  install->job.owner_window = owner_;
  install->history_folder = u16_of(t_.path());
  standin_log log(t_ / "log.txt");
  ASSERT_TRUE(start_package_install(*install));
  wait_for_thread(install->task.thread());
  EXPECT_EQ(install->task.result(), -1);
  EXPECT_FALSE(fs::exists(t_ / "history.dat"));  // offered again at the next scan
  EXPECT_TRUE(lines_of(log.starts(), installer().c_str()).empty());
  ASSERT_EQ(messages.size(), 1u);  // the manual way, as for any package that cannot be installed
  EXPECT_EQ(messages[0].text, u"The current driver package requires manually installation.");

  // Whole, it goes in and is recorded.
  write_zip(package, {{"drv/net.inf", "n", true}, {"drv/net.sys", std::string(4000, 'N'), false}});
  ASSERT_TRUE(start_package_install(*install));
  wait_for_thread(install->task.thread());
  EXPECT_EQ(install->task.result(), 0);
  EXPECT_EQ(read_file_bytes(t_ / "history.dat").find(address), 0u);
  EXPECT_EQ(lines_of(log.wait_for(3), installer().c_str()).size(), 1u);
}

TEST_F(InstallJobs, AnInfOfAnInnerArchiveThatDidNotExtractIsNotInstalled) {
  fs::path package = t_ / "Download" / "cam2.zip";
  write_zip(package, {{"drv.zip", zip_with_damaged_last_entry({{"x64/cam.inf", "inf", true},
                                                                {"x64/cam.sys", std::string(3000, 'C'), false}}),
                       false}});
  standin_log log(t_ / "log.txt");
  install_job job;
  job.package_path = u16_of(package);
  job.wanted_infs = {u"drv\\x64\\cam.inf"};
  EXPECT_EQ(install_entry(&job), -1);
  auto starts = log.starts();
  EXPECT_EQ(starts.size(), 2u);  // both extractions, no installer
  EXPECT_TRUE(lines_of(starts, installer().c_str()).empty());
  EXPECT_TRUE(fs::exists(t_ / "Download" / "cam2" / "drv" / "x64" / "cam.inf"));
  EXPECT_EQ(messages.size(), 1u);
}

// Runs the job as its worker task does; an extractor still running after a minute is ended
// here so that a job that would wait for it for ever fails the test instead of hanging it.
int32_t run_job_ending_a_hung_extractor(int32_t (*entry)(void*), void* job, bool& ended_by_itself,
                                        bool& seen_running) {
  worker_task_c task(entry, job);
  if (!task.start()) return -2;
  seen_running = false;
  while (!seen_running && WaitForSingleObject(task.thread(), 20) == WAIT_TIMEOUT)
    seen_running = running_children(L"extract.exe") > 0;
  ended_by_itself = WaitForSingleObject(task.thread(), 60000) == WAIT_OBJECT_0;
  if (!ended_by_itself) end_children(L"extract.exe");
  wait_for_thread(task.thread());
  int32_t result = task.result();
  task.release();
  return result;
}

TEST_F(InstallJobs, AnExtractorThatNeverEndsIsEndedAfterTheLimitAndTheJobFails) {
  write_zip(t_ / "Backup" / "Cam-1.0.zip", {{"cam.inf", "c", true}});
  fs::path package = t_ / "Download" / "net-3.0.zip";
  write_zip(package, {{"net.inf", "n", true}});
  standin_log log(t_ / "log.txt");
  extractor_hang hang;
  bool ended = false, seen = false;
  restore_job restore{u"Cam-1.0.zip"};
  restore.extract_limit_ms = 4000;
  EXPECT_EQ(run_job_ending_a_hung_extractor(restore_entry, &restore, ended, seen), -1);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(ended) << "the restore waited for the extractor past its limit";
  EXPECT_EQ(running_children(L"extract.exe"), 0u);  // not left running where nobody sees it

  install_job install;
  install.package_path = u16_of(package);
  install.wanted_infs = {u"net.inf"};
  install.extract_limit_ms = 4000;
  EXPECT_EQ(run_job_ending_a_hung_extractor(install_entry, &install, ended, seen), -1);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(ended) << "the install waited for the extractor past its limit";
  EXPECT_EQ(running_children(L"extract.exe"), 0u);
  auto starts = log.starts();
  EXPECT_EQ(starts.size(), 2u);  // the two extractors, no installer
  EXPECT_TRUE(lines_of(starts, installer().c_str()).empty());
  EXPECT_EQ(messages.size(), 1u);  // the install's manual way
}

TEST_F(InstallJobs, UninstallWaitsForTheInstallerAndAlwaysTellsTheUser) {
  wchar_t windows[MAX_PATH];
  ExpandEnvironmentStringsW(L"%SYSTEMROOT%", windows, MAX_PATH);
  uninstall_job job{u"oem12.inf", owner_};
  {
    standin_log log(t_ / "log.txt", L"5");
    EXPECT_EQ(uninstall_driver(&job), 0);
    auto starts = log.starts();  // waited for: logged before the job returned
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].command_line, installer() + u" /U \"" + as_u16(windows) + u"\\inf\\oem12.inf\"");
  }
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].owner, owner_);
  EXPECT_EQ(messages[0].text,
            u"If a device driver is uninstalled, you may need to restart your computer for the changes to take effect.");
  {
    standin_missing gone(installer() == u"DPInst32.exe" ? L"DPInst32.exe" : L"DPInst64.exe");
    EXPECT_EQ(uninstall_driver(&job), -1);
  }
  uninstall_job outside{u"..\\system32\\x.inf", owner_};
  EXPECT_EQ(uninstall_driver(&outside), -1);
  EXPECT_EQ(messages.size(), 3u);
}

TEST_F(InstallJobs, AJobOnAWorkerThreadShowsItsMessageOverTheWindowItWasGiven) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner);
  uninstall_job job{u"oem12.inf", owner};
  standin_log log(t_ / "log.txt");
  worker_task_c task(uninstall_driver, &job);
  ASSERT_TRUE(task.start());
  wait_for_thread(task.thread());
  EXPECT_EQ(task.result(), 0);
  task.release();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].thread, GetCurrentThreadId());
  EXPECT_EQ(messages[0].active, nullptr);  // why the owner has to be handed down
  EXPECT_EQ(messages[0].owner, owner);
  DestroyWindow(owner);
}

}  // namespace

namespace {

// A symbolic link to a folder; false when the system cannot make one.
bool make_folder_link(const fs::path& link, const fs::path& target) {
  using create_fn = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
  auto create = reinterpret_cast<create_fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateSymbolicLinkW")));
  // 1: a folder; 2: also without the privilege, where the system allows that.
  return create && (create(link.c_str(), target.c_str(), 1 | 2) || create(link.c_str(), target.c_str(), 1)) &&
         (GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

TEST_F(InstallJobs, RestoreRemovesLinksInItsFolderNeverWhatTheyPointTo) {
  write_zip(t_ / "Backup" / "Cam-1.0.zip", {{"cam.inf", "c", true}});
  fs::create_directories(t_ / "Outside" / "deep");
  write_file_bytes(t_ / "Outside" / "keep.txt", "k");
  write_file_bytes(t_ / "Outside" / "deep" / "keep.inf", "k");
  fs::create_directories(t_ / "Backup" / "Cam-1.0");
  if (!make_folder_link(t_ / "Backup" / "Cam-1.0" / "inner", t_ / "Outside"))
    GTEST_SKIP() << "no symbolic links on this system";
  standin_log log(t_ / "log.txt");
  restore_job job{u"Cam-1.0.zip"};
  // A link inside the folder goes; what it points to stays whole.
  EXPECT_EQ(restore_entry(&job), 0);
  EXPECT_TRUE(fs::exists(t_ / "Outside" / "keep.txt"));
  EXPECT_TRUE(fs::exists(t_ / "Outside" / "deep" / "keep.inf"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(t_ / "Backup" / "Cam-1.0" / "inner")));
  EXPECT_TRUE(fs::exists(t_ / "Backup" / "Cam-1.0" / "cam.inf"));

  // The folder itself a link: the link goes, a real folder takes the files, the target keeps its own.
  fs::remove_all(t_ / "Backup" / "Cam-1.0");
  ASSERT_TRUE(make_folder_link(t_ / "Backup" / "Cam-1.0", t_ / "Outside"));
  EXPECT_EQ(restore_entry(&job), 0);
  EXPECT_TRUE(fs::exists(t_ / "Outside" / "keep.txt"));
  EXPECT_TRUE(fs::exists(t_ / "Outside" / "deep" / "keep.inf"));
  EXPECT_FALSE(fs::exists(t_ / "Outside" / "cam.inf"));
  DWORD a = GetFileAttributesW((t_ / "Backup" / "Cam-1.0").c_str());
  EXPECT_TRUE(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT));
  EXPECT_TRUE(fs::exists(t_ / "Backup" / "Cam-1.0" / "cam.inf"));
  auto starts = log.wait_for(4);
  EXPECT_EQ(starts.size(), 4u);
}
