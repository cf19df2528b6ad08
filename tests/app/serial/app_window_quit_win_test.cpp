// The quit of the main window while work runs: the question names the work, a job is waited
// for to its end, a thread that does not end in time keeps what it uses, and no tray icon is
// left behind. Also the start-up in a language whose code is stored in another case. Serial:
// it makes the process's main window and changes the settings' registry key.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/app_window.h"
#include "app/process_entry.h"
#include "base/text.h"
#include "base/wide.h"
#include "engine/install_jobs.h"
#include "engine/net_client.h"
#include "engine/package_installs.h"
#include "engine/scan_report.h"
#include "engine/settings.h"
#include "engine/system_facts.h"
#include "engine/version_check.h"
#include "engine/worker_task.h"
#include "tests/engine/backup_fixture.h"
#include "tests/support/gui_driver.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"
#include "tests/app/main_window_fixture.h"
#include "widgets/language.h"
#include "widgets/message_window.h"
#include "widgets/ui_font_table.h"
#include "widgets/ui_fonts.h"

namespace fs = std::filesystem;

namespace {

struct message_seen {
  int type;
  std::u16string text;
};

// The answers of the window's message dialog, and what it was asked.
struct quit_record {
  std::vector<message_seen> messages;
  int answer = 1;
  std::vector<DWORD> tray_calls;
};
quit_record* record = nullptr;

int record_message(void*, int type, const char16_t* text) {
  record->messages.push_back({type, text});
  return record->answer;
}
BOOL WINAPI record_tray(DWORD call, PNOTIFYICONDATAW) {
  record->tray_calls.push_back(call);
  return TRUE;
}
void ignore_url(const char16_t*, void*) {}
bool no_version_check(int, void*) { return true; }
bool no_autorun() { return true; }
int answer_cancel(void*, int, const char16_t*) { return 2; }
int32_t keep_store(void*) { return 0; }
void no_net_wait(uint32_t) {}

// A gate a job's thread waits at until the test opens it.
struct gate {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ~gate() { CloseHandle(event); }
  void wait() { WaitForSingleObject(event, 30000); }
  // Opens it from another thread after `ms`, so that the test's own thread can be inside a
  // quit meanwhile.
  std::thread open_later(DWORD ms) {
    return std::thread([this, ms] {
      Sleep(ms);
      SetEvent(event);
    });
  }
};
gate* install_gate = nullptr;

int32_t gated_install(void*) {
  install_gate->wait();
  return 0;
}

BOOL CALLBACK find_process_dialog(HWND w, LPARAM out) {
  wchar_t name[16] = {};
  GetClassNameW(w, name, 16);
  DWORD process = 0;
  GetWindowThreadProcessId(w, &process);
  if (process != GetCurrentProcessId() || wcscmp(name, L"#32770") != 0 || !IsWindowVisible(w)) return TRUE;
  *reinterpret_cast<HWND*>(out) = w;
  return FALSE;
}

// The uninstall's closing message, given when the test opens the gate: whether its owner was
// still a window then, and whether that window was hidden.
struct final_message {
  gate opened;
  std::atomic<int> shown{0}, answer{0};
  std::atomic<bool> owner_alive{false}, owner_hidden{false}, dialog_seen{false};
  // Opens the gate after `ms`, then closes the program's dialog that the job shows.
  std::thread open_and_close_later(DWORD ms) {
    return std::thread([this, ms] {
      Sleep(ms);
      SetEvent(opened.event);
      for (int i = 0; i < 200 && !dialog_seen; ++i) {
        HWND d = nullptr;
        EnumWindows(find_process_dialog, reinterpret_cast<LPARAM>(&d));
        if (d) {
          dialog_seen = true;
          Sleep(100);
          PostMessageW(d, WM_CLOSE, 0, 0);
        }
        Sleep(50);
      }
    });
  }
};
final_message* uninstall_end = nullptr;

int gated_final_message(void* owner, int type, const char16_t* text) {
  uninstall_end->opened.wait();
  HWND w = static_cast<HWND>(owner);
  uninstall_end->owner_alive = IsWindow(w) != FALSE;
  uninstall_end->owner_hidden = !IsWindowVisible(w);
  uninstall_end->answer = show_message_window(owner, type, text);  // the program's own dialog
  ++uninstall_end->shown;
  return uninstall_end->answer;
}

class AppWindowQuit : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    load_language(u"en");
    create_ui_fonts("en", 61);
    create_brushes();
    create_pens();
    create_device_store();
    keep_loopback_off_proxies();
  }
  void SetUp() override {
    record = &record_;
    main_window_test::quiet_settings();
    saved_sleep_ = net_sleep;
    net_sleep = no_net_wait;
  }
  void TearDown() override {
    window_.reset();
    gui::drop_quit_message();
    record = nullptr;
    net_sleep = saved_sleep_;
  }
  HWND make(bool (*version_check)(int, void*) = no_version_check) {
    main_window_c::seams s;
    s.open_url = ignore_url;
    s.show_message = record_message;
    s.start_version_check = version_check;
    s.apply_autorun = no_autorun;
    s.scan.dialog = answer_cancel;
    s.scan.device_scan = keep_store;
    s.work_wait_ms = 300;
    window_ = std::make_unique<main_window_c>(s);
    window_->notify_icon = record_tray;
    HWND w = window_->create_window();
    if (w) ShowWindow(w, SW_SHOWNOACTIVATE);
    gui::pump_for(50);
    return w;
  }
  void exit_command() { SendMessageW(window_->handle(), WM_COMMAND, 40018, 0); }
  bool tray_removed() const {
    return !record_.tray_calls.empty() && record_.tray_calls.back() == NIM_DELETE;
  }

  quit_record record_;
  std::unique_ptr<main_window_c> window_;
  void (*saved_sleep_)(uint32_t) = nullptr;
};

}  // namespace

// An install that runs without its wait window: the question names it; No changes nothing;
// with Yes the window goes away first and the quit ends with the job, its history line written.
TEST_F(AppWindowQuit, ExitDuringAnUnwatchedInstallNamesItAndWaitsForItsHistoryLine) {
  temp_folder folder;
  gate g;
  install_gate = &g;
  const std::string address = "http://127.0.0.1:1/packages/quit.zip";
  std::shared_ptr<package_install_c> install = package_install_for(address, gated_install);
  install->history_folder = folder.path().u16string();
  ASSERT_TRUE(start_package_install(*install));

  HWND w = make();
  record_.answer = 2;
  exit_command();
  ASSERT_EQ(record_.messages.size(), 1u);
  EXPECT_EQ(record_.messages[0].type, 3);
  EXPECT_EQ(record_.messages[0].text, std::u16string(get_text("quit_confirm_install")));
  EXPECT_TRUE(IsWindow(w));
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_TRUE(install->task.is_running());

  record_.answer = 1;
  std::thread opener = g.open_later(500);
  exit_command();
  opener.join();
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(install->task.is_running());
  EXPECT_FALSE(window_->work_left_running());
  EXPECT_TRUE(tray_removed());
  EXPECT_EQ(read_file_bytes(folder.path() / "history.dat"), address + "\r\n");
  gui::pump_until([&] { return !any_package_install_running(); }, 10000);
  install_gate = nullptr;
}

// An uninstall whose closing message is still to come: the question names it; with Yes the
// window hides and stays a window until the message has been shown over it.
TEST_F(AppWindowQuit, ExitDuringAnUninstallNamesItAndItsLastMessageStillShows) {
  stand_in_service service;  // the scan's exchange
  ASSERT_TRUE(service.running());
  service.use_for_endpoints();
  backup_test::files store;
  store.package(u"cam_1a");
  store.device(u"USB\\VID_1\\1", u"oem5.inf", u"cam_1a");
  final_message end;
  uninstall_end = &end;
  job_bindings b;
  b.show_message = gated_final_message;
  set_job_bindings(b);

  HWND w = make();
  SendMessageW(w, WM_APP_SIDEBAR_COMMAND, 5, 0);  // the uninstall page, after a scan
  ASSERT_TRUE(gui::pump_until([&] { return window_->state() == main_results; }, 30000));
  uninstall_window_c& page = window_->uninstall_page;
  ASSERT_EQ(page.rows.stack().rows.size(), 2u);
  auto* row = static_cast<uninstall_panel_c*>(page.rows.stack().rows[1]);
  SendMessageW(row->handle(), WM_COMMAND, MAKEWPARAM(uninstall_panel_c::remove_id, BN_CLICKED), 0);
  ASSERT_TRUE(page.uninstall_running());

  record_.answer = 2;
  exit_command();
  ASSERT_EQ(record_.messages.size(), 1u);
  EXPECT_EQ(record_.messages[0].text, std::u16string(get_text("quit_confirm_uninstall")));
  EXPECT_TRUE(IsWindow(w));
  EXPECT_TRUE(page.uninstall_running());

  record_.answer = 1;
  std::thread opener = end.open_and_close_later(500);
  exit_command();
  opener.join();
  EXPECT_FALSE(IsWindow(w));
  EXPECT_TRUE(gui::pump_until([&] { return end.shown == 1; }, 10000));
  EXPECT_TRUE(end.owner_alive);
  EXPECT_TRUE(end.owner_hidden);
  EXPECT_TRUE(end.dialog_seen);
  EXPECT_EQ(end.answer.load(), 2);  // closed by its close box: it did show
  EXPECT_TRUE(tray_removed());
  gui::pump_until([&] { return !page.uninstall_running(); }, 10000);
  set_job_bindings(job_bindings());
  uninstall_end = nullptr;
}

namespace {

// The two workers that nobody watches: the version check at start-up and the scan report's
// upload. Each is held by the stand-in service (one byte of the answer every few seconds).
bool real_version_check(int flag, void* window) { return start_version_check(flag, window); }

void start_upload() {
  worker_task_c task = worker_task_c::init_report_upload(new std::vector<uint8_t>(64, 7));
  task.start();
  task.release();
}

}  // namespace

// Exit while such a worker is held: the quit asks nothing, waits its bounded time and ends the
// window with its tray icon; the worker's state and the HTTP library stay for it.
TEST_F(AppWindowQuit, ExitDuringAHeldCheckOrUploadLeavesWhatTheThreadUses) {
  const struct {
    const char* path;
    bool version_check;
  } rows[] = {{"/service/version.xml", true}, {"/service/debug.php", false}};
  for (const auto& r : rows) {
    {
      stand_in_service service({"--mode", "slow", "--only", r.path, "--chunk", "1", "--delay", "4"});
      ASSERT_TRUE(service.running());
      service.use_for_endpoints();
      auto asked = [&] {
        for (const auto& q : service.requests())
          if (q.text("path") == r.path) return true;
        return false;
      };
      record_ = quit_record{};
      app_settings.CheckVersion = r.version_check ? 1 : 0;
      HWND w = make(real_version_check);
      if (!r.version_check) start_upload();
      ASSERT_TRUE(gui::pump_until(asked, 10000)) << r.path;
      exit_command();
      EXPECT_TRUE(record_.messages.empty()) << r.path;
      EXPECT_FALSE(IsWindow(w)) << r.path;
      EXPECT_TRUE(window_->work_left_running()) << r.path << " live " << worker_task_c::live_threads();
      EXPECT_FALSE(may_free_engine_state()) << r.path;
      EXPECT_TRUE(tray_removed()) << r.path;
    }
    // The service is gone: the worker's transfer fails and its thread ends.
    EXPECT_TRUE(gui::pump_until([] { return worker_task_c::live_threads() == 0; }, 30000)) << r.path;
    EXPECT_TRUE(may_free_engine_state()) << r.path;
    window_.reset();
    gui::drop_quit_message();
  }
}

namespace {

bool facts_ok() { return init_system_info(); }
int no_failure(const wchar_t*) { return IDOK; }

void set_language_value(const wchar_t* value) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantoril", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  if (value)
    RegSetValueExW(key, L"Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   DWORD((wcslen(value) + 1) * sizeof(wchar_t)));
  else
    RegDeleteValueW(key, L"Language");
  RegCloseKey(key);
}

std::wstring face_of(HFONT font) {
  LOGFONTW lf = {};
  GetObjectW(font, sizeof lf, &lf);
  return lf.lfFaceName;
}

// The text of the program's message dialog of this process that is open, or empty while
// there is none; `plain_box` tells when a system message box opened instead.
std::u16string open_message_window_text(bool& plain_box) {
  HWND d = nullptr;  // shown by the job's thread, not this one
  EnumWindows(find_process_dialog, reinterpret_cast<LPARAM>(&d));
  if (!d) return u"";
  if (GetDlgItem(d, 0xFFFF)) {  // the system box's text control
    plain_box = true;
    PostMessageW(d, WM_CLOSE, 0, 0);
    return u"";
  }
  auto* object = reinterpret_cast<window_object_c*>(GetWindowLongPtrW(d, DWLP_USER));
  auto* box = dynamic_cast<message_window_c*>(object);
  if (!box || !box->text) return u"";
  std::u16string text = box->text;
  PostMessageW(d, WM_CLOSE, 0, 0);
  return text;
}

// Runs the job on a thread of its own, as its worker task does, and reads the dialog it shows.
std::u16string job_message(int32_t (*entry)(void*), void* job, bool& plain_box) {
  std::thread worker([&] { entry(job); });
  std::u16string text;
  gui::pump_until(
      [&] {
        if (text.empty()) text = open_message_window_text(plain_box);
        return !text.empty() || plain_box;
      },
      20000);
  worker.join();
  return text;
}

}  // namespace

// A stored "JA" (the code in another case): Japanese texts in the Japanese face, and the jobs'
// messages (a refused install, the uninstall's end) in the program's dialog, in Japanese.
TEST(ProcessStartLanguage, AStoredUpperCaseCodeGivesTheLanguagesFaceAndJobMessages) {
  temp_folder folder;
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  set_language_value(L"JA");
  job_bindings quiet;
  quiet.show_in_explorer = [](void*, const char16_t*) {};
  set_job_bindings(quiet);
  ASSERT_EQ(init_application(facts_ok, no_failure), 0);
  SetCurrentDirectoryW(current);
  copy_cut(app_settings.DownloadPath, folder.path().u16string());

  const std::u16string face = build_ui_font_set("ja", int(os_version_number())).face;
  EXPECT_EQ(face_of(font_normal_9), as_wide(face));
  EXPECT_TRUE(is_current_language(u"ja"));

  write_file_bytes(folder.path() / "broken.zip", "not a zip");
  install_job install;
  install.package_path = (folder.path() / "broken.zip").u16string();
  install.wanted_infs = {u"drv.inf"};
  uninstall_job uninstall;
  uninstall.inf_name = u"oem_none.inf";
  const struct {
    const char* key;
    int32_t (*entry)(void*);
    void* job;
  } rows[] = {{"manually_install_notify", install_entry, &install}, {"uninstall_finished", uninstall_driver, &uninstall}};
  for (const auto& r : rows) {
    bool plain_box = false;
    std::u16string text = job_message(r.entry, r.job, plain_box);
    EXPECT_FALSE(plain_box) << r.key;
    EXPECT_EQ(text, std::u16string(get_text(r.key))) << r.key;
    EXPECT_NE(text.find(u"\u30c9\u30e9\u30a4\u30d0\u30fc"), std::u16string::npos) << r.key;  // "driver"
  }

  set_language_value(nullptr);
  set_job_bindings(job_bindings());
  set_default_settings();
  load_language(u"en");
  create_ui_fonts("en", 61);
}

namespace {

const char* const quit_keys[] = {"quit_confirm_install", "quit_confirm_uninstall", "quit_confirm_restore",
                                 "quit_confirm_backup",  "quit_confirm",           "quit_confirm_scan"};
std::string shot_name;

// Takes the open question's picture (into VANTORIL_SCREENSHOT_DIR when set) and answers No.
void CALLBACK answer_no_after_shot(HWND, UINT, UINT_PTR id, DWORD) {
  static int seen = 0;
  HWND d = gui::find_window(L"#32770", L"Vantoril");
  if (!d || !IsWindowVisible(d) || ++seen < 2) return;  // the second look: laid out and painted
  seen = 0;
  KillTimer(nullptr, id);
  wchar_t dir[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    RedrawWindow(d, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    gui::save_screen_bmp(d, (fs::path(dir) / (shot_name + ".bmp")).wstring());
  }
  PostMessageW(d, WM_COMMAND, 2, 0);
}

}  // namespace

// Each quit question is a Yes/No question of the program's dialog, with its own text in both
// languages (none falls back to the English one).
TEST(QuitQuestions, EachNamesItsWorkInBothLanguages) {
  gui::recording_window owner;
  std::vector<std::u16string> english;
  for (const char* language : {"en", "ja"}) {
    load_language(utf8_to_u16(language));
    create_ui_fonts(language, 61);
    create_brushes();
    for (size_t i = 0; i < std::size(quit_keys); ++i) {
      const std::u16string text = get_text(quit_keys[i]);
      EXPECT_FALSE(text.empty()) << quit_keys[i];
      if (english.size() < std::size(quit_keys))
        english.push_back(text);
      else
        EXPECT_NE(text, english[i]) << quit_keys[i];
      shot_name = std::string(quit_keys[i]) + "-" + language;
      SetTimer(nullptr, 0, 50, answer_no_after_shot);
      EXPECT_EQ(show_message_window(owner.handle(), 3, text.c_str()), 2) << quit_keys[i];
    }
  }
  load_language(u"en");
  create_ui_fonts("en", 61);
}
