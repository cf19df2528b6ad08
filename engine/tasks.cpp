#include "engine/tasks.h"

#include "engine/registry.h"
#include "engine/settings.h"
#include "engine/system_facts.h"

const work_item_texts logon_task_texts = {u"Vantoril Autorun", u"Startup Vantoril Automatically.", u"--autorun"};
const work_item_texts scheduled_scan_texts = {u"Vantoril", u"Vantoril keeps your drivers up-to-date automatically.",
                                              u"--autoscan"};
const char16_t run_key_path[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char16_t run_value_name[] = u"Vantoril";

task_trigger_fields logon_trigger() {
  task_trigger_fields t;
  t.begin_year = 1999;
  t.begin_month = 1;
  t.begin_day = 1;
  t.trigger_type = trigger_at_logon;
  return t;
}

task_trigger_fields scheduled_scan_trigger(uint32_t period, uint32_t start_hour, uint32_t weekday_index,
                                           uint32_t day_index) {
  // The values come from the registry: a shift past the bit field would give a trigger on no
  // day at all (or undefined behaviour), an hour past 23 one the scheduler refuses.
  if (start_hour > 23) start_hour = 0;
  if (weekday_index > 6) weekday_index = 0;
  if (day_index > 30) day_index = 0;

  task_trigger_fields t;
  t.begin_year = 1980;
  t.begin_month = 1;
  t.begin_day = 1;
  t.start_hour = uint16_t(start_hour);
  switch (period) {
    case 0:
      t.trigger_type = trigger_daily;
      t.days_interval = 1;
      break;
    case 1:
      t.trigger_type = trigger_weekly;
      t.weeks_interval = 1;
      t.days_of_week = uint16_t(1u << weekday_index);
      break;
    case 2:
      t.trigger_type = trigger_monthly_date;
      t.days = 1u << day_index;
      t.months = 0xFFF;
      break;
    default:
      t.trigger_type = trigger_once;
      t.flags = trigger_flag_disabled;
      break;
  }
  return t;
}

scheduled_scan_request scheduled_scan_from_settings(uint32_t schedule_period, uint32_t schedule_start,
                                                    uint32_t schedule_when) {
  switch (schedule_period) {
    case 1: return {1, schedule_start, schedule_when, 0};
    case 2: return {2, schedule_start, 0, schedule_when};
    default: return {0, schedule_start, 0, 0};
  }
}

uint32_t task_flags_for(uint32_t major_version) {
  return task_flag_run_only_if_logged_on | (major_version <= 5 ? task_flag_interactive : 0);
}

std::u16string task_account(std::u16string_view computer, std::u16string_view user) {
  std::u16string account(computer);
  account += u'\\';
  account += user;
  return account;
}

std::u16string autorun_run_value(std::u16string_view program_path) {
  std::u16string value = u"\"";
  value += program_path;
  value += u"\" --autorun";
  return value;
}

bool uses_logon_task(uint32_t major_version, uint32_t minor_version) {
  return uint64_t(major_version) * 10 + minor_version > 59;
}

bool apply_autorun(autorun_platform& platform) {
  bool on = app_settings.Autorun != 0;
  if (uses_logon_task(os_version_info.dwMajorVersion, os_version_info.dwMinorVersion))
    return platform.set_logon_task(on);

  std::unique_ptr<registry_key> key = platform.open_run_key();
  if (!key) return false;
  if (on) {
    std::u16string value = autorun_run_value(exe_path);
    return key->set(run_value_name, reg_type_sz, value.c_str(),
                    uint32_t((value.size() + 1) * sizeof(char16_t))) == reg_ok;
  }
  long removed = key->remove(run_value_name);
  return removed == reg_ok || removed == reg_not_found;  // a missing value is no error
}
