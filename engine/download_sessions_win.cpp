#include <windows.h>

#include "base/wide.h"
#include "engine/download_sessions.h"

bool download_file_exists(const char16_t* path) {
  DWORD a = GetFileAttributesW(as_wide(path));
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// An older final file of the same name (a package downloaded again) is replaced.
bool move_download_file(const char16_t* from, const char16_t* to) {
  return MoveFileExW(as_wide(from), as_wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}
