// The archives checked by outside readers: Python's zipfile and Debian's unzip.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine/zip/zip_writer.h"
#include "tests/engine/deflate_corpus.h"
#include "tests/engine/zip_read.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

// Runs the checker; its own message is in the test's output when it fails.
int outside_check(const fs::path& archive, const fs::path& folder, size_t entries) {
  std::string cmd = "python3 '" + source_path("tests/engine/zip_check.py").string() + "' '" + archive.string() +
                    "' '" + folder.string() + "' " + std::to_string(entries);
  return std::system(cmd.c_str());
}

// Files below `root` as (name inside the archive with backslashes, full path).
std::vector<std::pair<std::u16string, fs::path>> tree_of(const fs::path& root) {
  std::vector<std::pair<std::u16string, fs::path>> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::u16string name = e.path().lexically_relative(root).u16string();
    for (char16_t& c : name)
      if (c == u'/') c = u'\\';
    out.push_back({name, e.path()});
  }
  return out;
}

TEST(ZipWriterOutside, ArchivesOpenWithZipfileAndUnzip) {
  temp_folder dir;
  fs::path src = dir / "pkg";
  fs::create_directories(src / "drivers" / "x64");
  write_file_bytes(src / "drivers" / "x64" / "a.inf", deflate_text(200000, 1));
  write_file_bytes(src / "noise.bin", deflate_noise(150000, 2));
  write_file_bytes(src / "empty.txt", "");
  write_file_bytes(src / "one.txt", "1");
  write_file_bytes(src / "old.zip", deflate_text(3000, 3));
  write_file_bytes(src / "run.dat", std::string(100000, 'r'));
  for (const auto& b : deflate_binaries(4, 100000)) fs::copy_file(b, src / b.filename());
  auto files = tree_of(src);
  zip_archive* a = zip_create((dir / "a.zip").u16string().c_str());
  ASSERT_NE(a, nullptr);
  for (const auto& [name, path] : files) EXPECT_EQ(zip_add_file(a, name.c_str(), path.u16string().c_str()), zip_ok);
  EXPECT_EQ(zip_close(a), zip_ok);
  EXPECT_EQ(outside_check(dir / "a.zip", src, files.size()), 0);
}

TEST(ZipWriterOutside, FailedAdditionLeavesNothingBehind) {
  temp_folder dir;
  fs::path src = dir / "pkg";
  fs::create_directories(src);
  write_file_bytes(src / "first.txt", deflate_text(50000, 4));
  write_file_bytes(src / "last.txt", deflate_text(50000, 5));
  fs::create_directories(dir / "a folder");  // opens, but reading it fails
  zip_archive* a = zip_create((dir / "a.zip").u16string().c_str());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(zip_add_file(a, u"first.txt", (src / "first.txt").u16string().c_str()), zip_ok);
  EXPECT_EQ(zip_add_file(a, u"broken.txt", (dir / "a folder").u16string().c_str()), zip_error_write);
  EXPECT_EQ(zip_add_file(a, u"broken.gz", (dir / "a folder").u16string().c_str()), zip_error_write);
  EXPECT_EQ(zip_add_file(a, u"last.txt", (src / "last.txt").u16string().c_str()), zip_ok);
  EXPECT_EQ(zip_close(a), zip_ok);
  zip_read_archive r = zip_read(read_file_bytes(dir / "a.zip"));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.entries.size(), 2u);
  // The second entry follows the first directly: nothing of the failed ones is left.
  EXPECT_EQ(r.entries[1].c_offset, 30u + 9 + 17 + r.entries[0].c_csize);
  EXPECT_EQ(outside_check(dir / "a.zip", src, 2), 0);
}

TEST(ZipWriterOutside, SixtyFiveThousandFiveHundredAndThirtySixthEntryIsRefused) {
  temp_folder dir;
  fs::path src = dir / "pkg";
  fs::create_directories(src);
  write_file_bytes(src / "x.gz", "x");
  zip_archive* a = zip_create((dir / "a.zip").u16string().c_str());
  ASSERT_NE(a, nullptr);
  const std::u16string path = (src / "x.gz").u16string();
  uint32_t bad = 0;
  for (unsigned i = 0; i < 65535; ++i) bad |= zip_add_file(a, u"x.gz", path.c_str());
  EXPECT_EQ(bad, zip_ok);
  EXPECT_EQ(zip_add_file(a, u"x.gz", path.c_str()), zip_error_finished);
  EXPECT_EQ(zip_close(a), zip_ok);
  zip_read_archive r = zip_read(read_file_bytes(dir / "a.zip"));
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.total_entries, 65535);
  EXPECT_EQ(r.entries.size(), 65535u);
}

}  // namespace
