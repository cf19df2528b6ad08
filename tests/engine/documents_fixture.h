// A small device store for the document tests, filled by hand.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "engine/device_info.h"

inline device_info fixture_device(const std::u16string& instance_id, const std::u16string& hardware_ids,
                                  const std::u16string& compatible_ids, const std::u16string& matching_id) {
  device_info d{};
  copy_cut(d.instance_id, instance_id);
  d.hardware_ids = hardware_ids;
  d.compatible_ids = compatible_ids;
  copy_cut(d.MatchingDeviceId, matching_id);
  d.has_driver = matching_id.empty() ? 0 : 1;
  d.present = 1;
  return d;
}

// Three devices: full identifiers; no compatible IDs and no driver; no identifiers at all.
inline std::vector<device_info> fixture_store() {
  using namespace std::string_literals;
  std::vector<device_info> store;
  store.push_back(fixture_device(u"PCI\\VEN_8086&DEV_1E31&SUBSYS_00000000&REV_04\\3&11583659&0&A0",
                                 u"PCI\\VEN_8086&DEV_1E31&REV_04\0PCI\\VEN_8086&DEV_1E31\0\0"s,
                                 u"PCI\\CC_0C0330\0PCI\\CC_0C03\0\0"s, u"pci\\ven_8086&dev_1e31"));
  store.push_back(fixture_device(u"USB\\VID_1234&PID_5678\\Caf\u00e9", u"USB\\VID_1234&PID_5678\0\0"s, u"", u""));
  store.push_back(fixture_device(u"ROOT\\LEGACY\\0000", u"", u"", u""));
  return store;
}
