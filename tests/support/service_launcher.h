// Starts the stand-in matching service (tools/service) for one test on 127.0.0.1 and a free
// port, and reads its request log. The service ends with the object.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

// One logged request: one JSON line of the service's log.
struct service_request {
  std::string line;
  // The first string value of the key anywhere in the line, unescaped; "" when absent.
  // Header values are under their lower-case names ("user-agent", "range").
  std::string text(const std::string& key) const;
  bool has(const std::string& key) const;
};

class stand_in_service {
 public:
  // args: extra options of the service (e.g. {"--mode", "404"}); catalog_json: its catalog.
  explicit stand_in_service(const std::vector<std::string>& args = {},
                            const std::string& catalog_json = "{}");
  ~stand_in_service();
  stand_in_service(const stand_in_service&) = delete;
  stand_in_service& operator=(const stand_in_service&) = delete;

  bool running() const { return port_ > 0; }
  int port() const { return port_; }
  std::string base_url() const;                       // http://127.0.0.1:port
  std::string url(const std::string& path) const;     // base_url() + path
  // A package served under /packages/<name>.
  void add_package(const std::string& name, const std::string& bytes);
  std::vector<service_request> requests() const;
  // Points the program's service and report hosts at this service.
  void use_for_endpoints() const;

 private:
  std::unique_ptr<temp_folder> folder_;
  int port_ = 0;
  long long process_ = 0;
};

// Platform parts: the path as the service (a program of the host system) sees it; start the
// service with its arguments (a process id, 0 on failure); wait for it after the stop file.
std::string service_side_path(const std::filesystem::path& path);
long long start_service_process(const std::vector<std::string>& args);
void wait_service_process(long long process);

// Sets a variable of this process's environment.
void set_env(const char* name, const std::string& value);

// Loopback never goes through a proxy that the machine's environment may name.
void keep_loopback_off_proxies();
// A loopback port with nothing listening on it, for "unreachable" (the TCP port multiplexer's,
// unused on these machines).
constexpr int closed_loopback_port = 1;
