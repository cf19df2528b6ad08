// Host stand-ins for the file calls of the download sessions.
#include <filesystem>
#include <system_error>

#include "base/text.h"
#include "engine/download_sessions.h"

bool download_file_exists(const char16_t* path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::u8path(u16_to_utf8(path)), ec);
}

bool move_download_file(const char16_t* from, const char16_t* to) {
  std::error_code ec;
  std::filesystem::rename(std::filesystem::u8path(u16_to_utf8(from)), std::filesystem::u8path(u16_to_utf8(to)), ec);
  return !ec;
}
