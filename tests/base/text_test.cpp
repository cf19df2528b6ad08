#include "base/text.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, Utf8RoundTripsEveryPlane) {
  const std::u16string wide = u"abc \u00e9\u65e5\u672c\U0001F600";
  std::string utf8 = u16_to_utf8(wide);
  EXPECT_EQ(utf8, "abc \xc3\xa9\xe6\x97\xa5\xe6\x9c\xac\xf0\x9f\x98\x80");
  EXPECT_EQ(utf8_to_u16(utf8), wide);
  EXPECT_EQ(utf8_to_u16(""), u"");
}

TEST(Text, InvalidUtf8NeverReadsPastTheEnd) {
  // A lead byte at the end, a cut sequence, a bad continuation, a byte that never leads.
  for (std::string bad : {"a\xe6", "\xe6\x97", "x\xc3(", "\xff"}) {
    std::u16string w = utf8_to_u16(bad);
    EXPECT_LE(w.size(), bad.size()) << bad;
  }
  std::u16string w = utf8_to_u16("x\xc3(");
  ASSERT_GE(w.size(), 2u);
  EXPECT_EQ(w.front(), u'x');
  EXPECT_EQ(w.back(), u'(');
}

TEST(Text, AnsiPageRoundTripsItsOwnCharacters) {
  if (ansi_code_page() != 1252) GTEST_SKIP() << "ANSI page is " << ansi_code_page();
  EXPECT_EQ(ansi_to_u16("caf\xe9 \x80"), u"caf\u00e9 \u20ac");
  EXPECT_EQ(u16_to_ansi(u"caf\u00e9 \u20ac"), "caf\xe9 \x80");
  EXPECT_EQ(u16_to_ansi(u"\u65e5"), "?");
}

TEST(Text, CaseInsensitiveCompares) {
  EXPECT_TRUE(equal_ci(u"PCI\\VEN_8086", u"pci\\ven_8086"));
  EXPECT_TRUE(equal_ci(u"\u00c9cole", u"\u00e9COLE"));
  EXPECT_FALSE(equal_ci(u"abc", u"abd"));
  EXPECT_FALSE(equal_ci(u"abc", u"abcd"));
  EXPECT_TRUE(contains_ci(u"Realtek Semiconductor Corp.", u"REALTEK"));
  EXPECT_TRUE(contains_ci(u"x", u""));
  EXPECT_FALSE(contains_ci(u"Intel", u"Intel Corporation"));
  EXPECT_TRUE(equal_ci_ascii("Vantoril.EXE", "vantoril.exe"));
}

TEST(Text, CopyCutKeepsRoomForTheTerminator) {
  char16_t field[4];
  EXPECT_EQ(copy_cut(field, u"abcdef"), 3u);
  EXPECT_EQ(std::u16string(field), u"abc");
  char narrow[3];
  EXPECT_EQ(copy_cut(narrow, "xy"), 2u);
  EXPECT_STREQ(narrow, "xy");
  EXPECT_EQ(copy_cut(narrow, 0, "z"), 0u);
}

TEST(Text, CopyCutAnsiStoresWhatTheWholeConversionCutStores) {
  // Shorter than the field, just fitting, longer, empty; single bytes of the page's upper half
  // and, in a double-byte page, lead bytes whose pair the cut splits.
  for (std::string ansi : {"abc", "abcdefg", "abcdefgh", "abcdefghijk", "", "caf\xe9\x80", "\x82\xa0\x82\xa2\x82\xa4\x82\xa6x"}) {
    char16_t direct[8], whole[8];
    for (auto& c : direct) c = u'#';
    const size_t n = copy_cut_ansi(direct, 8, ansi);
    EXPECT_EQ(n, copy_cut(whole, ansi_to_u16(ansi))) << ansi;
    EXPECT_EQ(std::u16string(direct), std::u16string(whole)) << ansi;
  }
  char16_t none[1] = {u'#'};
  EXPECT_EQ(copy_cut_ansi(none, 1, "abc"), 0u);
  EXPECT_EQ(none[0], 0);
}

}  // namespace
