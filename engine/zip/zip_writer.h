// Writes zip archives: files from disk under names of the caller's choice, deflated at
// level 8 or stored, finished by the central directory. No zip64: sizes and offsets stay
// below 4 GiB and an archive holds at most 65535 entries.
#pragma once

#include <cstdint>

constexpr uint32_t zip_ok = 0;
constexpr uint32_t zip_error_open = 0x200;          // a file cannot be opened or read, or is 4 GiB or more
constexpr uint32_t zip_error_write = 0x400;         // writing failed, or the compressor reported a problem
constexpr uint32_t zip_error_argument = 0x10000;    // no handle, an empty or unusable name
constexpr uint32_t zip_error_failed = 0x40000;      // the writer failed earlier
constexpr uint32_t zip_error_finished = 0x50000;    // finished, or full (65535 entries)
constexpr uint32_t zip_error_not_writer = 0x80000;  // the handle is not a writer handle
constexpr uint32_t zip_error_not_open = 0x1000000;  // the archive file is not open
constexpr uint32_t zip_error_seek = 0x2000000;      // positioning failed while a header was rewritten

struct zip_writer;

// The handle's kind: this library makes writers only.
constexpr int32_t zip_mode_writer = 2;

struct zip_archive {
  int32_t mode;  // zip_mode_writer
  zip_writer* writer;
};

// A new archive at `path`, or null when the file cannot be created.
zip_archive* zip_create(const char16_t* path);
// Adds the file at `source_path` as `name` ('\' becomes '/'). A failed addition leaves the
// archive as it was before it.
uint32_t zip_add_file(zip_archive* archive, const char16_t* name, const char16_t* source_path);
// Writes the central directory if not yet written, closes the file and frees the handle.
uint32_t zip_close(zip_archive*& archive);
