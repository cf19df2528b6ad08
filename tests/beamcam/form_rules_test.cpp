#include "beamcam/form_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The acquisition timer from the program's first start: which ticks analyse and combine.
TEST(AcqTimerTick, FirstTickCountsOnlyThenEveryThirdAnalyses) {
  int32_t count = 0, moved = 1;
  std::vector<int> analysed, crossed;
  for (int tick = 1; tick <= 14; ++tick) {
    acq_tick_actions a = acq_timer_tick(count, 1, moved, true, false);
    EXPECT_FALSE(a.combine_and_show);
    if (a.analyse) analysed.push_back(tick);
    if (a.update_cross) crossed.push_back(tick);
  }
  EXPECT_EQ(analysed, (std::vector<int>{5, 8, 11, 14}));
  EXPECT_EQ(crossed, (std::vector<int>{5}));  // once, then the flag is clear
  EXPECT_EQ(moved, 0);
}

TEST(AcqTimerTick, TableOfStatesAndFlags) {
  struct row {
    int32_t count;
    int state;
    int32_t moved;
    bool analysis, logging;
    bool combine, cross, analyse;
    int32_t count_after;
  } rows[] = {
      {0, 2, 1, true, false, false, false, false, 1},  // the very first tick only counts
      {1, 2, 0, true, false, true, false, false, 2},   // a full ring combines on any later tick
      {3, 1, 0, true, false, false, false, false, 4},
      {4, 1, 1, false, false, false, true, false, 2},  // analysis off: only the cross
      {4, 1, 0, true, true, false, false, false, 2},   // logging measures by itself
      {4, 2, 0, true, false, true, false, true, 2},
      {7, 0, 0, true, false, false, false, true, 2},   // a count past 4 also wraps
  };
  for (const row& r : rows) {
    int32_t count = r.count, moved = r.moved;
    acq_tick_actions a = acq_timer_tick(count, r.state, moved, r.analysis, r.logging);
    EXPECT_EQ(a.combine_and_show, r.combine) << r.count << " " << r.state;
    EXPECT_EQ(a.update_cross, r.cross) << r.count;
    EXPECT_EQ(a.analyse, r.analyse) << r.count;
    EXPECT_EQ(count, r.count_after) << r.count;
  }
}

TEST(StartupTick, BuildsThenBlinksTwelveTicksThenReadyThenExits) {
  uint8_t state = 0;
  startup_tick_actions a = startup_tick(state);
  EXPECT_TRUE(a.build_graph);
  EXPECT_FALSE(a.set_colour);
  EXPECT_EQ(state, 1);
  EXPECT_TRUE(show_camera_found(state));
  std::vector<uint32_t> colours;
  int ticks = 0;
  do {
    a = startup_tick(state);
    ++ticks;
    ASSERT_TRUE(a.set_colour);
    colours.push_back(a.font_colour);
    EXPECT_FALSE(show_camera_found(state));
  } while (!a.ready);
  EXPECT_EQ(ticks, 12);
  EXPECT_EQ(state, StartupReady);
  EXPECT_EQ(colours.front(), NavyColour);  // state 1 is odd
  EXPECT_EQ(colours[1], MaroonColour);
  EXPECT_EQ(colours.back(), NavyColour);   // READY is navy
  a = startup_tick(state);
  EXPECT_TRUE(a.exit_process);
}

TEST(StartupTick, StatesOutsideTheStepsDoNothing) {
  for (int s : {100, 150, 199, 201, 255}) {
    uint8_t state = uint8_t(s);
    startup_tick_actions a = startup_tick(state);
    EXPECT_FALSE(a.build_graph || a.set_colour || a.ready || a.exit_process) << s;
    EXPECT_EQ(state, s);
  }
  uint8_t state = 99;
  startup_tick(state);
  EXPECT_EQ(state, StartupReady);  // a late blink step still ends ready
}

TEST(CrossMark, PlacedDraggedAndTurnedIntoProfilePixels) {
  cross_position p = place_cross_mark(718, 576, 50, 50);
  EXPECT_EQ(p.left, 158);
  EXPECT_EQ(p.top, 87);
  EXPECT_EQ(cross_pixel(50, 720), 360);
  EXPECT_EQ(cross_pixel(50, 576), 288);

  struct row {
    int32_t mouse, place, drag, extent;
    bool horizontal;
    int32_t expect_place, expect_pct, expect_pixel;
  } rows[] = {
      {-1000, 158, 201, 718, true, -200, 0, 0},     // past the left edge
      {5000, 158, 201, 718, true, 517, 100, 719},   // past the right edge
      {5000, 87, 201, 576, false, 375, 100, 575},   // past the bottom
      {-1000, 87, 201, 576, false, -200, 0, 0},     // past the top
      {211, 158, 201, 718, true, 168, 51, 367},     // ten pixels to the right
      {561, 158, 201, 718, true, 517, 100, 719},  // exactly at width - 200
  };
  for (const row& r : rows) {
    int32_t place = r.horizontal ? drag_cross_left(r.mouse, r.place, r.drag, r.extent)
                                 : drag_cross_top(r.mouse, r.place, r.drag, r.extent);
    EXPECT_EQ(place, r.expect_place) << r.mouse;
    int32_t pct = cross_percent(place, r.extent);
    EXPECT_EQ(pct, r.expect_pct) << r.mouse;
    EXPECT_EQ(cross_pixel(pct, r.horizontal ? 720 : 576), r.expect_pixel) << r.mouse;
  }
}

TEST(Zoom, EnlargeShrinkAndOrigin) {
  const bounds origin = zoom_origin();
  EXPECT_EQ(origin, (bounds{0, 0, 720, 576}));
  EXPECT_EQ(zoom_enlarge(origin), (bounds{-36, -28, 792, 633}));
  EXPECT_EQ(zoom_shrink(origin), origin);  // 720 wide does nothing
  EXPECT_EQ(zoom_shrink(bounds{-36, -28, 792, 633}), (bounds{4, 3, 712, 569}));
  bounds b = origin;
  int steps = 0;
  while (true) {
    bounds next = zoom_enlarge(b);
    if (next == b) break;
    b = next;
    ++steps;
  }
  EXPECT_GE(b.width, 7200);
  EXPECT_EQ(steps, 25);
  EXPECT_EQ(b.left, (720 - b.width) / 2);
}

TEST(EditRules, GainTextIsReadAndRefused) {
  struct row {
    const char* text;
    double before;
    bool accepted;
    double after;
    const char* back;
  } rows[] = {
      {"2.5", 1.0, true, 2.5, ""},   {"11", 2.5, false, 2.5, "2.5"}, {"abc", 3.0, false, 3.0, "3"},
      {"", 1.0, false, 1.0, "1"},    {"10", 1.0, true, 10.0, ""},    {"1", 5.0, true, 1.0, ""},
      {"0.99", 1.5, false, 1.5, "1.5"}, {" 4 ", 1.0, true, 4.0, ""}, {"4x", 1.0, false, 1.0, "1"},
      {"1e400", 1.0, false, 1.0, "1"},
  };
  for (const row& r : rows) {
    double gain = r.before;
    edit_outcome o = gain_changed(r.text, gain);
    EXPECT_EQ(o.accepted, r.accepted) << r.text;
    EXPECT_EQ(gain, r.after) << r.text;
    if (!o.accepted) {
      EXPECT_EQ(o.text, r.back) << r.text;
    }
  }
  EXPECT_EQ(gain_text(0.1 + 0.2), "0.3");  // 15 significant digits
  EXPECT_EQ(gain_text(2.25), "2.25");
}

TEST(EditRules, GainArrowsTestTheBoundBeforeTheyStep) {
  // A step is taken whenever the gain is inside the bound, so it can end one step beyond it.
  double gain = 1.0;
  std::string shown;
  for (int i = 0; i < 91; ++i) shown = gain_key(KeyUp, gain);
  EXPECT_EQ(shown, "10.1");
  struct row {
    double before;
    unsigned key;
    const char* shown;
  } rows[] = {{9.95, KeyUp, "10.05"}, {10.0, KeyUp, "10"},   {1.05, KeyDown, "0.95"},
              {1.0, KeyDown, "1"},     {2.55, KeyUp, "2.65"}, {2.65, '7', "2.65"}};
  for (const row& r : rows) {
    gain = r.before;
    EXPECT_EQ(gain_key(r.key, gain), r.shown) << r.before;
  }
}

TEST(EditRules, EditsUseTheUsersDecimalSeparator) {
  struct row {
    const char* shown;
    char separator;
    const char* read;
  } rows[] = {{"2,5", ',', "2.5"}, {"2.5", ',', "2?5"}, {"2.5", '.', "2.5"}, {"10", ',', "10"}};
  for (const row& r : rows) EXPECT_EQ(from_user_decimal(r.shown, r.separator), r.read) << r.shown;
  EXPECT_EQ(to_user_decimal("10.05", ','), "10,05");
  EXPECT_EQ(to_user_decimal("6.5", '.'), "6.5");
  double gain = 1.0;
  EXPECT_TRUE(gain_changed(from_user_decimal("2,5", ','), gain).accepted);
  EXPECT_EQ(gain, 2.5);
  EXPECT_FALSE(gain_changed(from_user_decimal("3.5", ','), gain).accepted);  // not a number there
}

TEST(EditRules, FramesTextAndArrows) {
  struct row {
    const char* text;
    int before;
    bool accepted;
    int after;
    const char* back;
  } rows[] = {
      {"0", 10, false, 10, "10"}, {"101", 10, false, 10, "10"}, {"100", 10, true, 100, ""},
      {"1", 10, true, 1, ""},     {"x", 5, false, 5, "5"},      {"", 5, false, 5, "5"},
      {"7.5", 5, false, 5, "5"},  {"99999999999", 5, false, 5, "5"},
  };
  for (const row& r : rows) {
    uint8_t frames = uint8_t(r.before);
    edit_outcome o = frames_changed(r.text, frames);
    EXPECT_EQ(o.accepted, r.accepted) << r.text;
    EXPECT_EQ(frames, r.after) << r.text;
    if (!o.accepted) {
      EXPECT_EQ(o.text, r.back) << r.text;
    }
  }
  uint8_t frames = 100;
  EXPECT_EQ(frames_key(KeyUp, frames), "100");
  frames = 1;
  EXPECT_EQ(frames_key(KeyDown, frames), "1");
  EXPECT_EQ(frames_key(KeyUp, frames), "2");
}

}  // namespace
