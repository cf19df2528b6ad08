// Host stand-ins for the platform calls behind the helpers, so the portable logic around them
// can be tested natively. They follow the documented behaviour of the Windows calls.
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "base/text.h"
#include "engine/helpers.h"

// _mktime64 accepts times from 1970-01-01 to 3000-12-31 23:59:59 and answers -1 outside.
int64_t make_local_time64(int year_since_1900, int month0, int day) {
  struct tm t = {};
  t.tm_year = year_since_1900;
  t.tm_mon = month0;
  t.tm_mday = day;
  t.tm_isdst = 0;
  time_t v = mktime(&t);
  if (v < 0 || int64_t(v) > 32535215999LL) return -1;
  return int64_t(v);
}

local_time_parts local_time_now() {
  time_t now = time(nullptr);
  struct tm t;
  localtime_r(&now, &t);
  return {static_cast<unsigned short>(t.tm_year + 1900), static_cast<unsigned short>(t.tm_mon + 1),
          static_cast<unsigned short>(t.tm_mday), static_cast<unsigned short>(t.tm_hour),
          static_cast<unsigned short>(t.tm_min), static_cast<unsigned short>(t.tm_sec)};
}

// Spaces become %20 up to the first '?' or '#'.
bool url_escape(const char* url, char out[1025]) {
  if (!url) return false;
  std::string s;
  bool extra = false;
  for (const char* p = url; *p; ++p) {
    if (*p == '?' || *p == '#') extra = true;
    if (*p == ' ' && !extra)
      s += "%20";
    else
      s += *p;
  }
  copy_cut(out, 1025, s);
  return true;
}

uint32_t file_size(const char16_t* path) {
  std::ifstream in(u16_to_utf8(path), std::ios::binary | std::ios::ate);
  if (!in) return 0;
  auto size = in.tellg();
  return size < 0 ? 0 : uint32_t(uint64_t(size));
}

bool read_whole_file(const char16_t* path, std::vector<char>& buffer) {
  std::ifstream in(u16_to_utf8(path), std::ios::binary | std::ios::ate);
  if (!in) return false;
  auto size = in.tellg();
  if (size <= 0) return false;
  buffer.assign(size_t(size) + 1, 0);
  in.seekg(0);
  if (!in.read(buffer.data(), size)) {
    buffer.clear();
    return false;
  }
  return true;
}

// A folder's entries; search patterns are not taken apart on the host (-1).
int list_directory(const char16_t* path, std::vector<std::u16string>& names) {
  names.clear();
  std::error_code ec;
  std::filesystem::directory_iterator it(std::filesystem::u8path(u16_to_utf8(path)), ec);
  if (ec) return -1;
  for (const auto& entry : it) names.push_back(utf8_to_u16(entry.path().filename().string()));
  return int(names.size());
}
