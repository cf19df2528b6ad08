#include "app/detail_window.h"

#include <gtest/gtest.h>

#include "tests/app/row_fixture.h"

namespace {

// installed values: row -> text; offered values likewise.
TEST(DetailProperties, InstalledAndOfferedColumnsByDriverValuesGroupAndVariant) {
  struct table_case {
    const char* what;
    bool has_driver;
    bool download, unmatched;
    int32_t engine;
    bool installed_filled;
    const char16_t* offered_desc;  // row 1 of the offered column; null: none at all
  } cases[] = {
      {"backup, driver values", true, false, false, 0, true, nullptr},
      {"backup, none", false, false, false, 0, false, nullptr},
      {"download, best", true, true, false, 0, true, u"Best desc"},
      {"download, latest engine of the group", true, true, false, 1, true, u"Latest desc"},
      {"download, unmatched", true, true, true, 0, false, u"Best desc"},
      {"download, no driver values", false, true, false, 0, false, u"Best desc"},
  };
  for (const auto& c : cases) {
    row_fixture f;
    device_info& d = f.add(u"Dev", c.has_driver);
    driver_group g = f.group(c.engine, false, c.unmatched);
    auto rows = device_property_rows(d, c.download ? &g : nullptr);
    ASSERT_EQ(rows.size(), size_t(device_property_row_count)) << c.what;
    EXPECT_STREQ(rows[0].label_key, "device_detail_list_device_id");
    EXPECT_STREQ(rows[12].label_key, "device_detail_list_rank_of_installed_driver");
    EXPECT_EQ(rows[0].installed, u"PCI\\VEN_1&DEV_2\\3") << c.what;  // always
    if (c.installed_filled) {
      EXPECT_EQ(rows[1].installed, u"Installed desc") << c.what;
      EXPECT_EQ(rows[3].installed, u"PCI\\VEN_1&DEV_2") << c.what;  // the first of the multi-string
      EXPECT_EQ(rows[4].installed, u"PCI\\CC_03") << c.what;
      EXPECT_EQ(rows[9].installed, u"Display") << c.what;
      EXPECT_EQ(rows[10].installed, u"Display adapters") << c.what;
      EXPECT_EQ(rows[12].installed, u"00FF0001") << c.what;
    } else {
      for (size_t i = 1; i < rows.size(); ++i) EXPECT_EQ(rows[i].installed, u"") << c.what << " row " << i;
    }
    if (!c.offered_desc) {
      for (const auto& r : rows) EXPECT_EQ(r.offered, u"") << c.what;
      continue;
    }
    EXPECT_EQ(rows[0].offered, u"(none)") << c.what;
    EXPECT_EQ(rows[1].offered, c.offered_desc) << c.what;
    EXPECT_EQ(rows[6].offered, c.engine == 0 ? u"best.inf" : u"latest.inf") << c.what;  // after the backslash
    EXPECT_EQ(rows[12].offered, u"(none)") << c.what;
  }
}

TEST(DetailProperties, UnnamedDeviceShowsTheUnknownText) {
  row_fixture f;
  device_info& d = f.add(u"", true);
  EXPECT_EQ(device_list_name(d, u"Unknown Device"), u"Unknown Device");
  copy_cut(d.name, u"Named");
  EXPECT_EQ(device_list_name(d, u"Unknown Device"), u"Named");
}

}  // namespace
