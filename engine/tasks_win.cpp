#include <windows.h>
#include <mstask.h>

#include <vector>

#include "base/wide.h"
#include "engine/registry.h"
#include "engine/system_facts.h"
#include "engine/tasks.h"

static_assert(sizeof(TASK_TRIGGER) == 48, "the trigger size the scheduler expects");

namespace {

TASK_TRIGGER platform_trigger(const task_trigger_fields& f) {
  TASK_TRIGGER t = {};
  t.cbTriggerSize = sizeof t;
  t.wBeginYear = f.begin_year;
  t.wBeginMonth = f.begin_month;
  t.wBeginDay = f.begin_day;
  t.wStartHour = f.start_hour;
  t.wStartMinute = f.start_minute;
  t.rgFlags = f.flags;
  t.TriggerType = TASK_TRIGGER_TYPE(f.trigger_type);
  switch (f.trigger_type) {
    case trigger_daily:
      t.Type.Daily.DaysInterval = f.days_interval;
      break;
    case trigger_weekly:
      t.Type.Weekly.WeeksInterval = f.weeks_interval;
      t.Type.Weekly.rgfDaysOfTheWeek = f.days_of_week;
      break;
    case trigger_monthly_date:
      t.Type.MonthlyDate.rgfDays = f.days;
      t.Type.MonthlyDate.rgfMonths = f.months;
      break;
  }
  return t;
}

// GetComputerNameW or GetUserNameW into a buffer of 300 characters, grown when the platform
// asks for more; false when the name cannot be read.
template <typename Read>
bool read_name(Read read, std::u16string& name) {
  std::vector<WCHAR> buffer(300);
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD size = DWORD(buffer.size());
    if (read(buffer.data(), &size)) {
      name = as_u16(buffer.data());
      return true;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER && GetLastError() != ERROR_BUFFER_OVERFLOW) return false;
    if (size <= buffer.size()) size = DWORD(buffer.size() * 2);
    buffer.assign(size + 1, 0);
  }
  return false;
}

class windows_autorun_platform : public autorun_platform {
 public:
  std::unique_ptr<registry_key> open_run_key() override { return create_current_user_key(run_key_path); }
  bool set_logon_task(bool on) override {
    autorun_task_c task(exe_path);
    if (on) return task.create();
    task.remove();
    return true;
  }
};

}  // namespace

task_work_item_c::task_work_item_c(const char16_t* program_path, const char16_t* name)
    : program_path_(program_path), name_(name) {
  if (FAILED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_ALL, IID_ITaskScheduler,
                              reinterpret_cast<void**>(&scheduler_)))) {
    scheduler_ = nullptr;
    return;
  }
  IUnknown* item = nullptr;
  if (FAILED(scheduler_->Activate(as_wide(name_), IID_ITask, &item))) {
    item = nullptr;
    if (FAILED(scheduler_->NewWorkItem(as_wide(name_), CLSID_CTask, IID_ITask, &item))) item = nullptr;
  }
  if (!item) return;
  if (FAILED(item->QueryInterface(IID_ITask, reinterpret_cast<void**>(&task_)))) task_ = nullptr;
  if (FAILED(item->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist_)))) persist_ = nullptr;
  item->Release();
}

task_work_item_c::~task_work_item_c() {
  if (persist_) persist_->Release();
  if (task_) task_->Release();
  if (scheduler_) scheduler_->Release();
}

bool task_work_item_c::remove() {
  if (!task_) return false;
  task_->DeleteTrigger(0);
  // Dropped here so that neither a later set-up nor the destructor touches it again.
  task_->Release();
  task_ = nullptr;
  scheduler_->Delete(as_wide(name_));
  // Worked when no work item of the name is left, whatever Delete answered.
  IUnknown* left = nullptr;
  if (SUCCEEDED(scheduler_->Activate(as_wide(name_), IID_ITask, &left)) && left) {
    left->Release();
    return false;
  }
  return true;
}

bool task_work_item_c::set_up(const work_item_texts& texts, const task_trigger_fields& trigger) {
  if (!task_ || !persist_) return false;
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExW(&version);

  // The setters' results are not needed: a property the scheduler refuses keeps its value.
  task_->SetComment(as_wide(texts.comment));
  task_->SetApplicationName(as_wide(program_path_));
  task_->SetParameters(as_wide(texts.parameters));
  task_->SetFlags(task_flags_for(version.dwMajorVersion));

  // Without both names the account would be a wrong one; the item keeps the account it had.
  std::u16string computer, user;
  if (read_name(GetComputerNameW, computer) && read_name(GetUserNameW, user))
    task_->SetAccountInformation(as_wide(task_account(computer, user)), nullptr);

  ITaskTrigger* item_trigger = nullptr;
  if (FAILED(task_->GetTrigger(0, &item_trigger))) {
    item_trigger = nullptr;
    WORD index = 0;
    if (FAILED(task_->CreateTrigger(&index, &item_trigger))) item_trigger = nullptr;
  }
  if (item_trigger) {
    TASK_TRIGGER t = platform_trigger(trigger);
    item_trigger->SetTrigger(&t);
  }
  HRESULT saved = persist_->Save(nullptr, TRUE);
  if (item_trigger) item_trigger->Release();
  return SUCCEEDED(saved);
}

autorun_task_c::autorun_task_c(const char16_t* program_path)
    : task_work_item_c(program_path, logon_task_texts.name) {}

bool autorun_task_c::create() { return set_up(logon_task_texts, logon_trigger()); }

schedule_task_c::schedule_task_c(const char16_t* program_path)
    : task_work_item_c(program_path, scheduled_scan_texts.name) {}

bool schedule_task_c::schedule(uint32_t period, uint32_t start_hour, uint32_t weekday_index, uint32_t day_index) {
  return set_up(scheduled_scan_texts, scheduled_scan_trigger(period, start_hour, weekday_index, day_index));
}

bool apply_autorun() {
  windows_autorun_platform platform;
  return apply_autorun(platform);
}
