#include "app/restore_page.h"

#include <gtest/gtest.h>

#include <string>

#include "app/detail_window.h"
#include "base/text.h"
#include "engine/device_info.h"

namespace {

backup_device recorded(const char16_t* date, const char16_t* version) {
  backup_device d{};
  copy_cut(d.id, u"USB\\VID_1\\2");
  copy_cut(d.desc, u"Camera");
  copy_cut(d.manu, u"Maker");
  copy_cut(d.name, u"oem4.inf");
  copy_cut(d.date, date);
  copy_cut(d.version, version);
  copy_cut(d.backup_date, u"2026-12-01");
  copy_cut(d.backup_file, u"Camera-1.2.zip");
  return d;
}

TEST(RestorePage, ReloadPlanFromTheCatalogsResultAndRecords) {
  struct table_case {
    int load;
    size_t records;
    int32_t result;
    bool header;
    int32_t count;
    size_t rows;
  } cases[] = {
      {-1, 0, -1, false, 0, 0},  // missing or unreadable file: empty, no header
      {-1, 3, -1, false, 0, 0},  // the old catalog is not shown either
      {0, 0, 0, false, 0, 0},    // nothing recorded
      {0, 1, 0, true, 1, 1},
      {0, 2, 0, true, 2, 2},
  };
  for (const auto& c : cases) {
    restore_reload_plan p = plan_restore_reload(c.load, c.records);
    EXPECT_EQ(p.result, c.result) << c.load << " " << c.records;
    EXPECT_EQ(p.header, c.header) << c.load << " " << c.records;
    EXPECT_EQ(p.count, c.count) << c.load << " " << c.records;
    EXPECT_EQ(p.rows, c.rows) << c.load << " " << c.records;
  }
}

TEST(RestorePage, InstalledAndBackupLinesWithFallbackAndCut) {
  device_info scanned{};
  copy_cut(scanned.DriverDate, u"2020-02-02");
  copy_cut(scanned.DriverVersion, u"5.6");
  struct table_case {
    const char* what;
    bool found, has_driver;
    const char16_t* installed;
    bool none;
  } cases[] = {
      {"device of the last scan with its driver", true, true, u"2020-02-02 (5.6)", false},
      {"device without driver values", true, false, u"None", true},
      {"device absent from the last scan", false, false, u"None", true},
  };
  for (const auto& c : cases) {
    backup_device d = recorded(u"2019-03-14", u"2.3.4.5");
    scanned.has_driver = c.has_driver ? 1 : 0;
    d.device = c.found ? &scanned : nullptr;
    installed_value v = restore_installed_value(d, u"None");
    EXPECT_EQ(v.text, c.installed) << c.what;
    EXPECT_EQ(v.none, c.none) << c.what;
    EXPECT_EQ(restore_backup_value(d), u"2019-03-14 (2.3.4.5)") << c.what;  // always the recorded one
  }
  // The fields' own sizes keep the values short; a longer text is cut at 127 characters.
  copy_cut(scanned.DriverVersion, std::u16string(200, u'7'));
  scanned.has_driver = 1;
  backup_device d = recorded(u"2019-03-14", std::u16string(200, u'9').c_str());
  d.device = &scanned;
  EXPECT_EQ(restore_installed_value(d, u"None").text, u"2020-02-02 (" + std::u16string(64, u'7') + u")");
  EXPECT_EQ(restore_backup_value(d), u"2019-03-14 (" + std::u16string(31, u'9') + u")");
  d.device = nullptr;
  EXPECT_EQ(restore_installed_value(d, std::u16string(300, u'n')).text, std::u16string(restore_line_limit, u'n'));
}

TEST(RestorePage, RowHeightLinesAndButtonPlaces) {
  struct table_case {
    int32_t title, line;
    size_t devices;
    int32_t height, first_line, installed, backup;
  } cases[] = {
      // n x (line + 8) + 3 x title + 26; lines from title + 14, installed 8 below the last
      {15, 16, 1, 24 + 45 + 26, 29, 29 + 16 + 8, 53 + 15 + 4},
      {15, 16, 3, 72 + 45 + 26, 29, 29 + 48 + 16 + 8, 101 + 15 + 4},
      {12, 13, 2, 42 + 36 + 26, 26, 26 + 21 + 13 + 8, 68 + 12 + 4},
  };
  for (const auto& c : cases) {
    restore_row_layout l{c.title, c.line, c.devices};
    EXPECT_EQ(l.height(), c.height) << c.devices;
    EXPECT_EQ(l.device_line_top(0), c.first_line) << c.devices;
    EXPECT_EQ(l.installed_line_top(), c.installed) << c.devices;
    EXPECT_EQ(l.backup_line_top(), c.backup) << c.devices;
    // The backup line sits below the installed one, both inside the row above the button.
    EXPECT_LT(l.backup_line_top() + c.title, l.height() - 3) << c.devices;
  }
  // The backup value starts where the installed one does, or after its own longer label.
  EXPECT_EQ(installed_value_x(60), 90);
  EXPECT_EQ(backup_value_x(60, 50), 90);
  EXPECT_EQ(backup_value_x(60, 75), 105);
  EXPECT_EQ(restore_action_button_place(700, 120).x, 568);
  EXPECT_EQ(restore_action_button_place(700, 120).y, 87);
  EXPECT_EQ(restore_menu_button_place(700).x, 677);
  EXPECT_EQ(restore_menu_button_place(700).y, 8);
}

TEST(RestorePage, EightDetailRowsOfTheRecordedDriver) {
  backup_device d = recorded(u"2019-03-14", u"2.3.4.5");
  auto rows = restore_property_rows(d);
  ASSERT_EQ(rows.size(), size_t(restore_property_row_count));
  const std::pair<const char*, const char16_t*> expected[] = {
      {"device_detail_list_device_id", u"USB\\VID_1\\2"},
      {"device_detail_list_device_desc", u"Camera"},
      {"device_detail_list_manufacturer", u"Maker"},
      {"device_detail_list_inf_name", u"oem4.inf"},
      {"device_detail_list_inf_date", u"2019-03-14"},
      {"device_detail_list_inf_version", u"2.3.4.5"},
      {"device_detail_backup_date", u"2026-12-01"},
      {"device_detail_backup_file", u"Camera-1.2.zip"},
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_STREQ(rows[i].label_key, expected[i].first);
    EXPECT_EQ(rows[i].installed, expected[i].second) << i;
    EXPECT_TRUE(rows[i].offered.empty());
  }
}

TEST(RestorePage, ARowGoesOnlyWhenItsArchiveIsGone) {
  struct table_case {
    bool deleted, gone, row_goes;
  } cases[] = {
      {true, true, true},     // deleted now
      {false, true, true},    // already gone before
      {false, false, false},  // the delete failed (read-only, in use): file and row stay
      {true, false, true},    // deleted but still pending close: it goes when closed
  };
  for (const auto& c : cases) EXPECT_EQ(restore_row_goes(c.deleted, c.gone), c.row_goes) << c.deleted << c.gone;
}

// The class picture of a row: the recorded index, none when the backup has no class record
// (or an index that is not a number).
TEST(RestorePage, ClassPictureOnlyForARecordedIndex) {
  const struct {
    const char16_t* recorded;
    int32_t index;
  } cases[] = {{u"0", 0}, {u"7", 7}, {u"23", 23}, {u"", -1}, {u"x", -1}, {u"-2", -1}, {u"3a", -1}};
  for (const auto& c : cases) {
    backup_device d{};
    copy_cut(d.class_image, c.recorded);
    EXPECT_EQ(restore_class_image(d), c.index) << u16_to_utf8(c.recorded);
  }
}

}  // namespace
