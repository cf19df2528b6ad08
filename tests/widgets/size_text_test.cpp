#include "widgets/size_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string size_text(int64_t n) {
  char16_t buf[size_text_capacity];
  format_size_text(n, buf);
  return buf;
}

struct size_case {
  int64_t bytes;
  const char16_t* text;
};

TEST(SizeText, GivesTheShortTextForEachRange) {
  const size_case cases[] = {
      {0, u"0B"},
      {1023, u"1023B"},
      {1024, u"1024B"},
      {1025, u"1.00KB"},
      {1536, u"1.50KB"},
      {1048575, u"1024.00KB"},
      {1048576, u"1024.00KB"},
      {1048577, u"1.00MB"},
      {1073741824, u"1024.00MB"},
      {1073741825, u"1.00GB"},
      {5368709120LL, u"5.00GB"},
      {5905580032LL, u"5.50GB"},  // 5.5 GiB
      {4294967296LL + 1, u"4.00GB"},
      {-1, u"-1B"},
      {INT64_MIN, u"-9223372036854775808B"},
      {INT64_MAX, u"8589934592.00GB"},
  };
  for (const auto& c : cases) EXPECT_EQ(size_text(c.bytes), c.text) << c.bytes;
}

TEST(SizeText, RoundsExactTiesToEvenAndOthersToNearest) {
  // 1024 * 1.125 = 1152 is an exact tie between 1.12 and 1.13; 1.375 between 1.37 and 1.38.
  EXPECT_EQ(size_text(1152), u"1.12KB");
  EXPECT_EQ(size_text(1408), u"1.38KB");
  EXPECT_EQ(size_text(1153), u"1.13KB");  // just above the tie
  EXPECT_EQ(size_text(1048576 + 5243), u"1.01MB");
}

TEST(SizeText, CutsToTheGivenCapacity) {
  char16_t buf[4];
  format_size_text(123456, buf, 4);
  EXPECT_EQ(std::u16string(buf), u"120");
}

}  // namespace
