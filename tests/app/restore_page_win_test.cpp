// The restore page under a stand-in main window: archives made by the engine's backup (the
// package zipped, the record added to Backup.dat), the stand-in extractor and installer beside
// the test program, their log read back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/restore_page_win.h"
#include "app/restore_panel_win.h"
#include "base/text.h"
#include "base/wide.h"
#include "engine/backup.h"
#include "engine/backup_catalog.h"
#include "engine/device_store.h"
#include "engine/driver_store.h"
#include "engine/install_jobs.h"
#include "engine/settings.h"
#include "tests/app/ui_setup.h"
#include "tests/engine/serial/standins.h"
#include "tests/engine/serial/zip_fixture.h"
#include "tests/support/gui_driver.h"
#include "tests/support/test_support.h"
#include "tests/support/windows_system.h"
#include "widgets/app_messages.h"
#include "widgets/panel_list.h"

namespace fs = std::filesystem;

namespace {

struct asked {
  int type;
  std::u16string text;
};
std::vector<asked> questions;
int answer = 2;
std::vector<std::u16string> explorer_parameters;

int scripted_message(HWND, int type, const char16_t* text) {
  questions.push_back({type, text});
  return answer;
}
void record_explorer(HWND, const char16_t* parameters) { explorer_parameters.push_back(parameters); }

// What a timer saw of the modal dialog while it was open (the modal loop runs our timers).
struct modal_watch {
  static modal_watch*& current() {
    static modal_watch* w = nullptr;
    return w;
  }
  const wchar_t* class_name;
  std::function<bool(HWND)> on_dialog;  // true when done with it
  bool seen = false, busy = false;
  UINT_PTR timer = 0;

  modal_watch(const wchar_t* dialog_class, std::function<bool(HWND)> f)
      : class_name(dialog_class), on_dialog(std::move(f)) {
    current() = this;
    timer = SetTimer(nullptr, 0, 30, tick);
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    modal_watch* w = current();
    if (!w || w->seen || w->busy) return;
    HWND d = gui::find_window(w->class_name);
    if (!d || !IsWindowVisible(d)) return;
    // The callback may pump messages: this tick must not run again inside it.
    w->busy = true;
    w->seen = w->on_dialog(d);
    w->busy = false;
  }
  ~modal_watch() {
    KillTimer(nullptr, timer);
    current() = nullptr;
  }
};

// A screenshot into VANTORIL_SCREENSHOT_DIR when that is set.
void shot(HWND window, const char* name) {
  wchar_t dir[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  gui::save_screen_bmp(window, (fs::path(dir) / (std::string(name) + ".bmp")).wstring());
}

// Counts the threads asked for and starts none.
int threads_asked = 0;
thread_handle no_thread(thread_routine, void*) {
  ++threads_asked;
  return nullptr;
}

class RestorePageWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    questions.clear();
    explorer_parameters.clear();
    answer = 2;
    create_device_store();
    the_device_store()->devices.reserve(8);  // the tests keep references to the devices
    backup_ = t_.path() / "Backup";
    fs::create_directories(backup_);
    copy_cut(app_settings.BackupPath, u16_of(backup_));
    copy_cut(app_settings.backup_catalog_path, u16_of(backup_ / "Backup.dat"));
    set_driver_store(u"", u16_of(t_.path() / "Store").c_str(), nullptr);
    saved_bindings_ = current_job_bindings();
    set_job_bindings(job_bindings{});
    seams_.show_message = scripted_message;
    seams_.open_explorer = record_explorer;
    page_ = std::make_unique<restore_window_c>(seams_);
    RECT r = {0, 0, 760, 560};
    ASSERT_NE(page_->create(host_.handle(), r), nullptr);
    EXPECT_FALSE(IsWindowVisible(page_->handle()));  // made hidden
  }
  void TearDown() override {
    page_.reset();
    backup_catalog.clear();
    set_job_bindings(saved_bindings_);
    app_settings.BackupPath[0] = 0;
    app_settings.backup_catalog_path[0] = 0;
    destroy_device_store();
    set_driver_store(u"", u"", nullptr);
    worker_task_c::thread_starter = start_thread;
  }

  // A device with driver values; in the store (found by the next catalog read) or not.
  device_info& device(const char16_t* id, const char16_t* desc, const char16_t* date, const char16_t* version,
                      bool in_store) {
    device_info d{};
    copy_cut(d.instance_id, id);
    copy_cut(d.DriverDesc, desc);
    copy_cut(d.DriverDate, date);
    copy_cut(d.DriverVersion, version);
    copy_cut(d.ProviderName, u"Maker");
    copy_cut(d.InfPath, u"oem9.inf");
    d.has_driver = 1;
    d.present = 1;
    if (in_store) {
      the_device_store()->devices.push_back(d);
      return the_device_store()->devices.back();
    }
    loose_.push_back(d);
    return loose_.back();
  }
  // The engine's backup of a package folder into <Backup>\<name>, recorded in the catalog.
  fs::path back_up(const std::string& name, std::vector<device_info*> devices) {
    fs::path package = t_.path() / "Store" / ("pkg-" + name);
    fs::create_directories(package / "sub");
    write_file_bytes(package / (name + ".inf"), "[Version]\r\n");
    write_file_bytes(package / "sub" / "driver.sys", std::string(5000, 'S'));
    fs::path archive = backup_ / (name + ".zip");
    backup_job job;
    EXPECT_EQ(zip_folder(u16_of(package).c_str(), u16_of(archive).c_str(), job), 0);
    backup_entry entry{};
    entry.devices = std::move(devices);
    EXPECT_EQ(add_backup_record(u16_of(archive).c_str(), entry), 0);
    return archive;
  }
  void show_page() {
    ShowWindow(page_->handle(), SW_HIDE);
    ShowWindow(page_->handle(), SW_SHOW);
    gui::pump_for(50);
  }
  const std::vector<panel_c*>& rows() { return page_->list().stack().rows; }
  restore_panel_c* row(size_t i) { return dynamic_cast<restore_panel_c*>(rows().at(i)); }
  bool restore_ended() { return !page_->restore_task.is_running() && !gui::find_window(L"#32770"); }
  // "Restore" on the first row, to the job's end: the error message it showed ("" when none).
  std::u16string restore_first_row() {
    questions.clear();
    modal_watch watch(L"#32770", [](HWND) { return true; });
    SendMessageW(row(1)->handle(), WM_COMMAND, MAKEWPARAM(restore_panel_c::action_id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(row(1)->action_button()));
    EXPECT_TRUE(restore_ended());
    EXPECT_LE(questions.size(), 1u);
    if (questions.empty()) return u"";
    EXPECT_EQ(questions[0].type, 2);
    return questions[0].text;
  }

  ui_setup ui_{test_language()};
  temp_folder t_;
  fs::path backup_;
  gui::recording_window host_{800, 600};
  restore_page_seams seams_;
  std::unique_ptr<restore_window_c> page_;
  std::deque<device_info> loose_;
  job_bindings saved_bindings_;
};

TEST_F(RestorePageWindow, ListsTheCatalogAgainOnEveryShow) {
  device_info& cam = device(u"USB\\CAM\\1", u"Fake Camera", u"2019-03-14", u"2.3.4.5", true);
  device_info& net = device(u"PCI\\NET\\7", u"Net Adapter", u"2018-01-01", u"1.0.0.1", false);
  fs::path first = back_up("Fake-Camera-2.3.4.5", {&cam});
  back_up("Net-Adapter-1.0.0.1", {&net});
  // The scanned camera now runs a newer driver than its backup.
  copy_cut(the_device_store()->devices.back().DriverDate, u"2021-05-05");
  copy_cut(the_device_store()->devices.back().DriverVersion, u"3.0.0.0");
  show_page();
  ASSERT_EQ(rows().size(), 3u);  // the header and two rows, in catalog order
  EXPECT_EQ(rows()[0]->group_id, 0);
  ASSERT_NE(row(1), nullptr);
  EXPECT_STREQ(row(1)->record()->file, "Fake-Camera-2.3.4.5.zip");
  EXPECT_STREQ(row(2)->record()->file, "Net-Adapter-1.0.0.1.zip");
  EXPECT_EQ(gui::window_text(row(1)->action_button()), L"Restore");
  RECT c = gui::client_rect(row(1)->handle());
  EXPECT_EQ(gui::rect_in_parent(row(1)->action_button()).left, c.right - 132);
  EXPECT_EQ(gui::rect_in_parent(row(1)->action_button()).top, c.bottom - 33);
  EXPECT_EQ(gui::rect_in_parent(row(1)->menu_button()).left, c.right - 23);
  {
    // The device of the last scan shows its driver; the absent one "None" in red.
    rendered present(row(1)->handle()), absent(row(2)->handle());
    EXPECT_FALSE(present.any(0, 0, present.width, present.height, 0xE92223));
    EXPECT_TRUE(absent.any(0, 0, absent.width, absent.height, 0xE92223));
  }
  shot(host_.handle(), ("restore-page" + std::string(shot_suffix().begin(), shot_suffix().end())).c_str());

  // Deleted from outside: one row at the next show.
  fs::remove(first);
  show_page();
  ASSERT_EQ(rows().size(), 2u);
  EXPECT_STREQ(row(1)->record()->file, "Net-Adapter-1.0.0.1.zip");
  // A backup made meanwhile is listed.
  back_up("Fake-Camera-2.3.4.5", {&cam});
  show_page();
  EXPECT_EQ(rows().size(), 3u);
  // An empty or missing catalog: no header, no rows.
  write_file_bytes(backup_ / "Backup.dat", "");
  show_page();
  EXPECT_EQ(rows().size(), 0u);
  EXPECT_EQ(page_->reload(), -1);
  fs::remove(backup_ / "Backup.dat");
  show_page();
  EXPECT_EQ(rows().size(), 0u);
}

TEST_F(RestorePageWindow, RestoreExtractsThenInstallsUnderTheWaitDialog) {
  device_info& cam = device(u"USB\\CAM\\1", u"Fake Camera", u"2019-03-14", u"2.3.4.5", true);
  back_up("Fake-Camera-2.3.4.5", {&cam});
  show_page();
  ASSERT_EQ(rows().size(), 2u);
  standin_log log(t_.path() / "standins.txt");
  SetEnvironmentVariableW(L"VANTORIL_EXTRACT_DELAY_MS", L"3000");
  RECT dialog_rect = {};
  std::wstring title;
  size_t starts_while_open = 99;
  modal_watch watch(L"#32770", [&](HWND d) {
    GetWindowRect(d, &dialog_rect);
    title = gui::window_text(d);
    gui::pump_until([&] { return !log.starts().empty(); }, 10000);  // the extractor waits
    shot(d, "restore-dialog");
    // A second restore while the first runs is ignored.
    PostMessageW(page_->handle(), WM_APP_RESTORE_BACKUP, reinterpret_cast<WPARAM>(&backup_catalog[0]), 0);
    gui::pump_for(100);
    starts_while_open = log.starts().size();
    return true;
  });
  SendMessageW(row(1)->handle(), WM_COMMAND, MAKEWPARAM(restore_panel_c::action_id, BN_CLICKED),
               reinterpret_cast<LPARAM>(row(1)->action_button()));
  SetEnvironmentVariableW(L"VANTORIL_EXTRACT_DELAY_MS", nullptr);
  EXPECT_TRUE(watch.seen);
  EXPECT_TRUE(restore_ended());
  EXPECT_EQ(title, L"Restore");
  EXPECT_EQ(dialog_rect.right - dialog_rect.left, 400);
  EXPECT_EQ(dialog_rect.bottom - dialog_rect.top, 200);
  EXPECT_EQ(starts_while_open, 1u);  // only the first restore's extractor

  const std::u16string backup = u16_of(backup_), folder = backup + u"\\Fake-Camera-2.3.4.5";
  auto starts = log.wait_for(2);
  gui::pump_for(300);
  starts = log.starts();
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0].command_line,
            u"extract.exe x \"" + backup + u"\\Fake-Camera-2.3.4.5.zip\" -aos -o\"" + folder + u"\" -r -y");
  const std::u16string installer = installer_for_this_windows();
  EXPECT_EQ(starts[1].program, installer);
  EXPECT_EQ(starts[1].command_line, u"\"" + installer + u"\" /F /PATH \"" + folder + u"\"");
  EXPECT_TRUE(fs::exists(backup_ / "Fake-Camera-2.3.4.5" / "Fake-Camera-2.3.4.5.inf"));
  EXPECT_TRUE(fs::exists(backup_ / "Fake-Camera-2.3.4.5" / "sub" / "driver.sys"));
  EXPECT_TRUE(questions.empty());  // no message about the outcome
  EXPECT_EQ(rows().size(), 2u);    // and no reload
}

TEST_F(RestorePageWindow, ARestoreWhoseJobFailsSaysSo) {
  device_info& cam = device(u"USB\\CAM\\1", u"Fake Camera", u"2019-03-14", u"2.3.4.5", true);
  back_up("Fake-Camera-2.3.4.5", {&cam});
  show_page();
  ASSERT_EQ(rows().size(), 2u);
  // A catalog whose archive name leaves the backup folder: the job refuses it.
  copy_cut(backup_catalog[0].devices[0].backup_file, u"..\\Fake-Camera-2.3.4.5.zip");
  EXPECT_EQ(restore_first_row(), u"The backup could not be restored.");
  // In Japanese too.
  modal_watch watch(L"#32770", [&](HWND) { return true; });
  load_language(u"ja");
  questions.clear();
  SendMessageW(row(1)->handle(), WM_COMMAND, restore_panel_c::cmd_restore, 0);
  EXPECT_TRUE(restore_ended());
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].text, u"バックアップを復元できませんでした。");
  load_language(u"en");
}

TEST_F(RestorePageWindow, ARestoreOfADamagedOrVanishedArchiveSaysSoAndInstallsNothing) {
  device_info& cam = device(u"USB\\CAM\\1", u"Fake Camera", u"2019-03-14", u"2.3.4.5", true);
  fs::path archive = back_up("Fake-Camera-2.3.4.5", {&cam});
  show_page();
  ASSERT_EQ(rows().size(), 2u);
  // The INF extracts, the driver file fails its check.
  write_file_bytes(archive, zip_with_damaged_last_entry({{"Fake-Camera-2.3.4.5.inf", "[Version]\r\n", true},
                                                         {"sub/driver.sys", std::string(5000, 'S'), false}}));
  standin_log log(t_.path() / "standins.txt");
  EXPECT_EQ(restore_first_row(), u"The backup could not be restored.");
  gui::pump_for(300);  // an installer is not waited for: time to log, had one started
  auto starts = log.starts();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].program, u"extract.exe");

  // Deleted from outside after the page listed it: in Japanese this time.
  fs::remove(archive);
  load_language(u"ja");
  EXPECT_EQ(restore_first_row(), u"バックアップを復元できませんでした。");
  load_language(u"en");
  gui::pump_for(300);
  starts = log.starts();
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[1].program, u"extract.exe");
}

TEST_F(RestorePageWindow, AThreadThatDoesNotStartOpensNoDialog) {
  device_info& cam = device(u"USB\\CAM\\1", u"Fake Camera", u"2019-03-14", u"2.3.4.5", true);
  back_up("Fake-Camera-2.3.4.5", {&cam});
  show_page();
  ASSERT_EQ(rows().size(), 2u);
  worker_task_c::thread_starter = no_thread;
  threads_asked = 0;
  bool dialog_seen = false;
  modal_watch watch(L"#32770", [&](HWND d) {
    dialog_seen = true;
    PostMessageW(d, WM_CLOSE, 0, 0);
    return true;
  });
  SendMessageW(page_->handle(), WM_APP_RESTORE_BACKUP, reinterpret_cast<WPARAM>(&backup_catalog[0]), 0);
  gui::pump_for(150);
  EXPECT_EQ(threads_asked, 1);
  EXPECT_FALSE(dialog_seen);
  EXPECT_FALSE(page_->restore_task.is_running());
  ASSERT_EQ(questions.size(), 1u);  // the user is told
  EXPECT_EQ(questions[0].type, 2);
  EXPECT_EQ(questions[0].text, u"The backup could not be restored.");
  EXPECT_TRUE(IsWindowEnabled(host_.handle()));
  // The page still answers. A record that is not the catalog's is refused, even one equal to
  // a record of the catalog in every field: no restore is asked for.
  backup_record stranger = backup_catalog[0];
  ASSERT_FALSE(stranger.devices.empty());
  SendMessageW(page_->handle(), WM_APP_RESTORE_BACKUP, reinterpret_cast<WPARAM>(&stranger), 0);
  gui::pump_for(50);
  EXPECT_EQ(threads_asked, 1);
  EXPECT_FALSE(dialog_seen);
  // A show reloads.
  show_page();
  EXPECT_EQ(rows().size(), 2u);
}

TEST_F(RestorePageWindow, DeleteAsksAndTakesTheRowOnlyWhenTheArchiveIsGone) {
  device_info& cam = device(u"USB\\CAM\\1", u"Fake Camera", u"2019-03-14", u"2.3.4.5", true);
  device_info& net = device(u"PCI\\NET\\7", u"Net Adapter", u"2018-01-01", u"1.0.0.1", true);
  fs::path cam_zip = back_up("Fake-Camera-2.3.4.5", {&cam});
  fs::path net_zip = back_up("Net-Adapter-1.0.0.1", {&net});
  show_page();
  ASSERT_EQ(rows().size(), 3u);
  auto delete_row = [&](size_t i) {
    SendMessageW(row(i)->handle(), WM_COMMAND, restore_panel_c::cmd_delete_file, 0);
    gui::pump_for(50);
  };
  // No: file and row stay.
  answer = 2;
  delete_row(1);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].type, 3);
  EXPECT_EQ(questions[0].text, u"Are you sure you want to delete this backup file?");
  EXPECT_TRUE(fs::exists(cam_zip));
  EXPECT_EQ(rows().size(), 3u);
  // Yes on a read-only archive: the delete fails, file and row stay.
  answer = 1;
  SetFileAttributesW(net_zip.c_str(), FILE_ATTRIBUTE_READONLY);
  delete_row(2);
  EXPECT_TRUE(fs::exists(net_zip));
  EXPECT_EQ(rows().size(), 3u);
  ASSERT_EQ(questions.size(), 3u);  // the question, then why nothing happened
  EXPECT_EQ(questions[2].type, 2);
  EXPECT_EQ(questions[2].text, u"The backup file could not be deleted. It may be read-only or in use.");
  SetFileAttributesW(net_zip.c_str(), FILE_ATTRIBUTE_NORMAL);
  // Yes: the archive and its row go; the header keeps its count.
  delete_row(1);
  EXPECT_FALSE(fs::exists(cam_zip));
  ASSERT_EQ(rows().size(), 2u);
  EXPECT_EQ(rows()[0]->group_id, 0);
  EXPECT_STREQ(row(1)->record()->file, "Net-Adapter-1.0.0.1.zip");
  // A removal still queued when a reload deletes the rows acts on nothing.
  post_row_removed(page_->handle(), rows()[1]);
  page_->reload();
  gui::pump_for(50);
  EXPECT_EQ(rows().size(), 2u);
  // Already gone from outside: the row goes too.
  fs::remove(net_zip);
  delete_row(1);
  EXPECT_EQ(rows().size(), 1u);
}

TEST_F(RestorePageWindow, OpenLocationAndDetails) {
  device_info& cam = device(u"USB\\CAM\\1", u"Fake Camera", u"2019-03-14", u"2.3.4.5", true);
  device_info& cam2 = device(u"USB\\CAM\\2", u"Fake Camera Two", u"2019-03-14", u"2.3.4.5", true);
  fs::path zip = back_up("Fake-Camera-2.3.4.5", {&cam, &cam2});
  show_page();
  ASSERT_EQ(rows().size(), 2u);
  SendMessageW(row(1)->handle(), WM_COMMAND, restore_panel_c::cmd_open_location, 0);
  ASSERT_EQ(explorer_parameters.size(), 1u);
  EXPECT_EQ(explorer_parameters[0], u"/select,\"" + u16_of(zip) + u"\"");

  struct seen_details {
    int columns_0 = 0, columns_1 = 0, rows = 0, devices = 0;
    std::wstring device_0, date, file, title;
  } s;
  auto cell = [](HWND list, int item, int sub) {
    wchar_t text[300] = L"";
    ListView_GetItemText(list, item, sub, text, 300);
    return std::wstring(text);
  };
  modal_watch watch(L"#32770", [&](HWND d) {
    HWND devices = GetDlgItem(d, 102), properties = GetDlgItem(d, 101);
    s.title = gui::window_text(d);
    s.devices = ListView_GetItemCount(devices);
    s.device_0 = cell(devices, 0, 0);
    s.columns_0 = ListView_GetColumnWidth(properties, 0);
    s.columns_1 = ListView_GetColumnWidth(properties, 1);
    s.rows = ListView_GetItemCount(properties);
    s.date = cell(properties, 6, 1);
    s.file = cell(properties, 7, 1);
    shot(d, "restore-details");
    PostMessageW(d, WM_COMMAND, IDOK, 0);
    return true;
  });
  SendMessageW(row(1)->handle(), WM_COMMAND, restore_panel_c::cmd_view_details, 0);
  EXPECT_TRUE(watch.seen);
  EXPECT_EQ(s.title, L"Show Details");
  EXPECT_EQ(s.devices, 2);
  EXPECT_EQ(s.device_0, L"Fake Camera");
  EXPECT_EQ(s.columns_0, 130);
  EXPECT_EQ(s.columns_1, 462);
  EXPECT_EQ(s.rows, 8);
  EXPECT_EQ(s.date, as_wide(ansi_to_u16(backup_catalog[0].date).c_str()));
  EXPECT_EQ(s.file, L"Fake-Camera-2.3.4.5.zip");
}

}  // namespace
