#include "app/sidebar.h"

#include <gtest/gtest.h>

#include <string>

TEST(Sidebar, EntriesTopToBottom) {
  const int pngs[] = {104, 113, 102, 110, 112, 108, 203};
  const std::string keys[] = {"btn_home",      "btn_update",  "btn_backup", "btn_restore",
                              "btn_uninstall", "btn_options", "btn_support"};
  for (int i = 0; i < sidebar_entry_count; ++i) {
    EXPECT_EQ(sidebar_entries[i].number, i + 1);
    EXPECT_EQ(sidebar_entries[i].png, pngs[i]);
    EXPECT_EQ(sidebar_entries[i].text_key, keys[i]);
    EXPECT_EQ(sidebar_button_y(i + 1), 45 * i);
  }
}

TEST(Sidebar, ClickRuleByNumberSelectionAndResults) {
  struct row {
    int number, selected, results;
    sidebar_choice expected;
  } rows[] = {
      // The selected entry: nothing, with or without results.
      {1, 1, 0, {1, false, false}},
      {3, 3, 1, {3, false, false}},
      // No results yet: passed on, the selection stays (the scan starts from the overview).
      {2, 1, 0, {1, false, true}},
      {5, 1, 0, {1, false, true}},
      {6, 1, 0, {1, false, true}},
      // Results shown: pages 1-5 take the selection.
      {2, 1, 1, {2, true, true}},
      {5, 2, 1, {5, true, true}},
      {1, 4, 1, {1, true, true}},
      // Options and support never take it.
      {6, 2, 1, {2, false, true}},
      {7, 2, 1, {2, false, true}},
      // Numbers the bar has no button for do nothing.
      {0, 1, 1, {1, false, false}},
      {8, 1, 1, {1, false, false}},
      {-1, 1, 0, {1, false, false}},
  };
  for (const row& r : rows) {
    sidebar_choice c = choose_sidebar_entry(r.number, r.selected, r.results);
    SCOPED_TRACE(testing::Message() << r.number << " with " << r.selected << " selected, results "
                                    << r.results);
    EXPECT_EQ(c.selected, r.expected.selected);
    EXPECT_EQ(c.moved, r.expected.moved);
    EXPECT_EQ(c.send, r.expected.send);
  }
}
