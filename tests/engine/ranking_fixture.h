// Small builders for devices and candidates shared by the ranking and group tests.
#pragma once

#include <functional>
#include <string>

#include "base/text.h"
#include "engine/device_info.h"

// A candidate that ties with another made the same way on every rung.
inline driver_candidate base_candidate() {
  driver_candidate c{};
  copy_cut(c.hardid, u"PCI\\VEN_8086&DEV_1234");
  copy_cut(c.ver, u"1.0.0.0");
  copy_cut(c.manu, u"Acme");
  copy_cut(c.date, u"2020-01-01");
  copy_cut(c.remote_url, "http://dl.example.com/pkg/acme.zip");
  c.size = 1000;
  c.cp = 1;
  c.sign = 1;
  c.targetos = 61;
  return c;
}

// An installed third-party driver of Acme, version 1.0, signed class 2 on Vista and later.
inline device_info base_device() {
  device_info d{};
  copy_cut(d.instance_id, u"PCI\\VEN_8086&DEV_1234\\3&11583659&0");
  copy_cut(d.class_name, u"Net");
  copy_cut(d.InfPath, u"oem12.inf");
  copy_cut(d.DriverDate, u"2019-01-01");
  copy_cut(d.DriverVersion, u"1.0.0.0");
  copy_cut(d.ProviderName, u"Acme Inc.");
  copy_cut(d.MatchingDeviceId, u"pci\\ven_8086&dev_1234");
  d.driver_rank = 0x0F000000;
  d.has_driver = 1;
  d.present = 1;
  return d;
}

using candidate_edit = std::function<void(driver_candidate&)>;
using device_edit = std::function<void(device_info&)>;

inline driver_candidate candidate_with(const candidate_edit& edit) {
  driver_candidate c = base_candidate();
  if (edit) edit(c);
  return c;
}
