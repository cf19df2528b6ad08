#include "tests/support/service_launcher.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

void set_env(const char* name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

namespace {

// The JSON string that starts at s[i] (just after the opening quote), unescaped.
std::string json_string(const std::string& s, size_t i) {
  std::string out;
  while (i < s.size() && s[i] != '"') {
    char c = s[i++];
    if (c != '\\' || i >= s.size()) {
      out += c;
      continue;
    }
    char e = s[i++];
    switch (e) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'u': {
        unsigned v = unsigned(std::stoul(s.substr(i, 4), nullptr, 16));
        i += 4;
        // The service logs documents as Latin-1 text: one byte per code point.
        out += char(v & 0xFF);
        break;
      }
      default: out += e;
    }
  }
  return out;
}

}  // namespace

std::string service_request::text(const std::string& key) const {
  const std::string needle = "\"" + key + "\": \"";
  const size_t at = line.find(needle);
  return at == std::string::npos ? std::string() : json_string(line, at + needle.size());
}

bool service_request::has(const std::string& key) const {
  return line.find("\"" + key + "\": ") != std::string::npos;
}

void keep_loopback_off_proxies() {
  set_env("no_proxy", "127.0.0.1,localhost");
  set_env("NO_PROXY", "127.0.0.1,localhost");
}

stand_in_service::stand_in_service(const std::vector<std::string>& args, const std::string& catalog_json) {
  keep_loopback_off_proxies();
  folder_ = std::make_unique<temp_folder>();
  const fs::path& dir = folder_->path();
  fs::create_directory(dir / "files");
  write_file_bytes(dir / "catalog.json", catalog_json);
  std::vector<std::string> all = {
      std::string(VANTORIL_SOURCE_DIR) + "/tools/service/service.py",
      "--detach",
      "--port-file", service_side_path(dir / "port"),
      "--stop-file", service_side_path(dir / "stop"),
      "--log", service_side_path(dir / "requests.log"),
      "--catalog", service_side_path(dir / "catalog.json"),
      "--files", service_side_path(dir / "files"),
      "--max-life", "300",
  };
  all.insert(all.end(), args.begin(), args.end());
  process_ = start_service_process(all);
  if (!process_) return;
  // Python with the cipher library starts in about a second; a loaded machine may take longer.
  for (int i = 0; i < 300 && port_ == 0; ++i) {
    std::ifstream in(dir / "port");
    int p = 0;
    if (in >> p) port_ = p;
    else std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

stand_in_service::~stand_in_service() {
  if (process_) {
    write_file_bytes(folder_->path() / "stop", "stop");
    wait_service_process(process_);
  }
}

std::string stand_in_service::base_url() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::string stand_in_service::url(const std::string& path) const { return base_url() + path; }

void stand_in_service::add_package(const std::string& name, const std::string& bytes) {
  write_file_bytes(folder_->path() / "files" / name, bytes);
}

std::vector<service_request> stand_in_service::requests() const {
  std::vector<service_request> out;
  std::ifstream in(folder_->path() / "requests.log", std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) out.push_back({line});
  }
  return out;
}

void stand_in_service::use_for_endpoints() const { set_env("VANTORIL_SERVICE", base_url()); }
