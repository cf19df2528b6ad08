// Devices, candidates and groups built in memory for the row and dialog rules.
#pragma once

#include <deque>
#include <string>

#include "base/text.h"
#include "engine/device_info.h"
#include "engine/driver_groups.h"

struct row_fixture {
  std::deque<device_info> devices;  // stable addresses
  device_class_info display_class{};

  row_fixture() {
    copy_cut(display_class.class_name, u"Display");
    copy_cut(display_class.description, u"Display adapters");
  }

  // A device with a best and a latest candidate (different descriptions and dates).
  device_info& add(const char16_t* name, bool has_driver, const char16_t* driver_date = u"2010-01-01",
                   const char16_t* class_name = u"Display") {
    devices.emplace_back();
    device_info& d = devices.back();
    copy_cut(d.name, name);
    copy_cut(d.class_name, class_name);
    copy_cut(d.instance_id, u"PCI\\VEN_1&DEV_2\\3");
    d.hardware_ids = std::u16string(u"PCI\\VEN_1&DEV_2\0PCI\\VEN_1\0", 27);
    d.compatible_ids = std::u16string(u"PCI\\CC_03\0", 11);
    copy_cut(d.enumerator, u"PCI");
    d.has_driver = has_driver ? 1 : 0;
    d.present = 1;
    d.device_class = &display_class;
    d.driver_rank = 0xFF0001;
    copy_cut(d.DriverDate, driver_date);
    copy_cut(d.DriverDesc, u"Installed desc");
    copy_cut(d.DriverVersion, u"1.0");
    copy_cut(d.ProviderName, u"Maker");
    copy_cut(d.MatchingDeviceId, u"pci\\ven_1&dev_2");
    copy_cut(d.InfPath, u"oem3.inf");
    d.candidates.resize(2);
    for (int i = 0; i < 2; ++i) {
      driver_candidate& c = d.candidates[size_t(i)];
      copy_cut(c.desc, i == 0 ? u"Best desc" : u"Latest desc");
      copy_cut(c.date, i == 0 ? u"2015-05-05" : u"2016-06-06");
      copy_cut(c.ver, i == 0 ? u"2.0" : u"3.0");
      copy_cut(c.infpath, i == 0 ? u"disp\\best.inf" : u"latest.inf");
      copy_cut(c.hardid, u"PCI\\VEN_1&DEV_2");
      copy_cut(c.manu, i == 0 ? u"BestMaker" : u"LatestMaker");
      copy_cut(c.class_name, u"Display");
      copy_cut(c.remote_url, i == 0 ? "http://h/best.zip" : "http://h/latest.zip");
    }
    d.best = &d.candidates[0];
    d.latest = &d.candidates[1];
    return d;
  }

  driver_group group(int32_t engine, bool up_to_date, bool unmatched) {
    driver_group g{};
    g.engine = engine;
    g.up_to_date = up_to_date;
    g.unmatched = unmatched;
    for (auto& d : devices) g.devices.push_back(&d);
    g.candidate = engine == 0 ? devices.front().best : devices.front().latest;
    g.key = g.candidate->remote_url;
    return g;
  }
};
