#include "app/backup_page.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "engine/device_info.h"

namespace {

// Entries of backup_list's shape over devices of the test's own.
struct entries_fixture {
  std::deque<device_info> devices;
  std::vector<backup_entry> entries;

  device_info* device() {
    devices.emplace_back();
    return &devices.back();
  }
  // One entry per character: 'o' a package from outside Windows, 'i' an inbox one; each with
  // `per_entry` devices.
  explicit entries_fixture(const char* kinds, int per_entry = 1) {
    for (const char* k = kinds; *k; ++k) {
      backup_entry e{};
      e.inbox = *k == 'i' ? 1 : 0;
      for (int i = 0; i < per_entry; ++i) e.devices.push_back(device());
      entries.push_back(e);
    }
  }
};

TEST(BackupPageRules, GroupPlanHeadersRowIdsAndInitialChecks) {
  struct plan_case {
    const char* kinds;
    // h<id><count> a header, r<row id><c|u> a row of entry n in order, checked or not
    std::vector<std::string> expected;
  } cases[] = {
      {"oio", {"h0:2", "r3c:0", "r3c:2", "h1:1", "r4u:1"}},
      {"ii", {"h1:2", "r4u:0", "r4u:1"}},
      {"o", {"h0:1", "r3c:0"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    entries_fixture f(c.kinds);
    std::vector<std::string> got;
    for (const backup_plan_item& item : backup_group_plan(f.entries)) {
      if (item.header_id >= 0)
        got.push_back("h" + std::to_string(item.header_id) + ":" + std::to_string(item.count));
      else
        got.push_back("r" + std::to_string(item.row_id) + (item.checked ? "c" : "u") + ":" +
                      std::to_string(item.entry));
    }
    EXPECT_EQ(got, c.expected) << c.kinds;
  }
  EXPECT_EQ(group_row_id(0), 3);
  EXPECT_EQ(group_row_id(1), 4);
  EXPECT_EQ(group_row_id(2), 5);
  EXPECT_EQ(group_row_id(-1), 5);
}

TEST(BackupPageRules, RowHeightAndButtonPlaces) {
  struct height_case {
    size_t devices;
    int32_t line, title, height;
  } cases[] = {{1, 16, 15, 1 * 24 + 30 + 24}, {3, 16, 15, 3 * 24 + 30 + 24}, {3, 13, 12, 3 * 21 + 24 + 24}};
  for (const auto& c : cases) EXPECT_EQ(backup_row_height(c.devices, c.line, c.title), c.height) << c.devices;
  backup_row_places p = backup_row_buttons(600, 80, 15);
  EXPECT_EQ(p.check_x, 6);
  EXPECT_EQ(p.check_y, 29);
  EXPECT_EQ(p.action_x, 468);
  EXPECT_EQ(p.action_y, 49);
  EXPECT_EQ(p.menu_x, 577);
  EXPECT_EQ(p.menu_y, 8);
}

TEST(BackupPageRules, LinksCheckRowsAndSelectEntriesInListOrder) {
  struct link_case {
    int which;
    bool outside_checked, inbox_checked;
  } cases[] = {{select_recommended, true, false}, {select_all, true, true}, {select_none, false, false}, {0, false, false}};
  entries_fixture f("ioio");
  for (const auto& c : cases) {
    EXPECT_EQ(row_checked_after(c.which, false), c.outside_checked) << c.which;
    EXPECT_EQ(row_checked_after(c.which, true), c.inbox_checked) << c.which;
    std::set<const backup_entry*> selection = selection_after_link(f.entries, c.which);
    std::vector<const backup_entry*> expected;
    for (const backup_entry& e : f.entries)
      if (e.inbox ? c.inbox_checked : c.outside_checked) expected.push_back(&e);
    EXPECT_EQ(std::vector<const backup_entry*>(selection.begin(), selection.end()), expected) << c.which;
  }
  // The first device of each selected entry, in list order whatever the order of checking.
  entries_fixture three("ooo", 2);
  std::set<const backup_entry*> chosen = {&three.entries[2], &three.entries[0]};
  std::vector<device_info*> devices = selected_backup_devices(chosen);
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0], three.entries[0].devices[0]);
  EXPECT_EQ(devices[1], three.entries[2].devices[0]);
}

TEST(BackupPageRules, QueuedBackupKeepsTheFirstQueuedDeviceOfEachEntry) {
  entries_fixture f("oo", 2);
  device_info* a0 = f.entries[0].devices[0];
  device_info* a1 = f.entries[0].devices[1];
  device_info* b0 = f.entries[1].devices[0];
  device_info* b1 = f.entries[1].devices[1];
  device_info* none = f.device();  // a device without a package in the list
  struct queue_case {
    std::vector<device_info*> queued, kept;
  } cases[] = {
      {{none, b1, a1, a0, b0}, {b1, a1}},  // a first device without a package no longer stops the rest
      {{a0, a1}, {a0}},                    // one package counts once in the bar
      {{none}, {}},
      {{}, {}},
      {{nullptr, b0}, {b0}},
  };
  for (const auto& c : cases) EXPECT_EQ(queued_backup_devices(c.queued, f.entries), c.kept);
  EXPECT_TRUE(queued_backup_devices({a0}, {}).empty());
}

TEST(BackupPageRules, ResultAndQuietGiveTheMessage) {
  struct message_case {
    int result;
    bool quiet;
    int type;
    const char* key;
  } cases[] = {
      {run_succeeded, false, 0, "backup_success"}, {run_failed, false, 2, "backup_failed"},
      {run_cancelled, false, 0, nullptr},          {run_not_started, false, 2, "backup_failed"},
      {run_succeeded, true, 0, nullptr},           {run_failed, true, 0, nullptr},
      {run_cancelled, true, 0, nullptr},           {run_not_started, true, 0, nullptr},
  };
  for (const auto& c : cases) {
    backup_message m = backup_result_message(c.result, c.quiet);
    EXPECT_EQ(m.key ? std::string(m.key) : std::string(), c.key ? std::string(c.key) : std::string())
        << c.result << " " << c.quiet;
    if (c.key) {
      EXPECT_EQ(m.type, c.type) << c.result;
    }
  }
}

TEST(BackupPageRules, BarFractionAndDialogTick) {
  struct fraction_case {
    int32_t progress;
    size_t devices;
    float previous, expected;
  } cases[] = {{0, 2, 0.5f, 0.0f},   {50, 1, 0, 0.5f},    {150, 2, 0, 0.75f},
               {200, 2, 0, 1.0f},    {250, 2, 0, 1.0f},   {-5, 1, 0, 0.0f},
               {70, 0, 0.3f, 0.3f}};
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(backup_bar_fraction(c.progress, c.devices, c.previous), c.expected) << c.progress;

  struct tick_case {
    bool has_thread, ended, running;
    int32_t result;
    backup_tick expected;
  } ticks[] = {
      {true, false, true, 0, backup_tick::wait},          {true, true, false, 0, backup_tick::end_succeeded},
      {true, true, false, 3, backup_tick::end_succeeded}, {true, true, false, -1, backup_tick::end_failed},
      {false, false, true, 0, backup_tick::wait},         {false, false, false, 0, backup_tick::end_failed},
  };
  for (const auto& t : ticks)
    EXPECT_EQ(backup_dialog_tick(t.has_thread, t.ended, t.running, t.result), t.expected)
        << t.has_thread << t.ended << t.running << t.result;
}

}  // namespace
