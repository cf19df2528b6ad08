// The file access of the zip writer: the archive it writes and the sources it reads.
// Windows: CreateFileW and friends; the host build has POSIX stand-ins for the tests.
#pragma once

#include <cstdint>
#include <string>

struct zip_os_file;

struct zip_source_info {
  uint32_t attributes = 0;  // Windows attribute bits
  uint64_t size = 0;
  // Windows file times: 100 ns units since 1601-01-01 UTC.
  uint64_t write_time = 0, access_time = 0, creation_time = 0;
};

// The archive: created anew (write access, no sharing); null when it cannot be.
zip_os_file* zip_file_create(const char16_t* path);
// False unless every byte was written.
bool zip_file_write(zip_os_file* f, const void* data, uint32_t size);
bool zip_file_seek(zip_os_file* f, uint64_t offset);
// Cuts the file at the current position.
bool zip_file_truncate(zip_os_file* f);
void zip_file_close(zip_os_file* f);

// A source, opened for reading (shared read) with its facts; null when either fails.
zip_os_file* zip_source_open(const char16_t* path, zip_source_info& info);
// The count read, 0 at the end, -1 on error.
int zip_source_read(zip_os_file* f, uint8_t* buffer, unsigned size);
void zip_source_close(zip_os_file* f);

// The name in the ANSI code page; false when a character has no place in it (it would
// come out as '?' or a look-alike, and the entry could not be extracted under its name).
bool zip_name_to_ansi(const char16_t* name, std::string& ansi);

// Local time minus UTC, in seconds, as the clocks stand now.
int32_t zip_local_offset_now();
