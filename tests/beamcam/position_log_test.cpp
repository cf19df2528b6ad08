#include "beamcam/position_log.h"

#include <gtest/gtest.h>

namespace {

// Runs ticks until the run ends or `limit` ticks; gives the number of ticks and of points.
int ticks_until_end(position_log_c& log, int limit, int* points = nullptr) {
  for (int n = 1; n <= limit; ++n) {
    position_log_c::tick_result r = log.tick(300, 250);
    if (points) *points += r.add_point;
    if (r.run_ended) return n;
  }
  return -1;
}

}  // namespace

TEST(PositionLog, RunLengthsEndOnTheirTick) {
  struct row {
    std::string minutes;
    int unit;
    int ends_on;  // -1: never within the limit
  } rows[] = {
      {"1", 0, 1}, {"2", 0, 61}, {"3", 0, 121}, {"0", 0, -1}, {"abc", 0, 1}, {"1", 1, 3541},
  };
  for (const row& r : rows) {
    position_log_c log;
    log.view.minutes_text = r.minutes;
    log.view.unit_index = r.unit;
    log.start();
    EXPECT_FALSE(log.view.start_enabled);
    EXPECT_TRUE(log.view.pause_enabled && log.view.stop_enabled && log.view.timer_on);
    int points = 0;
    EXPECT_EQ(ticks_until_end(log, 4000, &points), r.ends_on) << r.minutes << " " << r.unit;
    if (r.ends_on > 0) {
      EXPECT_EQ(points, r.ends_on);
      EXPECT_TRUE(log.view.start_enabled && log.view.minutes_enabled);
      EXPECT_FALSE(log.view.timer_on || log.LoggingOn);
      EXPECT_EQ(log.view.minutes_text, std::to_string(log.LogMinutesTotal));
    }
  }
}

TEST(PositionLog, HoursCountDownThenSwitchToMinutes) {
  position_log_c log;
  log.view.minutes_text = "2";
  log.view.unit_index = 1;
  log.start();
  EXPECT_EQ(log.LogMinutesTotal, 120);
  log.tick(1, 1);
  EXPECT_EQ(log.view.minutes_text, "1");  // 119 minutes: one whole hour
  EXPECT_EQ(log.view.unit_index, 1);
  for (int i = 0; i < 60 * 60; ++i) log.tick(1, 1);  // sixty more minutes
  EXPECT_EQ(log.LogMinutesLeft, 59);
  EXPECT_EQ(log.view.minutes_text, "59");
  EXPECT_EQ(log.view.unit_index, 0);
}

TEST(PositionLog, PauseShowsTheSpanAndStopsCounting) {
  position_log_c log;
  log.view.minutes_text = "1";
  log.start();
  point_span span{100, 110, 200, 230};
  log.pause_or_resume(span, 6.5, 6.5);
  EXPECT_EQ(log.view.pause_caption, "RESUME");
  EXPECT_TRUE(log.view.title_visible);
  EXPECT_EQ(log.view.title, "   shift_x: 65 um     shift_y: 195 um");
  EXPECT_FALSE(log.tick(1, 1).add_point);  // paused ticks log nothing and count nothing
  EXPECT_EQ(log.LogMinutesLeft, 1);
  log.pause_or_resume(span, 6.5, 6.5);
  EXPECT_EQ(log.view.pause_caption, "PAUSE");
  EXPECT_FALSE(log.view.title_visible);
  EXPECT_TRUE(log.tick(1, 1).run_ended);

  // Pause, STOP, START: the first PAUSE of the new run pauses.
  log.start();
  log.pause_or_resume(span, 1, 1);
  log.stop(span, 1, 1);
  EXPECT_EQ(log.view.pause_caption, "PAUSE");
  EXPECT_FALSE(log.view.pause_enabled || log.view.stop_enabled || log.view.timer_on);
  log.start();
  log.pause_or_resume(span, 1, 1);
  EXPECT_FALSE(log.LoggingOn);
}

TEST(PositionLog, PeaksOutsideTheChartAreNotLogged) {
  position_log_c log;
  log.view.minutes_text = "0";
  log.start();
  EXPECT_TRUE(log.tick(799, 599).add_point);
  EXPECT_FALSE(log.tick(800, 10).add_point);
  EXPECT_FALSE(log.tick(-1, 10).add_point);
  EXPECT_FALSE(log.tick(10, 600).add_point);
}

TEST(PositionLog, LinesTitleAndRunLengthText) {
  EXPECT_EQ(position_log_line("12/10/2026 4:24:22 PM", 5, 7), "12/10/2026 4:24:22 PM      005      007 \n");
  EXPECT_EQ(position_log_line("d", 719, 575), "d      719      575 \n");
  EXPECT_EQ(shift_title({0, 0, 0, 0}, 1, 1), "   shift_x: 0 um     shift_y: 0 um");
  position_log_c log;
  for (const char* text : {"-5", "abc", ""}) {
    log.view.minutes_text = text;
    EXPECT_TRUE(log.minutes_changed()) << text;
    EXPECT_EQ(log.view.minutes_text, "10");
  }
  log.view.minutes_text = "0";
  EXPECT_FALSE(log.minutes_changed());
  // Beyond the 32-bit range is no number, on every platform's width of long.
  log.view.minutes_text = "99999999999";
  EXPECT_TRUE(log.minutes_changed());
}

TEST(PositionLog, HoursBeyondTheMinuteCountRunAsLongAsCanBeCounted) {
  position_log_c log;
  log.view.minutes_text = "2000000000";
  log.view.unit_index = 1;
  log.start();
  EXPECT_EQ(log.LogMinutesTotal, 2147483647);
  log.tick(1, 1);
  EXPECT_EQ(log.view.minutes_text, std::to_string(2147483646 / 60));
}
