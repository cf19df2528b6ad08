#include <cstdio>

#include "base/text.h"
#include "engine/net_client.h"

FILE* open_file_u16(const char16_t* path, const char* mode) {
  return std::fopen(u16_to_utf8(path).c_str(), mode);
}

bool remove_file_u16(const char16_t* path) { return std::remove(u16_to_utf8(path).c_str()) == 0; }
