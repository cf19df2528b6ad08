#include <windows.h>

#include <string>

#include "base/wide.h"
#include "engine/net_client.h"

FILE* open_file_u16(const char16_t* path, const char* mode) {
  std::wstring m(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(as_wide(path), m.c_str());
}

bool remove_file_u16(const char16_t* path) { return DeleteFileW(as_wide(path)) != 0; }
