#include "framework/centre.h"

#include <gtest/gtest.h>

TEST(centre, centres_over_the_target_and_stays_in_the_work_area) {
  const rect_i work{0, 0, 1280, 1000};
  const struct {
    rect_i window, over;
    int x, y;
  } cases[] = {
      {{0, 0, 400, 200}, {100, 100, 900, 700}, 300, 300},   // over an owner
      {{0, 0, 400, 200}, work, 440, 400},                    // over the work area
      {{0, 0, 400, 200}, {1100, 900, 1280, 1000}, 880, 800}, // pushed back inside
      {{0, 0, 400, 200}, {-300, -300, 0, 0}, 0, 0},
      {{0, 0, 2000, 1200}, work, 0, 0},                      // larger: top-left stays inside
  };
  for (const auto& c : cases) {
    int x = -1, y = -1;
    centred_position(c.window, c.over, work, x, y);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
  }
}
