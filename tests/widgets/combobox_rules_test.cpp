#include "widgets/combobox_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(ComboRules, PopupSizeAndScrollBar) {
  struct row {
    int rows, drop_width, drop_height, frame_width;
    combo_popup_size want;
  } cases[] = {
      {3, 0, 0, 69, {69, 68, false}},        // as high as the rows, button's frame width
      {3, 260, 0, 69, {260, 68, false}},
      {24, 260, 208, 69, {260, 208, true}},  // the hour list
      {30, 260, 208, 69, {260, 208, true}},  // the month-day list
      {20, 100, 150, 69, {100, 150, true}},
      {10, 100, 208, 69, {100, 208, false}},  // 208 exactly fits: no scroll bar
      {5, 100, 208, 69, {100, 108, false}},   // fewer rows: as high as they are
      {0, 100, 0, 69, {100, 8, false}},
  };
  for (const row& c : cases) {
    combo_popup_size s = combo_popup_size_for(c.rows, c.drop_width, c.drop_height, c.frame_width);
    EXPECT_EQ(s.drop_width, c.want.drop_width) << c.rows;
    EXPECT_EQ(s.drop_height, c.want.drop_height) << c.rows;
    EXPECT_EQ(s.scroll_bar, c.want.scroll_bar) << c.rows;
  }
}

TEST(ComboRules, PopupAndListRectangles) {
  // The period list at (180, 130), 26 high, 260 wide: the popup at (183, 159), 254 x 68.
  EXPECT_EQ(combo_popup_rect(180, 156, 260, 68), (combo_rect{183, 159, 437, 227}));
  EXPECT_EQ(combo_popup_rect(180, 212, 260, 208), (combo_rect{183, 215, 437, 423}));
  // The list starts 4 pixels below the popup's top; three rows fill it exactly.
  EXPECT_EQ(combo_list_rect(254, 68), (combo_rect{1, 4, 253, 64}));
}

TEST(ComboRules, RowUnderThePointer) {
  struct row {
    int x, y, position, want;
  } cases[] = {
      {10, 0, 0, 0},    {10, 19, 0, 0},  {10, 20, 0, 0},  // the boundary hovers the upper row
      {10, 21, 0, 1},   {10, 40, 0, 1},  {10, 59, 0, 2},  {10, 60, 0, 2},
      {-1, 10, 0, -1},  {253, 10, 0, -1},                 // left of the rows, right of the widest
      {10, -1, 0, -1},  {10, 61, 0, -1},                  // above, below the rows
      {10, 0, 20, 0},   {10, 1, 20, 1},  {10, 5, 25, 1},  {10, 16, 25, 2},  // scrolled
  };
  for (const row& c : cases)
    EXPECT_EQ(combo_row_at(c.x, c.y, 3, 252, 60, 60, c.position), c.want)
        << c.x << "," << c.y << " at " << c.position;
  // Below the client bottom of a scrolling list nothing is hovered.
  EXPECT_EQ(combo_row_at(10, 201, 24, 235, 480, 200, 0), -1);
}

TEST(ComboRules, ScrollPositionsAndClamp) {
  // Twenty rows in a list 142 high.
  const int total = 400, page = 142;
  EXPECT_EQ(combo_clamp_position(-5, page, total), 0);
  EXPECT_EQ(combo_clamp_position(100, page, total), 100);
  EXPECT_EQ(combo_clamp_position(1000, page, total), total - page + 1);
  EXPECT_EQ(combo_clamp_position(50, 60, 60), 0);  // everything fits
  EXPECT_EQ(combo_wheel_position(0, -120), 20);      // one notch down
  EXPECT_EQ(combo_wheel_position(40, 120), 20);
  EXPECT_EQ(combo_wheel_position(0, -240), 40);
  struct row {
    int code, want;
  } codes[] = {{combo_line_up, 90},      {combo_line_down, 110},      {combo_page_up, 100 - page},
               {combo_page_down, 100 + page}, {combo_thumb_position, 7}, {combo_thumb_track, 7},
               {8 /* end scroll */, 100}};
  for (const row& c : codes) EXPECT_EQ(combo_scroll_position(100, c.code, page, 7), c.want) << c.code;
}

TEST(ComboRules, PressInTheScrollBarStrip) {
  // Arrows 17 high, thumb from 60 to 90, list 200 high.
  struct row {
    int y, want;
  } cases[] = {{0, 80}, {17, 80}, {30, 0}, {59, 0}, {60, 100}, {90, 100}, {91, 200}, {183, 200},
               {184, 120}, {199, 120}};
  for (const row& c : cases) EXPECT_EQ(combo_press_scroll(100, c.y, 17, 60, 90, 200), c.want) << c.y;
}

TEST(ComboRules, SelectionAndMarks) {
  EXPECT_TRUE(combo_can_select(0, 3, -1));
  EXPECT_TRUE(combo_can_select(2, 3, 0));
  EXPECT_FALSE(combo_can_select(-1, 3, 0));
  EXPECT_FALSE(combo_can_select(3, 3, 0));  // the number of rows
  EXPECT_FALSE(combo_can_select(1, 3, 1));  // already selected
  EXPECT_FALSE(combo_can_select(0, 0, -1));

  struct mark {
    int marked, index, unmark, want;
  } marks[] = {{-1, 1, -1, 1}, {1, 2, 1, 2}, {1, 1, -1, -1}, {1, 3, -1, -1}, {1, -1, -1, -1}};
  for (const mark& m : marks) {
    combo_mark_change c = combo_move_mark(m.marked, m.index, 3);
    EXPECT_EQ(c.mark, m.want);
    EXPECT_EQ(c.unmark, m.unmark);
  }
  // A release on the marked row, or with nothing hovered, chooses nothing.
  EXPECT_EQ(combo_release_choice(1, 1).mark, -1);
  EXPECT_EQ(combo_release_choice(-1, 1).mark, -1);
  combo_mark_change c = combo_release_choice(2, 1);
  EXPECT_EQ(c.unmark, 1);
  EXPECT_EQ(c.mark, 2);
}

TEST(ComboRules, ThreeSlicesOfAStretchedFrame) {
  // Frame 1 of the 69-pixel strip stretched from 180 to 440.
  combo_slices s = combo_three_slices(180, 130, 440, 69, 69, 26);
  EXPECT_EQ(s.part[0].source, (combo_rect{69, 0, 92, 26}));
  EXPECT_EQ(s.part[0].target, (combo_rect{180, 130, 203, 156}));
  EXPECT_EQ(s.part[1].source, (combo_rect{92, 0, 115, 26}));
  EXPECT_EQ(s.part[1].target, (combo_rect{203, 130, 417, 156}));
  EXPECT_EQ(s.part[2].source, (combo_rect{115, 0, 138, 26}));
  EXPECT_EQ(s.part[2].target, (combo_rect{417, 130, 440, 156}));
}

}  // namespace
