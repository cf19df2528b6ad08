#include "beamcam/position_log.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <cstdlib>
#include <optional>

namespace {

// The whole text as an integer, blanks around it allowed.
// (long long: long is 32 bits on Windows and would clamp a longer number into range.)
std::optional<long long> whole_integer(const std::string& text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return std::nullopt;
  size_t end = text.find_last_not_of(' ');
  std::string s = text.substr(start, end - start + 1);
  char* stop = nullptr;
  errno = 0;
  long long v = std::strtoll(s.c_str(), &stop, 10);
  if (errno == ERANGE || stop != s.c_str() + s.size() || v > 2147483647LL || v < -2147483647LL - 1)
    return std::nullopt;
  return v;
}

}  // namespace

void position_log_c::start() {
  view.pause_enabled = view.stop_enabled = true;
  view.start_enabled = view.minutes_enabled = false;
  view.timer_on = true;
  int64_t minutes = whole_integer(view.minutes_text).value_or(1);
  if (view.unit_index != 0) minutes *= 60;
  // Hours beyond the 32-bit count of minutes are as long a run as can be counted.
  LogMinutesTotal = int32_t(std::min<int64_t>(minutes, std::numeric_limits<int32_t>::max()));
  LogMinutesLeft = LogMinutesTotal;
  LoggingOn = true;
  LogTickCount = 0;
  view.title_visible = false;
}

position_log_c::tick_result position_log_c::tick(int32_t peak_x, int32_t peak_y) {
  tick_result r;
  if (!LoggingOn) return r;
  r.add_point = peak_x >= 0 && peak_x < 800 && peak_y >= 0 && peak_y < 600;
  if (LogTickCount == 0) {
    --LogMinutesLeft;
    if (view.unit_index != 0 && LogMinutesLeft >= 60) {
      view.minutes_text = std::to_string(LogMinutesLeft / 60);
    } else {
      view.minutes_text = std::to_string(LogMinutesLeft);
      view.unit_index = 0;
    }
    if (LogMinutesLeft == 0) {
      view.timer_on = false;
      view.pause_enabled = view.stop_enabled = false;
      view.start_enabled = view.minutes_enabled = true;
      view.minutes_text = std::to_string(LogMinutesTotal);
      LoggingOn = false;
      r.run_ended = true;
    }
  }
  if (++LogTickCount == 60) LogTickCount = 0;
  return r;
}

void position_log_c::pause_or_resume(const point_span& span, double pixel_x, double pixel_y) {
  if (!LoggingPaused) {
    view.pause_caption = "RESUME";
    LoggingOn = false;
    view.title = shift_title(span, pixel_x, pixel_y);
    view.title_visible = true;
  } else {
    view.pause_caption = "PAUSE";
    LoggingOn = true;
    view.title_visible = false;
  }
  LoggingPaused = !LoggingPaused;
}

void position_log_c::stop(const point_span& span, double pixel_x, double pixel_y) {
  view.pause_caption = "PAUSE";
  LoggingPaused = false;
  view.pause_enabled = view.stop_enabled = false;
  view.start_enabled = view.minutes_enabled = true;
  view.timer_on = false;
  LoggingOn = false;
  view.title = shift_title(span, pixel_x, pixel_y);
  view.title_visible = true;
}

bool position_log_c::minutes_changed() {
  if (whole_integer(view.minutes_text).value_or(-1) >= 0) return false;
  view.minutes_text = "10";
  return true;
}

std::string shift_title(const point_span& span, double pixel_x, double pixel_y) {
  long dx = long((span.max_x - span.min_x) * pixel_x);
  long dy = long((span.max_y - span.min_y) * pixel_y);
  return "   shift_x: " + std::to_string(dx) + " um     shift_y: " + std::to_string(dy) + " um";
}

std::string position_log_line(std::string_view date_time, int32_t x, int32_t y) {
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "      %03d      %03d \n", int(x), int(y));
  return std::string(date_time) + numbers;
}
