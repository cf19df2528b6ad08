#include "engine/version_compare.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionCompare, NumbersNotText) {
  struct { const char* first; const char* second; bool second_lower; } cases[] = {
      {"8.5.2", "8.5.1", true},   {"8.5.1", "8.5.1", false}, {"8.10", "8.9", true},
      {"8.9", "8.10", false},     {"8.5", "8.5.0.0", false}, {"8.5.0.0", "8.5", false},
      {"8-5-2", "8.5.1", true},   {"1.0.0.1", "1.0.0", true}, {"", "0.0.0.0", false},
      {"2", "1.99.99.99", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(compare_versions(c.first, c.second), c.second_lower) << c.first << " vs " << c.second;
}

TEST(VersionCompare, ParsesFourNumbersStoppingAtTheFirstFailedRead) {
  using v = std::array<int, 4>;
  EXPECT_EQ(parse_version_numbers("8.5"), (v{8, 5, 0, 0}));
  EXPECT_EQ(parse_version_numbers("8-5-1"), (v{8, 5, 1, 0}));
  EXPECT_EQ(parse_version_numbers("6.1.7601.17514.99"), (v{6, 1, 7601, 17514}));
  EXPECT_EQ(parse_version_numbers("1.x.3"), (v{1, 0, 0, 0}));
  EXPECT_EQ(parse_version_numbers("v2"), (v{0, 0, 0, 0}));
  EXPECT_EQ(parse_version_numbers(nullptr), (v{0, 0, 0, 0}));
}

}  // namespace
