// Reads back the records of an archive made by the zip writer, field by field, for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct zip_read_entry {
  // Local header.
  uint16_t l_version, l_flags, l_method;
  uint32_t l_time, l_crc, l_csize, l_usize;
  std::string l_name, l_extra;
  std::string data;  // the entry's stored bytes
  // Central header.
  uint16_t c_made_by, c_version, c_flags, c_method, c_comment, c_disk, c_internal;
  uint32_t c_time, c_crc, c_csize, c_usize, c_external, c_offset;
  std::string c_name, c_extra;
};

struct zip_read_archive {
  std::vector<zip_read_entry> entries;
  uint16_t disk = 0, cd_disk = 0, disk_entries = 0, total_entries = 0, comment = 0;
  uint32_t cd_size = 0, cd_offset = 0;
  std::string error;
};

inline uint32_t zip_le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | uint8_t(s.at(at + size_t(i)));
  return v;
}

inline zip_read_archive zip_read(const std::string& z) {
  zip_read_archive a;
  if (z.size() < 22 || z.compare(z.size() - 22, 4, "PK\x05\x06") != 0) return a.error = "no end record", a;
  size_t e = z.size() - 22;
  a.disk = uint16_t(zip_le(z, e + 4, 2));
  a.cd_disk = uint16_t(zip_le(z, e + 6, 2));
  a.disk_entries = uint16_t(zip_le(z, e + 8, 2));
  a.total_entries = uint16_t(zip_le(z, e + 10, 2));
  a.cd_size = zip_le(z, e + 12, 4);
  a.cd_offset = zip_le(z, e + 16, 4);
  a.comment = uint16_t(zip_le(z, e + 20, 2));
  if (size_t(a.cd_offset) + a.cd_size != e) return a.error = "directory does not end at the end record", a;
  size_t p = a.cd_offset;
  for (unsigned i = 0; i < a.total_entries; ++i) {
    if (z.compare(p, 4, "PK\x01\x02") != 0) return a.error = "bad central signature", a;
    zip_read_entry r{};
    r.c_made_by = uint16_t(zip_le(z, p + 4, 2));
    r.c_version = uint16_t(zip_le(z, p + 6, 2));
    r.c_flags = uint16_t(zip_le(z, p + 8, 2));
    r.c_method = uint16_t(zip_le(z, p + 10, 2));
    r.c_time = zip_le(z, p + 12, 4);
    r.c_crc = zip_le(z, p + 16, 4);
    r.c_csize = zip_le(z, p + 20, 4);
    r.c_usize = zip_le(z, p + 24, 4);
    size_t n = zip_le(z, p + 28, 2), x = zip_le(z, p + 30, 2);
    r.c_comment = uint16_t(zip_le(z, p + 32, 2));
    r.c_disk = uint16_t(zip_le(z, p + 34, 2));
    r.c_internal = uint16_t(zip_le(z, p + 36, 2));
    r.c_external = zip_le(z, p + 38, 4);
    r.c_offset = zip_le(z, p + 42, 4);
    r.c_name = z.substr(p + 46, n);
    r.c_extra = z.substr(p + 46 + n, x);
    p += 46 + n + x + r.c_comment;
    size_t l = r.c_offset;
    if (z.compare(l, 4, "PK\x03\x04") != 0) return a.error = "bad local signature", a;
    r.l_version = uint16_t(zip_le(z, l + 4, 2));
    r.l_flags = uint16_t(zip_le(z, l + 6, 2));
    r.l_method = uint16_t(zip_le(z, l + 8, 2));
    r.l_time = zip_le(z, l + 10, 4);
    r.l_crc = zip_le(z, l + 14, 4);
    r.l_csize = zip_le(z, l + 18, 4);
    r.l_usize = zip_le(z, l + 22, 4);
    size_t ln = zip_le(z, l + 26, 2), lx = zip_le(z, l + 28, 2);
    r.l_name = z.substr(l + 30, ln);
    r.l_extra = z.substr(l + 30 + ln, lx);
    r.data = z.substr(l + 30 + ln + lx, r.l_csize);
    a.entries.push_back(r);
  }
  return a;
}
