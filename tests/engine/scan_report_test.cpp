#include "engine/scan_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "engine/driver_groups.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::string_literals;

driver_candidate candidate(uint32_t id, const char* url, const std::u16string& desc) {
  driver_candidate c{};
  c.id = id;
  copy_cut(c.remote_url, url);
  copy_cut(c.desc, desc);
  copy_cut(c.hardid, u"PCI\\VEN_1002&DEV_6779");
  copy_cut(c.date, u"2013-05-02");
  copy_cut(c.ver, u"9.12.0.0");
  copy_cut(c.manu, u"Fabrikam");
  copy_cut(c.infpath, u"Packages\\Drivers\\display.inf");
  c.size = 163577856;
  return c;
}

device_info device(const std::u16string& id, const std::u16string& name, const std::u16string& hids,
                   const std::u16string& cids) {
  device_info d{};
  copy_cut(d.instance_id, id);
  copy_cut(d.name, name);
  copy_cut(d.class_name, u"Display");
  copy_cut(d.enumerator, id.substr(0, id.find(u'\\')));
  d.hardware_ids = hids;
  d.compatible_ids = cids;
  copy_cut(d.MatchingDeviceId, u"pci\\ven_1002&dev_6779");
  copy_cut(d.DriverDate, u"2011-10-03");
  copy_cut(d.DriverVersion, u"8.892.0.0");
  copy_cut(d.ProviderName, u"Fabrikam");
  copy_cut(d.InfPath, u"oem7.inf");
  d.present = 1;
  d.has_driver = 1;
  return d;
}

// Five devices in store order: two share a package, one needing it and one not; one has no
// candidates; one has candidates whose chosen one has no address; one is up to date with a
// latest package other than its best.
struct report_fixture {
  std::vector<device_info> devices;
  driver_group_list_c groups;
  report_machine_facts machine;

  report_fixture() {
    devices.push_back(device(u"PCI\\VEN_1002&DEV_6779\\4&1A2B", u"Display adapter",
                             u"PCI\\VEN_1002&DEV_6779&REV_00\0PCI\\VEN_1002&DEV_6779\0\0"s,
                             u"PCI\\CC_030000\0\0"s));
    devices.back().candidates = {candidate(4711, "http://dl.example/disp.exe?a=1&b=2", u"Display <new>")};
    devices.back().best_needs_update = devices.back().latest_needs_update = 1;
    devices.push_back(device(u"PCI\\VEN_1002&DEV_aa01\\]]>5", u"Second head", u"PCI\\VEN_1002&DEV_AA01\0\0"s, u""));
    devices.back().candidates = {candidate(4711, "http://dl.example/disp.exe?a=1&b=2", u"Display again")};
    devices.push_back(device(u"ROOT\\LEGACY\\0000", u"Legacy thing", u"ROOT\\LEGACY\0\0"s, u""));
    devices.push_back(device(u"USB\\VID_1234&PID_0001\\7", u"No address", u"USB\\VID_1234&PID_0001\0\0"s, u""));
    devices.back().candidates = {candidate(5, "", u"Nowhere")};
    devices.back().latest_needs_update = 1;
    devices.push_back(device(u"HDAUDIO\\FUNC_01\\3", u"Audio", u"HDAUDIO\\FUNC_01\0\0"s, u""));
    devices.back().candidates = {candidate(77, "http://dl.example/audio-best.zip", u"Audio best"),
                                 candidate(78, "http://dl.example/audio-latest.zip", u"Audio latest")};
    for (auto& d : devices) {
      if (d.candidates.empty()) continue;
      d.best = &d.candidates.front();
      d.latest = &d.candidates.back();
    }
    groups.build(devices.data(), uint32_t(devices.size()), match_engine_latest);

    machine.os = u"Microsoft Windows 7 Professional Build 7601 Service Pack 1";
    machine.is_64_bit = true;
    machine.maker = u"Contoso";
    machine.model = u"Model 5";
    machine.cpu = u"Intel(R) Core(TM) i5-2520M CPU @ 2.50GHz";
    machine.memory = u"8.00GB";
    machine.language = 0x411;
    machine.uuid = u"4C4C4544-0042-3510-8052-B2C04F4A3232";
  }
};

TEST(ScanReport, DocumentListsGroupsByStateAndDevicesWithoutOffers) {
  report_fixture f;
  ASSERT_EQ(f.groups.groups.size(), 2u);
  const std::string report = build_scan_report(f.groups, {1, 1, 1}, f.devices, f.machine);
  EXPECT_EQ(report, read_file_bytes(source_path("tests/engine/fixtures/scan_report.xml")));
}

TEST(ScanReport, IdListsInTheAnsiPageAndOtherTextsInUtf8) {
  report_fixture f;
  const std::u16string name = u"Cam\u00e9ra \u4e2d";
  const std::u16string cids = u"USB\\Class_0E\u00e9\0USB\\Class_0E\0\0"s;
  device_info d = device(u"USB\\VID_0001\\\u00e9", name, u"USB\\VID_0001\0\0"s, cids);
  const std::string report = build_scan_report({}, {0, 0, 1}, {d}, f.machine);
  EXPECT_NE(report.find("<desc>" + u16_to_utf8(name) + "</desc>"), std::string::npos);
  EXPECT_NE(report.find("<![CDATA[" + u16_to_utf8(u"USB\\VID_0001\\\u00e9") + "]]>"), std::string::npos);
  EXPECT_NE(report.find("<![CDATA[" + u16_to_ansi(u"USB\\Class_0E\u00e9\nUSB\\Class_0E") + "]]>"),
            std::string::npos);
  EXPECT_NE(report.find("lang=\"411\""), std::string::npos);
  f.machine.is_64_bit = false;
  f.machine.language = 0x0C0A;
  const std::string thirty_two = build_scan_report({}, {0, 0, 0}, {}, f.machine);
  EXPECT_NE(thirty_two.find("arch=\"32\""), std::string::npos);
  EXPECT_NE(thirty_two.find("lang=\"C0A\""), std::string::npos);
}

}  // namespace
