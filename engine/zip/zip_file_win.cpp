#include <windows.h>

#include "base/wide.h"
#include "engine/zip/zip_file.h"

namespace {

HANDLE handle(zip_os_file* f) { return reinterpret_cast<HANDLE>(f); }
zip_os_file* wrap(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : reinterpret_cast<zip_os_file*>(h); }
uint64_t file_time(const FILETIME& t) { return uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

}  // namespace

zip_os_file* zip_file_create(const char16_t* path) {
  return wrap(CreateFileW(as_wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool zip_file_write(zip_os_file* f, const void* data, uint32_t size) {
  DWORD done = 0;
  return WriteFile(handle(f), data, size, &done, nullptr) && done == size;
}

bool zip_file_seek(zip_os_file* f, uint64_t offset) {
  LONG high = LONG(offset >> 32);
  DWORD low = SetFilePointer(handle(f), LONG(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool zip_file_truncate(zip_os_file* f) { return SetEndOfFile(handle(f)) != FALSE; }

void zip_file_close(zip_os_file* f) { CloseHandle(handle(f)); }

zip_os_file* zip_source_open(const char16_t* path, zip_source_info& info) {
  HANDLE h = CreateFileW(as_wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  BY_HANDLE_FILE_INFORMATION fi;
  if (!GetFileInformationByHandle(h, &fi)) {
    CloseHandle(h);
    return nullptr;
  }
  info.attributes = fi.dwFileAttributes;
  info.size = uint64_t(fi.nFileSizeHigh) << 32 | fi.nFileSizeLow;
  info.write_time = file_time(fi.ftLastWriteTime);
  info.access_time = file_time(fi.ftLastAccessTime);
  info.creation_time = file_time(fi.ftCreationTime);
  return wrap(h);
}

int zip_source_read(zip_os_file* f, uint8_t* buffer, unsigned size) {
  DWORD done = 0;
  if (!ReadFile(handle(f), buffer, size, &done, nullptr)) return -1;
  return int(done);
}

void zip_source_close(zip_os_file* f) { CloseHandle(handle(f)); }

bool zip_name_to_ansi(const char16_t* name, std::string& ansi) {
  int length = lstrlenW(as_wide(name));
  ansi.clear();
  if (length == 0) return true;
  BOOL used_default = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, as_wide(name), length, nullptr, 0, nullptr, &used_default);
  if (n <= 0 || used_default) return false;
  ansi.resize(size_t(n));
  return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, as_wide(name), length, &ansi[0], n, nullptr, nullptr) == n;
}

int32_t zip_local_offset_now() {
  FILETIME utc, local;
  GetSystemTimeAsFileTime(&utc);
  if (!FileTimeToLocalFileTime(&utc, &local)) return 0;
  int64_t diff = int64_t(file_time(local)) - int64_t(file_time(utc));
  // Whole minutes: the two readings of the clock are the same instant.
  return int32_t((diff / 10000000 + (diff >= 0 ? 30 : -30)) / 60 * 60);
}
