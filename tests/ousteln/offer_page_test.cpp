#include "ousteln/offer_page.h"

#include <gtest/gtest.h>

TEST(offer_page, address_is_the_special_page_on_the_makers_host) {
  EXPECT_EQ(offer_page_address(), std::u16string(offer_host) + u"/special");
}

TEST(offer_page, fallback_browser_path_only_when_the_folder_is_known_and_fits) {
  const struct {
    std::u16string folder;
    std::u16string expected;
  } cases[] = {
      {u"C:\\Program Files", u"C:\\Program Files\\Internet Explorer\\iexplore.exe"},
      {u"C:\\Program Files\\", u"C:\\Program Files\\Internet Explorer\\iexplore.exe"},
      {u"", u""},
      // 228 + 1 + 30 = 259 characters still fit with the terminator; one more does not.
      {std::u16string(228, u'x'), std::u16string(228, u'x') + u"\\Internet Explorer\\iexplore.exe"},
      {std::u16string(229, u'x'), u""},
  };
  for (const auto& c : cases) EXPECT_EQ(fallback_browser_path(c.folder), c.expected);
}
