#include "tools/engine-probe/probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "tests/engine/exchange_runs.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"

namespace {

// The text after "<key> " on the report's line that starts with it; "?" when there is none.
std::string report_value(const std::string& report, const std::string& key) {
  size_t at = report.rfind("\n" + key + " ");
  if (report.compare(0, key.size() + 1, key + " ") == 0) at = 0;
  else if (at == std::string::npos) return "?";
  else ++at;
  at += key.size() + 1;
  return report.substr(at, report.find('\n', at) - at);
}

TEST(EngineProbe, TableOfRunsAgainstThreeHosts) {
  for (const exchange_run& run : exchange_runs()) {
    std::unique_ptr<stand_in_service> services[3];
    ASSERT_TRUE(start_exchange_hosts(run, services)) << run.what;
    std::vector<device_info> devices = one_exchange_device();
    temp_folder program;
    std::string report = run_engine_probe(devices, program.path().u16string(), 61);
    EXPECT_EQ(report_value(report, "code"), std::to_string(run.code)) << run.what << "\n" << report;
    EXPECT_EQ(report_value(report, "message"), u16_to_utf8(run.message)) << run.what;
    EXPECT_EQ(report_value(report, "http"), std::to_string(run.http_status)) << run.what;
    EXPECT_EQ(report_value(report, "error").empty(), !run.error_text) << run.what << "\n" << report;
    for (int i = 0; i < 3; ++i) {
      if (services[i]) {
        EXPECT_EQ(requests_seen(*services[i]), run.contacted[i]) << run.what << " host " << i + 1;
      }
    }
    if (run.code == 0) {
      EXPECT_EQ(report_value(report, "device 0"), "PCI\\VEN_8086&DEV_1E31\\3&0 candidates=1") << report;
      EXPECT_EQ(report_value(report, "candidate 0 0"),
                "id=7 ver=2.0.0.0 date=2021-01-01 url=http://dl.example.com/a.zip");
      EXPECT_EQ(report_value(report, "best 0"), "0 id=7 ver=2.0.0.0 needs_update=1");
      EXPECT_EQ(report_value(report, "latest 0"), "0 id=7 ver=2.0.0.0 needs_update=1");
      EXPECT_EQ(report_value(report, "group 0"),
                "url=http://dl.example.com/a.zip devices=0 up_to_date=0 unmatched=1");  // no installed driver to fit
    } else {
      EXPECT_EQ(report_value(report, "best 0"), "none needs_update=0") << run.what;
      EXPECT_EQ(report_value(report, "group 0"), "?") << run.what;
    }
  }
  set_service_hosts("");
}

// history.dat beside the device file: an address installed once before is never an update.
TEST(EngineProbe, ReadsTheHistoryInTheProgramFolder) {
  const auto runs = exchange_runs();
  auto ok = std::find_if(runs.begin(), runs.end(), [](const exchange_run& r) { return r.code == 0; });
  ASSERT_NE(ok, runs.end());
  std::unique_ptr<stand_in_service> services[3];
  ASSERT_TRUE(start_exchange_hosts(*ok, services));
  temp_folder program;
  write_file_bytes(program.path() / "history.dat", "http://dl.example.com/a.zip\r\n");
  std::vector<device_info> devices = one_exchange_device();
  std::string report = run_engine_probe(devices, program.path().u16string(), 61);
  EXPECT_EQ(report_value(report, "best 0"), "0 id=7 ver=2.0.0.0 needs_update=0") << report;
  set_service_hosts("");
}

TEST(EngineProbe, DeviceFile) {
  std::vector<device_info> devices;
  std::string error;
  ASSERT_TRUE(load_probe_devices(read_file_bytes(std::string(VANTORIL_SOURCE_DIR) +
                                                 "/tools/engine-probe/sample-devices.txt"),
                                 devices, error))
      << error;
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(std::u16string(devices[0].instance_id), u"PCI\\VEN_8086&DEV_1E31\\3&0");
  EXPECT_EQ(devices[0].has_driver, 0);
  EXPECT_EQ(devices[1].hardware_ids, std::u16string(u"PCI\\VEN_10EC&DEV_8168&REV_06\0PCI\\VEN_10EC&DEV_8168\0\0", 52));
  EXPECT_EQ(devices[1].compatible_ids, std::u16string(u"PCI\\CC_0200\0\0", 13));
  EXPECT_EQ(std::u16string(devices[1].DriverVersion), u"1.0.0.0");
  EXPECT_EQ(devices[1].has_driver, 1);

  ASSERT_TRUE(load_probe_devices("device\nhardware = A\nproblem = 28\n", devices, error)) << error;
  EXPECT_EQ(devices[0].problem, 28);

  const struct {
    const char* text;
    const char* error;
  } bad[] = {
      {"instance = x\n", "line 1: instance = x"},
      {"device\nhardware = A\ncolour = red\n", "line 3: colour = red"},
      {"device\n# none\ndevice\nhardware = A\n", "device 0 has no hardware line"},
  };
  for (const auto& b : bad) {
    EXPECT_FALSE(load_probe_devices(b.text, devices, error)) << b.text;
    EXPECT_EQ(error, b.error);
  }
}

}  // namespace
