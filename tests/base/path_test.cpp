#include "base/path.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace {

// '|' in an expected join stands for the separator the build puts in ('\' or '/').
std::u16string native(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out)
    if (c == u'|') c = path_separator;
  return out;
}

TEST(Path, Separators) {
  EXPECT_TRUE(is_path_separator(u'\\'));
  EXPECT_TRUE(is_path_separator(u'/'));
  EXPECT_FALSE(is_path_separator(u':'));
  EXPECT_FALSE(is_path_separator(u'a'));
}

// One row per shape of path: both separators, drive roots, UNC, trailing separators, empty.
TEST(Path, TakingPathsApart) {
  const size_t none = std::u16string_view::npos;
  struct row {
    const char16_t* path;
    size_t last_separator;
    const char16_t* file_name;
    const char16_t* folder;
    const char16_t* parent;
  } rows[] = {
      {u"", none, u"", u"", u""},
      {u"b.inf", none, u"b.inf", u"", u"."},
      {u"C:\\a\\b.inf", 4, u"b.inf", u"C:\\a", u"C:\\a"},
      {u"C:/a/b.inf", 4, u"b.inf", u"C:/a", u"C:/a"},
      {u"C:\\a/b.inf", 4, u"b.inf", u"C:\\a", u"C:\\a"},
      {u"C:/a\\b.inf", 4, u"b.inf", u"C:/a", u"C:/a"},
      {u"C:\\b.inf", 2, u"b.inf", u"C:", u"C:"},
      {u"C:\\", 2, u"", u"C:", u"."},
      {u"C:", none, u"", u"", u"."},
      {u"C:setup.exe", none, u"setup.exe", u"", u"."},
      {u"C:\\a\\b\\", 6, u"", u"C:\\a\\b", u"C:\\a"},
      {u"C:/a/b/", 6, u"", u"C:/a/b", u"C:/a"},
      {u"a\\", 1, u"", u"a", u"."},
      {u"\\a", 0, u"a", u"", u"\\"},
      {u"\\", 0, u"", u"", u"\\"},
      {u"/", 0, u"", u"", u"/"},
      {u"\\\\server\\share\\x.zip", 14, u"x.zip", u"\\\\server\\share", u"\\\\server\\share"},
      {u"\\\\server\\share", 8, u"share", u"\\\\server", u"\\\\server"},
      {u"C:\\a.b\\file", 6, u"file", u"C:\\a.b", u"C:\\a.b"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(u16_to_utf8(r.path));
    EXPECT_EQ(last_path_separator(r.path), r.last_separator);
    EXPECT_EQ(file_name_part(r.path), r.file_name);
    EXPECT_EQ(std::u16string_view(r.path).substr(file_name_start(r.path)), r.file_name);
    EXPECT_EQ(folder_part(r.path), r.folder);
    EXPECT_EQ(parent_folder(r.path), r.parent);
  }
}

TEST(Path, JoinPutsExactlyOneSeparator) {
  struct row {
    const char16_t* folder;
    const char16_t* name;
    const char16_t* joined;
  } rows[] = {
      {u"C:\\a", u"b.inf", u"C:\\a|b.inf"},
      {u"C:\\a\\", u"b.inf", u"C:\\a\\b.inf"},
      {u"C:\\a\\", u"\\b.inf", u"C:\\a\\b.inf"},
      {u"C:\\a", u"\\\\b", u"C:\\a|b"},
      {u"C:/a/", u"b", u"C:/a/b"},
      {u"C:\\a", u"/b", u"C:\\a|b"},
      {u"C:\\", u"b", u"C:\\b"},
      {u"\\\\server\\share", u"x.zip", u"\\\\server\\share|x.zip"},
      {u"", u"b", u"b"},
      {u"", u"\\b", u"b"},
      {u"C:\\a", u"", u"C:\\a|"},
      {u"C:\\a", u"drv\\x64\\a.sys", u"C:\\a|drv\\x64\\a.sys"},
  };
  for (const row& r : rows)
    EXPECT_EQ(path_join(r.folder, r.name), native(r.joined)) << u16_to_utf8(r.folder) << " + " << u16_to_utf8(r.name);
}

}  // namespace
