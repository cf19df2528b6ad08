#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/wide.h"

#include "tests/app/row_host_fixture.h"

namespace {

using namespace row_test;

// What a timer saw of the modal window while it was open (a modal loop runs our timers too).
struct modal_watch {
  static modal_watch*& current() {
    static modal_watch* w = nullptr;
    return w;
  }
  HWND except = nullptr;
  std::function<bool(HWND)> on_dialog;  // true when done with it
  bool seen = false;
  UINT_PTR timer = 0;

  explicit modal_watch(HWND host, std::function<bool(HWND)> f) : except(host), on_dialog(std::move(f)) {
    current() = this;
    timer = SetTimer(nullptr, 0, 30, tick);
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    modal_watch* w = current();
    if (!w || w->seen) return;
    HWND d = gui::find_window(L"#32770");
    if (d && IsWindowVisible(d) && w->on_dialog(d)) w->seen = true;
  }
  ~modal_watch() {
    KillTimer(nullptr, timer);
    current() = nullptr;
  }
};

// Lines of the stand-in log whose program is `program`.
// A screenshot of the window as shown, into VANTORIL_SCREENSHOT_DIR when that is set.
void shot(HWND window, const char* name) {
  wchar_t dir[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  UpdateWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  gui::save_screen_bmp(window, (fs::path(dir) / (std::string(name) + ".bmp")).wstring());
}

size_t starts_of(const std::string& log, const std::string& program) {
  size_t n = 0;
  for (size_t at = 0; at < log.size();) {
    if (log.compare(at, program.size() + 1, program + "\t") == 0) ++n;
    size_t nl = log.find('\n', at);
    if (nl == std::string::npos) break;
    at = nl + 1;
  }
  return n;
}

std::string last_line(const std::string& text) {
  std::string t = text;
  while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
  size_t nl = t.find_last_of('\n');
  return nl == std::string::npos ? t : t.substr(nl + 1);
}

TEST(DownloadRowWindow, DownloadsUnderTheAddressesMd5WithTheCatalogsSize) {
  row_host_fixture f;
  std::string bytes = letters(150000);
  ASSERT_TRUE(f.open({"good.zip", bytes, md5_of(bytes)}));
  EXPECT_EQ(f.action_text(), L"Download");
  shot(f.host->handle(), "row-download");
  f.press_action();
  EXPECT_EQ(f.action_text(), L"Pause");
  ASSERT_TRUE(gui::pump_until([&] { return f.action_text() == L"Install"; }, 30000));
  EXPECT_EQ(f.final_file().filename().string(), md5_of(f.address) + ".zip");
  EXPECT_EQ(fs::file_size(f.final_file()), bytes.size());
  EXPECT_FALSE(fs::exists(f.partial_file()));
  shot(f.host->handle(), "row-install");
}

TEST(DownloadRowWindow, WrongMd5EndsInDownloadErrorWithNoFile) {
  row_host_fixture f;
  std::string bytes = letters(50000, 3);
  ASSERT_TRUE(f.open({"bad.zip", bytes, std::string(32, '0')}));
  f.press_action();
  ASSERT_TRUE(gui::pump_until([&] { return f.row()->session()->status == download_failed; }, 30000));
  EXPECT_EQ(f.action_text(), L"Resume");
  EXPECT_FALSE(fs::exists(f.final_file()));
  EXPECT_FALSE(fs::exists(f.partial_file()));
  shot(f.host->handle(), "row-error");
}

TEST(DownloadRowWindow, ADoubleClickOnDownloadStartsItOnce) {
  row_host_fixture f;
  std::string bytes = letters(400000, 6);
  ASSERT_TRUE(f.open({"twice.zip", bytes, md5_of(bytes)}, {"--mode", "slow", "--delay", "0.02", "--chunk", "2048"}));
  gui::double_click_at(f.row()->action_button(), 20, 10);
  gui::pump_for(200);
  // The second half of the double click neither pauses it nor starts it again.
  EXPECT_EQ(f.action_text(), L"Pause");
  EXPECT_EQ(f.row()->session()->status, download_running);
  ASSERT_TRUE(gui::pump_until([&] { return !f.packages->requests().empty(); }, 10000));
  gui::pump_for(200);
  EXPECT_EQ(f.packages->requests().size(), 1u);
}

TEST(DownloadRowWindow, PauseStopsAtOnceAndResumeAsksForTheRest) {
  row_host_fixture f;
  std::string bytes = letters(400000, 4);
  ASSERT_TRUE(f.open({"slow.zip", bytes, md5_of(bytes)}, {"--mode", "slow", "--delay", "0.02", "--chunk", "2048"}));
  f.press_action();
  ASSERT_TRUE(gui::pump_until([&] { return f.row()->session()->transfer.bytes_on_disk > 4096; }, 20000));
  gui::pump_for(250);
  shot(f.host->handle(), "row-downloading");
  f.press_action();
  EXPECT_EQ(f.action_text(), L"Resume");
  EXPECT_EQ(f.row()->session()->status, download_partial);
  // The connection closes: the transfer's thread ends.
  ASSERT_TRUE(gui::pump_until([&] { return !f.row()->session()->is_running(); }, 10000));
  gui::pump_for(300);
  EXPECT_EQ(f.action_text(), L"Resume");
  shot(f.host->handle(), "row-paused");
  uint32_t kept = f.row()->session()->transfer.bytes_on_disk;
  ASSERT_GT(kept, 0u);
  f.press_action();
  EXPECT_EQ(f.action_text(), L"Pause");
  auto ranged = [&] {
    for (const auto& r : f.packages->requests())
      if (r.text("range") == "bytes=" + std::to_string(kept) + "-") return true;
    return false;
  };
  ASSERT_TRUE(gui::pump_until(ranged, 10000));

  // Pause and Resume pressed at once: the resume waits for the old transfer's end, then asks
  // for the rest.
  ASSERT_TRUE(gui::pump_until([&] { return f.row()->session()->transfer.bytes_on_disk > kept + 4096; }, 20000));
  size_t before = f.packages->requests().size();
  f.press_action();
  f.press_action();
  EXPECT_EQ(f.action_text(), L"Pause");
  ASSERT_TRUE(gui::pump_until([&] { return f.packages->requests().size() > before; }, 10000));
  EXPECT_EQ(f.packages->requests().back().text("range").rfind("bytes=", 0), 0u);
  ASSERT_TRUE(gui::pump_until([&] { return f.action_text() == L"Install"; }, 60000));
  EXPECT_EQ(read_file_bytes(f.final_file()), bytes);
}

// Places a finished package where the row's session looks for it.
void place_package(row_host_fixture& f, const std::string& bytes) {
  download_session_c* s = f.row()->session();
  write_file_bytes(fs::path(s->final_path), bytes);
  s->resolve_download_files();
  SendMessageW(f.row()->handle(), WM_TIMER, 0, 0);
}

thread_handle no_thread(thread_routine, void*) { return nullptr; }

TEST(DownloadRowWindow, ADownloadOrInstallThatCannotGoOnSaysWhy) {
  {
    // A download folder that leaves no room for the package's file name.
    row_host_fixture f;
    fs::path deep = f.temp.path() / std::string(230 - f.temp.path().u16string().size() % 230, 'd');
    copy_cut(app_settings.DownloadPath, deep.u16string());
    ASSERT_TRUE(f.open({"long.zip", letters(1000), ""}));
    f.press_action();
    EXPECT_EQ(f.asked(), (std::vector<std::string>{"The download folder's path is too long for the package's file "
                                                   "name. Please choose a shorter download folder in the preferences."}));
    EXPECT_EQ(f.action_text(), L"Download");
  }
  {
    // A thread that cannot start.
    row_host_fixture f;
    ASSERT_TRUE(f.open({"nothread.zip", letters(1000), ""}));
    worker_task_c::thread_starter = no_thread;
    f.press_action();
    worker_task_c::thread_starter = start_thread;
    EXPECT_EQ(f.asked(), (std::vector<std::string>{"The download could not be started."}));
    EXPECT_EQ(f.action_text(), L"Download");
  }
  {
    // A package replaced on disk after its download: its MD5 no longer matches at install.
    row_host_fixture f;
    std::string bytes = stored_zip(2000);
    ASSERT_TRUE(f.open({"changed.zip", bytes, md5_of(bytes)}));
    place_package(f, stored_zip(2100));
    ASSERT_EQ(f.action_text(), L"Install");
    f.press_action();
    // The install job checks the package on its own thread; the row tells when it has ended.
    ASSERT_TRUE(gui::pump_until([&] { return !f.asked().empty(); }, 10000));
    EXPECT_EQ(f.asked().back(), "The downloaded file is damaged: its MD5 checksum does not match. Please download it again.");
    // In Japanese too.
    load_language(u"ja");
    place_package(f, stored_zip(2100));
    const size_t before = f.asked().size();
    f.press_action();
    ASSERT_TRUE(gui::pump_until([&] { return f.asked().size() > before; }, 10000));
    EXPECT_EQ(f.asked().back(), u16_to_utf8(u"ダウンロードしたファイルが壊れています（MD5チェックサムが一致しません）。もう一度ダウンロードしてください。"));
    load_language(u"en");
  }
}

TEST(DownloadRowWindow, InstallOfALargeZipShowsTheWaitWindowAndRecordsTheAddress) {
  row_host_fixture f;
  ASSERT_TRUE(f.open({"big.zip", "", "", 2 << 20}));
  place_package(f, stored_zip(2 << 20));
  ASSERT_EQ(f.action_text(), L"Install");
  set_env("VANTORIL_EXTRACT_DELAY_MS", "1500");
  RECT seen = {}, host = {};
  std::wstring title;
  GetWindowRect(f.host->handle(), &host);
  {
    modal_watch watch(f.host->handle(), [&](HWND d) {
      GetWindowRect(d, &seen);
      title = gui::window_text(d);
      shot(d, "install-wait");
      return true;
    });
    f.press_action();  // returns when the wait window has closed
    EXPECT_TRUE(watch.seen);
  }
  set_env("VANTORIL_EXTRACT_DELAY_MS", "");
  EXPECT_EQ(title, L"Install");
  EXPECT_EQ(seen.right - seen.left, 400);
  EXPECT_EQ(seen.bottom - seen.top, 200);
  EXPECT_NEAR((seen.left + seen.right) / 2, (host.left + host.right) / 2, 2);
  EXPECT_NEAR((seen.top + seen.bottom) / 2, (host.top + host.bottom) / 2, 2);
  ASSERT_TRUE(gui::pump_until([&] { return f.standin_log().find("DPInst") != std::string::npos; }, 10000))
      << f.standin_log();
  std::string log = f.standin_log();
  EXPECT_LT(log.find("extract.exe"), log.find("DPInst"));
  EXPECT_EQ(last_line(f.history()), f.address);
}

TEST(DownloadRowWindow, ABrokenZipAddsNoHistoryLine) {
  row_host_fixture f;
  ASSERT_TRUE(f.open({"broken.zip", "", "", 2 << 20}));
  place_package(f, letters(2 << 20, 9));
  f.press_action();
  ASSERT_TRUE(gui::pump_until([&] { return !package_install_running(f.address); }, 20000));
  EXPECT_NE(f.standin_log().find("extract.exe"), std::string::npos);
  EXPECT_EQ(f.history(), "");
}

TEST(DownloadRowWindow, ASmallZipRunsUnwatchedAndOutlivesItsRow) {
  row_host_fixture f;
  ASSERT_TRUE(f.open({"small.zip", "", "", 900 * 1024}));
  place_package(f, stored_zip(900 * 1024));
  set_env("VANTORIL_EXTRACT_DELAY_MS", "800");
  bool dialog = false;
  {
    modal_watch watch(f.host->handle(), [&](HWND) { return dialog = true; });
    f.press_action();
    f.press_action();  // the job runs: nothing more starts
    EXPECT_TRUE(package_install_running(f.address));
    f.host->delete_row(f.row());
    gui::pump_until([&] { return !package_install_running(f.address); }, 20000);
  }
  set_env("VANTORIL_EXTRACT_DELAY_MS", "");
  EXPECT_FALSE(dialog);
  EXPECT_FALSE(package_install_running(f.address));
  EXPECT_EQ(starts_of(f.standin_log(), "extract.exe"), 1u);
  EXPECT_EQ(last_line(f.history()), f.address);
}

// A package of 300 MB is checked against its sum when Install is pressed: the check runs
// in the install job, and the window answers meanwhile. Its sum differs here: the file goes,
// the row offers the download again and nothing is extracted.
TEST(DownloadRowWindow, TheWindowAnswersWhileAHugePackageIsChecked) {
  constexpr uint32_t huge = 300u << 20;
  row_host_fixture f;
  ASSERT_TRUE(f.open({"huge.zip", "", std::string(32, 'c'), huge}));
  {
    // Zeros without writing them: the file system gives them when read.
    download_session_c* s = f.row()->session();
    HANDLE h = CreateFileW(as_wide(s->final_path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER at;
    at.QuadPart = huge;
    ASSERT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h));
    CloseHandle(h);
    s->resolve_download_files();
    SendMessageW(f.row()->handle(), WM_TIMER, 0, 0);
  }
  ASSERT_EQ(f.action_text(), L"Install");
  HWND window = f.host->handle();
  std::atomic<bool> stop{false};
  std::atomic<int> answered{0}, missed{0};
  std::thread asker([&] {
    while (!stop) {
      DWORD_PTR r = 0;
      if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 100, &r))
        ++answered;
      else
        ++missed;
      Sleep(20);
    }
  });
  f.press_action();
  const bool ended = gui::pump_until([&] { return !package_install_running(f.address); }, 60000);
  gui::pump_for(300);
  stop = true;
  asker.join();
  ASSERT_TRUE(ended);
  EXPECT_EQ(missed.load(), 0);
  EXPECT_GT(answered.load(), 0);
  EXPECT_FALSE(fs::exists(f.final_file()));
  EXPECT_EQ(f.row()->session()->status, download_failed);
  EXPECT_EQ(starts_of(f.standin_log(), "extract.exe"), 0u);
  EXPECT_EQ(f.history(), "");
}

TEST(DownloadRowWindow, AutomaticBackupIsQueuedPerDeviceBeforeTheExtractor) {
  row_host_fixture f;
  ASSERT_TRUE(f.open({"backup.zip", "", "", 900 * 1024}, {}, 2, true));
  place_package(f, stored_zip(900 * 1024));
  app_settings.AutoBackup = 1;
  f.press_action();
  EXPECT_EQ(f.host->log(), (std::vector<std::string>{"queue_backup 0", "queue_backup 1", "backup_queued"}));
  ASSERT_TRUE(gui::pump_until([&] { return !package_install_running(f.address); }, 20000));
  EXPECT_EQ(starts_of(f.standin_log(), "extract.exe"), 1u);
  app_settings.AutoBackup = 0;
}

TEST(DownloadRowWindow, DoubleClicksShowDetailsAndFoldTheGroup) {
  row_host_fixture f;
  ASSERT_TRUE(f.open({"details.zip", "", "", 1000}, {}, 2, true));
  int checks = 0;
  {
    modal_watch watch(f.host->handle(), [&](HWND d) {
      RECT r;
      GetWindowRect(d, &r);
      EXPECT_EQ(r.right - r.left, 640);
      EXPECT_EQ(r.bottom - r.top, 420);
      EXPECT_EQ(gui::window_text(d), L"Show Details");
      HWND devices = GetDlgItem(d, 102), properties = GetDlgItem(d, 101);
      RECT a = gui::rect_in_parent(devices), b = gui::rect_in_parent(properties);
      EXPECT_EQ(a.left, 15);
      EXPECT_EQ(a.top, 50);
      EXPECT_EQ(b.left, 15);
      EXPECT_EQ(b.top, 170);
      EXPECT_EQ(ListView_GetItemCount(properties), 13);
      EXPECT_EQ(ListView_GetNextItem(devices, -1, LVNI_SELECTED), 0);
      wchar_t cell[200] = L"";
      ListView_GetItemText(properties, 0, 1, cell, 200);
      EXPECT_STREQ(cell, L"PCI\\VEN_7A01&DEV_0001\\0");
      shot(d, "details");
      ListView_SetItemState(devices, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      ListView_GetItemText(properties, 1, 1, cell, 200);
      EXPECT_STREQ(cell, L"");  // the second device has no installed-driver values
      ListView_GetItemText(properties, 1, 2, cell, 200);
      EXPECT_STREQ(cell, L"Acme Display Adapter");
      ++checks;
      PostMessageW(d, WM_COMMAND, IDOK, 0);
      return true;
    });
    SendMessageW(f.row()->handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(60, 10));
    EXPECT_TRUE(watch.seen);
  }
  EXPECT_EQ(checks, 1);
  HWND header = f.host->list().stack().rows[0]->get_hwnd();
  SendMessageW(header, WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, 10));
  SendMessageW(header, WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, 10));
  EXPECT_EQ(f.host->log(), (std::vector<std::string>{"toggled 0 0", "toggled 0 1"}));
}

}  // namespace
