// The backup page over a driver store of the test's own (a store lookup that answers from a
// table, Windows 6.1): its groups and checks, the links, Back Up All behind the progress
// dialog, cancel, the install's queued backup and a thread that does not start.
#include "app/backup_page_win.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/backup_page.h"
#include "app/backup_progress_window_win.h"
#include "base/wide.h"
#include "engine/backup.h"
#include "engine/backup_catalog.h"
#include "engine/worker_task.h"
#include "tests/app/ui_setup.h"
#include "tests/engine/backup_fixture.h"
#include "tests/support/gui_driver.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/panel_list.h"

namespace fs = std::filesystem;

namespace {

struct shown_message {
  int type;
  std::u16string text;
};
std::vector<shown_message>& messages() {
  static std::vector<shown_message> m;
  return m;
}
int record_message(void*, int type, const char16_t* text) {
  messages().push_back({type, text ? text : u""});
  return 1;
}

backup_page_seams recording_seams() {
  backup_page_seams s;
  s.show_message = record_message;
  return s;
}

// Runs `on_dialog` from a thread timer while the modal progress dialog is open (a modal loop
// runs this thread's timers too); it returns true when done with the dialog.
struct modal_watch {
  static modal_watch*& current() {
    static modal_watch* w = nullptr;
    return w;
  }
  std::function<bool(HWND)> on_dialog;
  bool seen = false;
  bool done = false;
  UINT_PTR timer = 0;

  explicit modal_watch(std::function<bool(HWND)> f) : on_dialog(std::move(f)) {
    current() = this;
    timer = SetTimer(nullptr, 0, 20, tick);
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    modal_watch* w = current();
    if (!w || w->done) return;
    HWND d = gui::find_window(L"#32770");
    if (!d || !IsWindowVisible(d)) return;
    w->seen = true;
    if (w->on_dialog(d)) w->done = true;
  }
  ~modal_watch() {
    KillTimer(nullptr, timer);
    current() = nullptr;
  }
};

std::wstring shot_path(const char* name) {
  wchar_t dir[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return (fs::path(dir) / (std::string(name) + "-" + test_language() + ".bmp")).wstring();
}

// The files of a folder, by name.
std::set<std::string> names_in(const std::u16string& folder) {
  std::set<std::string> out;
  for (const auto& e : fs::directory_iterator(fs::path(folder))) out.insert(e.path().filename().string());
  return out;
}

// A page under a stand-in main window, over three packages: two from outside Windows (the
// first with two devices) and one that comes with Windows.
class BackupPageWin : public ::testing::Test {
 protected:
  void SetUp() override {
    messages().clear();
    imaging.image_index = 0;
    copy_cut(imaging.description, u"Imaging devices");
    copy_cut(imaging.class_name, u"Image");
    fs::path cam = fs::path(store.package(u"fakecam.inf_amd64_1a2b"));
    write_file_bytes(cam / "fakecam.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
    write_file_bytes(cam / "fakecam.sys", std::string(20000, 'c'));
    fs::path mic = fs::path(store.package(u"fakemic.inf_amd64_3c4d"));
    write_file_bytes(mic / "fakemic.inf", "[Version]\r\n");
    fs::path usb = fs::path(store.package(u"usbvideo.inf_amd64_5e6f"));
    write_file_bytes(usb / "usbvideo.inf", "[Version]\r\n");
    add(u"USB\\VID_1&PID_1\\1", u"oem7.inf", u"fakecam.inf_amd64_1a2b", u"Fake Camera Driver", u"2.1.0.5",
        u"Fake Camera");
    add(u"USB\\VID_1&PID_2\\1", u"oem7.inf", u"fakecam.inf_amd64_1a2b", u"Fake Camera Driver", u"2.1.0.5",
        u"Fake Camera (second port)");
    add(u"USB\\VID_2&PID_1\\1", u"oem9.inf", u"fakemic.inf_amd64_3c4d", u"Fake Microphone", u"1.0",
        u"Fake Microphone");
    add(u"USB\\VID_3&PID_1\\1", u"usbvideo.inf", u"usbvideo.inf_amd64_5e6f", u"USB Video Device", u"6.1.7600",
        u"USB Video Device");
    ASSERT_TRUE(host.handle());
    RECT r = {0, 0, 700, 500};
    ASSERT_TRUE(page.create_page(host.handle(), r));
    EXPECT_FALSE(IsWindowVisible(page.handle()));  // created hidden, as the main window makes it
    ShowWindow(page.handle(), SW_SHOW);
    page.reload();
    gui::pump_for(50);
  }
  void TearDown() override { gui::drop_quit_message(); }

  device_info& add(const char16_t* id, const char16_t* inf, const char16_t* package, const char16_t* desc,
                   const char16_t* version, const char16_t* name) {
    device_info& d = store.device(id, inf, package, desc, version);
    copy_cut(d.name, name);
    d.device_class = &imaging;
    return d;
  }

  static backup_panel_c* row_of_entry(backup_window_c& p, size_t index) {
    for (backup_panel_c* r : p.rows())
      if (r->entry() == &backup_list[index]) return r;
    return nullptr;
  }
  void click_link(int x) {
    RECT c = gui::client_rect(page.handle());
    gui::click_at(page.handle(), x + 3, c.bottom - 14);
    gui::pump_for(30);
  }
  void click_backup_all() {
    PostMessageW(page.handle(), WM_COMMAND, MAKEWPARAM(backup_window_c::backup_all_id, BN_CLICKED),
                 LPARAM(page.backup_all_button()));
  }
  std::vector<bool> checks() {
    std::vector<bool> out;
    for (backup_panel_c* r : page.rows()) out.push_back(r->checked());
    return out;
  }

  ui_setup ui{test_language()};
  backup_test::files store;
  device_class_info imaging{};
  gui::recording_window host{800, 600};
  backup_window_c page{recording_seams()};
};

TEST_F(BackupPageWin, GroupsChecksRowPlacesAndLinks) {
  ASSERT_EQ(backup_list.size(), 3u);
  EXPECT_EQ(page.installed_count(), 2);
  EXPECT_EQ(page.inbox_count(), 1);
  // Header 0, its two checked rows, header 1, the unchecked inbox row.
  const auto& rows = page.list().stack().rows;
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_NE(dynamic_cast<header_panel_c*>(rows[0]), nullptr);
  EXPECT_NE(dynamic_cast<header_panel_c*>(rows[3]), nullptr);
  EXPECT_EQ(rows[1]->group_id, 3);
  EXPECT_EQ(rows[2]->group_id, 3);
  EXPECT_EQ(rows[4]->group_id, 4);
  EXPECT_EQ(checks(), (std::vector<bool>{true, true, false}));
  EXPECT_EQ(page.selection().size(), 2u);

  // The two-device row: n x (line + 8) + 2 x title + 24, buttons at their places.
  backup_panel_c* cam = row_of_entry(page, 0);
  ASSERT_NE(cam, nullptr);
  RECT rr = gui::client_rect(cam->handle());
  HDC screen = GetDC(nullptr);
  SIZE title = {0, 0}, line = {0, 0};
  SelectObject(screen, font_normal_9);
  GetTextExtentPoint32W(screen, L"ABCDEFG", 7, &title);
  SelectObject(screen, font_normal_10);
  GetTextExtentPoint32W(screen, L"ABCDEFG", 7, &line);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(rr.bottom, backup_row_height(2, line.cy, title.cy));
  RECT action = gui::rect_in_parent(cam->action_button());
  RECT menu = gui::rect_in_parent(cam->menu_button());
  RECT check = gui::rect_in_parent(cam->check_box());
  EXPECT_EQ(action.left, rr.right - 132);
  EXPECT_EQ(action.top, rr.bottom - 31);
  EXPECT_EQ(menu.left, rr.right - 23);
  EXPECT_EQ(menu.top, 8);
  EXPECT_EQ(check.left, 6);
  EXPECT_EQ(check.top, title.cy + 14);
  if (!shot_path("backup_page").empty()) gui::save_screen_bmp(host.handle(), shot_path("backup_page"));

  // A check box click takes the entry out of the selection and puts it back.
  PostMessageW(cam->handle(), WM_COMMAND, MAKEWPARAM(backup_panel_c::check_id, BN_CLICKED), LPARAM(cam->check_box()));
  gui::pump_for(30);
  EXPECT_EQ(page.selection().count(&backup_list[0]), 0u);
  PostMessageW(cam->handle(), WM_COMMAND, MAKEWPARAM(backup_panel_c::check_id, BN_CLICKED), LPARAM(cam->check_box()));
  gui::pump_for(30);
  EXPECT_EQ(page.selection().count(&backup_list[0]), 1u);

  // "Select None": nothing to back up.
  click_link(286);
  EXPECT_EQ(checks(), (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(page.selection().empty());
  click_backup_all();
  gui::pump_for(100);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].type, 1);
  EXPECT_EQ(messages()[0].text, get_text("backup_no_driver"));
  EXPECT_TRUE(names_in(store.backups).empty());

  // "Select All" checks the inbox row too; "Recommended" then unchecks exactly it.
  click_link(167);
  EXPECT_EQ(checks(), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(page.selection().size(), 3u);
  click_link(25);
  EXPECT_EQ(checks(), (std::vector<bool>{true, true, false}));
  EXPECT_EQ(page.selection(), (std::set<const backup_entry*>{&backup_list[0], &backup_list[1]}));
}

TEST_F(BackupPageWin, CollapsingTheFirstGroupHidesItsRowsAndLiftsTheInboxRows) {
  const auto& rows = page.list().stack().rows;
  ASSERT_EQ(rows.size(), 5u);
  const int inbox_header_y = rows[3]->y;
  auto* header = dynamic_cast<header_panel_c*>(rows[0]);
  ASSERT_NE(header, nullptr);
  header->toggle();
  gui::pump_for(30);
  EXPECT_FALSE(IsWindowVisible(rows[1]->get_hwnd()));
  EXPECT_FALSE(IsWindowVisible(rows[2]->get_hwnd()));
  EXPECT_TRUE(IsWindowVisible(rows[4]->get_hwnd()));
  EXPECT_EQ(rows[3]->y, rows[0]->height);
  EXPECT_LT(rows[3]->y, inbox_header_y);
  EXPECT_EQ(rows[4]->y, rows[3]->y + rows[3]->height);
  header->toggle();
  gui::pump_for(30);
  EXPECT_TRUE(IsWindowVisible(rows[1]->get_hwnd()));
  EXPECT_EQ(rows[3]->y, inbox_header_y);
}

TEST_F(BackupPageWin, BackUpAllShowsTheDialogThenSuccessAndKeepsArchivesOnTheSecondRun) {
  click_link(167);  // every package, the inbox one too
  RECT dialog_rect = {0, 0, 0, 0};
  std::wstring title;
  {
    modal_watch watch([&](HWND d) {
      GetWindowRect(d, &dialog_rect);
      title = gui::window_text(d);
      return true;
    });
    click_backup_all();
    ASSERT_TRUE(gui::pump_until([&] { return !messages().empty(); }, 20000));
    EXPECT_TRUE(watch.seen);
  }
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].type, 0);
  EXPECT_EQ(messages()[0].text, get_text("backup_success"));
  EXPECT_EQ(dialog_rect.right - dialog_rect.left, 400);
  EXPECT_EQ(dialog_rect.bottom - dialog_rect.top, 200);
  EXPECT_EQ(title, as_wide(get_text("btn_panel_backup")));
  RECT h;
  GetWindowRect(host.handle(), &h);
  EXPECT_NEAR((dialog_rect.left + dialog_rect.right) / 2, (h.left + h.right) / 2, 1);
  EXPECT_NEAR((dialog_rect.top + dialog_rect.bottom) / 2, (h.top + h.bottom) / 2, 1);

  const std::set<std::string> archives = {"Fake-Camera-Driver-2.1.0.5.zip", "Fake-Microphone-1.0.zip",
                                          "USB-Video-Device-6.1.7600.zip"};
  EXPECT_EQ(names_in(store.backups), archives);
  backup_catalog.clear();
  ASSERT_EQ(load_backup_catalog(), 0);
  std::set<std::string> recorded;
  for (const backup_record& r : backup_catalog) recorded.insert(r.file);
  EXPECT_EQ(recorded, archives);
  EXPECT_EQ(page.task().thread(), nullptr);
  EXPECT_EQ(page.task().ref_count(), 1);

  // Again: nothing is zipped anew.
  std::vector<fs::file_time_type> times;
  for (const std::string& a : archives) times.push_back(fs::last_write_time(fs::path(store.backups) / a));
  messages().clear();
  click_backup_all();
  ASSERT_TRUE(gui::pump_until([&] { return !messages().empty(); }, 20000));
  EXPECT_EQ(messages()[0].text, get_text("backup_success"));
  size_t i = 0;
  for (const std::string& a : archives) EXPECT_EQ(fs::last_write_time(fs::path(store.backups) / a), times[i++]) << a;
}

TEST_F(BackupPageWin, CancelWaitsForTheWorkerAndLeavesNothingWhileOtherRequestsAreRefused) {
  fs::path cam = fs::path(store.root) / "fakecam.inf_amd64_1a2b";
  for (int i = 0; i < 2500; ++i) write_file_bytes(cam / ("f" + std::to_string(i) + ".bin"), std::string(600, char('a' + i % 26)));
  backup_panel_c* row = row_of_entry(page, 0);
  ASSERT_NE(row, nullptr);
  bool refused_queue = false, refused_queued = false, cancelled = false;
  size_t devices_before = 0;
  {
    modal_watch watch([&](HWND d) {
      if (page.job().progress.load() < 5) return false;
      if (!shot_path("backup_dialog").empty()) {
        gui::save_screen_bmp(d, shot_path("backup_dialog"));
        gui::save_screen_bmp(host.handle(), shot_path("backup_page_dialog"));
      }
      devices_before = page.job().devices.size();
      // A run is on: the install's queue, its run and a second row backup are refused.
      SendMessageW(page.handle(), WM_APP_QUEUE_BACKUP, WPARAM(backup_list[1].devices[0]), 0);
      refused_queue = page.job().devices.size() == devices_before && page.job().devices[0] == backup_list[0].devices[0];
      refused_queued = SendMessageW(page.handle(), WM_APP_BACKUP_QUEUED, 0, 0) == -1;
      SendMessageW(page.handle(), WM_APP_BACKUP_DRIVER, WPARAM(&backup_list[1]), 0);
      gui::click_at(d, 152 + 10, 155 + 8);
      cancelled = true;
      return true;
    });
    PostMessageW(row->handle(), WM_COMMAND, MAKEWPARAM(backup_panel_c::action_id, BN_CLICKED),
                 LPARAM(row->action_button()));
    ASSERT_TRUE(gui::pump_until([&] { return cancelled && !gui::find_window(L"#32770"); }, 60000));
  }
  gui::pump_for(100);
  EXPECT_TRUE(refused_queue);
  EXPECT_TRUE(refused_queued);
  EXPECT_EQ(devices_before, 1u);
  EXPECT_TRUE(messages().empty());  // a cancel shows nothing
  EXPECT_EQ(page.task().thread(), nullptr);
  EXPECT_EQ(page.task().ref_count(), 1);  // the worker has ended
  EXPECT_TRUE(names_in(store.backups).empty()) << "no archive, no .tmp";
  EXPECT_FALSE(fs::exists(fs::path(store.catalog_path())));
}

TEST_F(BackupPageWin, QueuedBackupSkipsADeviceWithoutPackageAndShowsNothing) {
  device_info& loose = add(u"USB\\VID_9&PID_9\\1", u"oem44.inf", u"", u"Loose Driver", u"1.0", u"Loose");
  // The group's first device has no package; the camera's two devices count once.
  SendMessageW(page.handle(), WM_APP_QUEUE_BACKUP, WPARAM(&loose), 0);
  SendMessageW(page.handle(), WM_APP_QUEUE_BACKUP, WPARAM(backup_list[0].devices[1]), 1);
  SendMessageW(page.handle(), WM_APP_QUEUE_BACKUP, WPARAM(backup_list[0].devices[0]), 2);
  modal_watch watch([&](HWND) { return false; });
  EXPECT_EQ(SendMessageW(page.handle(), WM_APP_BACKUP_QUEUED, 0, 0), 0);
  EXPECT_TRUE(watch.seen);
  EXPECT_EQ(page.job().devices, (std::vector<device_info*>{backup_list[0].devices[1]}));
  EXPECT_EQ(page.job().progress.load(), 100);  // the bar reached its end
  EXPECT_EQ(names_in(store.backups), std::set<std::string>{"Fake-Camera-Driver-2.1.0.5.zip"});
  EXPECT_TRUE(messages().empty());

  // Nothing queued has a package: nothing runs.
  SendMessageW(page.handle(), WM_APP_QUEUE_BACKUP, WPARAM(&loose), 0);
  EXPECT_EQ(SendMessageW(page.handle(), WM_APP_BACKUP_QUEUED, 0, 0), -1);
  EXPECT_TRUE(messages().empty());
}

TEST_F(BackupPageWin, AThreadThatDoesNotStartOpensNoDialogAndFails) {
  auto saved = worker_task_c::thread_starter;
  worker_task_c::thread_starter = [](thread_routine, void*) -> thread_handle { return nullptr; };
  modal_watch watch([&](HWND) { return true; });
  click_backup_all();
  bool got = gui::pump_until([&] { return !messages().empty(); }, 5000);
  worker_task_c::thread_starter = saved;
  ASSERT_TRUE(got);
  EXPECT_FALSE(watch.seen);
  EXPECT_EQ(messages()[0].type, 2);
  EXPECT_EQ(messages()[0].text, get_text("backup_failed"));
  EXPECT_EQ(page.task().ref_count(), 1);
  EXPECT_FALSE(page.busy());
}

// The dialog alone: a task that never ran ends it as failed at the first tick, not never.
TEST(BackupProgressWindow, ATaskWithoutThreadEndsTheDialogAsFailed) {
  ui_setup ui{"en"};
  backup_job job;
  worker_task_c task = worker_task_c::init_backup(&job);
  backup_progress_window_c dialog(&task, &job, u"Back Up");
  DWORD start = GetTickCount();
  EXPECT_EQ(dialog.DoModal(nullptr), 1);
  EXPECT_LT(GetTickCount() - start, 5000u);
}

}  // namespace
