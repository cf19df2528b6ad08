// Writes small zip archives for the tests of the extractor and the install jobs: stored or
// deflated entries, and entry names exactly as given (unsafe ones included).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

struct zip_fixture_entry {
  std::string name;  // as stored: '/' separators, a trailing '/' for a folder
  std::string data;
  bool deflate = true;
};

inline std::string deflate_raw(const std::string& data) {
  z_stream z = {};
  deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, uLong(data.size())) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = uInt(data.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = uInt(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

inline std::string make_zip_bytes(const std::vector<zip_fixture_entry>& entries, const std::string& prefix = "") {
  auto u16 = [](std::string& s, unsigned v) { s += char(v & 255); s += char(v >> 8 & 255); };
  auto u32 = [&](std::string& s, uint32_t v) { u16(s, v & 0xffff); u16(s, v >> 16); };
  std::string out = prefix, dir;
  for (const auto& e : entries) {
    bool folder = !e.name.empty() && e.name.back() == '/';
    bool packed = e.deflate && !folder;
    std::string body = packed ? deflate_raw(e.data) : e.data;
    uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), uInt(e.data.size())));
    uint32_t offset = uint32_t(out.size() - prefix.size());
    std::string local;
    u32(local, 0x04034b50); u16(local, 20); u16(local, 0x800); u16(local, packed ? 8 : 0);
    u16(local, 0); u16(local, 0); u32(local, crc); u32(local, uint32_t(body.size()));
    u32(local, uint32_t(e.data.size())); u16(local, unsigned(e.name.size())); u16(local, 0);
    out += local + e.name + body;
    u32(dir, 0x02014b50); u16(dir, 20); u16(dir, 20); u16(dir, 0x800); u16(dir, packed ? 8 : 0);
    u16(dir, 0); u16(dir, 0); u32(dir, crc); u32(dir, uint32_t(body.size())); u32(dir, uint32_t(e.data.size()));
    u16(dir, unsigned(e.name.size())); u16(dir, 0); u16(dir, 0); u16(dir, 0); u16(dir, 0);
    u32(dir, folder ? 0x10 : 0); u32(dir, offset);
    dir += e.name;
  }
  uint32_t dir_offset = uint32_t(out.size() - prefix.size());
  out += dir;
  std::string end;
  u32(end, 0x06054b50); u16(end, 0); u16(end, 0); u16(end, unsigned(entries.size()));
  u16(end, unsigned(entries.size())); u32(end, uint32_t(dir.size())); u32(end, dir_offset); u16(end, 0);
  return out + end;
}

inline void write_zip(const std::filesystem::path& path, const std::vector<zip_fixture_entry>& entries) {
  write_file_bytes(path, make_zip_bytes(entries));
}

// An archive whose last entry (stored; eight bytes or more) fails its CRC check while the
// others are whole: an extraction leaves the other files and reports an error.
inline std::string zip_with_damaged_last_entry(std::vector<zip_fixture_entry> entries) {
  entries.back().deflate = false;
  std::string zip = make_zip_bytes(entries);
  const size_t directory = zip.find("PK\x01\x02");  // right after the last entry's data
  zip[directory - 8] = char(zip[directory - 8] ^ 1);
  return zip;
}
