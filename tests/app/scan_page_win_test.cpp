// The scan page against the stand-in matching service: a whole scan, and the failures.
#include "app/scan_page_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "engine/device_store.h"
#include "engine/engine_errors.h"
#include "engine/thread.h"
#include "engine/worker_task.h"
#include "tests/engine/exchange_runs.h"
#include "tests/support/gui_driver.h"
#include "tests/support/service_launcher.h"
#include "tests/support/text_fit.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace {

struct ui_for_test {
  ui_for_test() {
    CoInitialize(nullptr);
    load_language(u"en");
    create_ui_fonts("en", 61);
    create_brushes();
    create_device_store();
  }
  ~ui_for_test() {
    set_service_hosts("");
    destroy_device_store();
    delete_ui_objects();
    CoUninitialize();
  }
};

// Stands in for the main window until it exists: keeps what the page posts to it.
struct owner_window {
  struct message {
    UINT id;
    WPARAM wparam;
  };
  static std::vector<message>& received() {
    static std::vector<message> list;
    return list;
  }
  static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m >= WM_APP && m < WM_APP + 0x100) received().push_back({m, wp});
    return DefWindowProcW(w, m, wp, lp);
  }
  owner_window() {
    received().clear();
    WNDCLASSW c{};
    c.lpfnWndProc = proc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.lpszClassName = L"scan_test_owner";
    RegisterClassW(&c);
    window = CreateWindowExW(0, L"scan_test_owner", L"Owner", WS_POPUP | WS_VISIBLE, 0, 0, 640, 500,
                             nullptr, nullptr, c.hInstance, nullptr);
  }
  ~owner_window() { DestroyWindow(window); }
  bool got_any() const { return !received().empty(); }
  HWND window;
};

// What the page asked the dialog, and the answer the test gives.
struct dialog_log {
  int calls = 0;
  int type = 0;
  std::u16string text;
  bool timer_running = false;  // the poll timer still alive under the dialog
  int answer = 2;
};
dialog_log g_dialog;

int logging_dialog(void* owner, int type, const char16_t* text) {
  ++g_dialog.calls;
  g_dialog.type = type;
  g_dialog.text = text;
  g_dialog.timer_running = KillTimer(static_cast<HWND>(owner), scan_window_c::scan_poll_timer) != FALSE;
  return g_dialog.answer;
}

int32_t no_devices(void* argument) {
  auto* progress = static_cast<scan_progress*>(argument);
  clear_device_store(*the_device_store());
  progress->total = 0;
  progress->current = 0;
  return 0;
}

int32_t failing_device_scan(void*) {
  set_last_error(engine_error::device_list);
  return -1;
}

struct page_for_test {
  explicit page_for_test(HWND owner, scan_page_seams seams = {}) : page(seams) {
    page.create(owner, RECT{0, 0, 610, 460});
    ShowWindow(page.handle(), SW_SHOW);
  }
  scan_window_c page;
};

unsigned picture_sum(HWND window) {
  rendered shot(window);
  unsigned sum = 0;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) sum = sum * 31 + shot.at(x, y);
  return sum;
}

std::wstring shot_path(const char* name) {
  const char* folder = std::getenv("VANTORIL_SHOTS");
  if (!folder) return {};
  std::string path = std::string(folder) + "\\" + name;
  return std::wstring(path.begin(), path.end());
}

TEST(ScanPage, WholeScanAgainstTheStandIn) {
  ui_for_test ui;
  // A zone far from UTC: the elapsed time must not take it.
  _putenv_s("TZ", "KST-14");
  _tzset();
  exchange_run run{"slow answer",
                   {answering({"--mode", "slow", "--chunk", "48", "--delay", "0.25"}), closed_host, closed_host},
                   0, 200, u"", false, {1, 0, 0}};
  std::unique_ptr<stand_in_service> services[3];
  ASSERT_TRUE(start_exchange_hosts(run, services));
  owner_window owner;
  page_for_test t(owner.window);
  scan_window_c& page = t.page;

  page.start_scan();
  EXPECT_EQ(page.elapsed_text(), u"00:00:00");
  rendered first(page.handle());
  ASSERT_TRUE(gui::pump_until([&] { return page.phase == scan_phase::online_check; }, 30000));
  // The names came as the scan found them, then the online line.
  std::vector<std::u16string> lines = page.list().status_texts();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind(u"Scanning: ", 0), 0u);
  EXPECT_EQ(lines.back(), u"Checking for driver updates online...");
  EXPECT_EQ(page.list().scroll().content_height, 25 * static_cast<int>(lines.size() + 1));
  // The square list has no window region, so its scroll bar shows whole.
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(page.list().handle(), region), ERROR);
  DeleteObject(region);

  unsigned before = picture_sum(page.picture().handle());
  gui::pump_for(400);
  EXPECT_NE(picture_sum(page.picture().handle()), before) << "the animation stood still";
  if (!shot_path("scan_mid.bmp").empty()) gui::save_screen_bmp(page.handle(), shot_path("scan_mid.bmp"));

  ASSERT_TRUE(gui::pump_until([&] { return owner.got_any(); }, 30000));
  ASSERT_EQ(owner.received().size(), 1u);
  EXPECT_EQ(owner.received()[0].id, WM_APP_SCAN_DONE);
  EXPECT_EQ(static_cast<int32_t>(owner.received()[0].wparam), page.device_total());
  EXPECT_GE(page.elapsed_text(), u"00:00:01");
  EXPECT_LT(page.elapsed_text(), u"00:01:00");
  EXPECT_FALSE(page.picture().has_thread());
  int posts = 0;
  for (const auto& r : services[0]->requests()) posts += r.text("method") == "POST";
  EXPECT_EQ(posts, 1);

  // A rescan shows none of this scan's numbers, not even until its first tick.
  ASSERT_GT(page.device_total(), 0);
  {
    text_fit::recorder record;
    page.start_scan();
    EXPECT_EQ(page.device_total(), 0);
    bool old_name = false, zero = false;
    for (const text_fit::drawn_text& t : text_fit::texts_of(page.handle())) {
      old_name = old_name || t.text.rfind(L"Scanning: ", 0) == 0;
      zero = zero || t.text == L"0";
    }
    EXPECT_FALSE(old_name);
    EXPECT_TRUE(zero);
    ASSERT_TRUE(gui::pump_until([&] { return owner.received().size() >= 2; }, 30000));
  }
  _putenv_s("TZ", "");
  _tzset();
}

struct failure_case {
  const char* what;
  exchange_run run;
  int answer;                 // of the dialog
  int dialog_type;            // 0: no dialog
  std::u16string text;
  UINT message;               // posted to the owner
  int32_t phase_after;
};

TEST(ScanPage, FailuresEndAsTheyShould) {
  ui_for_test ui;
  const host_spec maintenance = answering({"--mode", "499", "--message", "Closed for maintenance"});
  const host_spec error_500 = answering({"--mode", "500"});
  const failure_case cases[] = {
      {"499 with a message, Cancel", {"", {maintenance, answering(), answering()}, 0, 0, u"", false, {1, 0, 0}},
       2, 4, u"Closed for maintenance", WM_APP_SHOW_HOME, scan_phase::idle},
      {"499 with a message, Retry", {"", {maintenance, answering(), answering()}, 0, 0, u"", false, {1, 0, 0}},
       1, 4, u"Closed for maintenance", WM_APP_START_SCAN, scan_phase::online_check},
      {"499 with an empty body", {"", {answering({"--mode", "499"}), answering(), answering()}, 0, 0, u"", false, {1, 0, 0}},
       2, 0, u"", WM_APP_SHOW_HOME, scan_phase::idle},
      {"500 on all three", {"", {error_500, error_500, error_500}, 0, 0, u"", false, {1, 1, 1}},
       2, 4, u"Network error.\nServer returns http code 500.", WM_APP_SHOW_HOME, scan_phase::idle},
      {"three refused ports", {"", {closed_host, closed_host, closed_host}, 0, 0, u"", false, {0, 0, 0}},
       2, 4, u"The network connection timed out.\nPlease check your Internet connection and try again.",
       WM_APP_SHOW_HOME, scan_phase::idle},
  };
  for (const failure_case& c : cases) {
    std::unique_ptr<stand_in_service> services[3];
    ASSERT_TRUE(start_exchange_hosts(c.run, services)) << c.what;
    g_dialog = dialog_log{};
    g_dialog.answer = c.answer;
    // A download thread's failure meanwhile must not become this exchange's.
    last_error_code = engine_error::download_write;
    owner_window owner;
    scan_page_seams seams;
    seams.dialog = logging_dialog;
    page_for_test t(owner.window, seams);
    t.page.start_scan();
    ASSERT_TRUE(gui::pump_until([&] { return owner.got_any(); }, 60000)) << c.what;
    gui::pump_for(300);  // nothing more comes
    ASSERT_EQ(owner.received().size(), 1u) << c.what;
    EXPECT_EQ(owner.received()[0].id, c.message) << c.what;
    EXPECT_EQ(g_dialog.calls, c.dialog_type ? 1 : 0) << c.what;
    EXPECT_EQ(g_dialog.type, c.dialog_type) << c.what;
    EXPECT_EQ(g_dialog.text, c.text) << c.what;
    EXPECT_FALSE(g_dialog.timer_running) << c.what;
    EXPECT_EQ(t.page.phase, c.phase_after) << c.what;
    for (int i = 0; i < 3; ++i) {
      if (!services[i]) continue;
      EXPECT_EQ(requests_seen(*services[i]), c.run.contacted[i]) << c.what << i;
    }
  }
}

// The real dialog, answered the way a user would: Retry.
bool g_retry_clicked = false;
void CALLBACK answer_with_retry(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = gui::find_window(L"#32770");
  if (!dialog || !IsWindowVisible(dialog)) return;
  KillTimer(nullptr, id);
  if (!shot_path("scan_error.bmp").empty()) {
    gui::save_screen_bmp(dialog, shot_path("scan_error.bmp"));
    gui::save_screen_bmp(GetParent(dialog) ? GetParent(dialog) : dialog, shot_path("scan_error_owner.bmp"));
  }
  HWND retry = GetDlgItem(dialog, 1);
  gui::click_at(retry, 5, 5);
  g_retry_clicked = true;
}

TEST(ScanPage, ErrorDialogRetryAsksForANewScan) {
  ui_for_test ui;
  std::unique_ptr<stand_in_service> services[3];
  exchange_run run{"", {answering({"--mode", "499", "--message", "Closed for maintenance"}), answering(), answering()},
                   0, 0, u"", false, {1, 0, 0}};
  ASSERT_TRUE(start_exchange_hosts(run, services));
  owner_window owner;
  page_for_test t(owner.window);
  g_retry_clicked = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, answer_with_retry);
  t.page.start_scan();
  ASSERT_TRUE(gui::pump_until([&] { return owner.got_any(); }, 60000));
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_retry_clicked);
  EXPECT_EQ(owner.received()[0].id, WM_APP_START_SCAN);
  EXPECT_EQ(requests_seen(*services[1]), 0);
  EXPECT_EQ(requests_seen(*services[2]), 0);
}

TEST(ScanPage, NoDevicesAndAFailedDeviceScan) {
  ui_for_test ui;
  std::unique_ptr<stand_in_service> services[3];
  exchange_run run{"", {answering(), closed_host, closed_host}, 0, 200, u"", false, {1, 0, 0}};
  ASSERT_TRUE(start_exchange_hosts(run, services));
  {
    owner_window owner;
    g_dialog = dialog_log{};
    scan_page_seams seams;
    seams.device_scan = no_devices;
    seams.dialog = logging_dialog;
    page_for_test t(owner.window, seams);
    t.page.start_scan();
    ASSERT_TRUE(gui::pump_until([&] { return owner.got_any(); }, 30000));
    EXPECT_EQ(owner.received()[0].id, WM_APP_SCAN_DONE);
    EXPECT_EQ(owner.received()[0].wparam, 0u);
    gui::pump_for(250);
    EXPECT_EQ(t.page.progress_fraction(), 0.0f);  // the bar painted at 0 %
    EXPECT_EQ(g_dialog.calls, 0);
    EXPECT_EQ(requests_seen(*services[0]), 0);  // nothing to ask
  }
  {
    g_dialog = dialog_log{};
    owner_window owner;
    scan_page_seams seams;
    seams.device_scan = failing_device_scan;
    seams.dialog = logging_dialog;
    page_for_test t(owner.window, seams);
    t.page.start_scan();
    ASSERT_TRUE(gui::pump_until([&] { return owner.got_any(); }, 30000));
    EXPECT_EQ(owner.received()[0].id, WM_APP_SHOW_HOME);
    EXPECT_EQ(g_dialog.type, 2);
    EXPECT_EQ(g_dialog.text, u"Scan Devices Error");
    EXPECT_FALSE(g_dialog.timer_running);
    EXPECT_EQ(t.page.phase, scan_phase::idle);  // not left stopped halfway
    EXPECT_EQ(requests_seen(*services[0]), 0);  // the online check never started
    EXPECT_FALSE(t.page.picture().has_thread());  // no animation left running on the hidden page
  }
}

// The first `real` thread starts run; later ones fail, as when the system has no room left.
int thread_starts = 0, real_starts = 0;
thread_handle starts_only_the_first(thread_routine routine, void* parameter) {
  return thread_starts++ < real_starts ? start_thread(routine, parameter) : nullptr;
}

int32_t one_device(void* argument) {
  auto* progress = static_cast<scan_progress*>(argument);
  clear_device_store(*the_device_store());
  the_device_store()->devices.push_back(device_info{});
  progress->total = 1;
  progress->current = 1;
  return 0;
}

int32_t never_runs(void*) {
  ADD_FAILURE() << "a worker ran that was never started";
  return 0;
}

TEST(ScanPage, AWorkerThatDoesNotStartEndsItsPhaseAsAFailure) {
  ui_for_test ui;
  const struct {
    const char* what;
    int real_starts;
    int dialog_type;
    const char16_t* text;
  } cases[] = {
      {"device scan", 0, 2, u"Scan Devices Error"},
      {"online check", 1, 4, u"An internal error occurred."},
  };
  for (const auto& c : cases) {
    g_dialog = dialog_log{};
    thread_starts = 0;
    real_starts = c.real_starts;
    owner_window owner;
    scan_page_seams seams;
    seams.device_scan = c.real_starts ? one_device : never_runs;
    seams.online_check = never_runs;
    seams.dialog = logging_dialog;
    page_for_test t(owner.window, seams);
    worker_task_c::thread_starter = starts_only_the_first;
    t.page.start_scan();
    const bool ended = gui::pump_until([&] { return owner.got_any(); }, 10000);
    worker_task_c::thread_starter = start_thread;
    ASSERT_TRUE(ended) << c.what;  // not left waiting for ever
    EXPECT_EQ(thread_starts, c.real_starts + 1) << c.what;
    EXPECT_EQ(owner.received()[0].id, WM_APP_SHOW_HOME) << c.what;
    EXPECT_EQ(g_dialog.calls, 1) << c.what;
    EXPECT_EQ(g_dialog.type, c.dialog_type) << c.what;
    EXPECT_EQ(g_dialog.text, c.text) << c.what;
    EXPECT_EQ(t.page.phase, scan_phase::idle) << c.what;
  }
}

std::atomic<bool> slow_scan_started{false}, slow_scan_ended{false};
int32_t slow_device_scan(void*) {
  slow_scan_started = true;
  Sleep(500);
  slow_scan_ended = true;
  return 0;
}

TEST(ScanPage, DestroyingThePageWaitsForItsRunningWorker) {
  ui_for_test ui;
  owner_window owner;
  slow_scan_started = false;
  slow_scan_ended = false;
  {
    scan_page_seams seams;
    seams.device_scan = slow_device_scan;
    seams.dialog = logging_dialog;
    page_for_test t(owner.window, seams);
    t.page.start_scan();
    ASSERT_TRUE(gui::pump_until([&] { return slow_scan_started.load(); }, 10000));
  }
  EXPECT_TRUE(slow_scan_ended);  // the page went only after its worker had ended
}

}  // namespace
