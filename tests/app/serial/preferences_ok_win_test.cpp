// OK and Cancel of the preferences dialog against this prefix's registry, its task scheduler
// folder and Exclusion.dat.
#include <windows.h>
#include <commctrl.h>
#include <mstask.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/wide.h"
#include "engine/download_sessions.h"
#include "engine/exclusion_list.h"
#include "engine/system_facts.h"
#include "tests/app/settings_fixture.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"
#include "widgets/message_window.h"

namespace {

namespace fs = std::filesystem;
using c = pref_control;

const wchar_t settings_key[] = L"Software\\Vantoril";

DWORD reg_number(const wchar_t* name) {
  DWORD value = 0xFFFFFFFF, size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, settings_key, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

std::wstring reg_text(const wchar_t* name) {
  wchar_t value[1100] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, settings_key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return L"<none>";
  return value;
}

fs::path job_file() {
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  return fs::path(windows) / L"Tasks" / L"Vantoril.job";
}

struct work_item {
  bool found = false;
  std::wstring parameters;
  TASK_TRIGGER trigger = {};
};

work_item read_work_item() {
  work_item w;
  ITaskScheduler* scheduler = nullptr;
  if (FAILED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                              reinterpret_cast<void**>(&scheduler))))
    return w;
  IUnknown* unknown = nullptr;
  if (SUCCEEDED(scheduler->Activate(L"Vantoril", IID_ITask, &unknown))) {
    ITask* task = nullptr;
    unknown->QueryInterface(IID_ITask, reinterpret_cast<void**>(&task));
    unknown->Release();
    if (task) {
      w.found = true;
      LPWSTR text = nullptr;
      if (SUCCEEDED(task->GetParameters(&text))) {
        w.parameters = text;
        CoTaskMemFree(text);
      }
      ITaskTrigger* trigger = nullptr;
      w.trigger.cbTriggerSize = sizeof w.trigger;
      if (SUCCEEDED(task->GetTrigger(0, &trigger))) {
        trigger->GetTrigger(&w.trigger);
        trigger->Release();
      }
      task->Release();
    }
  }
  scheduler->Release();
  return w;
}

void delete_work_item() {
  ITaskScheduler* scheduler = nullptr;
  if (FAILED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                              reinterpret_cast<void**>(&scheduler))))
    return;
  scheduler->Delete(L"Vantoril");
  scheduler->Release();
}

struct PreferencesOk : ::testing::Test {
  temp_folder temp;
  char16_t saved_exe[260] = {};

  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    delete_work_item();
    std::error_code ec;
    fs::remove_all(job_file(), ec);
    SHDeleteKeyW(HKEY_CURRENT_USER, settings_key);
    copy_cut(saved_exe, exe_path);
    copy_cut(exe_path, u"C:\\Program Files\\Vantoril\\Vantoril.exe");
    ASSERT_TRUE(load_settings());
    fs::create_directories(temp / "downloads");
    fs::create_directories(temp / "backup");
    copy_cut(app_settings.DownloadPath, (temp / "downloads").u16string());
    copy_cut(app_settings.BackupPath, (temp / "backup").u16string());
    copy_cut(app_settings.exclusion_list_path, (temp / "Exclusion.dat").u16string());
    app_settings.ProxyType = 0;
    app_settings.EnableScheduler = 0;
    save_settings();
  }
  void TearDown() override {
    close_settings_key();
    SHDeleteKeyW(HKEY_CURRENT_USER, settings_key);
    delete_work_item();
    copy_cut(exe_path, saved_exe);
    load_language(u"en");
    CoUninitialize();
  }
  static void set_text(settings_dialog_fixture& f, int id, const std::wstring& text) {
    SetWindowTextW(f.control(id), text.c_str());
  }
};

TEST_F(PreferencesOk, EveryPageIsSaved) {
  settings_dialog_fixture f;
  f.open();
  settings_window_c& d = *f.dialog;
  d.box(c::box1)->set_checked(0);
  d.box(c::box2)->set_checked(0);
  d.box(c::box3)->set_checked(0);
  d.box(c::box4)->set_checked(1);
  d.box(c::box5)->set_checked(0);
  d.box(c::match1)->set_checked(1);
  fs::path made = temp / "new" / "nested";
  set_text(f, 1001, made.wstring());
  set_text(f, 1002, (temp / "backup2").wstring());
  d.box(c::proxy2)->set_checked(1);
  set_text(f, 1003, L"proxy.local");
  set_text(f, 1004, L"3128");
  set_text(f, 1005, L"user");
  set_text(f, 1006, L"pass");
  d.box(c::enable)->set_checked(1);
  d.list(c::period)->select_index(1);
  d.list(c::weekday)->select_index(3);
  d.list(c::hour)->select_index(14);
  d.list(c::language)->select_index(1);
  f.screenshot(L"prefs_before_ok");

  ASSERT_TRUE(d.on_ok());
  gui::pump_for(30);
  EXPECT_EQ(reg_number(L"Autorun"), 0u);
  EXPECT_EQ(reg_number(L"CloseToTray"), 0u);
  EXPECT_EQ(reg_number(L"CheckVersion"), 0u);
  EXPECT_EQ(reg_number(L"ScanNonPresent"), 1u);
  EXPECT_EQ(reg_number(L"AutoBackup"), 0u);
  EXPECT_EQ(reg_number(L"MatchEngine"), 1u);
  EXPECT_EQ(reg_text(L"Language"), L"ja");
  EXPECT_EQ(reg_text(L"DownloadPath"), made.wstring());
  EXPECT_TRUE(fs::is_directory(made));
  EXPECT_EQ(reg_text(L"BackupPath"), (temp / "backup2").wstring());
  EXPECT_TRUE(fs::is_directory(temp / "backup2"));
  EXPECT_EQ(reg_number(L"ProxyType"), 2u);
  EXPECT_EQ(reg_text(L"ProxyHost"), L"proxy.local");
  EXPECT_EQ(reg_number(L"ProxyPort"), 3128u);
  EXPECT_EQ(reg_text(L"ProxyUser"), L"user");
  EXPECT_EQ(reg_text(L"ProxyPass"), L"pass");
  EXPECT_EQ(reg_number(L"EnableScheduler"), 1u);
  EXPECT_EQ(reg_number(L"SchedulePeriod"), 1u);
  EXPECT_EQ(reg_number(L"ScheduleWhen"), 3u);
  EXPECT_EQ(reg_number(L"ScheduleStart"), 14u);
  work_item w = read_work_item();
  ASSERT_TRUE(w.found);
  EXPECT_TRUE(fs::exists(job_file()));
  EXPECT_EQ(w.parameters, L"--autoscan");
  EXPECT_EQ(w.trigger.TriggerType, TASK_TIME_TRIGGER_WEEKLY);
  EXPECT_EQ(w.trigger.Type.Weekly.rgfDaysOfTheWeek, TASK_WEDNESDAY);
  EXPECT_EQ(w.trigger.wStartHour, 14);
  // The texts are Japanese now; the main window was told to redraw and to re-resolve.
  EXPECT_EQ(std::u16string(get_text("btn_cancel")), u"\u30ad\u30e3\u30f3\u30bb\u30eb");
  EXPECT_EQ(f.main.redraws, 1);
  EXPECT_EQ(f.main.folder_changes, 1);
  EXPECT_TRUE(f.report.download_folder_changed);
}

TEST_F(PreferencesOk, RefusedFolderChangesKeepTheDialogOpen) {
  settings_dialog_fixture f;
  struct row {
    const char* name;
    std::wstring download;
    bool install_running;
  } rows[] = {
      {"no folder after creation", (temp / "a|b").wstring(), false},
      {"relative folder", L"relative\\folder", false},
      {"an install running", (temp / "other").wstring(), true},
  };
  for (const row& r : rows) {
    f.report.install_running = r.install_running ? +[] { return true; } : nullptr;
    f.open();
    set_text(f, 1001, r.download);
    f.dialog->box(c::box1)->set_checked(0);
    gui::dialog_answerer message(L"Vantoril", IDOK);
    EXPECT_FALSE(f.dialog->on_ok()) << r.name;
    EXPECT_EQ(message.answered(), 1) << r.name;
    EXPECT_TRUE(IsWindow(f.window)) << r.name;
    EXPECT_EQ(reg_text(L"DownloadPath"), (temp / "downloads").wstring()) << r.name;
    EXPECT_EQ(reg_number(L"Autorun"), 2u) << r.name;
    EXPECT_EQ(f.main.redraws, 0) << r.name;
    f.close();
  }
  EXPECT_FALSE(fs::exists(temp / "other"));
}

TEST_F(PreferencesOk, NoFolderChangeWhileADownloadRuns) {
  keep_loopback_off_proxies();
  stand_in_service service({"--mode", "slow", "--delay", "0.3", "--chunk", "512"});
  ASSERT_TRUE(service.running());
  service.add_package("big.zip", std::string(200000, 'z'));
  download_session_c* session = find_download_session(service.url("/packages/big.zip").c_str(), 200000);
  ASSERT_TRUE(session);
  session->resolve_download_files();
  ASSERT_EQ(session->start(), 0);
  ASSERT_TRUE(gui::pump_until([&] { return session->transfer.bytes_on_disk > 0; }, 10000));

  settings_dialog_fixture f;
  f.open();
  set_text(f, 1001, (temp / "elsewhere").wstring());
  {
    gui::dialog_answerer message(L"Vantoril", IDOK);
    EXPECT_FALSE(f.dialog->on_ok());
    EXPECT_EQ(message.answered(), 1);
  }
  EXPECT_TRUE(IsWindow(f.window));
  EXPECT_FALSE(fs::exists(temp / "elsewhere"));
  // The same folder while it runs is fine.
  set_text(f, 1001, (temp / "downloads").wstring());
  EXPECT_TRUE(f.dialog->on_ok());
  session->transfer.cancel = true;
  EXPECT_TRUE(gui::pump_until([&] { return !session->is_running(); }, 20000));
}

TEST_F(PreferencesOk, ProxyPortOutOfRangeKeepsThePort) {
  app_settings.ProxyPort = 8080;
  save_settings();
  settings_dialog_fixture f;
  f.open();
  f.dialog->box(c::proxy3)->set_checked(1);
  set_text(f, 1003, L"socks.local");
  set_text(f, 1004, L"70000");
  ASSERT_TRUE(f.dialog->on_ok());
  EXPECT_EQ(reg_number(L"ProxyType"), 3u);
  EXPECT_EQ(reg_text(L"ProxyHost"), L"socks.local");
  EXPECT_EQ(reg_number(L"ProxyPort"), 8080u);
  f.close();
  // HTTP without a host: the proxy stays as it was.
  f.open();
  f.dialog->box(c::proxy2)->set_checked(1);
  set_text(f, 1003, L"");
  ASSERT_TRUE(f.dialog->on_ok());
  EXPECT_EQ(reg_number(L"ProxyType"), 3u);
}

TEST_F(PreferencesOk, MonthlyScheduleReopensAndIsLeftAlone) {
  settings_dialog_fixture f;
  f.open();
  f.dialog->box(c::enable)->set_checked(1);
  f.dialog->list(c::period)->select_index(2);
  f.dialog->list(c::month_day)->select_index(14);
  f.dialog->list(c::hour)->select_index(9);
  ASSERT_TRUE(f.dialog->on_ok());
  f.close();
  work_item w = read_work_item();
  ASSERT_TRUE(w.found);
  EXPECT_EQ(w.trigger.TriggerType, TASK_TIME_TRIGGER_MONTHLYDATE);
  EXPECT_EQ(w.trigger.Type.MonthlyDate.rgfDays, 1u << 14);
  EXPECT_EQ(reg_number(L"ScheduleWhen"), 14u);
  auto written = fs::last_write_time(job_file());
  std::string bytes = read_file_bytes(job_file());

  f.open();
  EXPECT_EQ(std::u16string(f.dialog->list(c::month_day)->get_selected_text()), u"15");
  EXPECT_EQ(f.dialog->list(c::month_day)->item_count(), 30);
  f.tab(4);
  EXPECT_TRUE(f.item(c::month_day)->is_visible());
  EXPECT_FALSE(f.item(c::weekday)->is_visible());
  ASSERT_TRUE(f.dialog->on_ok());
  f.close();
  EXPECT_EQ(fs::last_write_time(job_file()), written);
  EXPECT_EQ(read_file_bytes(job_file()), bytes);

  // Disabling deletes it; OK again with it disabled does nothing.
  f.open();
  f.dialog->box(c::enable)->set_checked(0);
  ASSERT_TRUE(f.dialog->on_ok());
  f.close();
  EXPECT_FALSE(read_work_item().found);
  EXPECT_FALSE(fs::exists(job_file()));
  EXPECT_EQ(reg_number(L"EnableScheduler"), 0u);
  f.open();
  ASSERT_TRUE(f.dialog->on_ok());
  EXPECT_FALSE(fs::exists(job_file()));
}

TEST_F(PreferencesOk, UnsavableWorkItemKeepsTheSchedulerOff) {
  // A folder where the work item's file goes: it cannot be saved.
  fs::create_directories(job_file());
  settings_dialog_fixture f;
  f.open();
  f.dialog->box(c::enable)->set_checked(1);
  f.dialog->list(c::hour)->select_index(5);
  f.dialog->box(c::box3)->set_checked(0);
  gui::dialog_answerer message(L"Vantoril", IDOK);
  EXPECT_TRUE(f.dialog->on_ok());
  EXPECT_EQ(message.answered(), 1);
  EXPECT_EQ(reg_number(L"EnableScheduler"), 0u);
  EXPECT_NE(reg_number(L"ScheduleStart"), 5u);
  EXPECT_EQ(reg_number(L"CheckVersion"), 0u);  // the rest is saved
  std::error_code ec;
  fs::remove_all(job_file(), ec);
}

// A worker's save while the scheduler's failure message is open: the scan report is accepted
// and an uninstall link arrives, then the message is answered.
void CALLBACK report_accepted_under_the_message(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = gui::find_window(L"#32770", L"Vantoril");
  if (!box || !IsWindowVisible(box)) return;
  KillTimer(nullptr, id);
  app_settings.DebugStatus = 1;
  copy_cut(app_settings.UninstallLink, u"http://example.invalid/uninstall");
  save_settings();
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(PreferencesOk, OkWritesOnlyItsOwnFieldsAndKeepsWhatAWorkerSaved) {
  fs::create_directories(job_file());  // the work item cannot be saved: a message shows
  app_settings.DebugStatus = 0;
  save_settings();
  settings_dialog_fixture f;
  f.open();
  f.dialog->box(c::enable)->set_checked(1);
  f.dialog->box(c::box3)->set_checked(0);
  SetTimer(nullptr, 0, 30, report_accepted_under_the_message);
  EXPECT_TRUE(f.dialog->on_ok());
  EXPECT_EQ(app_settings.DebugStatus, 1u);
  EXPECT_EQ(std::u16string(app_settings.UninstallLink), u"http://example.invalid/uninstall");
  EXPECT_EQ(reg_number(L"DebugStatus"), 1u);
  EXPECT_EQ(reg_number(L"CheckVersion"), 0u);  // the dialog's own fields are saved
  std::error_code ec;
  fs::remove_all(job_file(), ec);
}

TEST_F(PreferencesOk, CancelChangesNothing) {
  settings_dialog_fixture f;
  std::wstring before = reg_text(L"DownloadPath");
  struct script {
    static void CALLBACK step(HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      HWND d = gui::find_window(L"#32770", L"Options");
      SetDlgItemTextW(d, 1001, L"C:\\elsewhere");
      PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    }
  };
  SetTimer(nullptr, 0, 100, script::step);
  EXPECT_EQ(show_preferences_dialog(f.main, f.report), 2);
  EXPECT_EQ(reg_text(L"DownloadPath"), before);
  EXPECT_EQ(f.main.redraws, 0);
  EXPECT_FALSE(f.report.download_folder_changed);
}

exclusion_entry entry(const char16_t* md5, const char16_t* desc) {
  exclusion_entry e{};
  copy_cut(e.md5hash, md5);
  copy_cut(e.desc, desc);
  copy_cut(e.version, u"1.0");
  copy_cut(e.date, u"2020-01-02");
  copy_cut(e.hardid, u"PCI\\VEN_1234");
  return e;
}

std::wstring list_text(HWND view, int row, int column) {
  wchar_t text[256] = {};
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 256;
  SendMessageW(view, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

TEST_F(PreferencesOk, ExclusionRemovedStaysRemovedAfterCancel) {
  exclusion_map list;
  for (auto e : {entry(u"cc33", u"Third"), entry(u"aa11", u"First"), entry(u"bb22", u"Second")})
    list[e.md5hash] = e;
  ASSERT_TRUE(save_exclusion_list(list));
  settings_dialog_fixture f;
  f.open();
  f.tab(3);
  HWND view = f.control(1007);
  ASSERT_EQ(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(list_text(view, 0, 0), L"First");
  EXPECT_EQ(list_text(view, 1, 0), L"Second");
  EXPECT_EQ(list_text(view, 2, 0), L"Third");
  EXPECT_EQ(list_text(view, 1, 1), L"1.0");
  EXPECT_EQ(list_text(view, 1, 2), L"2020-01-02");
  f.screenshot(L"prefs_en_exclusion_filled");

  // Nothing selected: nothing asked.
  {
    gui::dialog_answerer yes(L"Vantoril", IDOK);
    f.click(f.item(c::remove));
    gui::pump_for(100);
    EXPECT_EQ(yes.answered(), 0);
  }
  LVITEMW state = {};
  state.stateMask = LVIS_SELECTED;
  state.state = LVIS_SELECTED;
  SendMessageW(view, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
  {
    gui::dialog_answerer no(L"Vantoril", IDCANCEL);
    f.click(f.item(c::remove));
    gui::pump_until([&] { return no.answered() == 1; }, 3000);
    gui::pump_for(50);
  }
  EXPECT_EQ(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0), 3);
  SendMessageW(view, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
  {
    gui::dialog_answerer yes(L"Vantoril", IDOK);
    f.click(f.item(c::remove));
    gui::pump_until([&] { return yes.answered() == 1; }, 3000);
    gui::pump_for(50);
  }
  EXPECT_EQ(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_TRUE(f.report.exclusions_removed);
  f.close();  // as Cancel: the removal stays
  exclusion_map back;
  ASSERT_TRUE(read_exclusion_list(read_file_bytes(temp / "Exclusion.dat").c_str(), back));
  EXPECT_EQ(back.size(), 2u);
  EXPECT_EQ(back.count(u"bb22"), 0u);
  EXPECT_FALSE(fs::exists(temp / "Exclusion.dat.tmp"));
}

// Answers each message dialog of the program as it opens with its first button (Yes, OK) and
// keeps its text.
struct message_texts {
  static message_texts*& current() {
    static message_texts* m = nullptr;
    return m;
  }
  std::vector<std::u16string> texts;
  HWND answered = nullptr;
  UINT_PTR timer = 0;
  std::wstring shot_name;  // each dialog's screenshot, when VANTORIL_SCREENSHOTS names a folder
  explicit message_texts(std::wstring shot = L"") : shot_name(std::move(shot)) {
    current() = this;
    timer = SetTimer(nullptr, 0, 30, tick);
  }
  ~message_texts() {
    KillTimer(nullptr, timer);
    current() = nullptr;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    message_texts* m = current();
    HWND d = gui::find_window(L"#32770", L"Vantoril");
    if (!m || !d || d == m->answered || !IsWindowVisible(d)) return;
    auto* box = dynamic_cast<message_window_c*>(reinterpret_cast<window_object_c*>(GetWindowLongPtrW(d, DWLP_USER)));
    if (!box || !box->text) return;
    m->texts.push_back(box->text);
    m->answered = d;
    if (const char* folder = std::getenv("VANTORIL_SCREENSHOTS")) {
      if (!m->shot_name.empty()) {
        RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        gui::save_screen_bmp(d, (fs::path(folder) / (m->shot_name + std::to_wstring(m->texts.size()) + L".bmp")).wstring());
      }
    }
    PostMessageW(d, WM_COMMAND, 1, 0);
  }
};

TEST_F(PreferencesOk, ARemovalThatCannotBeWrittenComesBackAndSaysWhy) {
  const struct {
    const char16_t* language;
    std::u16string why;
  } cases[] = {
      {u"en", u"The driver could not be removed from the exclusion list: the list could not be saved. The file may "
              u"be read-only or in use."},
      {u"ja", u"このドライバーを除外リストから削除できませんでした。除外リストを保存できませんでした。ファイルが読み取り"
              u"専用か、使用中の可能性があります。"},
  };
  exclusion_map list;
  for (auto e : {entry(u"aa11", u"First"), entry(u"bb22", u"Second")}) list[e.md5hash] = e;
  ASSERT_TRUE(save_exclusion_list(list));
  const std::string before = read_file_bytes(temp / "Exclusion.dat");
  // A folder where the file's temporary copy goes: the list cannot be written.
  fs::create_directories(temp / "Exclusion.dat.tmp");
  for (const auto& c : cases) {
    settings_dialog_fixture f(c.language);
    f.open();
    f.tab(3);
    HWND view = f.control(1007);
    ASSERT_EQ(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0), 2);
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageW(view, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    message_texts messages(std::wstring(L"prefs_exclusion_not_saved_") + (c.language[0] == u'j' ? L"ja" : L"en"));
    f.click(f.item(c::remove));
    gui::pump_until([&] { return messages.texts.size() == 2 && !IsWindow(messages.answered); }, 5000);
    ASSERT_EQ(messages.texts.size(), 2u) << u16_to_utf8(c.language);
    EXPECT_EQ(messages.texts[1], c.why);
    EXPECT_EQ(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0), 2);  // what the file still holds
    EXPECT_EQ(list_text(view, 0, 0), L"First");
    EXPECT_FALSE(f.report.exclusions_removed);
    EXPECT_EQ(read_file_bytes(temp / "Exclusion.dat"), before);
  }
  fs::remove(temp / "Exclusion.dat.tmp");
}

}  // namespace
