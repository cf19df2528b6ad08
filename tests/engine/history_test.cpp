#include "engine/history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/text.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

// The program folder inside a temporary folder, and history.dat where the loader joins it.
struct history_files {
  temp_folder temp;
  std::u16string folder = (temp.path() / "prog").u16string();
  history_files() { fs::create_directories(temp.path() / "prog"); }
  void write(const std::string& bytes) {
    write_file_bytes(fs::path(path_join(folder, u"history.dat")), bytes);
  }
};

TEST(History, CountsTrimmedLinesOfTheFile) {
  history_files files;
  files.write("http://a/x.zip\n \t\r\nhttp://a/x.zip\r\n\thttp://b/y.exe  \n\nhttp://a/x.zip");
  match_context context;
  context.history["stale"] = 4;  // a reload starts from nothing
  EXPECT_EQ(load_history(context, files.folder.c_str()), 4u);
  EXPECT_EQ(history_count(context, "http://a/x.zip"), 3u);
  EXPECT_EQ(history_count(context, "http://b/y.exe"), 1u);
  EXPECT_EQ(history_count(context, "HTTP://A/X.ZIP"), 0u);  // exact bytes
  EXPECT_EQ(history_count(context, "stale"), 0u);
  EXPECT_EQ(context.history.size(), 2u);
}

TEST(History, MissingOrEmptyFileMeansNoHistory) {
  history_files files;
  match_context context;
  context.history["old"] = 1;
  EXPECT_EQ(load_history(context, files.folder.c_str()), 0u);
  EXPECT_TRUE(context.history.empty());
  files.write("");
  EXPECT_EQ(load_history(context, files.folder.c_str()), 0u);
  EXPECT_TRUE(context.history.empty());
}

TEST(History, LongLinesCountInPiecesOf1024Bytes) {
  history_files files;
  std::string first(1024, 'a'), rest(10, 'b');
  std::string exact(1024, 'c');
  files.write(first + rest + "\n" + exact + "\n");
  match_context context;
  EXPECT_EQ(load_history(context, files.folder.c_str()), 3u);
  EXPECT_EQ(history_count(context, first.c_str()), 1u);
  EXPECT_EQ(history_count(context, rest.c_str()), 1u);
  EXPECT_EQ(history_count(context, exact.c_str()), 1u);  // its line end alone trims to nothing
}

TEST(History, ReadFromTheProgramFolderNotTheCurrentDirectory) {
  history_files files;
  files.write("http://in/program/folder.zip\n");
  temp_folder elsewhere;
  write_file_bytes(elsewhere / "history.dat", "http://in/current/directory.zip\n");
  fs::path before = fs::current_path();
  fs::current_path(elsewhere.path());
  match_context context;
  load_history(context, files.folder.c_str());
  fs::current_path(before);
  EXPECT_EQ(history_count(context, "http://in/program/folder.zip"), 1u);
  EXPECT_EQ(history_count(context, "http://in/current/directory.zip"), 0u);
}

}  // namespace
