#include "app/preferences.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "base/text.h"

namespace {

app_settings_record stored_settings() {
  app_settings_record s{};
  s.Autorun = 2;
  s.CloseToTray = 1;
  s.CheckVersion = 1;
  copy_cut(s.Language, u"en");
  s.MatchEngine = 0;
  s.AutoBackup = 1;
  copy_cut(s.DownloadPath, u"C:\\vt\\downloads");
  copy_cut(s.BackupPath, u"C:\\vt\\backup");
  s.ProxyType = 2;
  copy_cut(s.ProxyHost, u"proxy.example");
  s.ProxyPort = 8080;
  copy_cut(s.ProxyUser, u"me");
  copy_cut(s.ProxyPass, u"secret");
  s.EnableScheduler = 0;
  s.SchedulePeriod = 0;
  s.ScheduleWhen = 0;
  s.ScheduleStart = 9;
  return s;
}

struct fixture {
  app_settings_record stored = stored_settings();
  std::set<std::u16string> ready = {u"C:\\new"};  // folders that exist or can be made
  std::vector<std::u16string> asked;
  bool running = false;
  preferences_outcome run(const std::function<void(preferences_controls&)>& change) {
    preferences_controls v = starting_values(stored, 0, 2);
    v.language_code = u"en";
    change(v);
    return apply_preferences(stored, v, 0, running, [&](const std::u16string& folder) {
      asked.push_back(folder);
      return ready.count(folder) != 0;
    });
  }
};

TEST(Preferences, StartingValuesShowTheStoredSettings) {
  app_settings_record s = stored_settings();
  s.SchedulePeriod = 2;
  s.ScheduleWhen = 14;
  s.ScheduleStart = 14;
  preferences_controls v = starting_values(s, 1, 2);
  EXPECT_EQ(v.autorun, 2u);  // kept as it is: shown checked, written back as 2
  EXPECT_EQ(v.language_index, 1);
  EXPECT_EQ(v.match, 0);
  EXPECT_EQ(v.proxy, 2);
  EXPECT_EQ(v.proxy_port, u"8080");
  EXPECT_EQ(v.period, 2);
  EXPECT_EQ(v.month_day, 14);  // day 15
  EXPECT_EQ(v.weekday, 0);
  EXPECT_EQ(v.hour, 14);
  // Stored values outside their lists select nothing.
  s.MatchEngine = 2;
  s.ProxyType = 4;
  s.ProxyPort = 0;
  s.SchedulePeriod = 3;
  s.ScheduleStart = 24;
  v = starting_values(s, 2, 2);
  EXPECT_EQ(v.language_index, -1);
  EXPECT_EQ(v.match, -1);
  EXPECT_EQ(v.proxy, -1);
  EXPECT_EQ(v.proxy_port, u"");
  EXPECT_EQ(v.period, -1);
  EXPECT_EQ(v.hour, -1);
  s.SchedulePeriod = 2;
  s.ScheduleWhen = 30;  // day 31 is not in the list
  EXPECT_EQ(starting_values(s, 0, 2).month_day, -1);
  s.SchedulePeriod = 1;
  s.ScheduleWhen = 3;
  EXPECT_EQ(starting_values(s, 0, 2).weekday, 3);
}

TEST(Preferences, ListRowsAndPages) {
  std::vector<std::u16string> hours = hour_rows(), days = month_day_rows();
  ASSERT_EQ(hours.size(), 24u);
  EXPECT_EQ(hours[0], u"00:00");
  EXPECT_EQ(hours[23], u"23:00");
  ASSERT_EQ(days.size(), 30u);
  EXPECT_EQ(days.back(), u"30");
  using c = pref_control;
  EXPECT_EQ(page_controls(page_scheduler, 0), (std::vector<c>{c::enable, c::period, c::hour}));
  EXPECT_EQ(page_controls(page_scheduler, 1), (std::vector<c>{c::enable, c::period, c::weekday, c::hour}));
  EXPECT_EQ(page_controls(page_scheduler, 2), (std::vector<c>{c::enable, c::period, c::month_day, c::hour}));
  // Every control is on exactly the page the layout gives it, and the table is in build order.
  for (size_t i = 0; i < preferences_layout().size(); ++i) {
    const pref_layout& l = preferences_layout()[i];
    EXPECT_EQ(static_cast<size_t>(l.id), i);
    bool found = false;
    for (int period = 0; period < 3; ++period)
      for (c shown : page_controls(l.page, period)) found = found || shown == l.id;
    EXPECT_TRUE(found) << i;
  }
  // EDITs hold what their settings fields hold.
  EXPECT_EQ(layout_of(c::edit_download).text_limit, 259);
  EXPECT_EQ(layout_of(c::edit_host).text_limit, 1024);
  EXPECT_EQ(layout_of(c::edit_port).text_limit, 5);
  EXPECT_EQ(layout_of(c::edit_pass).text_limit, 63);
}

TEST(Preferences, ProxyPortAsTyped) {
  struct row {
    std::u16string text;
    uint32_t port;
  } rows[] = {{u"8080", 8080}, {u"1", 1}, {u"65535", 65535}, {u"65536", 0}, {u"70000", 0},
              {u"0", 0},       {u"", 0},  {u"99999999999999", 0}, {u"12ab", 12}, {u"-80", 0}};
  for (const row& r : rows) EXPECT_EQ(read_proxy_port(r.text), r.port) << u16_to_utf8(r.text);
}

TEST(Preferences, OkWithNothingChangedKeepsEverything) {
  fixture f;
  preferences_outcome o = f.run([](preferences_controls&) {});
  EXPECT_EQ(o.refusal, nullptr);
  EXPECT_EQ(o.scheduler, scheduler_action::none);
  EXPECT_FALSE(o.reparse_language);
  EXPECT_FALSE(o.download_folder_changed);
  EXPECT_TRUE(f.asked.empty());
  EXPECT_EQ(o.settings.Autorun, 2u);
  EXPECT_EQ(std::u16string(o.settings.ProxyHost), u"proxy.example");
  EXPECT_EQ(o.settings.ProxyPort, 8080u);
}

TEST(Preferences, FoldersAreCheckedBeforeAnythingChanges) {
  struct row {
    const char* name;
    std::u16string download, backup;
    bool running;
    const char* refusal;
    bool changed;
    size_t asked;
  } rows[] = {
      {"new download folder", u"C:\\new", u"C:\\vt\\backup", false, nullptr, true, 1},
      {"while a transfer or install runs", u"C:\\new", u"C:\\vt\\backup", true,
       "settings_download_warning", false, 0},
      {"a folder that is not there afterwards", u"C:\\vt\\a|b", u"C:\\vt\\backup", false,
       "settings_invalid_download", false, 1},
      {"empty download folder", u"", u"C:\\vt\\backup", false, "settings_invalid_download", false, 1},
      {"bad backup folder after a good download one", u"C:\\new", u"rel\\x", false,
       "settings_invalid_backup", false, 2},
      {"same download folder while running", u"C:\\vt\\downloads", u"C:\\new", true, nullptr, false, 1},
      {"exact comparison", u"c:\\VT\\downloads", u"C:\\vt\\backup", false, "settings_invalid_download",
       false, 1},
  };
  for (const row& r : rows) {
    fixture f;
    f.running = r.running;
    preferences_outcome o = f.run([&](preferences_controls& v) {
      v.download_path = r.download;
      v.backup_path = r.backup;
      v.autorun = 0;
    });
    EXPECT_STREQ(o.refusal ? o.refusal : "", r.refusal ? r.refusal : "") << r.name;
    EXPECT_EQ(o.download_folder_changed, r.changed) << r.name;
    EXPECT_EQ(f.asked.size(), r.asked) << r.name;
    if (!r.refusal) {
      EXPECT_EQ(std::u16string(o.settings.DownloadPath), r.download) << r.name;
      EXPECT_EQ(std::u16string(o.settings.BackupPath), r.backup) << r.name;
      EXPECT_EQ(o.settings.Autorun, 0u) << r.name;
    }
  }
}

TEST(Preferences, ProxyChoices) {
  struct row {
    const char* name;
    int proxy;
    std::u16string host, port;
    uint32_t type, stored_port;
    std::u16string stored_host;
  } rows[] = {
      {"none", 0, u"h", u"1", 0, 8080, u"proxy.example"},
      {"system", 1, u"", u"", 1, 8080, u"proxy.example"},
      {"http", 2, u"new.host", u"3128", 2, 3128, u"new.host"},
      {"socks5 with port 70000 keeps the port", 3, u"new.host", u"70000", 3, 8080, u"new.host"},
      {"http without host keeps the proxy", 2, u"", u"3128", 2, 8080, u"proxy.example"},
      {"socks5 without port keeps the proxy", 3, u"new.host", u"", 2, 8080, u"proxy.example"},
      {"nothing selected keeps the type", -1, u"x", u"1", 2, 8080, u"proxy.example"},
  };
  for (const row& r : rows) {
    fixture f;
    f.stored.ProxyType = 2;
    preferences_outcome o = f.run([&](preferences_controls& v) {
      v.proxy = r.proxy;
      v.proxy_host = r.host;
      v.proxy_port = r.port;
      v.proxy_user = u"new user";
      v.proxy_pass = std::u16string(80, u'p');
    });
    EXPECT_EQ(o.settings.ProxyType, r.type) << r.name;
    EXPECT_EQ(o.settings.ProxyPort, r.stored_port) << r.name;
    EXPECT_EQ(std::u16string(o.settings.ProxyHost), r.stored_host) << r.name;
    if (r.stored_host == u"new.host") {
      EXPECT_EQ(std::u16string(o.settings.ProxyUser), u"new user") << r.name;
      EXPECT_EQ(std::u16string(o.settings.ProxyPass).size(), 63u) << r.name;
    }
  }
}

TEST(Preferences, NothingSelectedKeepsTheStoredValue) {
  fixture f;
  f.stored.MatchEngine = 7;
  copy_cut(f.stored.Language, u"xx");
  f.stored.EnableScheduler = 1;
  f.stored.SchedulePeriod = 5;
  f.stored.ScheduleStart = 30;
  f.stored.ScheduleWhen = 2;
  preferences_controls start = starting_values(f.stored, 3, 2);
  preferences_outcome o = apply_preferences(f.stored, start, 3, false, nullptr);
  EXPECT_EQ(o.refusal, nullptr);
  EXPECT_EQ(o.settings.MatchEngine, 7u);
  EXPECT_EQ(std::u16string(o.settings.Language), u"xx");
  EXPECT_FALSE(o.reparse_language);
  EXPECT_EQ(o.settings.SchedulePeriod, 5u);
  EXPECT_EQ(o.settings.ScheduleStart, 30u);
  EXPECT_EQ(o.scheduler, scheduler_action::none);  // nothing differs from what is stored
}

TEST(Preferences, LanguageIsReloadedOnlyWhenAnotherIsChosen) {
  fixture f;
  preferences_outcome same = f.run([](preferences_controls&) {});
  EXPECT_FALSE(same.reparse_language);
  preferences_outcome other = f.run([](preferences_controls& v) {
    v.language_index = 1;
    v.language_code = u"ja";
  });
  EXPECT_TRUE(other.reparse_language);
  EXPECT_EQ(std::u16string(other.settings.Language), u"ja");
}

TEST(Preferences, Scheduler) {
  struct row {
    const char* name;
    uint32_t stored_enabled, stored_period, stored_when, stored_start;
    uint32_t enabled;
    int period, hour, weekday, month_day;
    scheduler_action action;
    scheduled_scan_request request;
    uint32_t want_enabled, want_period, want_when, want_start;
  } rows[] = {
      {"weekly, Wednesday, 14:00", 0, 0, 0, 9, 1, 1, 14, 3, 0, scheduler_action::schedule,
       {1, 14, 3, 0}, 1, 1, 3, 14},
      {"monthly day 15 unchanged", 1, 2, 14, 14, 1, 2, 14, 0, 14, scheduler_action::none, {}, 1, 2, 14, 14},
      {"monthly day 15 at another hour", 1, 2, 14, 14, 1, 2, 15, 0, 14, scheduler_action::schedule,
       {2, 15, 0, 14}, 1, 2, 14, 15},
      {"daily keeps the stored when", 1, 1, 3, 9, 1, 0, 9, 3, 0, scheduler_action::schedule,
       {0, 9, 0, 0}, 1, 0, 3, 9},
      {"disabling removes", 1, 0, 0, 9, 0, 0, 9, 0, 0, scheduler_action::remove, {}, 0, 0, 0, 9},
      {"disabled again does nothing", 0, 0, 0, 9, 0, 1, 20, 2, 0, scheduler_action::none, {}, 0, 0, 0, 9},
      {"weekday none keeps the stored when", 1, 1, 4, 9, 1, 1, 10, -1, 0, scheduler_action::schedule,
       {1, 10, 4, 0}, 1, 1, 4, 10},
  };
  for (const row& r : rows) {
    fixture f;
    f.stored.EnableScheduler = r.stored_enabled;
    f.stored.SchedulePeriod = r.stored_period;
    f.stored.ScheduleWhen = r.stored_when;
    f.stored.ScheduleStart = r.stored_start;
    preferences_outcome o = f.run([&](preferences_controls& v) {
      v.scheduler_enabled = r.enabled;
      v.period = r.period;
      v.hour = r.hour;
      v.weekday = r.weekday;
      v.month_day = r.month_day;
    });
    EXPECT_EQ(o.scheduler, r.action) << r.name;
    if (r.action == scheduler_action::schedule) {
      EXPECT_EQ(o.request.period, r.request.period) << r.name;
      EXPECT_EQ(o.request.start_hour, r.request.start_hour) << r.name;
      EXPECT_EQ(o.request.weekday_index, r.request.weekday_index) << r.name;
      EXPECT_EQ(o.request.day_index, r.request.day_index) << r.name;
    }
    EXPECT_EQ(o.settings.EnableScheduler, r.want_enabled) << r.name;
    EXPECT_EQ(o.settings.SchedulePeriod, r.want_period) << r.name;
    EXPECT_EQ(o.settings.ScheduleWhen, r.want_when) << r.name;
    EXPECT_EQ(o.settings.ScheduleStart, r.want_start) << r.name;
    // A work item that could not be saved or deleted leaves the scheduler values stored.
    keep_scheduler_values(o, f.stored);
    EXPECT_EQ(o.settings.EnableScheduler, r.stored_enabled) << r.name;
    EXPECT_EQ(o.settings.SchedulePeriod, r.stored_period) << r.name;
    EXPECT_EQ(o.settings.ScheduleWhen, r.stored_when) << r.name;
    EXPECT_EQ(o.settings.ScheduleStart, r.stored_start) << r.name;
  }
}

}  // namespace

TEST(Preferences, OkTakesTheDialogsFieldsOnly) {
  app_settings_record now{}, dialog{};
  now.DebugStatus = 1;
  copy_cut(now.UninstallLink, u"http://u");
  copy_cut(now.InstallDate, u"2020-01-01");
  copy_cut(now.exclusion_list_path, u"C:\\V\\Exclusion.dat");
  dialog.CheckVersion = 1;
  dialog.ScheduleStart = 7;
  copy_cut(dialog.BackupPath, u"D:\\B");
  copy_cut(dialog.ProxyPass, u"p");
  take_dialog_fields(now, dialog);
  EXPECT_EQ(now.DebugStatus, 1u);
  EXPECT_EQ(std::u16string(now.UninstallLink), u"http://u");
  EXPECT_EQ(std::u16string(now.InstallDate), u"2020-01-01");
  EXPECT_EQ(std::u16string(now.exclusion_list_path), u"C:\\V\\Exclusion.dat");
  EXPECT_EQ(now.CheckVersion, 1u);
  EXPECT_EQ(now.ScheduleStart, 7u);
  EXPECT_EQ(std::u16string(now.BackupPath), u"D:\\B");
  EXPECT_EQ(std::u16string(now.ProxyPass), u"p");
}

TEST(Preferences, ASchedulerThatCannotBeCreatedStillLetsTheScanGoOff) {
  struct row {
    scheduler_action action;
    bool worked, available, done;
  } const rows[] = {
      {scheduler_action::schedule, true, true, true},   {scheduler_action::schedule, false, true, false},
      {scheduler_action::schedule, false, false, false}, {scheduler_action::remove, true, true, true},
      {scheduler_action::remove, false, true, false},    {scheduler_action::remove, false, false, true},
  };
  for (const row& r : rows)
    EXPECT_EQ(scheduler_change_done(r.action, r.worked, r.available), r.done)
        << int(r.action) << r.worked << r.available;
}
