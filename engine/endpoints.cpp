#include "engine/endpoints.h"

#include <cstdlib>

#include "base/text.h"

namespace {

const char* const compiled_in_bases[4] = {
    "http://match1.vantoril.com",
    "http://match2.vantoril.com",
    "http://match3.vantoril.com",
    "http://report.vantoril.com",
};

// scheme://host[:port] with nothing after it but an optional "/"; false otherwise.
bool valid_base(std::string& base) {
  while (!base.empty() && (base.back() == ' ' || base.back() == '/')) base.pop_back();
  while (!base.empty() && base.front() == ' ') base.erase(base.begin());
  const std::string scheme = "http://";
  if (base.size() <= scheme.size() || !equal_ci_ascii(base.substr(0, scheme.size()), scheme)) return false;
  for (size_t i = scheme.size(); i < base.size(); ++i) {
    const char c = base[i];
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
    if (!ok) return false;
  }
  return true;
}

std::string base_of(int index) {
  std::string bases[4];
  service_bases(std::getenv(service_override_variable), bases);
  return bases[index];
}

}  // namespace

void service_bases(const char* override_text, std::string bases[4]) {
  for (int i = 0; i < 4; ++i) bases[i] = compiled_in_bases[i];
  if (!override_text || !*override_text) return;
  std::string given[4];
  int count = 0;
  std::string text(override_text);
  size_t start = 0;
  while (count < 4) {
    const size_t comma = text.find(',', start);
    std::string piece = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (!valid_base(piece)) return;
    given[count++] = piece;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  for (int i = 0; i < 4; ++i) bases[i] = given[i < count ? i : count - 1];
}

std::string service_url(int host) {
  if (host < 1 || host > service_host_count) host = 1;
  return base_of(host - 1) + "/service/";
}

std::string version_file_url() { return base_of(0) + "/service/version.xml"; }

std::string report_url() { return base_of(3) + "/service/debug.php"; }
