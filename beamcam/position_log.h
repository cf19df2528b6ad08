// The beam-position log's run: START, PAUSE / RESUME, STOP and the 900 ms tick, as the state
// of the controls they change. The form shows `view` after each step and writes the lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct logging_view {
  bool start_enabled = true;
  bool pause_enabled = false;
  bool stop_enabled = false;
  bool minutes_enabled = true;
  std::string pause_caption = "PAUSE";
  std::string minutes_text = "120";  // MaskEdit3
  int unit_index = 0;                // ComboBox1: 0 "Min", 1 "Hrs"
  bool timer_on = false;
  bool title_visible = false;
  std::string title;
};

// The smallest and largest X and Y of the run's points, in pixels.
struct point_span {
  double min_x = 0, max_x = 0, min_y = 0, max_y = 0;
};

class position_log_c {
 public:
  logging_view view;
  bool LoggingOn = false;
  bool LoggingPaused = false;
  uint8_t LogTickCount = 0;
  int32_t LogMinutesTotal = 0;
  int32_t LogMinutesLeft = 0;

  // START, once the log file is open.
  void start();
  struct tick_result {
    bool add_point = false;  // chart points and a log line for this peak
    bool run_ended = false;  // close the log file
  };
  // One tick of the timer with the peak just measured (nothing while not logging).
  tick_result tick(int32_t peak_x, int32_t peak_y);
  void pause_or_resume(const point_span& span, double pixel_x, double pixel_y);
  // STOP: the caller closes the log file.
  void stop(const point_span& span, double pixel_x, double pixel_y);
  // The run length typed: a negative or unreadable number becomes "10". True when changed.
  bool minutes_changed();
};

// "   shift_x: dx um     shift_y: dy um", the span in micrometres truncated toward zero.
std::string shift_title(const point_span& span, double pixel_x, double pixel_y);
// One line of beam_position.txt: the date and time, then the peak's column and row.
std::string position_log_line(std::string_view date_time, int32_t x, int32_t y);
