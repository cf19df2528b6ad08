#include "app/uninstall_page.h"

#include <gtest/gtest.h>

#include <deque>

#include "base/text.h"
#include "engine/device_info.h"

namespace {

struct entries_fixture {
  std::deque<device_info> devices;
  std::vector<backup_entry> entries;

  // An entry per letter: 'o' an installed package, 'i' an inbox one.
  explicit entries_fixture(const char* kinds) {
    for (const char* k = kinds; *k; ++k) {
      devices.emplace_back();
      device_info& d = devices.back();
      copy_cut(d.InfPath, *k == 'o' ? u"oem4.inf" : u"machine.inf");
      backup_entry e{};
      e.inbox = *k == 'i' ? 1 : 0;
      e.devices.push_back(&d);
      entries.push_back(e);
    }
  }
};

struct plan_case {
  const char* kinds;
  std::vector<installed_plan_line> plan;
};

TEST(UninstallPage, RebuildPlanPutsInstalledPackagesFirstWithTheirCounts) {
  const plan_case cases[] = {
      {"", {}},
      {"oo", {{true, 0, 2, 0}, {false, 3, 0, 0}, {false, 3, 0, 1}}},
      {"ii", {{true, 1, 2, 0}, {false, 4, 0, 0}, {false, 4, 0, 1}}},
      {"ioio",
       {{true, 0, 2, 0}, {false, 3, 0, 1}, {false, 3, 0, 3}, {true, 1, 2, 0}, {false, 4, 0, 0}, {false, 4, 0, 2}}},
      {"iio", {{true, 0, 1, 0}, {false, 3, 0, 2}, {true, 1, 2, 0}, {false, 4, 0, 0}, {false, 4, 0, 1}}},
  };
  for (const plan_case& c : cases) {
    entries_fixture f(c.kinds);
    std::vector<installed_plan_line> plan = installed_rebuild_plan(f.entries);
    ASSERT_EQ(plan.size(), c.plan.size()) << c.kinds;
    for (size_t i = 0; i < plan.size(); ++i) {
      EXPECT_EQ(plan[i].header, c.plan[i].header) << c.kinds << " line " << i;
      EXPECT_EQ(plan[i].id, c.plan[i].id) << c.kinds << " line " << i;
      EXPECT_EQ(plan[i].count, c.plan[i].count) << c.kinds << " line " << i;
      if (!plan[i].header) {
        EXPECT_EQ(plan[i].entry, c.plan[i].entry) << c.kinds << " line " << i;
      }
    }
    installed_counts counts = count_installed_packages(f.entries);
    EXPECT_EQ(counts.available + counts.inbox, int32_t(f.entries.size())) << c.kinds;
  }
}

TEST(UninstallPage, RowHeightAndButtonPlaces) {
  const struct {
    int32_t devices, line, title, height;
  } heights[] = {{1, 16, 15, 78}, {3, 16, 15, 126}, {0, 16, 15, 54}, {2, 13, 12, 90}};
  for (const auto& h : heights)
    EXPECT_EQ(installed_row_height(h.devices, h.line, h.title), h.height) << h.devices << " " << h.line;
  installed_row_buttons at = installed_row_button_places(600, 78);
  EXPECT_EQ(at.remove.x, 468);
  EXPECT_EQ(at.remove.y, 47);
  EXPECT_EQ(at.menu.x, 577);
  EXPECT_EQ(at.menu.y, 8);
}

TEST(UninstallPage, ARemoveStartsOnlyForAnEntryOfTheListWithAnInfAndNoJobRunning) {
  entries_fixture f("oi");
  EXPECT_EQ(entry_index(f.entries, &f.entries[1]), 1);
  EXPECT_EQ(entry_index(f.entries, nullptr), -1);
  backup_entry stranger{};
  EXPECT_EQ(entry_index(f.entries, &stranger), -1);
  // A pointer into the middle of an element is no element.
  EXPECT_EQ(entry_index(f.entries, reinterpret_cast<const char*>(&f.entries[0]) + 1), -1);

  EXPECT_TRUE(may_start_uninstall(false, f.entries[0]));
  EXPECT_FALSE(may_start_uninstall(true, f.entries[0]));  // the running job reads its INF name
  EXPECT_FALSE(may_start_uninstall(false, stranger));     // no device
  f.devices[1].InfPath[0] = 0;
  EXPECT_FALSE(may_start_uninstall(false, f.entries[1]));  // no INF to name
}

}  // namespace
