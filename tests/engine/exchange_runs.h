// The table of exchange runs against stand-ins on three loopback ports, shared by the test
// of check_drivers_online and the test of the engine probe.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "engine/device_info.h"
#include "engine/endpoints.h"
#include "engine/engine_errors.h"
#include "tests/support/service_launcher.h"

inline void set_service_hosts(const std::string& value) {
#if defined(_WIN32)
  _putenv_s(service_override_variable, value.c_str());
#else
  setenv(service_override_variable, value.c_str(), 1);
#endif
}

inline const char* const exchange_catalog =
    R"({"drivers": {"PCI\\VEN_8086&DEV_1E31": [{"hardid": "PCI\\VEN_8086&DEV_1E31", "id": 7,
        "ver": "2.0.0.0", "size": 1000, "remote_url": "http://dl.example.com/a.zip", "manu": "Acme",
        "date": "2021-01-01", "sign": 1, "cp": 1, "targetos": 61}]}})";

inline std::vector<device_info> one_exchange_device() {
  device_info d{};
  copy_cut(d.instance_id, u"PCI\\VEN_8086&DEV_1E31\\3&0");
  d.hardware_ids = std::u16string(u"PCI\\VEN_8086&DEV_1E31\0\0", 23);
  d.present = 1;
  return {d};
}

// Requests that arrived whole (a client that hangs up mid-answer adds an error line too).
inline int requests_seen(const stand_in_service& service) {
  int n = 0;
  for (const auto& r : service.requests()) n += r.has("headers") ? 1 : 0;
  return n;
}

// One host of a run: a closed port, or a stand-in with these options.
struct host_spec {
  bool closed;
  std::vector<std::string> args;
  std::string catalog_json;
};
inline const host_spec closed_host{true, {}, ""};
inline host_spec answering(std::vector<std::string> args = {}, std::string json = exchange_catalog) {
  return {false, std::move(args), std::move(json)};
}

struct exchange_run {
  const char* what;
  host_spec hosts[3];
  int32_t code;  // 0: success
  int32_t http_status;
  const char16_t* message;
  bool error_text;            // a non-empty error text is expected
  int contacted[3];           // requests each stand-in saw
};

inline std::vector<exchange_run> exchange_runs() {
  const std::vector<std::string> oversize = {"--mode", "oversize", "--oversize", "9000000"};
  const host_spec& closed = closed_host;
  return {
      {"host 1 closed, host 2 answers", {closed, answering(), answering()}, 0, 200, u"", false, {0, 1, 0}},
      {"499 on host 1", {answering({"--mode", "499", "--message", "Server says hi"}), answering(), answering()},
       engine_error::server_said, 499, u"Server says hi", false, {1, 0, 0}},
      {"500 everywhere", {answering({"--mode", "500"}), answering({"--mode", "500"}), answering({"--mode", "500"})},
       engine_error::network_error, 500, u"", false, {1, 1, 1}},
      {"empty bodies", {answering({"--mode", "empty"}), answering({"--mode", "empty"}), answering({"--mode", "empty"})},
       engine_error::nothing, 200, u"", false, {1, 1, 1}},
      {"three closed ports", {closed, closed, closed}, engine_error::network_timeout, 504, u"", false, {0, 0, 0}},
      {"oversize bodies", {answering(oversize), answering(oversize), answering(oversize)},
       engine_error::network_error, 200, u"", true, {1, 1, 1}},
      {"an envelope around text that is not XML", {answering({}, R"({"answer_raw": "not < xml"})"), closed, closed},
       engine_error::invalid_data, 200, u"", false, {1, 0, 0}},
  };
}

// Starts the run's stand-ins and points the service hosts at them (closed hosts at a port
// nobody listens on). False when a stand-in did not start.
inline bool start_exchange_hosts(const exchange_run& run, std::unique_ptr<stand_in_service> (&services)[3]) {
  keep_loopback_off_proxies();
  std::string bases;
  for (int i = 0; i < 3; ++i) {
    services[i].reset();
    if (!run.hosts[i].closed) {
      services[i] = std::make_unique<stand_in_service>(run.hosts[i].args, run.hosts[i].catalog_json);
      if (!services[i]->running()) return false;
    }
    bases += (i ? "," : "") + (services[i] ? services[i]->base_url()
                                            : "http://127.0.0.1:" + std::to_string(closed_loopback_port));
  }
  set_service_hosts(bases);
  return true;
}
