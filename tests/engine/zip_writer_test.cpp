#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

#include "base/text.h"
#include "engine/zip/zip_format.h"
#include "engine/zip/zip_writer.h"
#include "tests/engine/deflate_corpus.h"
#include "tests/engine/zip_read.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::string inflate_raw(const std::string& in) {
  z_stream z{};
  inflateInit2(&z, -15);
  std::string out(1 << 20, '\0'), result;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = uInt(in.size());
  int r;
  do {
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = uInt(out.size());
    r = inflate(&z, Z_NO_FLUSH);
    result.append(out, 0, out.size() - z.avail_out);
  } while (r == Z_OK);
  inflateEnd(&z);
  return r == Z_STREAM_END ? result : "<inflate failed>";
}

uint32_t crc_of(const std::string& s) {
  return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(s.data()), uInt(s.size())));
}

struct source_file {
  std::u16string name;  // as given to the writer
  std::string stored_name;
  std::string bytes;
  uint16_t method;
};

TEST(ZipWriter, HeadersCarryTheFieldsOfEachEntry) {
  temp_folder dir;
  std::vector<source_file> files = {
      {u"drivers\\x64\\a.inf", "drivers/x64/a.inf", deflate_text(100000, 1), 8},
      {u"pkg.CAB", "pkg.CAB", deflate_noise(70000, 2), 8},
      {u"old.ZIP", "old.ZIP", deflate_text(5000, 3), 0},
      {u".gz", ".gz", "x", 0},
      {u"README", "README", "", 8},
  };
  fs::path zip = dir / "out.zip";
  zip_archive* a = zip_create(zip.u16string().c_str());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->mode, zip_mode_writer);
  for (size_t i = 0; i < files.size(); ++i) {
    fs::path src = dir / ("src" + std::to_string(i));
    write_file_bytes(src, files[i].bytes);
    EXPECT_EQ(zip_add_file(a, files[i].name.c_str(), src.u16string().c_str()), zip_ok);
  }
  EXPECT_EQ(zip_close(a), zip_ok);
  EXPECT_EQ(a, nullptr);

  std::string z = read_file_bytes(zip);
  zip_read_archive r = zip_read(z);
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.disk, 0);
  EXPECT_EQ(r.cd_disk, 0);
  EXPECT_EQ(r.comment, 0);
  ASSERT_EQ(r.total_entries, files.size());
  EXPECT_EQ(r.disk_entries, files.size());
  uint32_t offset = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const auto& e = r.entries[i];
    const auto& f = files[i];
    SCOPED_TRACE(f.stored_name);
    uint16_t flags = f.method == 8 ? 2 : 0;
    EXPECT_EQ(e.l_version, 20);
    EXPECT_EQ(e.c_version, 20);
    EXPECT_EQ(e.c_made_by, 0x0B17);
    EXPECT_EQ(e.l_flags, flags);
    EXPECT_EQ(e.c_flags, flags);
    EXPECT_EQ(e.l_method, f.method);
    EXPECT_EQ(e.c_method, f.method);
    EXPECT_EQ(e.l_crc, crc_of(f.bytes));
    EXPECT_EQ(e.c_crc, e.l_crc);
    EXPECT_EQ(e.l_usize, f.bytes.size());
    EXPECT_EQ(e.c_usize, f.bytes.size());
    EXPECT_EQ(e.c_csize, e.l_csize);
    EXPECT_EQ(e.l_time, e.c_time);
    EXPECT_EQ(e.l_name, f.stored_name);
    EXPECT_EQ(e.c_name, f.stored_name);
    EXPECT_EQ(e.c_offset, offset);
    EXPECT_EQ(e.c_comment, 0);
    EXPECT_EQ(e.c_disk, 0);
    EXPECT_EQ(e.c_internal, 0);
    EXPECT_EQ(e.c_external, 0x81800020u);
    ASSERT_EQ(e.l_extra.size(), 17u);
    ASSERT_EQ(e.c_extra.size(), 9u);
    EXPECT_EQ(e.l_extra.substr(0, 5), std::string("UT\x0d\x00\x07", 5));
    EXPECT_EQ(e.c_extra.substr(0, 5), std::string("UT\x05\x00\x07", 5));
    EXPECT_EQ(e.c_extra.substr(5), e.l_extra.substr(5, 4));  // the same modification time
    if (f.method == 0)
      EXPECT_TRUE(e.data == f.bytes);
    else
      EXPECT_TRUE(inflate_raw(e.data) == f.bytes);
    offset += 30 + uint32_t(f.stored_name.size()) + 17 + e.l_csize;
  }
  EXPECT_EQ(r.cd_offset, offset);
  EXPECT_LT(r.entries[0].l_csize, files[0].bytes.size() / 3);
}

TEST(ZipWriter, EmptyArchiveIsTheEndRecordAlone) {
  temp_folder dir;
  zip_archive* a = zip_create((dir / "e.zip").u16string().c_str());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(zip_close(a), zip_ok);
  EXPECT_EQ(read_file_bytes(dir / "e.zip"), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
}

TEST(ZipWriter, BadCallsGiveTheirCodes) {
  temp_folder dir;
  fs::path src = dir / "a.txt";
  write_file_bytes(src, "hello");
  const std::u16string s = src.u16string();
  EXPECT_EQ(zip_create((dir / "no" / "such" / "x.zip").u16string().c_str()), nullptr);
  EXPECT_EQ(zip_add_file(nullptr, u"a", s.c_str()), zip_error_argument);
  zip_archive* none = nullptr;
  EXPECT_EQ(zip_close(none), zip_error_argument);

  zip_archive* a = zip_create((dir / "x.zip").u16string().c_str());
  ASSERT_NE(a, nullptr);
  a->mode = 3;
  EXPECT_EQ(zip_add_file(a, u"a", s.c_str()), zip_error_not_writer);
  a->mode = zip_mode_writer;
  EXPECT_EQ(zip_add_file(a, u"", s.c_str()), zip_error_argument);
  EXPECT_EQ(zip_add_file(a, std::u16string(260, u'n').c_str(), s.c_str()), zip_error_argument);
  EXPECT_EQ(zip_add_file(a, std::u16string(600, u'n').c_str(), s.c_str()), zip_error_argument);
  EXPECT_EQ(zip_add_file(a, u"missing", (dir / "missing").u16string().c_str()), zip_error_open);
  if (ansi_code_page() == 1252) {
    // Letters outside the code page would come out as '?': refused, not stored under a wrong name.
    EXPECT_EQ(zip_add_file(a, u"\u65e5\u672c.inf", s.c_str()), zip_error_argument);
    EXPECT_EQ(zip_add_file(a, u"caf\u00e9\u0107.inf", s.c_str()), zip_error_argument);
  }
  EXPECT_EQ(zip_add_file(a, std::u16string(259, u'n').c_str(), s.c_str()), zip_ok);
  EXPECT_EQ(zip_add_file(a, u"a.txt", s.c_str()), zip_ok);
  EXPECT_EQ(zip_add_file(a, u"caf\u00e9.txt", s.c_str()), zip_ok);
  EXPECT_EQ(zip_close(a), zip_ok);
  EXPECT_EQ(zip_add_file(a, u"late.txt", s.c_str()), zip_error_argument);  // the handle is gone
  zip_read_archive r = zip_read(read_file_bytes(dir / "x.zip"));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.entries.size(), 3u);
  if (ansi_code_page() == 1252) {
    EXPECT_EQ(r.entries[2].c_name, "caf\xe9.txt");
  }
  EXPECT_EQ(r.entries[1].c_name, "a.txt");
  EXPECT_EQ(r.entries[1].c_offset, 30u + 259 + 17 + r.entries[0].l_csize);
}

TEST(ZipWriter, FileOfFourGibibytesIsRefusedAndTheArchiveStaysSound) {
  temp_folder dir;
  fs::path big = dir / "big.bin", small = dir / "small.txt";
  write_file_bytes(big, "");
  std::error_code ec;
  fs::resize_file(big, 0x100000000ull, ec);  // sparse where the file system allows
  if (ec) GTEST_SKIP() << "cannot make a 4 GiB file here: " << ec.message();
  write_file_bytes(small, "small");
  zip_archive* a = zip_create((dir / "x.zip").u16string().c_str());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(zip_add_file(a, u"big.bin", big.u16string().c_str()), zip_error_open);
  EXPECT_EQ(zip_add_file(a, u"small.txt", small.u16string().c_str()), zip_ok);
  EXPECT_EQ(zip_close(a), zip_ok);
  fs::remove(big);
  zip_read_archive r = zip_read(read_file_bytes(dir / "x.zip"));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.entries.size(), 1u);
  EXPECT_EQ(r.entries[0].c_offset, 0u);
}

TEST(ZipFormat, StoredMethodGoesByTheNameSuffix) {
  const std::pair<const char*, uint16_t> cases[] = {
      {"a.zip", 0}, {"A.ZIP", 0}, {"x.Z", 0},  {"x.z", 0},   {"b.zoo", 0},     {"c.arc", 0},
      {"d.lzh", 0}, {"e.arj", 0}, {".gz", 0},  {"f.TGZ", 0}, {"pkg.CAB", 8},   {"README", 8},
      {"a.zip.txt", 8}, {"dir.zip/file", 8}, {"a.gzip", 8}, {"x.tar.gz", 0},
  };
  for (auto [name, method] : cases) EXPECT_EQ(zip_method_for_name(name), method) << name;
}

// File times from a Unix time, as Windows keeps them.
uint64_t file_time_of(int64_t unix_seconds) { return uint64_t(unix_seconds + 11644473600LL) * 10000000u; }

TEST(ZipFormat, TimesAreHeldToWhatTheFieldsCanHold) {
  const int64_t t2020 = 1583020800;  // 2020-03-01 00:00:00 UTC
  struct row {
    int64_t unix;
    int32_t offset;
    uint32_t want_unix;
    uint32_t want_dos;
  } rows[] = {
      // 2020-03-01 00:00:00, 13:45:58 local two hours east of UTC (11:45:58 UTC)
      {t2020, 0, uint32_t(t2020), (40u << 9 | 3u << 5 | 1u) << 16},
      {t2020 + 11 * 3600 + 45 * 60 + 58, 7200, uint32_t(t2020 + 11 * 3600 + 45 * 60 + 58),
       (40u << 9 | 3u << 5 | 1u) << 16 | (13u << 11 | 45u << 5 | 29u)},
      // 1965-06-01 12:00 UTC: January 1st 1970 at the same time of day; DOS time at its minimum
      {-144676800, 0, 12 * 3600, 0x00210000u},
      // east of UTC, a year before 1970 never gives a negative time
      {-144676800 - 12 * 3600, 3600, 0, 0x00210000u},
      // 2050-07-04 06:00 UTC: December 31st 2037 at 06:00
      {2540527200, 0, 2145852000, (70u << 9 | 7u << 5 | 4u) << 16 | (6u << 11)},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(zip_unix_time(file_time_of(r.unix), r.offset), r.want_unix) << r.unix;
    EXPECT_EQ(zip_dos_date_time(file_time_of(r.unix), r.offset), r.want_dos) << r.unix;
  }
}

TEST(ZipFormat, AttributesCarryWindowsBitsAndAUnixMode) {
  EXPECT_EQ(zip_external_attributes(0x20), 0x81800020u);
  EXPECT_EQ(zip_external_attributes(0x21), 0x81000021u);
  EXPECT_EQ(zip_external_attributes(0x10), 0x41800010u);
  EXPECT_EQ(zip_external_attributes(0x27 | 0x80 | 0x800), 0x81000027u);
}

}  // namespace
