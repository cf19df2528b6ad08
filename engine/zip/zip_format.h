// The records of a zip archive as this writer makes them (PKWARE layout, no zip64), and
// the conversions of names, times and attributes that go into them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

constexpr uint16_t zip_version_made_by = 0x0B17;
constexpr uint16_t zip_version_needed = 20;
constexpr uint16_t zip_local_extra_length = 17;
constexpr uint16_t zip_central_extra_length = 9;
constexpr size_t zip_max_name_bytes = 259;

// Compression methods.
constexpr uint16_t zip_method_stored = 0;
constexpr uint16_t zip_method_deflated = 8;

// General-purpose flag bits: the deflate option (bits 1 and 2) and the data descriptor (bit 3:
// sizes and CRC follow the data; set while an entry is written, cleared once its header is
// rewritten with them).
constexpr uint16_t zip_flag_deflate_maximum = 0x0002;
constexpr uint16_t zip_flag_deflate_fast = 0x0004;
constexpr uint16_t zip_flag_data_descriptor = 0x0008;

// Windows file attribute bits kept in the low byte of the external attributes.
constexpr uint32_t zip_attribute_read_only = 0x01, zip_attribute_hidden = 0x02, zip_attribute_system = 0x04,
                   zip_attribute_directory = 0x10, zip_attribute_archive = 0x20;
// The Unix mode in the high 16 bits: file type and the owner's permission bits.
constexpr uint32_t zip_unix_directory = 0x4000, zip_unix_regular = 0x8000, zip_unix_owner_read = 0x0100,
                   zip_unix_owner_write = 0x0080;

// The values of one entry, written into its local header and again into its central header.
struct zip_entry_header {
  uint16_t version_made_by = zip_version_made_by;
  uint16_t version_needed = zip_version_needed;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t dos_date_time = 0;  // date in the high 16 bits
  uint32_t crc = 0;
  uint32_t compressed_size = 0;
  uint32_t uncompressed_size = 0;
  uint32_t external_attributes = 0;
  uint32_t local_header_offset = 0;
  uint32_t mtime = 0, atime = 0, ctime = 0;  // seconds since 1970 for the timestamp fields
  std::string name;                          // ANSI code page, '/' as separator
};

// zip_method_stored for names of already compressed archives (.zip, .gz, ...), else
// zip_method_deflated.
uint16_t zip_method_for_name(std::string_view name);

// Windows file times (100 ns units since 1601 UTC) to what the headers hold. `local_offset`
// is local minus UTC time in seconds, taken once per addition.
uint32_t zip_dos_date_time(uint64_t file_time, int32_t local_offset);
uint32_t zip_unix_time(uint64_t file_time, int32_t local_offset);
// Windows attribute bits to the low byte, a Unix mode in the high 16 bits.
uint32_t zip_external_attributes(uint32_t windows_attributes);

std::string zip_local_header(const zip_entry_header& e);
std::string zip_central_header(const zip_entry_header& e);
std::string zip_end_record(uint32_t entries, uint32_t directory_size, uint32_t directory_offset);
