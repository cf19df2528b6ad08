#include "beamcam/bmp24.h"

#include <gtest/gtest.h>

namespace {

TEST(Bmp24, WritesBottomUpAndReadsBackTopFirst) {
  // 3 x 2 pixels: rows of 9 bytes are padded to 12 in the file.
  const uint8_t pixels[18] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  std::string file = write_bmp24(pixels, 3, 2);
  ASSERT_EQ(file.size(), 54u + 24u);
  EXPECT_EQ(file.substr(0, 2), "BM");
  EXPECT_EQ(uint8_t(file[54]), 10);  // the bottom row comes first
  bmp24_image image;
  ASSERT_TRUE(read_bmp24(file, image));
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.bgr, std::vector<uint8_t>(pixels, pixels + 18));

  // The same bitmap as a resource holds it (no file header), and stored top-down.
  std::string dib = file.substr(14);
  dib[8] = char(0xFE), dib[9] = dib[10] = dib[11] = char(0xFF);  // height -2
  ASSERT_TRUE(read_dib24(reinterpret_cast<const uint8_t*>(dib.data()), dib.size(), image));
  EXPECT_EQ(image.bgr[0], 10);
}

TEST(Bmp24, RefusesWhatIsNotAWhole24BitPicture) {
  const uint8_t pixels[12] = {};
  const std::string good = write_bmp24(pixels, 2, 2);
  auto with = [&](size_t at, uint8_t value) {
    std::string s = good;
    s[at] = char(value);
    return s;
  };
  const std::string bad[] = {
      good.substr(0, good.size() - 1),  // pixels cut short
      good.substr(0, 30),               // header cut short
      with(0, 'X'),                     // not a bitmap file
      with(28, 8),                      // 8 bits per pixel
      with(30, 1),                      // compressed
      with(18, 0),                      // width 0
      with(10, 200),                    // pixels start past the end
      with(14, 0xFF),                   // header larger than the file
      std::string(),
  };
  bmp24_image image;
  for (const std::string& s : bad) EXPECT_FALSE(read_bmp24(s, image)) << s.size();
  EXPECT_FALSE(read_dib24(nullptr, 0, image));
}

}  // namespace
