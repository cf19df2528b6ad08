// The work items and the Run value on the Wine prefix's real task scheduler and registry:
// both work items and the Run value are created and deleted here, so never beside others.
#include <windows.h>
#include <mstask.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "base/wide.h"
#include "engine/settings.h"
#include "engine/system_facts.h"
#include "engine/tasks.h"

namespace {

const char16_t program[] = u"C:\\Program Files\\Vantoril\\Vantoril.exe";

std::u16string taken_text(LPWSTR text) {
  std::u16string out = text ? as_u16(text) : u"";
  CoTaskMemFree(text);
  return out;
}

// A work item as a second reader sees it in the scheduler's folder.
struct stored_item {
  bool found = false;
  std::u16string application, parameters, comment, account;
  HRESULT account_result = E_FAIL;
  DWORD flags = 0;
  WORD trigger_count = 0;
  TASK_TRIGGER trigger = {};
};

class TasksWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                           reinterpret_cast<void**>(&scheduler_))));
    clean();
    saved_version_ = os_version_info;
    saved_autorun_ = app_settings.Autorun;
    copy_cut(saved_path_, exe_path);
    copy_cut(exe_path, program);
  }
  void TearDown() override {
    os_version_info = saved_version_;
    app_settings.Autorun = saved_autorun_;
    copy_cut(exe_path, saved_path_);
    if (scheduler_) {
      clean();
      scheduler_->Release();
    }
    CoUninitialize();
  }
  void clean() {
    scheduler_->Delete(L"Vantoril");
    scheduler_->Delete(L"Vantoril Autorun");
    SHDeleteValueW(HKEY_CURRENT_USER, as_wide(run_key_path), as_wide(run_value_name));
  }

  stored_item read_item(const wchar_t* name) {
    stored_item s;
    IUnknown* unknown = nullptr;
    if (FAILED(scheduler_->Activate(name, IID_ITask, &unknown))) return s;
    ITask* task = nullptr;
    unknown->QueryInterface(IID_ITask, reinterpret_cast<void**>(&task));
    unknown->Release();
    if (!task) return s;
    s.found = true;
    LPWSTR text = nullptr;
    if (SUCCEEDED(task->GetApplicationName(&text))) s.application = taken_text(text);
    if (SUCCEEDED(task->GetParameters(&text))) s.parameters = taken_text(text);
    if (SUCCEEDED(task->GetComment(&text))) s.comment = taken_text(text);
    s.account_result = task->GetAccountInformation(&text);
    if (SUCCEEDED(s.account_result)) s.account = taken_text(text);
    task->GetFlags(&s.flags);
    task->GetTriggerCount(&s.trigger_count);
    ITaskTrigger* trigger = nullptr;
    if (s.trigger_count && SUCCEEDED(task->GetTrigger(0, &trigger))) {
      trigger->GetTrigger(&s.trigger);
      trigger->Release();
    }
    task->Release();
    return s;
  }

  // The names the scheduler lists.
  std::vector<std::u16string> listed() {
    std::vector<std::u16string> names;
    IEnumWorkItems* items = nullptr;
    if (FAILED(scheduler_->Enum(&items))) return names;
    LPWSTR* got = nullptr;
    ULONG count = 0;
    while (items->Next(1, &got, &count) == S_OK && count == 1) {
      names.push_back(taken_text(got[0]));
      CoTaskMemFree(got);
    }
    items->Release();
    return names;
  }

  static std::filesystem::path job_file(const wchar_t* name) {
    WCHAR windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::filesystem::path(windows) / L"Tasks" / (std::wstring(name) + L".job");
  }

  static std::u16string expected_account() {
    WCHAR computer[MAX_COMPUTERNAME_LENGTH + 1], user[257];
    DWORD computer_size = MAX_COMPUTERNAME_LENGTH + 1, user_size = 257;
    EXPECT_TRUE(GetComputerNameW(computer, &computer_size));
    EXPECT_TRUE(GetUserNameW(user, &user_size));
    return std::u16string(as_u16(computer)) + u"\\" + as_u16(user);
  }

  static std::u16string run_value() {
    WCHAR data[600];
    DWORD type = 0, size = sizeof data;
    if (SHGetValueW(HKEY_CURRENT_USER, as_wide(run_key_path), as_wide(run_value_name), &type, data, &size) !=
        ERROR_SUCCESS)
      return u"<none>";
    EXPECT_EQ(type, DWORD(REG_SZ));
    return as_u16(data);
  }

  void set_version(DWORD major, DWORD minor) {
    os_version_info.dwMajorVersion = major;
    os_version_info.dwMinorVersion = minor;
  }

  ITaskScheduler* scheduler_ = nullptr;

 private:
  os_version_record saved_version_;
  uint32_t saved_autorun_;
  char16_t saved_path_[260];
};

TEST_F(TasksWin, WeeklyScanIsStoredAsSet) {
  {
    schedule_task_c task(program);
    ASSERT_TRUE(task.has_work_item());
    EXPECT_TRUE(task.schedule(1, 14, 3, 0));
  }
  EXPECT_TRUE(std::filesystem::exists(job_file(L"Vantoril")));
  stored_item s = read_item(L"Vantoril");
  ASSERT_TRUE(s.found);
  EXPECT_EQ(s.application, program);
  EXPECT_EQ(s.parameters, u"--autoscan");
  EXPECT_EQ(s.comment, u"Vantoril keeps your drivers up-to-date automatically.");
  EXPECT_EQ(s.flags & 0xFFFFu, DWORD(TASK_FLAG_RUN_ONLY_IF_LOGGED_ON));
  if (SUCCEEDED(s.account_result)) {
    EXPECT_EQ(s.account, expected_account());
  }
  ASSERT_EQ(s.trigger_count, 1);
  const TASK_TRIGGER& t = s.trigger;
  EXPECT_EQ(t.TriggerType, TASK_TIME_TRIGGER_WEEKLY);
  EXPECT_EQ(t.Type.Weekly.rgfDaysOfTheWeek, TASK_WEDNESDAY);
  EXPECT_EQ(t.Type.Weekly.WeeksInterval, 1);
  EXPECT_EQ(t.wStartHour, 14);
  EXPECT_EQ(t.wStartMinute, 0);
  EXPECT_EQ(t.wBeginYear, 1980);
  EXPECT_EQ(t.wBeginMonth, 1);
  EXPECT_EQ(t.wBeginDay, 1);
  EXPECT_EQ(t.rgFlags & TASK_TRIGGER_FLAG_DISABLED, 0u);
}

TEST_F(TasksWin, SchedulingAgainChangesTheSameItem) {
  struct {
    uint32_t period, hour, weekday, day;
    TASK_TRIGGER_TYPE type;
  } steps[] = {{1, 14, 3, 0, TASK_TIME_TRIGGER_WEEKLY},
               {2, 9, 0, 0, TASK_TIME_TRIGGER_MONTHLYDATE},
               {0, 22, 0, 0, TASK_TIME_TRIGGER_DAILY},
               {3, 5, 0, 0, TASK_TIME_TRIGGER_ONCE}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.period);
    schedule_task_c task(program);
    EXPECT_TRUE(task.schedule(step.period, step.hour, step.weekday, step.day));
  }
  std::vector<std::u16string> names = listed();
  EXPECT_EQ(std::count(names.begin(), names.end(), u"Vantoril.job"), 1);
  stored_item s = read_item(L"Vantoril");
  ASSERT_EQ(s.trigger_count, 1);
  EXPECT_EQ(s.trigger.TriggerType, TASK_TIME_TRIGGER_ONCE);
  EXPECT_EQ(s.trigger.wStartHour, 5);
  EXPECT_NE(s.trigger.rgFlags & TASK_TRIGGER_FLAG_DISABLED, 0u);

  schedule_task_c monthly(program);
  EXPECT_TRUE(monthly.schedule(2, 9, 0, 0));
  s = read_item(L"Vantoril");
  EXPECT_EQ(s.trigger.TriggerType, TASK_TIME_TRIGGER_MONTHLYDATE);
  EXPECT_EQ(s.trigger.Type.MonthlyDate.rgfDays, 1u);
  EXPECT_EQ(s.trigger.Type.MonthlyDate.rgfMonths, 0xFFF);
  EXPECT_EQ(s.trigger.rgFlags & TASK_TRIGGER_FLAG_DISABLED, 0u);
}

TEST_F(TasksWin, RemoveDeletesOnlyAnExistingItem) {
  std::vector<std::u16string> before = listed();
  {
    schedule_task_c none(program);  // a new item, never saved
    EXPECT_TRUE(none.remove());
    EXPECT_FALSE(none.has_work_item());
    EXPECT_FALSE(none.remove());
    EXPECT_FALSE(none.schedule(0, 1, 0, 0));
  }
  EXPECT_EQ(listed(), before);
  EXPECT_FALSE(std::filesystem::exists(job_file(L"Vantoril")));

  {
    schedule_task_c task(program);
    ASSERT_TRUE(task.schedule(0, 1, 0, 0));
    autorun_task_c logon(program);
    ASSERT_TRUE(logon.create());
  }
  {
    schedule_task_c task(program);
    EXPECT_TRUE(task.remove());
  }
  EXPECT_FALSE(std::filesystem::exists(job_file(L"Vantoril")));
  EXPECT_FALSE(read_item(L"Vantoril").found);
  EXPECT_TRUE(read_item(L"Vantoril Autorun").found);  // the other item stays
}

TEST_F(TasksWin, WithoutComNothingIsMadeOrChanged) {
  std::vector<std::u16string> before = listed();
  bool has_item = true, scheduled = true, removed = true;
  // A thread of its own that never initialised COM: the scheduler cannot be created.
  std::thread([&] {
    schedule_task_c task(program);
    has_item = task.has_work_item();
    scheduled = task.schedule(1, 14, 3, 0);
    removed = task.remove();
  }).join();
  EXPECT_FALSE(has_item);
  EXPECT_FALSE(scheduled);
  EXPECT_FALSE(removed);
  EXPECT_EQ(listed(), before);
}

TEST_F(TasksWin, AutorunOnWindows7IsTheLogOnTask) {
  set_version(6, 1);
  app_settings.Autorun = 1;
  EXPECT_TRUE(apply_autorun());
  stored_item s = read_item(L"Vantoril Autorun");
  ASSERT_TRUE(s.found);
  EXPECT_EQ(s.application, program);
  EXPECT_EQ(s.parameters, u"--autorun");
  EXPECT_EQ(s.comment, u"Startup Vantoril Automatically.");
  ASSERT_EQ(s.trigger_count, 1);
  EXPECT_EQ(s.trigger.TriggerType, TASK_EVENT_TRIGGER_AT_LOGON);
  EXPECT_EQ(s.trigger.wBeginYear, 1999);
  EXPECT_EQ(s.trigger.wBeginMonth, 1);
  EXPECT_EQ(s.trigger.wBeginDay, 1);
  EXPECT_TRUE(apply_autorun());  // again: still one item
  std::vector<std::u16string> names = listed();
  EXPECT_EQ(std::count(names.begin(), names.end(), u"Vantoril Autorun.job"), 1);
  EXPECT_EQ(run_value(), u"<none>");

  app_settings.Autorun = 0;
  EXPECT_TRUE(apply_autorun());
  EXPECT_FALSE(read_item(L"Vantoril Autorun").found);
  EXPECT_FALSE(std::filesystem::exists(job_file(L"Vantoril Autorun")));
  EXPECT_TRUE(apply_autorun());  // nothing left to delete
}

TEST_F(TasksWin, AutorunOnWindowsXpIsTheRunValue) {
  set_version(5, 1);
  app_settings.Autorun = 1;
  EXPECT_TRUE(apply_autorun());
  EXPECT_EQ(run_value(), u"\"C:\\Program Files\\Vantoril\\Vantoril.exe\" --autorun");
  EXPECT_FALSE(read_item(L"Vantoril Autorun").found);

  app_settings.Autorun = 0;
  EXPECT_TRUE(apply_autorun());
  EXPECT_EQ(run_value(), u"<none>");
  EXPECT_TRUE(apply_autorun());  // a missing value is no error
}

}  // namespace
