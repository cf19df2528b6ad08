#include "engine/helpers.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <memory>

#include "base/text.h"
#include "tests/support/test_support.h"

namespace {

TEST(Helpers, Md5OfTextsAndFiles) {
  char hex[33];
  md5_text_hex("", hex);
  EXPECT_STREQ(hex, "d41d8cd98f00b204e9800998ecf8427e");
  md5_text_hex("The quick brown fox jumps over the lazy dog", hex);
  EXPECT_STREQ(hex, "9e107d9d372bb6826bd81d3542a419d6");

  temp_folder dir;
  // CR LF and ^Z must be hashed as bytes, not as text; 3000 bytes span several read blocks.
  std::string bytes = "a\r\nb\x1a" + std::string(3000, 'x');
  write_file_bytes(dir / "f.bin", bytes);
  char expected[33];
  md5_text_hex(bytes.c_str(), expected);
  EXPECT_EQ(md5_file_hex((dir / "f.bin").string().c_str(), hex), 0);
  EXPECT_STREQ(hex, expected);
  EXPECT_EQ(md5_file_hex((dir / "missing").string().c_str(), hex), -1);
  // A folder opens on some systems but cannot be read: no digest.
  EXPECT_EQ(md5_file_hex(dir.path().string().c_str(), hex), -1);
}

TEST(Helpers, ParseDateGivesLocalMidnightOrMinusOne) {
  int64_t a = parse_date(u"2019-3-14");
  int64_t b = parse_date(u"2019-03-15");
  ASSERT_GT(a, 0);
  EXPECT_EQ(b - a, 86400);
  EXPECT_EQ(parse_date(u"2019-3"), parse_date(u"2019-3-0"));
  EXPECT_EQ(parse_date(u"not a date"), -1);
  EXPECT_EQ(parse_date(u""), -1);
  // Numbers too large for any date never wrap into a small valid one.
  for (const char16_t* huge : {u"-2147483648-1-1", u"2019-1-4294967297", u"4294969315-1-1", u"2019-99999999999-1"})
    EXPECT_EQ(parse_date(huge), -1) << u16_to_utf8(huge);
}

TEST(Helpers, LocalTimeTextPadsAllButTheDay) {
  EXPECT_EQ(format_local_time({2026, 3, 5, 7, 8, 9}), u"2026/03/5 07:08:09");
  EXPECT_EQ(format_local_time({2026, 12, 25, 23, 59, 0}), u"2026/12/25 23:59:00");
  EXPECT_EQ(local_time_text().size() >= 17, true);
}

TEST(Helpers, ParentFolder) {
  struct { const char16_t* path; const char16_t* parent; } cases[] = {
      {u"C:\\a\\b.inf", u"C:\\a"}, {u"C:\\b.inf", u"C:"},  {u"b.inf", u"."},
      {u"C:\\a\\b\\", u"C:\\a"},   {u"C:/a/b", u"C:/a"},   {u"\\a", u"\\"},
      {u"\\", u"\\"},              {u"", u""},             {u"a\\", u"."},
  };
  for (const auto& c : cases) EXPECT_EQ(parent_folder(c.path), c.parent) << u16_to_utf8(c.path);
}

TEST(Helpers, TrimChars) {
  EXPECT_EQ(trim_chars(" \t\n\r", " \t\r\n "), "");
  EXPECT_EQ(trim_chars(" \t\n\r", "  Intel Corp. \r\n"), "Intel Corp.");
  EXPECT_EQ(trim_chars("", "  x "), "  x ");
  EXPECT_EQ(trim_chars("x", "xxaxbxx"), "axb");
  EXPECT_FALSE(trim_chars(" ", nullptr).has_value());
}

TEST(Helpers, NamesMatchLoosely) {
  EXPECT_TRUE(names_match(u"Realtek", u"Realtek Semiconductor Corp."));
  EXPECT_TRUE(names_match(u"INTEL CORPORATION", u"intel"));
  EXPECT_TRUE(names_match(u"", u""));
  EXPECT_FALSE(names_match(u"NVIDIA", u"AMD"));
  // As the platform's substring search: an empty text is found in no other text.
  EXPECT_FALSE(names_match(u"", u"Intel"));
  EXPECT_FALSE(names_match(u"Intel", u""));
}

TEST(Helpers, UrlEscapeOnlySpacesBeforeTheQuery) {
  char out[1025];
  ASSERT_TRUE(url_escape("http://h/a b/c.zip", out));
  EXPECT_STREQ(out, "http://h/a%20b/c.zip");
  ASSERT_TRUE(url_escape("http://h/a b/c.zip?x=1 2#f g", out));
  if (running_on_wine()) {
    // Wine escapes the query's spaces too; Windows leaves what follows '?' alone.
    EXPECT_EQ(std::string(out).rfind("http://h/a%20b/c.zip?x=1", 0), 0u) << out;
  } else {
    EXPECT_STREQ(out, "http://h/a%20b/c.zip?x=1 2#f g");
  }
  EXPECT_FALSE(url_escape(nullptr, out));
  std::string long_url = "http://h/" + std::string(2000, 'a');
  ASSERT_TRUE(url_escape(long_url.c_str(), out));
  EXPECT_EQ(std::string(out).size(), 1024u);
}

TEST(Helpers, XmlTextElement) {
  std::unique_ptr<TiXmlElement> plain(xml_text_element("name", "a<b", false));
  std::unique_ptr<TiXmlElement> cdata(xml_text_element("desc", "x & y", true));
  std::unique_ptr<TiXmlElement> empty(xml_text_element("none", nullptr, false));
  TiXmlPrinter p1, p2, p3;
  plain->Accept(&p1);
  cdata->Accept(&p2);
  empty->Accept(&p3);
  EXPECT_NE(p1.Str().find("<name>a&lt;b</name>"), std::string::npos) << p1.Str();
  EXPECT_NE(p2.Str().find("<![CDATA[x & y]]>"), std::string::npos) << p2.Str();
  EXPECT_EQ(empty->FirstChild(), nullptr);
}

TEST(Helpers, ReadWholeFileAddsATerminator) {
  temp_folder dir;
  write_file_bytes(dir / "x.dat", "abc");
  write_file_bytes(dir / "empty.dat", "");
  std::vector<char> buffer;
  ASSERT_TRUE(read_whole_file(utf8_to_u16((dir / "x.dat").string()).c_str(), buffer));
  EXPECT_EQ(buffer, (std::vector<char>{'a', 'b', 'c', 0}));
  EXPECT_FALSE(read_whole_file(utf8_to_u16((dir / "empty.dat").string()).c_str(), buffer));
  EXPECT_FALSE(read_whole_file(utf8_to_u16((dir / "none.dat").string()).c_str(), buffer));
}

}  // namespace
