#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <tinyxml.h>

#include "base/text.h"
#include "base/web_page.h"
#include "base/wide.h"
#include "engine/helpers.h"

int64_t make_local_time64(int year_since_1900, int month0, int day) {
  struct tm t = {};
  t.tm_year = year_since_1900;
  t.tm_mon = month0;
  t.tm_mday = day;
  t.tm_isdst = 0;
  // Windows refuses dates after the year 3000; not every runtime does, so the range is ours.
  const int64_t v = _mktime64(&t);
  return v < 0 || v > 32535215999LL ? -1 : v;
}

local_time_parts local_time_now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

uint32_t file_size(const char16_t* path) {
  HANDLE h = CreateFileW(as_wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  DWORD size = GetFileSize(h, nullptr);
  CloseHandle(h);
  return size == INVALID_FILE_SIZE ? 0 : size;
}

bool url_escape(const char* url, char out[1025]) {
  if (!url) return false;
  DWORD flags = URL_ESCAPE_SPACES_ONLY | URL_DONT_ESCAPE_EXTRA_INFO;
  DWORD size = DWORD(2 * std::strlen(url) + 1);
  std::string buffer(size, '\0');
  HRESULT hr = UrlEscapeA(url, &buffer[0], &size, flags);
  if (hr == E_POINTER) {
    size *= 2;
    buffer.assign(size, '\0');
    hr = UrlEscapeA(url, &buffer[0], &size, flags);
  }
  if (FAILED(hr)) return false;
  copy_cut(out, 1025, buffer.c_str());
  return true;
}

void open_url(const char16_t* url, void* owner_window) {
  open_web_page(url, owner_window);
}

int list_directory(const char16_t* path, std::vector<std::u16string>& names) {
  std::u16string pattern(path);
  if (PathIsDirectoryW(as_wide(path))) pattern = path_join(pattern, u"*.*");
  names.clear();
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(as_wide(pattern), &data);
  if (h == INVALID_HANDLE_VALUE) return -1;
  do {
    std::u16string name = as_u16(data.cFileName);
    if (name != u"." && name != u"..") names.push_back(name);
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return int(names.size());
}

bool read_whole_file(const char16_t* path, std::vector<char>& buffer) {
  HANDLE h = CreateFileW(as_wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(h, &size) && size.QuadPart > 0 && size.QuadPart < 0x40000000;
  if (ok) {
    buffer.assign(size_t(size.QuadPart) + 1, 0);
    DWORD read = 0;
    ok = ReadFile(h, buffer.data(), DWORD(size.QuadPart), &read, nullptr) && read == size.QuadPart;
  }
  CloseHandle(h);
  if (!ok) buffer.clear();
  return ok;
}
