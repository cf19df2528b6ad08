// The rules that compare "by locale" use the platform's linguistic order. These cases are the
// ones where it differs from a code-unit order, so they run only against the real platform.
#include <gtest/gtest.h>

#include "engine/driver_groups.h"
#include "engine/ranking.h"
#include "engine/ranking_text.h"
#include "tests/engine/ranking_fixture.h"

namespace {

TEST(RankingLocale, TheLinguisticOrderIsNotTheCodeUnitOrder) {
  // Upper case sorts after its lower case, not before every lower-case letter; the hyphen is
  // nearly ignored (word sort), so "2019-1-05" reads like "2019105".
  EXPECT_LT(locale_compare(u"audio", u"Batteries"), 0);
  EXPECT_GT(plain_compare(u"audio", u"Batteries"), 0);
  EXPECT_GT(locale_compare(u"2019-1-05", u"2019-10-05"), 0);
  EXPECT_LT(plain_compare(u"2019-1-05", u"2019-10-05"), 0);
  EXPECT_EQ(locale_compare(u"2019-10-05", u"2019-10-05"), 0);
}

TEST(RankingLocale, LatestUsesTheLinguisticDateOrder) {
  device_info d = base_device();
  d.candidates = {base_candidate(), base_candidate()};
  copy_cut(d.candidates[0].date, u"2019-10-05");
  copy_cut(d.candidates[1].date, u"2019-1-05");
  copy_cut(d.candidates[1].remote_url, "http://dl.example.com/pkg/other.zip");
  rank_device_candidates(d, match_context{}, 61);
  EXPECT_EQ(d.latest, &d.candidates[1]);
  EXPECT_EQ(d.best, &d.candidates[0]);  // the ladder's own date rung is the code-unit order
}

TEST(RankingLocale, OemMakerRuleComparesWithTheInstalledDateByLocale) {
  // The maker's package dated "2019-1-05" is not earlier than the installed "2019-10-05" in
  // the linguistic order, so it wins by maker although another package is later.
  device_info d = base_device();
  copy_cut(d.DriverDate, u"2019-10-05");
  d.candidates = {base_candidate(), base_candidate()};
  copy_cut(d.candidates[0].manu, u"Globex");
  copy_cut(d.candidates[0].date, u"2021-01-01");
  copy_cut(d.candidates[1].date, u"2019-1-05");
  rank_device_candidates(d, match_context{}, 61);
  EXPECT_EQ(d.best, &d.candidates[1]);
}

TEST(RankingLocale, GroupsOfOneCategoryFollowTheLinguisticClassOrder) {
  std::vector<device_class_info> classes(2);
  copy_cut(classes[0].description, u"Batteries");
  copy_cut(classes[1].description, u"audio inputs");
  std::vector<device_info> devices(2, base_device());
  const char* urls[] = {"http://x/b.zip", "http://x/a.zip"};
  for (int i = 0; i < 2; ++i) {
    copy_cut(devices[i].class_name, u"Other");
    devices[i].device_class = &classes[i];
    devices[i].candidates = {base_candidate()};
    copy_cut(devices[i].candidates[0].remote_url, urls[i]);
    devices[i].best = &devices[i].candidates[0];
  }
  driver_group_list_c list;
  list.build(devices.data(), 2, match_engine_best);
  ASSERT_EQ(list.groups.size(), 2u);
  EXPECT_STREQ(list.groups[0].key, "http://x/a.zip");
}

}  // namespace
