#include "engine/zip/zip_format.h"

#include "base/text.h"

namespace {

void put16(std::string& out, uint32_t v) {
  out += char(v & 0xFF);
  out += char((v >> 8) & 0xFF);
}
void put32(std::string& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// The fields the local and the central header share, from version needed to name length.
void put_entry_fields(std::string& out, const zip_entry_header& e) {
  put16(out, e.version_needed);
  put16(out, e.flags);
  put16(out, e.method);
  put32(out, e.dos_date_time);
  put32(out, e.crc);
  put32(out, e.compressed_size);
  put32(out, e.uncompressed_size);
  put16(out, uint32_t(e.name.size()));
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t days_from_civil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  unsigned yoe = unsigned(y - era * 400);
  unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + int64_t(doe) - 719468;
}

struct civil {
  int64_t year;
  unsigned month, day;
};
civil civil_from_days(int64_t z) {
  z += 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  unsigned doe = unsigned(z - era * 146097);
  unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  unsigned mp = (5 * doy + 2) / 153;
  unsigned d = doy - (153 * mp + 2) / 5 + 1;
  unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {int64_t(yoe) + era * 400 + (m <= 2), m, d};
}

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Local seconds since 1970 of a file time.
int64_t local_seconds(uint64_t file_time, int32_t local_offset) {
  return int64_t(file_time / 10000000u) - 11644473600LL + local_offset;
}

}  // namespace

uint16_t zip_method_for_name(std::string_view name) {
  static const char* const stored[] = {".Z", ".zip", ".zoo", ".arc", ".lzh", ".arj", ".gz", ".tgz"};
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return zip_method_deflated;
  std::string_view suffix = name.substr(dot);
  for (const char* s : stored)
    if (equal_ci_ascii(suffix, s)) return zip_method_stored;
  return zip_method_deflated;
}

uint32_t zip_dos_date_time(uint64_t file_time, int32_t local_offset) {
  int64_t t = local_seconds(file_time, local_offset);
  int64_t days = floor_div(t, 86400);
  int64_t tod = t - days * 86400;
  civil c = civil_from_days(days);
  // DOS dates run from 1980 to 2107.
  if (c.year < 1980) return (1u << 5 | 1u) << 16;
  if (c.year > 2107) c = {2107, 12, 31}, tod = 86399;
  uint32_t date = uint32_t(c.day) | uint32_t(c.month) << 5 | uint32_t(c.year - 1980) << 9;
  uint32_t time = uint32_t(tod % 60 / 2) | uint32_t(tod / 60 % 60) << 5 | uint32_t(tod / 3600) << 11;
  return date << 16 | time;
}

uint32_t zip_unix_time(uint64_t file_time, int32_t local_offset) {
  int64_t t = local_seconds(file_time, local_offset);
  int64_t days = floor_div(t, 86400);
  int64_t tod = t - days * 86400;
  civil c = civil_from_days(days);
  // The year is held to 1970..2037 in local time, the time of day kept.
  if (c.year < 1970) days = 0;
  if (c.year > 2037) days = days_from_civil(2037, 12, 31);
  int64_t utc = days * 86400 + tod - local_offset;
  if (utc < 0) utc = 0;
  return uint32_t(utc);
}

uint32_t zip_external_attributes(uint32_t a) {
  uint32_t mode = (a & zip_attribute_directory) ? zip_unix_directory : zip_unix_regular;
  mode |= zip_unix_owner_read;
  if (!(a & zip_attribute_read_only)) mode |= zip_unix_owner_write;
  return mode << 16 | (a & (zip_attribute_read_only | zip_attribute_hidden | zip_attribute_system |
                            zip_attribute_directory | zip_attribute_archive));
}

std::string zip_local_header(const zip_entry_header& e) {
  std::string out = "PK\x03\x04";
  put_entry_fields(out, e);
  put16(out, zip_local_extra_length);
  out += e.name;
  out += "UT";
  put16(out, 13);
  out += char(7);
  put32(out, e.mtime);
  put32(out, e.atime);
  put32(out, e.ctime);
  return out;
}

std::string zip_central_header(const zip_entry_header& e) {
  std::string out = "PK\x01\x02";
  put16(out, e.version_made_by);
  put_entry_fields(out, e);
  put16(out, zip_central_extra_length);
  put16(out, 0);  // comment
  put16(out, 0);  // disk number start
  put16(out, 0);  // internal attributes
  put32(out, e.external_attributes);
  put32(out, e.local_header_offset);
  out += e.name;
  out += "UT";
  put16(out, 5);
  out += char(7);
  put32(out, e.mtime);
  return out;
}

std::string zip_end_record(uint32_t entries, uint32_t directory_size, uint32_t directory_offset) {
  std::string out = "PK\x05\x06";
  put16(out, 0);
  put16(out, 0);
  put16(out, entries);
  put16(out, entries);
  put32(out, directory_size);
  put32(out, directory_offset);
  put16(out, 0);
  return out;
}
