// Texts the machine's registry hands us as they are: instance IDs, ID lists, driver dates
// and the Internet settings' proxy server. Any units must give a sound result, never a fault.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/helpers.h"
#include "engine/inventory.h"
#include "engine/proxy.h"

namespace {

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

void check_instance_id(const std::u16string& id) {
  auto cut = cut_instance_id(id);
  if (!cut) return;
  // A prefix that ends just before a backslash, never empty.
  if (cut->empty() || cut->size() >= id.size() || id.compare(0, cut->size(), *cut) != 0 ||
      id[cut->size()] != u'\\')
    __builtin_trap();
}

void check_multi_string(const std::u16string& units) {
  const std::u16string s = normalize_multi_string(units);
  if (s.empty()) return;
  // Texts each ended by a NUL, none of them empty, then one more NUL.
  if (s.size() < 3 || s[s.size() - 1] != 0 || s[s.size() - 2] != 0 || s[0] == 0) __builtin_trap();
  for (size_t i = 1; i + 1 < s.size(); ++i)
    if (s[i] == 0 && s[i - 1] == 0) __builtin_trap();
}

void check_driver_date(const std::u16string& date) {
  const std::u16string s = rewrite_driver_date(date);
  if (s.empty()) return;
  // year-month-day: digits with two dashes and no other units.
  size_t dashes = 0;
  for (char16_t c : s) {
    if (c == u'-')
      ++dashes;
    else if (!is_digit(c))
      __builtin_trap();
  }
  if (dashes != 2 || s.front() == u'-' || s.back() == u'-') __builtin_trap();
}

void check_proxy_server(const std::string& text) {
  const std::string hp = first_host_port(text);
  if (hp.empty()) return;
  const size_t colon = hp.rfind(':');
  if (colon == std::string::npos || colon + 1 == hp.size() || text.find(hp) == std::string::npos)
    __builtin_trap();
  for (size_t i = colon + 1; i < hp.size(); ++i)
    if (!is_digit(char16_t(hp[i]))) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string units(size / 2, u'\0');
  if (!units.empty()) std::memcpy(&units[0], data, units.size() * 2);
  check_instance_id(units);
  check_multi_string(units);
  check_driver_date(units);
  parse_date(units.c_str());  // NUL-terminated where it comes from: up to the first NUL
  check_proxy_server(std::string(reinterpret_cast<const char*>(data), size).c_str());
  return 0;
}
