#include "widgets/image_pixels.h"

#include <gtest/gtest.h>

#include <vector>

TEST(image_pixels, premultiply_takes_the_floor_and_keeps_alpha) {
  // BGRA: (R,G,B,A) = (255,128,0,128) -> (128,64,0,128); opaque and clear pixels.
  std::vector<std::uint8_t> px = {0, 128, 255, 128, 10, 20, 30, 255, 200, 100, 50, 0,
                                  255, 255, 255, 1};
  premultiply_pixels(px.data(), 4);
  EXPECT_EQ(px, (std::vector<std::uint8_t>{0, 64, 128, 128, 10, 20, 30, 255, 0, 0, 0, 0,
                                            1, 1, 1, 1}));
}

TEST(image_pixels, frame_width_drops_leftover_columns) {
  EXPECT_EQ(frame_width_of(30, 3), 10);
  EXPECT_EQ(frame_width_of(744, 4), 186);
  EXPECT_EQ(frame_width_of(32, 3), 10);  // two columns belong to no frame
  EXPECT_EQ(frame_width_of(2, 3), 0);
  EXPECT_EQ(frame_width_of(30, 0), 0);
}
