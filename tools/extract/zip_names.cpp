#include "tools/extract/zip_names.h"

std::wstring safe_entry_name(const std::wstring& name) {
  if (name.empty() || name[0] == L'/' || name[0] == L'\\') return std::wstring();
  if (name.find(L':') != std::wstring::npos) return std::wstring();
  std::wstring out;
  size_t i = 0;
  while (i <= name.size()) {
    size_t end = name.find_first_of(L"/\\", i);
    if (end == std::wstring::npos) end = name.size();
    std::wstring part = name.substr(i, end - i);
    i = end + 1;
    if (part.empty()) continue;
    // Windows drops trailing dots and spaces of a path part: ".. " is "..".
    size_t keep = part.find_last_not_of(L". ");
    std::wstring seen = keep == std::wstring::npos ? std::wstring() : part.substr(0, keep + 1);
    if (seen.empty()) {
      if (part == L".") continue;
      return std::wstring();  // "..", "...", " " and the like
    }
    if (!out.empty()) out += L'\\';
    out += part;
  }
  return out;
}
