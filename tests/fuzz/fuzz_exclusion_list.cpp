// Exclusion.dat on any bytes: read as the download page reads it; whatever was read is
// written and read back, and must come back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/exclusion_list.h"

namespace {

bool same(const exclusion_entry& a, const exclusion_entry& b) {
  return std::u16string(a.hardid) == b.hardid && std::u16string(a.md5hash) == b.md5hash &&
         std::u16string(a.desc) == b.desc && std::u16string(a.version) == b.version &&
         std::u16string(a.date) == b.date;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  exclusion_map first;
  if (!read_exclusion_list(text.c_str(), first)) {
    if (!first.empty()) __builtin_trap();  // a refused file changes nothing
    return 0;
  }
  if (first.empty()) __builtin_trap();
  exclusion_map second;
  if (!read_exclusion_list(write_exclusion_list(first).c_str(), second)) __builtin_trap();
  if (second.size() != first.size()) __builtin_trap();
  for (auto a = first.begin(), b = second.begin(); a != first.end(); ++a, ++b)
    if (a->first != b->first || !same(a->second, b->second)) __builtin_trap();
  return 0;
}
