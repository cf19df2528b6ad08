// The main window over its result pages: navigation by state against the stand-in service,
// and a scan's end under an open dialog. Serial: main windows of these tests must not meet the
// process tests' second starts.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "app/download_panel_win.h"
#include "base/text.h"
#include "engine/download_sessions.h"
#include "engine/package_installs.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/device_fixture.h"
#include "widgets/app_messages.h"

namespace fs = std::filesystem;

namespace {

using namespace main_window_test;

class AppWindowResults : public MainWindowTest {
 protected:
  int posts() const {
    int n = 0;
    for (const auto& r : service_->requests())
      if (r.text("method") == "POST" && r.text("path") == "/service/") ++n;
    return n;
  }
  // A click on navigation button `number` (1-7), as the user makes it.
  // (The entry's button reports its click to the bar as BN_CLICKED with its number; the real
  // pointer, which other window tests move, plays no part.)
  void click_bar(int number) {
    SendMessageW(window_->sidebar.handle(), WM_COMMAND, MAKEWPARAM(number, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window_->sidebar.handle(), number)));
    gui::pump_for(20);
  }
  bool wait_scan_end() {
    return gui::pump_until([&] { return window_->state() != main_scanning; }, 30000);
  }
};

main_page page_of_button(int button) { return page_of_mode(button - 2); }

bool fail_device_scan = false;
int32_t device_scan_that_may_fail(void* arg) { return fail_device_scan ? -1 : device_scan_entry(arg); }

}  // namespace

// Buttons 2-5 without results set the mode and scan once; the scan ends on that mode's page
// with its button selected. With results they only switch pages. After button 1, a scan from
// the home page ends on the update page.
TEST_F(AppWindowResults, NavigationScansWithoutResultsAndSwitchesPagesWithThem) {
  for (int button = 2; button <= 5; ++button) {
    HWND w = make();
    ASSERT_NE(w, nullptr);
    const int before = posts();
    click_bar(button);
    EXPECT_EQ(window_->state(), main_scanning) << button;
    EXPECT_EQ(window_->current_page(), window_->scan_page.handle()) << button;
    ASSERT_TRUE(wait_scan_end()) << button;
    EXPECT_EQ(window_->state(), main_results) << button;
    EXPECT_EQ(posts(), before + 1) << button;
    EXPECT_EQ(window_->current_page(), window_->page_window(page_of_button(button))) << button;
    EXPECT_EQ(window_->sidebar.selected, button) << button;
    window_.reset();
    gui::drop_quit_message();
  }

  HWND w = make();
  ASSERT_NE(w, nullptr);
  click_bar(3);
  ASSERT_TRUE(wait_scan_end());
  const int after_scan = posts();
  for (int button : {2, 5, 4, 3, 2}) {
    click_bar(button);
    EXPECT_EQ(window_->state(), main_results) << button;
    EXPECT_EQ(window_->current_page(), window_->page_window(page_of_button(button))) << button;
    EXPECT_EQ(window_->sidebar.selected, button) << button;
  }
  gui::pump_for(300);
  EXPECT_EQ(posts(), after_scan);

  click_bar(4);
  click_bar(1);
  EXPECT_EQ(window_->current_page(), window_->home_page.handle());
  SendMessageW(w, WM_APP_START_SCAN, 0, 0);  // the home page's start button
  ASSERT_TRUE(wait_scan_end());
  EXPECT_EQ(posts(), after_scan + 1);
  EXPECT_EQ(window_->current_page(), window_->page_window(main_page::download));
  EXPECT_EQ(window_->sidebar.selected, 2);
}

// A rescan whose device scan fails (its message cancelled) goes home with the home button
// marked, so that the button of the page it started from answers a click again.
TEST_F(AppWindowResults, AFailedRescanMarksTheHomeButton) {
  device_scan_ = device_scan_that_may_fail;
  fail_device_scan = false;
  HWND w = make();
  ASSERT_NE(w, nullptr);
  click_bar(2);
  ASSERT_TRUE(wait_scan_end());
  ASSERT_EQ(window_->sidebar.selected, 2);
  fail_device_scan = true;
  SendMessageW(w, WM_APP_START_SCAN, 0, 0);
  ASSERT_TRUE(gui::pump_until([&] { return window_->current_page() == window_->home_page.handle(); }, 10000));
  EXPECT_EQ(window_->sidebar.selected, 1);
  fail_device_scan = false;
  click_bar(2);
  EXPECT_EQ(window_->current_page(), window_->scan_page.handle());
  ASSERT_TRUE(wait_scan_end());
  EXPECT_EQ(window_->current_page(), window_->page_window(main_page::download));
  EXPECT_EQ(window_->sidebar.selected, 2);
}

// A scan that ends while the preferences dialog is open leaves the dialog its focus; the
// mode's page comes once the dialog has closed.
TEST_F(AppWindowResults, AScansEndUnderThePreferencesWaitsForThemToClose) {
  HWND w = make();
  ASSERT_NE(w, nullptr);
  SendMessageW(w, WM_APP_START_SCAN, 0, 0);
  ASSERT_EQ(window_->state(), main_scanning);
  struct {
    bool seen = false;
    int32_t state = -1;
    HWND page = nullptr;
    bool focus_in_main = true;
    bool workers_ended = false;
  } inside;
  dialog_watch watch(L"Options", [&](HWND d) {
    // The scan runs on and ends while the dialog is open.
    inside.workers_ended = gui::pump_until([&] { return !window_->scan_page.workers_running(); }, 30000);
    gui::pump_for(1000);  // the scan page's timer sees the end and reports it
    inside.seen = true;
    inside.state = window_->state();
    inside.page = window_->current_page();
    HWND focus = GetFocus();
    inside.focus_in_main = focus == w || IsChild(w, focus);
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    return true;
  });
  PostMessageW(w, WM_COMMAND, 40013, 0);
  ASSERT_TRUE(gui::pump_until([&] { return watch.done && IsWindowEnabled(w); }, 40000));
  ASSERT_TRUE(inside.seen);
  EXPECT_TRUE(inside.workers_ended);
  EXPECT_EQ(inside.state, main_scanning);
  EXPECT_EQ(inside.page, window_->scan_page.handle());
  EXPECT_FALSE(inside.focus_in_main);  // the disabled main window never takes it
  gui::pump_for(100);
  // Handled once the dialog is gone: the scan's end or, when it failed, the way home.
  EXPECT_NE(window_->state(), main_scanning);
  EXPECT_NE(window_->current_page(), window_->scan_page.handle());
  EXPECT_TRUE(IsWindowEnabled(window_->sidebar.handle()));
}

namespace {

const std::string md5_a = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
const std::string md5_b = "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb";

// The update page's rows: windows with a check box (1), an action button (2) and a menu
// button (3).
std::vector<HWND> update_rows(HWND rows_window) {
  std::vector<HWND> rows;
  for (HWND w = GetWindow(rows_window, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (IsWindowVisible(w) && GetDlgItem(w, 1) && GetDlgItem(w, 2) && GetDlgItem(w, 3)) rows.push_back(w);
  return rows;
}

std::string exclusion_file(const fs::path& path) { return fs::exists(path) ? read_file_bytes(path) : std::string(); }

}  // namespace

// An exclusion removed in the preferences brings its package back on the update page at once,
// and the page's next exclusion does not write the removed one back.
TEST_F(AppWindowResults, AnExclusionRemovedInThePreferencesIsBackOnTheUpdatePage) {
  const std::u16string usb_guid = u"{36FC9E60-C465-11CF-8056-444553540000}";
  device_fixture fx;
  fx.add_class(usb_guid, u"USB", u"Universal Serial Bus controllers");
  std::string drivers;
  const struct {
    const char16_t* hardid;
    const char* json_id;
    const std::string* md5;
  } offered[] = {{u"USB\\VID_7A1E&PID_0001", "USB\\\\VID_7A1E&PID_0001", &md5_a},
                 {u"USB\\VID_7A1F&PID_0002", "USB\\\\VID_7A1F&PID_0002", &md5_b}};
  int n = 0;
  for (const auto& o : offered) {
    fixture_device d;
    d.instance_id = std::u16string(o.hardid) + u"\\1";
    d.class_name = u"USB";
    d.class_guid = usb_guid;
    d.device_desc = n == 0 ? u"Excluded camera" : u"Excluded scanner";
    const std::u16string inf = n == 0 ? u"oem7a1e.inf" : u"oem7a1f.inf";
    d.hardware_ids = {o.hardid};
    d.driver_values = {{u"InfPath", inf}, {u"DriverVersion", u"1.0.0.0"},
                       {u"DriverDate", u"3-14-2019"}, {u"MatchingDeviceId", o.hardid}, {u"ProviderName", u"Acme"}};
    fx.add_device(d);
    ++n;
    drivers += std::string(n > 1 ? ", " : "") + "\"" + o.json_id + "\": [{\"hardid\": \"" + o.json_id +
               "\", \"id\": " + std::to_string(200 + n) +
               ", \"ver\": \"2.0.0.0\", \"size\": 5000, \"remote_url\": \"http://127.0.0.1:1/packages/p" +
               std::to_string(n) + ".zip\", \"infpath\": \"pkg\\\\p\\\\p.inf\", \"md5sum\": \"" + *o.md5 +
               "\", \"manu\": \"Acme\", \"date\": \"2024-02-02\", \"desc\": \"Acme\", \"sign\": 0, \"cp\": 1, "
               "\"targetos\": 61, \"class\": \"USB\"}]";
  }
  stand_in_service service({}, "{\"drivers\": {" + drivers + "}}");
  ASSERT_TRUE(service.running());
  service.use_for_endpoints();
  temp_folder temp;
  const fs::path exclusions = temp.path() / "Exclusion.dat";
  copy_cut(app_settings.exclusion_list_path, exclusions.u16string());
  copy_cut(app_settings.DownloadPath, temp.path().u16string());

  HWND w = make();
  ASSERT_NE(w, nullptr);
  SendMessageW(w, WM_APP_START_SCAN, 0, 0);
  ASSERT_TRUE(wait_scan_end());
  ASSERT_EQ(window_->current_page(), window_->download_page.handle());
  HWND rows = window_->download_page.rows_window();
  auto ours = [&] { return update_rows(rows).size(); };
  const size_t all = ours();
  ASSERT_GE(all, 2u);
  // Package A excluded from its row: hidden, in the file.
  std::vector<HWND> r = update_rows(rows);
  {
    gui::dialog_answerer yes(L"Vantoril", IDOK);
    PostMessageW(r[r.size() - 2], WM_COMMAND, 40032, 0);
    ASSERT_TRUE(gui::pump_until([&] { return ours() == all - 1; }, 5000));
  }
  ASSERT_NE(exclusion_file(exclusions).find(md5_a), std::string::npos);

  // Removed in the preferences (then Cancel: the removal stays).
  size_t listed = 0, left = 99;
  {
    gui::dialog_answerer yes(L"Vantoril", IDOK);
    dialog_watch watch(L"Options", [&](HWND d) {
      gui::click_at(d, 15 + 60, 43 + 43 * 3 + 14);
      gui::pump_for(50);
      HWND view = GetDlgItem(d, 1007);
      listed = size_t(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
      LVITEMW state = {};
      state.stateMask = LVIS_SELECTED;
      state.state = LVIS_SELECTED;
      SendMessageW(view, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
      gui::click_at(d, 483 + 48, 270 + 13);
      gui::pump_until([&] { return yes.answered() == 1; }, 3000);
      gui::pump_for(50);
      left = size_t(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
      PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
      return true;
    });
    PostMessageW(w, WM_COMMAND, 40013, 0);
    ASSERT_TRUE(gui::pump_until([&] { return watch.done && IsWindowEnabled(w); }, 8000));
  }
  EXPECT_EQ(listed, 1u);
  EXPECT_EQ(left, 0u);
  EXPECT_EQ(exclusion_file(exclusions).find(md5_a), std::string::npos);
  // Back on the page at once.
  EXPECT_TRUE(gui::pump_until([&] { return ours() == all; }, 3000));

  // Excluding package B now leaves A out of the file.
  r = update_rows(rows);
  {
    gui::dialog_answerer yes(L"Vantoril", IDOK);
    PostMessageW(r[r.size() - 1], WM_COMMAND, 40032, 0);
    ASSERT_TRUE(gui::pump_until([&] { return ours() == all - 1; }, 5000));
  }
  const std::string file = exclusion_file(exclusions);
  EXPECT_NE(file.find(md5_b), std::string::npos);
  EXPECT_EQ(file.find(md5_a), std::string::npos) << file;
}

namespace {

// What the install step and its job saw while a scan was asked for under its question.
struct reentry_record {
  HWND main = nullptr;
  main_window_c* window = nullptr;
  int32_t state_in_question = -1;
  int questions = 0;
  std::atomic<int> jobs{0};
  std::u16string package_path;
  std::vector<std::u16string> wanted_infs;
};
reentry_record* reentry = nullptr;

bool admin() { return true; }

// The question as a modal dialog acts on the main window, with a scan request posted while it
// is open (the scheduled scan, a second start with "--autoscan").
int question_with_scan_request(HWND, int, const char16_t*) {
  ++reentry->questions;
  EnableWindow(reentry->main, FALSE);
  PostMessageW(reentry->main, WM_APP_START_SCAN, 0, 0);
  gui::pump_for(200);
  EnableWindow(reentry->main, TRUE);
  reentry->state_in_question = reentry->window->state();
  return 2;  // no backup first
}

int32_t record_install_job(void* argument) {
  const auto* job = static_cast<const install_job*>(argument);
  reentry->package_path = job->package_path;
  reentry->wanted_infs.assign(job->wanted_infs.begin(), job->wanted_infs.end());
  ++reentry->jobs;
  return 0;
}

}  // namespace

// A scan asked for while the install's question is open starts only once the install step has
// returned to the message loop: the step reads its row's group and devices to the end.
TEST_F(AppWindowResults, AScanAskedForUnderAnInstallQuestionWaitsForTheInstallStep) {
  const std::u16string usb_guid = u"{36FC9E60-C465-11CF-8056-444553540000}";
  device_fixture fx;
  fx.add_class(usb_guid, u"USB", u"Universal Serial Bus controllers");
  fixture_device d;
  d.instance_id = u"USB\\VID_7A2E&PID_0001\\1";
  d.class_name = u"USB";
  d.class_guid = usb_guid;
  d.device_desc = u"Reentry camera";
  d.hardware_ids = {u"USB\\VID_7A2E&PID_0001"};
  d.driver_values = {{u"InfPath", u"oem7a2e.inf"}, {u"DriverVersion", u"1.0.0.0"}, {u"DriverDate", u"3-14-2019"},
                     {u"DriverDesc", u"Reentry camera driver"},
                     {u"MatchingDeviceId", u"USB\\VID_7A2E&PID_0001"}, {u"ProviderName", u"Acme"}};
  fx.add_device(d);
  const std::string address = "http://127.0.0.1:1/packages/reentry.zip";
  stand_in_service service(
      {}, "{\"drivers\": {\"USB\\\\VID_7A2E&PID_0001\": [{\"hardid\": \"USB\\\\VID_7A2E&PID_0001\", \"id\": 301, "
          "\"ver\": \"2.0.0.0\", \"size\": 5000, \"remote_url\": \"" +
              address +
              "\", \"infpath\": \"pkg\\\\p\\\\p.inf\", \"md5sum\": \"\", \"manu\": \"Acme\", \"date\": "
              "\"2024-02-02\", \"desc\": \"Acme\", \"sign\": 0, \"cp\": 1, \"targetos\": 61, \"class\": \"USB\"}]}}");
  ASSERT_TRUE(service.running());
  service.use_for_endpoints();
  temp_folder temp;
  copy_cut(app_settings.DownloadPath, temp.path().u16string());
  copy_cut(app_settings.exclusion_list_path, (temp.path() / "Exclusion.dat").u16string());
  download_row_seams rows_seams;
  rows_seams.is_administrator = admin;
  rows_seams.show_message = question_with_scan_request;
  rows_seams.install_entry = record_install_job;
  rows_seams.program_folder = temp.path().u16string();

  HWND w = make();
  ASSERT_NE(w, nullptr);
  reentry_record seen;
  seen.main = w;
  seen.window = window_.get();
  reentry = &seen;
  window_->download_page.seams().rows = &rows_seams;
  SendMessageW(w, WM_APP_START_SCAN, 0, 0);
  ASSERT_TRUE(wait_scan_end());
  ASSERT_EQ(window_->current_page(), window_->download_page.handle());
  download_session_c* session = find_download_session(address.c_str(), 5000);
  ASSERT_NE(session, nullptr);
  write_file_bytes(fs::path(session->final_path), std::string(5000, 'P'));
  session->resolve_download_files();
  ASSERT_EQ(session->status, download_done);
  std::vector<HWND> r = update_rows(window_->download_page.rows_window());
  ASSERT_EQ(r.size(), 1u);
  app_settings.AutoBackup = 2;  // asks whether to back up first
  auto exchanges = [&] {
    int n = 0;
    for (const auto& q : service.requests())
      if (q.text("method") == "POST" && q.text("path") == "/service/") ++n;
    return n;
  };
  const int before = exchanges();

  SendMessageW(r[0], WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);  // Install
  EXPECT_EQ(seen.questions, 1);
  EXPECT_EQ(seen.state_in_question, main_results);
  EXPECT_EQ(window_->state(), main_results);  // not even when the step has returned
  EXPECT_TRUE(gui::pump_until([&] { return seen.jobs == 1; }, 10000));
  EXPECT_EQ(seen.package_path, session->final_path);
  EXPECT_EQ(seen.wanted_infs, std::vector<std::u16string>{u"p\\p.inf"});  // the package root taken off
  // From the loop, the scan that was asked for.
  EXPECT_TRUE(gui::pump_until([&] { return exchanges() == before + 1; }, 10000));
  EXPECT_TRUE(wait_scan_end());
  gui::pump_until([] { return !any_package_install_running(); }, 10000);
  app_settings.AutoBackup = 0;
  reentry = nullptr;
  window_.reset();
  download_sessions.clear();
}
