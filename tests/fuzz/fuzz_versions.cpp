// Version texts from the service's version file: any bytes must parse without a fault, and
// the order must stay a strict order (never both a < b and b < a).
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/version_compare.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  size_t cut = text.find('\n');
  std::string a = text.substr(0, cut);
  std::string b = cut == std::string::npos ? std::string() : text.substr(cut + 1);
  a = a.c_str();  // the texts are NUL-terminated where they come from
  b = b.c_str();
  parse_version_numbers(a.c_str());
  if (compare_versions(a.c_str(), b.c_str()) && compare_versions(b.c_str(), a.c_str())) __builtin_trap();
  if (compare_versions(a.c_str(), a.c_str())) __builtin_trap();
  return 0;
}
