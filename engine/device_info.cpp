#include "engine/device_info.h"

std::vector<std::u16string> split_multi_string(const std::u16string& multi) {
  std::vector<std::u16string> out;
  size_t start = 0;
  while (start < multi.size()) {
    size_t end = multi.find(u'\0', start);
    if (end == std::u16string::npos) end = multi.size();
    if (end == start) break;  // the list's final NUL
    out.push_back(multi.substr(start, end - start));
    start = end + 1;
  }
  return out;
}
