#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "base/text.h"
#include "engine/registry.h"
#include "engine/settings.h"
#include "engine/system_facts.h"
#include "engine/tasks.h"

namespace {

struct trigger_case {
  const char* what;
  uint32_t period, hour, weekday, day;
  uint32_t type, flags;
  uint16_t start_hour, days_interval, weeks_interval, days_of_week;
  uint32_t days;
  uint16_t months;
};

TEST(ScheduledScanTrigger, ByPeriod) {
  const trigger_case cases[] = {
      {"daily", 0, 6, 5, 9, trigger_daily, 0, 6, 1, 0, 0, 0, 0},
      {"weekly on Wednesday", 1, 14, 3, 0, trigger_weekly, 0, 14, 0, 1, 0x08, 0, 0},
      {"weekly on Saturday", 1, 23, 6, 0, trigger_weekly, 0, 23, 0, 1, 0x40, 0, 0},
      {"monthly on day 1", 2, 0, 0, 0, trigger_monthly_date, 0, 0, 0, 0, 0, 0x1, 0xFFF},
      {"monthly on day 31", 2, 9, 0, 30, trigger_monthly_date, 0, 9, 0, 0, 0, 0x40000000, 0xFFF},
      {"period 3: disabled", 3, 8, 2, 2, trigger_once, trigger_flag_disabled, 8, 0, 0, 0, 0, 0},
      {"unknown period: disabled", 7, 8, 0, 0, trigger_once, trigger_flag_disabled, 8, 0, 0, 0, 0, 0},
      // Damaged settings: no shift past the bit field, no hour the scheduler refuses.
      {"weekday 7 taken as Sunday", 1, 10, 7, 0, trigger_weekly, 0, 10, 0, 1, 0x01, 0, 0},
      {"weekday 40 taken as Sunday", 1, 10, 40, 0, trigger_weekly, 0, 10, 0, 1, 0x01, 0, 0},
      {"day 31 taken as day 1", 2, 10, 0, 31, trigger_monthly_date, 0, 10, 0, 0, 0, 0x1, 0xFFF},
      {"hour 24 taken as 0", 0, 24, 0, 0, trigger_daily, 0, 0, 1, 0, 0, 0, 0},
  };
  for (const trigger_case& c : cases) {
    SCOPED_TRACE(c.what);
    task_trigger_fields t = scheduled_scan_trigger(c.period, c.hour, c.weekday, c.day);
    EXPECT_EQ(t.trigger_type, c.type);
    EXPECT_EQ(t.flags, c.flags);
    EXPECT_EQ(t.begin_year, 1980);
    EXPECT_EQ(t.begin_month, 1);
    EXPECT_EQ(t.begin_day, 1);
    EXPECT_EQ(t.start_hour, c.start_hour);
    EXPECT_EQ(t.start_minute, 0);
    EXPECT_EQ(t.days_interval, c.days_interval);
    EXPECT_EQ(t.weeks_interval, c.weeks_interval);
    EXPECT_EQ(t.days_of_week, c.days_of_week);
    EXPECT_EQ(t.days, c.days);
    EXPECT_EQ(t.months, c.months);
  }
}

TEST(ScheduledScanTrigger, LogOn) {
  task_trigger_fields t = logon_trigger();
  EXPECT_EQ(t.trigger_type, trigger_at_logon);
  EXPECT_EQ(t.begin_year, 1999);
  EXPECT_EQ(t.begin_month, 1);
  EXPECT_EQ(t.begin_day, 1);
  EXPECT_EQ(t.start_hour, 0);
  EXPECT_EQ(t.flags, 0u);
}

TEST(ScheduledScanTrigger, FromSettings) {
  struct {
    uint32_t period, start, when;
    uint32_t out_period, out_weekday, out_day;
  } cases[] = {
      {0, 7, 4, 0, 0, 0},  {1, 7, 4, 1, 4, 0}, {2, 7, 4, 2, 0, 4},
      {3, 7, 4, 0, 0, 0},  {9, 7, 4, 0, 0, 0},
  };
  for (const auto& c : cases) {
    scheduled_scan_request r = scheduled_scan_from_settings(c.period, c.start, c.when);
    EXPECT_EQ(r.period, c.out_period) << c.period;
    EXPECT_EQ(r.start_hour, 7u) << c.period;
    EXPECT_EQ(r.weekday_index, c.out_weekday) << c.period;
    EXPECT_EQ(r.day_index, c.out_day) << c.period;
  }
}

TEST(TaskTexts, AccountRunValueFlagsAndVersion) {
  EXPECT_EQ(task_account(u"PC", u"anna"), u"PC\\anna");
  // A user name longer than the computer name is kept whole.
  std::u16string long_user(256, u'u');
  EXPECT_EQ(task_account(u"WORKSTATION-01", long_user), u"WORKSTATION-01\\" + long_user);
  EXPECT_EQ(task_account(u"", u"anna"), u"\\anna");

  EXPECT_EQ(autorun_run_value(u"C:\\Program Files\\Vantoril\\Vantoril.exe"),
            u"\"C:\\Program Files\\Vantoril\\Vantoril.exe\" --autorun");

  EXPECT_EQ(task_flags_for(5), 0x2001u);
  EXPECT_EQ(task_flags_for(4), 0x2001u);
  EXPECT_EQ(task_flags_for(6), 0x2000u);
  EXPECT_EQ(task_flags_for(10), 0x2000u);

  struct {
    uint32_t major, minor;
    bool task;
  } versions[] = {{5, 0, false}, {5, 1, false}, {5, 2, false}, {5, 9, false},
                  {6, 0, true},  {6, 1, true},  {6, 3, true},  {10, 0, true}};
  for (const auto& v : versions) EXPECT_EQ(uses_logon_task(v.major, v.minor), v.task) << v.major << "." << v.minor;
}

class recording_platform : public autorun_platform {
 public:
  std::unique_ptr<registry_key> open_run_key() override {
    ++keys_opened;
    if (!key_opens) return nullptr;
    auto key = std::make_unique<memory_registry_key>();
    key->values = values;
    return key;
  }
  bool set_logon_task(bool on) override {
    calls.push_back(on);
    return task_saves;
  }
  bool key_opens = true;
  bool task_saves = true;
  int keys_opened = 0;
  std::vector<bool> calls;
  std::shared_ptr<std::map<std::u16string, memory_registry_key::value>> values =
      std::make_shared<std::map<std::u16string, memory_registry_key::value>>();
};

class ApplyAutorun : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_version_ = os_version_info;
    saved_autorun_ = app_settings.Autorun;
    copy_cut(saved_path_, exe_path);
    copy_cut(exe_path, u"C:\\Program Files\\Vantoril\\Vantoril.exe");
  }
  void TearDown() override {
    os_version_info = saved_version_;
    app_settings.Autorun = saved_autorun_;
    copy_cut(exe_path, saved_path_);
  }
  void set_version(uint32_t major, uint32_t minor) {
    os_version_info.dwMajorVersion = major;
    os_version_info.dwMinorVersion = minor;
  }
  std::u16string run_value() {
    auto it = platform.values->find(u"Vantoril");
    if (it == platform.values->end()) return u"<none>";
    EXPECT_EQ(it->second.type, reg_type_sz);
    const auto& b = it->second.bytes;
    std::u16string text(b.size() / 2, u'\0');
    std::memcpy(&text[0], b.data(), b.size());
    EXPECT_EQ(text.back(), u'\0');  // stored with its terminator
    text.pop_back();
    return text;
  }

  recording_platform platform;

 private:
  os_version_record saved_version_;
  uint32_t saved_autorun_;
  char16_t saved_path_[260];
};

TEST_F(ApplyAutorun, LogOnTaskFromWindows6) {
  set_version(6, 1);
  app_settings.Autorun = 1;
  EXPECT_TRUE(apply_autorun(platform));
  app_settings.Autorun = 2;  // not chosen yet counts as on
  EXPECT_TRUE(apply_autorun(platform));
  set_version(10, 0);
  app_settings.Autorun = 0;
  EXPECT_TRUE(apply_autorun(platform));
  EXPECT_EQ(platform.calls, (std::vector<bool>{true, true, false}));
  EXPECT_EQ(platform.keys_opened, 0);

  platform.task_saves = false;
  app_settings.Autorun = 1;
  EXPECT_FALSE(apply_autorun(platform));
}

TEST_F(ApplyAutorun, RunValueBeforeWindows6) {
  set_version(5, 1);
  app_settings.Autorun = 1;
  (*platform.values)[u"Other"] = {reg_type_sz, {'x', 0, 0, 0}};
  EXPECT_TRUE(apply_autorun(platform));
  EXPECT_EQ(run_value(), u"\"C:\\Program Files\\Vantoril\\Vantoril.exe\" --autorun");
  EXPECT_TRUE(apply_autorun(platform));  // rewritten, not doubled
  EXPECT_EQ(platform.values->size(), 2u);

  app_settings.Autorun = 0;
  EXPECT_TRUE(apply_autorun(platform));
  EXPECT_EQ(run_value(), u"<none>");
  EXPECT_TRUE(apply_autorun(platform));  // nothing to remove is no error
  EXPECT_EQ(platform.values->count(u"Other"), 1u);
  EXPECT_TRUE(platform.calls.empty());

  platform.key_opens = false;
  EXPECT_FALSE(apply_autorun(platform));
}

}  // namespace
