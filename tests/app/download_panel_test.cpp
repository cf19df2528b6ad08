#include "app/download_panel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/download_sessions.h"
#include "tests/app/row_fixture.h"

namespace {

TEST(DownloadRowRules, DescriptionRuleByServerFlagGroupAndDriverValues) {
  // D: the candidate's description, N: the device's own name.
  struct rule_case {
    int server_desc;
    bool unmatched, up_to_date, has_driver;
    char expected;
  } cases[] = {
      {1, true, false, true, 'D'},   {1, true, false, false, 'D'},  {1, false, true, false, 'D'},
      {1, false, true, true, 'N'},   {1, false, false, true, 'N'},  {1, false, false, false, 'N'},
      {0, true, false, true, 'D'},   {0, true, false, false, 'N'},  {0, false, true, false, 'D'},
      {0, false, true, true, 'N'},   {0, false, false, true, 'N'},  {0, false, false, false, 'N'},
  };
  for (const auto& c : cases) {
    row_fixture f;
    f.add(u"Own name", c.has_driver);
    driver_group g = f.group(match_engine_best, c.up_to_date, c.unmatched);
    std::u16string text = device_line_text(g, f.devices[0], c.server_desc);
    EXPECT_EQ(text, c.expected == 'D' ? u"Best desc" : u"Own name")
        << "server_desc " << c.server_desc << " unmatched " << c.unmatched << " up_to_date " << c.up_to_date
        << " has_driver " << c.has_driver;
  }
}

TEST(DownloadRowRules, TextsThatSayNothingShowTheDeviceNameAndTheGroupsEnginePicks) {
  struct own_name_case {
    const char16_t* desc;
    const char16_t* class_name;
  } cases[] = {{u"%DeviceDesc%", u"Display"},       {u"usb video device", u"Display"},
               {u"INTEL MTP USB DEVICE", u"Display"}, {u"Best desc", u"WPD"},
               {u"Best desc", u"cdrom"}};
  for (const auto& c : cases) {
    row_fixture f;
    device_info& d = f.add(u"Own name", true, u"2010-01-01", c.class_name);
    copy_cut(d.candidates[0].desc, c.desc);
    driver_group g = f.group(match_engine_best, false, true);  // the rule alone would show the text
    EXPECT_EQ(device_line_text(g, d, 1), u"Own name") << u16_to_utf8(c.desc);
  }
  row_fixture f;
  f.add(u"Own name", true);
  driver_group latest = f.group(match_engine_latest, false, true);
  EXPECT_EQ(device_line_text(latest, f.devices[0], 1), u"Latest desc");
}

TEST(DownloadRowRules, Dates) {
  {  // Not up to date: the first device's own date against its candidate's.
    row_fixture f;
    f.add(u"A", true, u"2010-01-01");
    row_dates d = download_row_dates(f.group(match_engine_best, false, false));
    EXPECT_EQ(d.installed, u"2010-01-01");
    EXPECT_EQ(d.available, u"2015-05-05");
  }
  {  // The first older device gives both dates.
    row_fixture f;
    f.add(u"A", true, u"2019-01-01");
    device_info& b = f.add(u"B", true, u"2011-02-02");
    copy_cut(b.candidates[0].date, u"2012-03-03");
    row_dates d = download_row_dates(f.group(match_engine_best, false, false));
    EXPECT_EQ(d.installed, u"2011-02-02");
    EXPECT_EQ(d.available, u"2012-03-03");
  }
  {  // Up to date: both texts are the candidate's date.
    row_fixture f;
    f.add(u"A", true, u"2010-01-01");
    row_dates d = download_row_dates(f.group(match_engine_latest, true, false));
    EXPECT_EQ(d.installed, u"2016-06-06");
    EXPECT_EQ(d.available, u"2016-06-06");
  }
  {  // No driver values: the candidate's date stands for the installed one.
    row_fixture f;
    f.add(u"A", false);
    EXPECT_EQ(download_row_dates(f.group(match_engine_best, false, false)).installed, u"2015-05-05");
  }
  {  // Unmatched: no installed date.
    row_fixture f;
    f.add(u"A", true);
    row_dates d = download_row_dates(f.group(match_engine_best, false, true));
    EXPECT_EQ(d.installed, u"");
    EXPECT_EQ(d.available, u"2015-05-05");
  }
}

TEST(DownloadRowRules, ButtonTextsAndMenuGraysByStatus) {
  struct status_case {
    int32_t status;
    bool running;
    const char* action;
    bool delete_gray, exclude_gray;
  } cases[] = {
      {download_none, false, "btn_download", true, false},
      {download_running, true, "btn_pause", true, true},
      {download_partial, false, "btn_resume", false, false},
      // Paused, but the transfer has not ended yet: its files are still in use.
      {download_partial, true, "btn_resume", true, true},
      {download_failed, false, "btn_resume", false, false},
      {download_done, false, "btn_install", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(action_text_key(c.status), c.action) << c.status;
    row_menu_state m = download_menu_state(c.status, c.running);
    EXPECT_EQ(m.delete_gray, c.delete_gray) << c.status << " running " << c.running;
    EXPECT_EQ(m.exclude_gray, c.exclude_gray) << c.status << " running " << c.running;
  }
  EXPECT_EQ(action_text_key(9), nullptr);
  EXPECT_STREQ(status_text_key(download_running), "download_speed");
  EXPECT_STREQ(status_text_key(download_failed), "download_error");
}

TEST(DownloadRowRules, InstallSequence) {
  struct install_case {
    const char* what;
    install_facts facts;
    std::vector<int> answers;  // in the order asked
    std::vector<std::string> asked;
    bool proceed, back_up, save;
    uint32_t auto_backup;
  } cases[] = {
      {"job running", {true, true, false, true, 1}, {}, {}, false, false, false, 1},
      {"not administrator", {false, false, true, true, 1}, {1}, {"2 download_setup_require"}, false, false, false, 1},
      {"up to date, No", {false, true, true, true, 1}, {2}, {"3 download_setup_warning"}, false, false, false, 1},
      {"up to date, Yes", {false, true, true, true, 0}, {1}, {"3 download_setup_warning"}, true, false, false, 0},
      {"AutoBackup 0", {false, true, false, true, 0}, {}, {}, true, false, false, 0},
      {"AutoBackup 1", {false, true, false, true, 1}, {}, {}, true, true, false, 1},
      {"AutoBackup 2, Yes", {false, true, false, true, 2}, {1}, {"3 download_auto_backup_query"}, true, true, true, 1},
      {"AutoBackup 2, No", {false, true, false, true, 2}, {2}, {"3 download_auto_backup_query"}, true, false, true, 0},
      {"AutoBackup 7", {false, true, false, true, 7}, {}, {}, true, true, false, 7},
      {"no driver values: no backup", {false, true, false, false, 2}, {}, {}, true, false, false, 2},
  };
  for (const auto& c : cases) {
    std::vector<std::string> asked;
    size_t next = 0;
    install_decision d = decide_install(c.facts, [&](int type, const char* key) {
      asked.push_back(std::to_string(type) + " " + key);
      return next < c.answers.size() ? c.answers[next++] : 2;
    });
    EXPECT_EQ(asked, c.asked) << c.what;
    EXPECT_EQ(d.proceed, c.proceed) << c.what;
    EXPECT_EQ(d.back_up, c.back_up) << c.what;
    EXPECT_EQ(d.save_auto_backup, c.save) << c.what;
    EXPECT_EQ(d.auto_backup, c.auto_backup) << c.what;
  }
}

TEST(DownloadRowRules, InstallJobTakesTheGroupsEngineAndAbsentDevices) {
  row_fixture f;
  f.add(u"A", true);
  f.add(u"B", true).present = 0;
  install_job job;
  job.force = 1;
  job.wanted_infs.insert(u"stale.inf");
  fill_install_job(job, f.group(match_engine_latest, false, false), u"C:\\d\\x.zip");
  EXPECT_EQ(job.package_path, u"C:\\d\\x.zip");
  EXPECT_EQ(job.not_all_present, 1);
  EXPECT_EQ(job.force, 0);
  EXPECT_EQ(job.wanted_infs, std::set<std::u16string>{u"latest.inf"});
}

TEST(DownloadRowRules, WaitDialogChoice) {
  struct wait_case {
    const char16_t* path;
    std::optional<uint64_t> size;
    bool shown;
  } cases[] = {
      {u"C:\\d\\SETUP.EXE", 10, true},     {u"C:\\d\\setup.exe", std::nullopt, true},
      {u"C:\\d\\p.zip", 2 << 20, true},    {u"C:\\d\\p.zip", 0x100000, false},
      {u"C:\\d\\p.zip", 900 * 1024, false}, {u"C:\\d\\p.zip", std::nullopt, false},
      {u"C:\\d.exe\\p", 5, false},
  };
  for (const auto& c : cases) EXPECT_EQ(shows_install_wait(c.path, c.size), c.shown) << u16_to_utf8(c.path);
}

}  // namespace
