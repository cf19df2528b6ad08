#include "engine/ranking.h"

#include <gtest/gtest.h>

#include "tests/engine/ranking_fixture.h"

namespace {

auto mark(const char16_t* m) { return [=](driver_candidate& c) { copy_cut(c.mark, m); }; }
auto target(uint32_t t) { return [=](driver_candidate& c) { c.targetos = t; }; }
auto date(const char16_t* d) { return [=](driver_candidate& c) { copy_cut(c.date, d); }; }
auto ver(const char16_t* v) { return [=](driver_candidate& c) { copy_cut(c.ver, v); }; }
auto manu(const char16_t* m) { return [=](driver_candidate& c) { copy_cut(c.manu, m); }; }
auto both(candidate_edit a, candidate_edit b) {
  return [=](driver_candidate& c) { a(c); b(c); };
}
auto sign_cp(uint32_t s, uint32_t p) { return [=](driver_candidate& c) { c.sign = s; c.cp = p; }; }
auto size(uint32_t n) { return [=](driver_candidate& c) { c.size = n; }; }

struct ladder_case {
  const char* what;
  int32_t v;
  device_edit device;
  candidate_edit x, y;
  char winner;  // 'x' or 'y' in both orders; 'f' the first, 'l' the last of the two in both orders
};

void no_change(device_info&) {}

// Each rung of the ladder, shown by a pair that a later rung would decide the other way.
const ladder_case ladder[] = {
    {"shared mark loses although its target fits better", 61, no_change,
     both(mark(u"Share_pack"), target(61)), both(mark(u"vendor"), target(51)), 'y'},
    {"shared against an empty mark", 61, no_change, mark(u"SHARE_x"), mark(u""), 'y'},
    {"two shared marks go on to the target", 61, no_change, both(mark(u"share_a"), target(51)),
     both(mark(u"share_b"), target(61)), 'y'},
    {"the machine's own target wins", 61, no_change, target(62), both(target(61), date(u"2001-01-01")), 'y'},
    {"nearest target across families: 62 before 51 (signed distance)", 61, no_change, target(51), target(62), 'y'},
    {"Windows 10 machine: 100 before 63", 100, no_change, target(63), target(100), 'y'},
    {"a target with the high bit set is far away", 61, no_change, target(0x8000003Du), target(51), 'y'},
    {"equal distance across families keeps the first", 61, no_change, target(51), target(71), 'f'},
    {"same family, neither the machine's: goes on to the service preference", 61, no_change,
     both(target(60), sign_cp(1, 2)), both(target(63), sign_cp(1, 1)), 'y'},
    {"signing 1 and 2 are one grade on Vista and later", 61, no_change, sign_cp(2, 1), sign_cp(1, 2), 'x'},
    {"signing 0 before 1", 61, no_change, sign_cp(1, 1), sign_cp(0, 2), 'y'},
    {"signing 2 before 3", 61, no_change, sign_cp(3, 1), sign_cp(2, 2), 'y'},
    {"signing 1 and 3 are one grade before Vista", 51, no_change, sign_cp(1, 1), sign_cp(3, 2), 'x'},
    {"signing 0 before 3 before Vista", 51, no_change, sign_cp(3, 1), sign_cp(0, 2), 'y'},
    {"lower service preference wins over a later date", 61, no_change,
     both(sign_cp(1, 5), date(u"2024-01-01")), sign_cp(1, 3), 'y'},
    {"oem: the installed driver's maker wins over a later date", 61, no_change,
     both(manu(u"acme"), date(u"2019-06-01")), both(manu(u"Globex"), date(u"2021-01-01")), 'x'},
    {"oem: the maker's package older than the installed one does not win by maker", 61, no_change,
     both(manu(u"Acme"), date(u"2018-06-01")), both(manu(u"Globex"), date(u"2021-01-01")), 'y'},
    {"oem: an empty provider name names no maker: the date decides", 61,
     [](device_info& d) { copy_cut(d.ProviderName, u""); },
     both(manu(u"Acme"), date(u"2019-06-01")), both(manu(u"Globex"), date(u"2021-01-01")), 'y'},
    {"oem: a package without a maker name leaves the maker rule to the other", 61, no_change,
     both(manu(u""), date(u"2021-01-01")), both(manu(u"Acme"), date(u"2019-06-01")), 'y'},
    {"oem: an empty provider name and an empty maker name are one name", 61,
     [](device_info& d) { copy_cut(d.ProviderName, u""); },
     both(manu(u""), date(u"2019-06-01")), both(manu(u"Globex"), date(u"2021-01-01")), 'x'},
    {"oem rule skipped for an in-box driver", 61, [](device_info& d) { copy_cut(d.InfPath, u"machine.inf"); },
     both(manu(u"Acme"), date(u"2019-06-01")), both(manu(u"Globex"), date(u"2021-01-01")), 'y'},
    {"oem rule skipped for a device with a problem", 61, [](device_info& d) { d.problem = 28; },
     both(manu(u"Acme"), date(u"2019-06-01")), both(manu(u"Globex"), date(u"2021-01-01")), 'y'},
    {"oem rule skipped without installed-driver values", 61, [](device_info& d) { d.has_driver = 0; },
     both(manu(u"Acme"), date(u"2019-06-01")), both(manu(u"Globex"), date(u"2021-01-01")), 'y'},
    {"oem: the installed major version wins between close dates", 61,
     [](device_info& d) { copy_cut(d.DriverVersion, u"10.0.0.0"); },
     both(ver(u"10.1.0.0"), date(u"2020-01-10")), both(ver(u"9.5.0.0"), date(u"2020-01-20")), 'x'},
    {"oem: exactly 30 days apart still counts as close", 61,
     [](device_info& d) { copy_cut(d.DriverVersion, u"10.0.0.0"); },
     both(ver(u"10.1.0.0"), date(u"2020-01-01")), both(ver(u"9.5.0.0"), date(u"2020-01-31")), 'x'},
    {"oem: 31 days apart the date decides", 61, [](device_info& d) { copy_cut(d.DriverVersion, u"10.0.0.0"); },
     both(ver(u"10.1.0.0"), date(u"2020-01-01")), both(ver(u"9.5.0.0"), date(u"2020-02-01")), 'y'},
    {"oem: a package older than the installed version is not picked by major", 61,
     [](device_info& d) { copy_cut(d.DriverVersion, u"10.2.0.0"); },
     both(ver(u"10.1.0.0"), date(u"2020-01-10")), both(ver(u"9.5.0.0"), date(u"2020-01-20")), 'y'},
    {"later date wins", 61, no_change, date(u"2020-03-01"), date(u"2020-03-02"), 'y'},
    {"equal versions: the smaller package wins", 61, no_change, size(5000000), size(3000000), 'y'},
    {"equal versions and sizes keep the first", 61, no_change, size(3000000), size(3000000), 'f'},
    {"versions by number, not by text", 61, no_change, ver(u"1.9.0.0"), ver(u"1.10.0.0"), 'y'},
    {"a version without dots orders by its number", 61, no_change, ver(u"7"), ver(u"6.5"), 'x'},
};

TEST(Ranking, LadderPicksTheSameBestInEitherOrder) {
  match_context context;
  for (const auto& c : ladder) {
    const driver_candidate x = candidate_with(c.x), y = candidate_with(c.y);
    for (int order = 0; order < 2; ++order) {
      device_info d = base_device();
      c.device(d);
      d.candidates = order == 0 ? std::vector<driver_candidate>{x, y} : std::vector<driver_candidate>{y, x};
      rank_device_candidates(d, context, c.v);
      ASSERT_NE(d.best, nullptr);
      size_t expected = c.winner == 'f'   ? 0
                        : c.winner == 'l' ? 1
                                          : ((c.winner == 'x') == (order == 0) ? 0 : 1);
      EXPECT_EQ(size_t(d.best - d.candidates.data()), expected)
          << c.what << (order ? " (y first)" : " (x first)");
    }
  }
}

TEST(Ranking, SharedPackageIsNeverBestWhileAnotherIsOffered) {
  device_info d = base_device();
  d.candidates = {candidate_with(both(mark(u"share_1"), date(u"2024-01-01"))),
                  candidate_with(both(mark(u"x"), sign_cp(3, 9))),
                  candidate_with(both(mark(u"Share_2"), sign_cp(0, 0)))};
  rank_device_candidates(d, match_context{}, 61);
  EXPECT_EQ(d.best, &d.candidates[1]);
}

TEST(Ranking, LatestIsTheFirstOfTheLatestDates) {
  device_info d = base_device();
  d.candidates = {candidate_with(date(u"2020-01-01")), candidate_with(date(u"2021-05-01")),
                  candidate_with(date(u"2021-05-01")), candidate_with(date(u"2019-12-31"))};
  d.candidates[0].cp = 0;  // best by preference, not by date
  rank_device_candidates(d, match_context{}, 61);
  EXPECT_EQ(d.best, &d.candidates[0]);
  EXPECT_EQ(d.latest, &d.candidates[1]);
}

TEST(Ranking, NoCandidatesLeavesChoicesAndFlags) {
  device_info d = base_device();
  d.best_needs_update = d.latest_needs_update = 0;
  rank_device_candidates(d, match_context{}, 61);
  EXPECT_EQ(d.best, nullptr);
  EXPECT_EQ(d.latest, nullptr);
  EXPECT_EQ(d.best_needs_update, 0);
  EXPECT_EQ(d.latest_needs_update, 0);
}

TEST(Ranking, SingleCandidateIsBestAndLatestAndDecided) {
  device_info d = base_device();
  d.has_driver = 0;
  d.candidates = {base_candidate()};
  rank_device_candidates(d, match_context{}, 61);
  EXPECT_EQ(d.best, &d.candidates[0]);
  EXPECT_EQ(d.latest, &d.candidates[0]);
  EXPECT_EQ(d.best_needs_update, 1);
  EXPECT_EQ(d.latest_needs_update, 1);
}

struct decision_case {
  const char* what;
  int32_t v;
  device_edit device;
  candidate_edit chosen;
  bool in_history;
  int32_t best_update, latest_update;
};

const char* const installed_url = "http://dl.example.com/pkg/acme.zip";

// Installed: Acme Inc., 2019-01-01, 1.0.0.0, rank class 2, matching ID of the base candidate.
const decision_case decisions[] = {
    {"installed once before: never an update", 61, [](device_info& d) { d.has_driver = 0; },
     date(u"2030-01-01"), true, 0, 0},
    {"no installed driver", 61, [](device_info& d) { d.has_driver = 0; }, date(u"2000-01-01"), false, 1, 1},
    {"same maker, installed one is newer", 61, no_change, both(date(u"2018-01-01"), sign_cp(0, 1)), false,
     0, 0},
    {"other maker, installed one newer, better signed", 61, no_change,
     both(manu(u"Globex"), both(date(u"2018-01-01"), sign_cp(0, 1))), false, 1, 0},
    {"empty provider name names no maker: the better signed package is an update", 61,
     [](device_info& d) { copy_cut(d.ProviderName, u""); },
     both(manu(u"Globex"), both(date(u"2018-01-01"), sign_cp(0, 1))), false, 1, 0},
    {"empty maker name is not the installed driver's maker", 61, no_change,
     both(manu(u""), both(date(u"2018-01-01"), sign_cp(0, 1))), false, 1, 0},
    {"worse signed than installed", 61, no_change, both(date(u"2020-01-01"), sign_cp(3, 1)), false, 0, 1},
    {"Microsoft: grade 1 against 2 is not the same", 61, [](device_info& d) { copy_cut(d.ProviderName, u"x"); },
     both(manu(u"MICROSOFT"), both(date(u"2018-01-01"), sign_cp(1, 1))), false, 1, 0},
    {"same grade, another hardware ID", 61, no_change,
     [](driver_candidate& c) { copy_cut(c.hardid, u"PCI\\VEN_8086"); copy_cut(c.date, u"2019-01-01"); }, false,
     1, 0},
    {"same grade, same hardware ID in another case, later", 61, no_change, date(u"2019-02-01"), false, 1, 1},
    {"same hardware ID, other maker, earlier", 61, [](device_info& d) { copy_cut(d.ProviderName, u"Globex"); },
     date(u"2018-12-31"), false, 0, 0},
    {"equal dates, newer version", 61, no_change, both(date(u"2019-01-01"), ver(u"1.0.0.10")), false, 1, 1},
    {"equal dates, same version", 61, no_change, date(u"2019-01-01"), false, 0, 0},
    {"before Vista: rank bit 14 makes class 3; sign 1 is the same grade", 51,
     [](device_info& d) { d.driver_rank = 0x4000; }, date(u"2019-02-01"), false, 1, 1},
    {"before Vista: rank without bits 14 and 15 makes class 0", 51,
     [](device_info& d) { d.driver_rank = 0x0F001000; }, date(u"2019-02-01"), false, 0, 1},
};

TEST(Ranking, UpdateDecisions) {
  for (const auto& c : decisions) {
    match_context context;
    if (c.in_history) context.history[installed_url] = 1;
    device_info d = base_device();
    c.device(d);
    d.candidates = {candidate_with(c.chosen)};
    rank_device_candidates(d, context, c.v);
    EXPECT_EQ(d.best_needs_update, c.best_update) << c.what;
    EXPECT_EQ(d.latest_needs_update, c.latest_update) << c.what;
  }
}

TEST(Ranking, InstalledSigningClassAndVersionMajor) {
  struct { uint32_t rank; int32_t v; uint32_t m; } ranks[] = {
      {0x8000, 51, 3}, {0x4000, 51, 3}, {0x3FFF, 51, 0}, {0x80000000u, 61, 3},
      {0x0F000000, 61, 2}, {0x0EFFFFFF, 61, 0}, {0x8000, 60, 0},
  };
  for (const auto& r : ranks) EXPECT_EQ(installed_signing_class(r.rank, r.v), r.m) << std::hex << r.rank;
  struct { const char16_t* text; int major; } majors[] = {
      {u"10.2.3.4", 10}, {u"7", -1}, {u"", -1}, {u"abc.1", 0}, {u"12a.1", 12}, {u".5", 0},
  };
  for (const auto& m : majors) EXPECT_EQ(version_major(m.text), m.major) << u16_to_utf8(m.text);
}

}  // namespace
