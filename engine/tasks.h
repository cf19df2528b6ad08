// Starting the program by itself: at log-on (a Task Scheduler 1.0 work item from Windows 6.0
// on, a Run value under HKCU before) and for the scheduled scan (a second work item).
// The decisions are portable; the work items are COM objects of the Windows build.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class registry_key;
struct ITaskScheduler;
struct ITask;
struct IPersistFile;

// TASK_TRIGGER_TYPE values and the trigger flag the work items use.
enum : uint32_t {
  trigger_once = 0,
  trigger_daily = 1,
  trigger_weekly = 2,
  trigger_monthly_date = 3,
  trigger_at_logon = 7,
};
constexpr uint32_t trigger_flag_disabled = 4;

constexpr uint32_t task_flag_interactive = 0x1;
constexpr uint32_t task_flag_run_only_if_logged_on = 0x2000;

// The members of TASK_TRIGGER the work items set; every other member stays 0.
struct task_trigger_fields {
  uint16_t begin_year = 0, begin_month = 0, begin_day = 0;
  uint16_t start_hour = 0, start_minute = 0;
  uint32_t flags = 0;
  uint32_t trigger_type = trigger_once;
  uint16_t days_interval = 0;   // daily
  uint16_t weeks_interval = 0;  // weekly
  uint16_t days_of_week = 0;    // weekly: bit 0 Sunday ... bit 6 Saturday
  uint32_t days = 0;            // monthly: bit 0 day 1 ... bit 30 day 31
  uint16_t months = 0;          // monthly: bit 0 January ... bit 11 December
};

// At log-on, beginning 1999-01-01.
task_trigger_fields logon_trigger();
// Period 0 daily, 1 weekly on the weekday (0 Sunday ... 6 Saturday), 2 monthly on the day
// (0 is day 1 ... 30 is day 31), anything else a disabled one-time trigger; at the hour, from
// 1980-01-01. An hour or index beyond its range (a damaged setting) is taken as 0.
task_trigger_fields scheduled_scan_trigger(uint32_t period, uint32_t start_hour, uint32_t weekday_index,
                                           uint32_t day_index);

// What the preferences hand to schedule_task_c::schedule for the saved SchedulePeriod,
// ScheduleStart and ScheduleWhen.
struct scheduled_scan_request {
  uint32_t period, start_hour, weekday_index, day_index;
};
scheduled_scan_request scheduled_scan_from_settings(uint32_t schedule_period, uint32_t schedule_start,
                                                    uint32_t schedule_when);

// The work item's flags for the Windows major version: only logged-on runs, and interactive
// before Windows 6.0.
uint32_t task_flags_for(uint32_t major_version);
// The account a work item runs under: "COMPUTER\user".
std::u16string task_account(std::u16string_view computer, std::u16string_view user);
// The data of the Run value: the quoted program path, a blank, "--autorun".
std::u16string autorun_run_value(std::u16string_view program_path);
// True from Windows 6.0 on, where start at log-on is a work item rather than a Run value.
bool uses_logon_task(uint32_t major_version, uint32_t minor_version);

// The texts of one work item.
struct work_item_texts {
  const char16_t* name;
  const char16_t* comment;
  const char16_t* parameters;
};
extern const work_item_texts logon_task_texts;
extern const work_item_texts scheduled_scan_texts;
// The Run key under HKEY_CURRENT_USER and the name of the program's value in it.
extern const char16_t run_key_path[];
extern const char16_t run_value_name[];

// What apply_autorun needs from outside.
class autorun_platform {
 public:
  virtual ~autorun_platform() = default;
  // The Run key, opened or created; null when that fails.
  virtual std::unique_ptr<registry_key> open_run_key() = 0;
  // Creates and saves the log-on task (on) or deletes it (off); false when a task to create
  // could not be saved.
  virtual bool set_logon_task(bool on) = 0;
};

// Makes start at log-on follow app_settings.Autorun for the version in os_version_info and the
// program at exe_path. False when the Run key cannot be opened or the task cannot be saved.
bool apply_autorun(autorun_platform& platform);
// The same on this machine's registry and task scheduler (Windows).
bool apply_autorun();

// One work item of the task scheduler, found by its name or else made new; a new item reaches
// the scheduler's folder only when a set-up operation saves it. COM must be initialised on the
// calling thread. Windows only.
class task_work_item_c {
 public:
  task_work_item_c(const char16_t* program_path, const char16_t* name);
  ~task_work_item_c();
  task_work_item_c(const task_work_item_c&) = delete;
  task_work_item_c& operator=(const task_work_item_c&) = delete;

  bool has_work_item() const { return task_ != nullptr; }
  // False when the task scheduler itself could not be created (no work item can run then).
  bool has_scheduler() const { return scheduler_ != nullptr; }
  // Deletes trigger 0 and then the work item of this name from the scheduler; false without
  // a work item, or when one of the name is still there afterwards. The object holds no work
  // item afterwards.
  bool remove();

 protected:
  // The set-up steps both work items share, ending with the save; false without a work item
  // or when the save failed.
  bool set_up(const work_item_texts& texts, const task_trigger_fields& trigger);

  ITaskScheduler* scheduler_ = nullptr;
  ITask* task_ = nullptr;
  IPersistFile* persist_ = nullptr;
  std::u16string program_path_;
  std::u16string name_;
};

// The log-on task: starts the program hidden in the notification area.
class autorun_task_c : public task_work_item_c {
 public:
  explicit autorun_task_c(const char16_t* program_path);
  bool create();
};

// The scheduled-scan task: starts the program with an immediate scan.
class schedule_task_c : public task_work_item_c {
 public:
  explicit schedule_task_c(const char16_t* program_path);
  bool schedule(uint32_t period, uint32_t start_hour, uint32_t weekday_index, uint32_t day_index);
};
