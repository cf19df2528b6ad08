#include "app/download_page.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "base/text.h"

namespace {

// Groups over stand-in devices: each with its own candidate (sum, size) and device count.
struct page_fixture {
  std::deque<device_info> devices;
  std::deque<driver_candidate> candidates;
  std::vector<driver_group> groups;
  exclusion_map exclusions;

  void add(int devices_in_group, bool up_to_date, bool unmatched, const char16_t* md5, uint32_t size) {
    candidates.emplace_back();
    driver_candidate& c = candidates.back();
    copy_cut(c.md5sum, md5);
    c.size = size;
    driver_group g{};
    g.candidate = &c;
    g.key = c.remote_url;
    g.up_to_date = up_to_date;
    g.unmatched = unmatched;
    for (int i = 0; i < devices_in_group; ++i) {
      devices.emplace_back();
      g.devices.push_back(&devices.back());
    }
    groups.push_back(g);
  }
  void exclude(const char16_t* md5) {
    exclusion_entry e{};
    copy_cut(e.md5hash, md5);
    exclusions[md5] = e;
  }
};

// A colour as the platform's 0x00BBGGRR value.
constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

const char16_t* md5_a = u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
const char16_t* md5_b = u"bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb";
const char16_t* md5_c = u"cccccccccccccccccccccccccccccccc";
const char16_t* md5_d = u"dddddddddddddddddddddddddddddddd";
const char16_t* md5_e = u"eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee";

// Out of date (2 devices), missing (1), up to date (3), missing (1), out of date without a sum (1).
page_fixture three_groups() {
  page_fixture f;
  f.add(2, false, false, md5_a, 100);
  f.add(1, false, true, md5_b, 20);
  f.add(3, true, false, md5_c, 5);
  f.add(1, false, true, md5_d, 7);
  f.add(1, false, false, u"", 1000);
  return f;
}

}  // namespace

TEST(DownloadPage, CountsAndRebuildPlan) {
  struct row {
    const char* name;
    std::vector<const char16_t*> excluded;
    download_counts counts;
    std::vector<download_plan_line> plan;
  } rows[] = {
      {"nothing excluded",
       {},
       {2, 3, 3, {5, 1127}},
       {{true, 0, 2, 0}, {false, 3, 0, 1}, {false, 3, 0, 3},
        {true, 1, 3, 0}, {false, 4, 0, 0}, {false, 4, 0, 4},
        {true, 2, 3, 0}, {false, 5, 0, 2}}},
      {"one missing and the up-to-date package hidden",
       {md5_b, md5_c},
       {1, 3, 0, {4, 1107}},
       {{true, 0, 1, 0}, {false, 3, 0, 3}, {true, 1, 3, 0}, {false, 4, 0, 0}, {false, 4, 0, 4}}},
      {"an entry under the empty key hides nothing",
       {u""},
       {2, 3, 3, {5, 1127}},
       {{true, 0, 2, 0}, {false, 3, 0, 1}, {false, 3, 0, 3},
        {true, 1, 3, 0}, {false, 4, 0, 0}, {false, 4, 0, 4},
        {true, 2, 3, 0}, {false, 5, 0, 2}}},
      {"an unknown sum hides nothing else", {md5_e}, {2, 3, 3, {5, 1127}}, {}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    page_fixture f = three_groups();
    for (const char16_t* m : r.excluded) f.exclude(m);
    download_counts c = count_download_groups(f.groups, f.exclusions);
    EXPECT_EQ(c.missing, r.counts.missing);
    EXPECT_EQ(c.out_of_date, r.counts.out_of_date);
    EXPECT_EQ(c.up_to_date, r.counts.up_to_date);
    EXPECT_EQ(c.selected.count, r.counts.selected.count);
    EXPECT_EQ(c.selected.size, r.counts.selected.size);
    if (r.plan.empty()) continue;
    std::vector<download_plan_line> plan = download_rebuild_plan(f.groups, f.exclusions, c);
    ASSERT_EQ(plan.size(), r.plan.size());
    for (size_t i = 0; i < plan.size(); ++i) {
      EXPECT_EQ(plan[i].header, r.plan[i].header) << i;
      EXPECT_EQ(plan[i].id, r.plan[i].id) << i;
      if (plan[i].header) EXPECT_EQ(plan[i].count, r.plan[i].count) << i;
      else EXPECT_EQ(plan[i].group, r.plan[i].group) << i;
    }
  }
}

TEST(DownloadPage, OnlyUpToDateGivesOneHeaderAndNoSelection) {
  page_fixture f;
  f.add(2, true, false, md5_a, 10);
  download_counts c = count_download_groups(f.groups, f.exclusions);
  std::vector<download_plan_line> plan = download_rebuild_plan(f.groups, f.exclusions, c);
  ASSERT_EQ(plan.size(), 2u);
  EXPECT_EQ(plan[0].id, header_up_to_date);
  EXPECT_EQ(plan[1].id, 5);
  EXPECT_EQ(c.selected.count, 0);
  EXPECT_EQ(c.selected.size, 0);
  EXPECT_TRUE(download_rebuild_plan({}, f.exclusions, download_counts{}).empty());
}

TEST(DownloadPage, HeaderRowsAndBillboard) {
  EXPECT_EQ(rows_of_header(0), 3);
  EXPECT_EQ(rows_of_header(1), 4);
  EXPECT_EQ(rows_of_header(2), 5);
  EXPECT_EQ(rows_of_header(7), 5);
  struct row {
    int32_t missing, out_of_date;
    int png;
    uint32_t colour;
    const char* key;
  } rows[] = {
      {0, 0, 199, rgb(26, 114, 24), "download_billboard_text3"},
      {1, 0, 198, rgb(234, 100, 11), "download_billboard_text1"},
      {3, 4, 198, rgb(234, 100, 11), "download_billboard_text1"},
      {0, 8, 174, rgb(233, 34, 35), "download_billboard_text1"},
      {5, 3, 174, rgb(233, 34, 35), "download_billboard_text1"},
  };
  for (const row& r : rows) {
    download_counts c;
    c.missing = r.missing;
    c.out_of_date = r.out_of_date;
    c.up_to_date = 9;
    download_billboard b = choose_download_billboard(c);
    EXPECT_EQ(b.png, r.png) << r.missing << "+" << r.out_of_date;
    EXPECT_EQ(b.colour, r.colour) << r.missing << "+" << r.out_of_date;
    EXPECT_STREQ(b.key, r.key);
    EXPECT_EQ(b.updates, r.missing + r.out_of_date);
  }
}

TEST(DownloadPage, RecountOfEachLink) {
  page_fixture f = three_groups();
  f.exclude(md5_d);
  struct row {
    int32_t link, count;
    int64_t size;
  } rows[] = {{select_recommended, 4, 1120}, {select_all, 7, 1125}, {select_none, 0, 0}, {9, 0, 0}};
  for (const row& r : rows) {
    download_selection s = recount_selection(f.groups, f.exclusions, r.link);
    EXPECT_EQ(s.count, r.count) << r.link;
    EXPECT_EQ(s.size, r.size) << r.link;
  }
}

TEST(DownloadPage, SelectionArithmeticKeepsLargePackagesUnsigned) {
  const uint32_t three_gib = 3221225472u;
  page_fixture f;
  f.add(2, false, false, md5_a, three_gib);
  f.add(1, false, true, md5_b, 1000);
  download_counts c = count_download_groups(f.groups, f.exclusions);
  EXPECT_EQ(c.selected.size, int64_t(three_gib) + 1000);
  download_selection s = c.selected;
  // Unchecked, then checked again, as the row sends it: the count signed, the size unsigned.
  apply_selection_change(s, -2, uintptr_t(three_gib));
  EXPECT_EQ(s.count, 1);
  EXPECT_EQ(s.size, 1000);
  apply_selection_change(s, 2, uintptr_t(three_gib));
  EXPECT_EQ(s.count, 3);
  EXPECT_EQ(s.size, int64_t(three_gib) + 1000);
  apply_selection_change(s, -1, 1000);
  apply_selection_change(s, -2, uintptr_t(three_gib));
  EXPECT_EQ(s.count, 0);
  EXPECT_EQ(s.size, 0);
}

TEST(DownloadPage, DownloadAllDecision) {
  download_all_decision none = decide_download_all({0, 0}, 0);
  EXPECT_FALSE(none.ask);
  EXPECT_EQ(none.message_type, 1);
  EXPECT_STREQ(none.key, "download_no_driver_selected");
  // Seven devices in three checked rows: the question counts the rows, the files downloaded.
  download_all_decision some = decide_download_all({7, 5000000000}, 3);
  EXPECT_TRUE(some.ask);
  EXPECT_EQ(some.message_type, 3);
  EXPECT_STREQ(some.key, "download_all_warning");
  EXPECT_EQ(some.files, 3);
  EXPECT_EQ(some.size, 5000000000);
  EXPECT_FALSE(decide_download_all({2, 10}, 0).ask);
}

TEST(DownloadPage, OnlyTheRebuildAfterAScanReportsAndOnlyUntilOneIsAccepted) {
  struct row {
    uint32_t debug_status;
    bool after_scan, due;
  } rows[] = {{0, true, true}, {0, false, false}, {1, true, false}, {1, false, false}, {7, true, false}};
  for (const row& r : rows) EXPECT_EQ(scan_report_due(r.debug_status, r.after_scan), r.due) << r.debug_status << r.after_scan;
}
