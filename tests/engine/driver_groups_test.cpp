#include "engine/driver_groups.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/settings.h"
#include "tests/engine/ranking_fixture.h"

namespace {

// Devices with one candidate each, chosen as both best and latest.
struct scanned {
  std::vector<device_info> devices;
  std::vector<device_class_info> classes{2};

  device_info& add(const char* url, int32_t needs_update, const char16_t* class_name = u"Net") {
    device_info d = base_device();
    copy_cut(d.class_name, class_name);
    driver_candidate c = base_candidate();
    copy_cut(c.remote_url, url);
    d.candidates = {c};
    d.best_needs_update = d.latest_needs_update = needs_update;
    devices.push_back(d);
    return devices.back();
  }
  // Choices point into each device's own candidates; set them once the vector stops growing.
  driver_group_list_c build(int32_t engine = match_engine_best) {
    for (auto& d : devices) {
      if (!d.best) d.best = &d.candidates[0];
      if (!d.latest) d.latest = &d.candidates[0];
    }
    driver_group_list_c list;
    list.build(devices.data(), uint32_t(devices.size()), engine);
    return list;
  }
};

std::string key(const driver_group& g) { return g.key; }

TEST(DriverGroups, DevicesWithOneAddressShareAGroup) {
  scanned s;
  s.add("http://x/a.zip", 0);
  s.add("http://x/b.zip", 0);
  s.add("http://x/a.zip", 1);
  s.add("http://x/a.zip", 0);
  s.add("", 1);  // an empty address is in no group
  s.add("http://x/A.zip", 0);
  auto list = s.build();
  ASSERT_EQ(list.groups.size(), 3u);
  const driver_group& a = list.groups[0];  // the one needing an update sorts first
  EXPECT_EQ(key(a), "http://x/a.zip");
  EXPECT_EQ(a.key, s.devices[0].candidates[0].remote_url);  // the candidate's text, not a copy
  EXPECT_EQ(a.up_to_date, 0);
  ASSERT_EQ(a.devices.size(), 3u);
  EXPECT_EQ(a.devices[0], &s.devices[0]);
  EXPECT_EQ(a.devices[1], &s.devices[2]);
  EXPECT_EQ(a.devices[2], &s.devices[3]);
  EXPECT_EQ(find_driver_group(list, "http://x/A.zip"), 2);
  EXPECT_EQ(find_driver_group(list, "http://x/c.zip"), -1);
  EXPECT_EQ(list.device_count, 6u);
}

TEST(DriverGroups, LatestEngineGroupsByLatestCandidate) {
  scanned s;
  s.add("http://x/a.zip", 0).candidates.push_back(base_candidate());
  s.add("http://x/b.zip", 0).candidates.push_back(base_candidate());
  for (auto& d : s.devices) {
    copy_cut(d.candidates[1].remote_url, "http://x/new.zip");
    d.latest = &d.candidates[1];
  }
  auto latest = s.build(match_engine_latest);
  ASSERT_EQ(latest.groups.size(), 1u);
  EXPECT_EQ(latest.groups[0].devices.size(), 2u);
  EXPECT_EQ(latest.groups[0].engine, 1);
  EXPECT_EQ(s.build(match_engine_best).groups.size(), 2u);
  EXPECT_TRUE(s.build(2).groups.empty());

  // Without an engine given, the settings choose.
  uint32_t saved = app_settings.MatchEngine;
  app_settings.MatchEngine = 1;
  driver_group_list_c from_settings;
  from_settings.build(s.devices.data(), uint32_t(s.devices.size()));
  app_settings.MatchEngine = saved;
  EXPECT_EQ(from_settings.engine, 1);
  EXPECT_EQ(from_settings.groups.size(), 1u);
}

TEST(DriverGroups, UnmatchedWhenThePackageDoesNotFitTheInstalledDriver) {
  struct {
    const char16_t* manu;
    const char16_t* provider;
    uint8_t has_driver;
    int32_t needs_update;
    int32_t unmatched;
  } cases[] = {
      {u"Acme", u"ACME Corporation", 1, 1, 0},
      {u"Acme Corporation", u"acme", 1, 1, 0},
      {u"Acme", u"Globex", 1, 1, 1},
      {u"Acme", u"Acme", 0, 1, 1},
      {u"Acme", u"Globex", 1, 0, 0},  // up to date: never unmatched
      // An empty text is contained in every text: an empty provider or maker fits any package.
      {u"Acme", u"", 1, 1, 0},
      {u"", u"Globex", 1, 1, 0},
      {u"", u"", 1, 1, 0},
      {u"", u"", 0, 1, 1},            // no installed driver: unmatched whatever the names
  };
  for (const auto& c : cases) {
    scanned s;
    device_info& d = s.add("http://x/a.zip", c.needs_update);
    copy_cut(d.candidates[0].manu, c.manu);
    copy_cut(d.ProviderName, c.provider);
    d.has_driver = c.has_driver;
    auto list = s.build();
    ASSERT_EQ(list.groups.size(), 1u);
    EXPECT_EQ(list.groups[0].unmatched, c.unmatched) << u16_to_utf8(c.manu) << " / " << u16_to_utf8(c.provider);
  }
}

TEST(DriverGroups, AMemberWithoutDriverValuesMakesTheGroupUnmatched) {
  scanned s;
  s.add("http://x/a.zip", 1);
  s.add("http://x/a.zip", 0).has_driver = 0;
  EXPECT_EQ(s.build().groups[0].unmatched, 1);
}

TEST(DriverGroups, CategoryOrder) {
  scanned s;
  copy_cut(s.classes[0].description, u"Bluetooth");
  copy_cut(s.classes[1].description, u"Keyboards");
  s.add("http://x/display-ok.zip", 0, u"Display");
  s.add("http://x/media.zip", 1, u"MEDIA");
  s.add("http://x/other-k.zip", 1, u"Keyboard").device_class = &s.classes[1];
  s.add("http://x/net.zip", 1, u"net");
  s.add("http://x/absent.zip", 1, u"Display").present = 0;
  s.add("http://x/display.zip", 1, u"display");
  s.add("http://x/unknown.zip", 1, u"UNKNOWN");
  s.add("http://x/image.zip", 1, u"Image");
  s.add("http://x/printer.zip", 1, u"Printer");
  s.add("http://x/other-b.zip", 1, u"Bluetooth").device_class = &s.classes[0];
  std::vector<std::string> order;
  for (const auto& g : s.build().groups) order.push_back(key(g).substr(9));
  EXPECT_EQ(order, (std::vector<std::string>{"unknown.zip", "display.zip", "media.zip", "printer.zip",
                                             "net.zip", "image.zip", "other-b.zip", "other-k.zip",
                                             "display-ok.zip", "absent.zip"}));
  EXPECT_EQ(driver_category_rank(u"Monitor"), 6);
}

TEST(DriverGroups, OneDeviceIsOneGroupAndNoneIsNone) {
  scanned s;
  s.add("http://x/a.zip", 0);
  auto list = s.build();
  ASSERT_EQ(list.groups.size(), 1u);
  EXPECT_EQ(list.groups[0].candidate, &s.devices[0].candidates[0]);
  list.build(nullptr, 0, match_engine_best);
  EXPECT_TRUE(list.groups.empty());
}

}  // namespace
