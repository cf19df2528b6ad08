// POSIX stand-ins for the Windows file calls of the zip writer, for the host tests.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "base/text.h"
#include "engine/zip/zip_file.h"
#include "engine/zip/zip_format.h"

namespace {

int fd_of(zip_os_file* f) { return int(reinterpret_cast<intptr_t>(f)) - 1; }
zip_os_file* wrap(int fd) { return fd < 0 ? nullptr : reinterpret_cast<zip_os_file*>(intptr_t(fd) + 1); }
uint64_t file_time(const timespec& t) {
  return uint64_t(int64_t(t.tv_sec) + 11644473600LL) * 10000000u + uint64_t(t.tv_nsec / 100);
}

}  // namespace

zip_os_file* zip_file_create(const char16_t* path) {
  return wrap(::open(u16_to_utf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
}

bool zip_file_write(zip_os_file* f, const void* data, uint32_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd_of(f), p, size);
    if (n <= 0) return false;
    p += n;
    size -= uint32_t(n);
  }
  return true;
}

bool zip_file_seek(zip_os_file* f, uint64_t offset) { return ::lseek(fd_of(f), off_t(offset), SEEK_SET) >= 0; }

bool zip_file_truncate(zip_os_file* f) {
  off_t at = ::lseek(fd_of(f), 0, SEEK_CUR);
  return at >= 0 && ::ftruncate(fd_of(f), at) == 0;
}

void zip_file_close(zip_os_file* f) { ::close(fd_of(f)); }

zip_os_file* zip_source_open(const char16_t* path, zip_source_info& info) {
  int fd = ::open(u16_to_utf8(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return nullptr;
  }
  info.attributes = S_ISDIR(st.st_mode) ? zip_attribute_directory : zip_attribute_archive;
  if (!(st.st_mode & S_IWUSR)) info.attributes |= zip_attribute_read_only;
  info.size = uint64_t(st.st_size);
  info.write_time = file_time(st.st_mtim);
  info.access_time = file_time(st.st_atim);
  info.creation_time = file_time(st.st_ctim);
  return wrap(fd);
}

int zip_source_read(zip_os_file* f, uint8_t* buffer, unsigned size) {
  ssize_t n = ::read(fd_of(f), buffer, size);
  return n < 0 ? -1 : int(n);
}

void zip_source_close(zip_os_file* f) { ::close(fd_of(f)); }

bool zip_name_to_ansi(const char16_t* name, std::string& ansi) {
  ansi = u16_to_ansi(name);
  return ansi_to_u16(ansi) == name;
}

int32_t zip_local_offset_now() {
  time_t now = time(nullptr);
  struct tm t;
  localtime_r(&now, &t);
  return int32_t(t.tm_gmtoff);
}
