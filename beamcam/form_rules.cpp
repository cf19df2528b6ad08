#include "beamcam/form_rules.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

const char* const SearchingText = "Searching CCD Camera . . .";
const char* const CameraFoundText = "CCD Camera found, initializing . . .";
const char* const ReadyText = "READY";

acq_tick_actions acq_timer_tick(int32_t& tick_count, int acq_state, int32_t& cross_moved,
                                bool analysis_on, bool logging_on) {
  acq_tick_actions a;
  if (tick_count != 0) {
    a.combine_and_show = acq_state == 2;
    if (tick_count >= 4) {
      tick_count = 1;
      if (cross_moved) {
        cross_moved = 0;
        a.update_cross = true;
      }
      a.analyse = analysis_on && !logging_on;
    }
    tick_count += 1;
  } else {
    tick_count = 1;
  }
  return a;
}

startup_tick_actions startup_tick(uint8_t& startup_state) {
  startup_tick_actions a;
  if (startup_state == 0) {
    startup_state = 1;
    a.build_graph = true;
  } else if (startup_state >= 1 && startup_state <= 99) {
    a.set_colour = true;
    a.font_colour = startup_state % 2 ? NavyColour : MaroonColour;
    startup_state += 1;
    if (startup_state > 12) {
      startup_state = StartupReady;
      a.font_colour = NavyColour;
      a.ready = true;
    }
  } else if (startup_state == StartupReady) {
    a.exit_process = true;
  }
  return a;
}

cross_position place_cross_mark(int32_t panel_width, int32_t panel_height, int32_t pct_x, int32_t pct_y) {
  // Extended precision as the form library computes it; trunc toward zero.
  long double x = (long double)panel_width * pct_x * 0.01L - CrossPointOffset;
  long double y = (long double)panel_height * pct_y * 0.01L - CrossPointOffset;
  return {int32_t(std::trunc(x)), int32_t(std::trunc(y))};
}

int32_t drag_cross_left(int32_t mouse_x, int32_t left, int32_t drag_x, int32_t panel_width) {
  int32_t l = mouse_x + left - drag_x;
  if (l < -200)
    l = -200;
  else if (l >= panel_width - 200)
    l = panel_width - 201;
  return l;
}

int32_t drag_cross_top(int32_t mouse_y, int32_t top, int32_t drag_y, int32_t panel_height) {
  int32_t t = mouse_y + top - drag_y;
  if (t < -200) t = -200;
  if (t >= panel_height - 200) t = panel_height - 201;
  return t;
}

int32_t cross_percent(int32_t left_or_top, int32_t panel_extent) {
  return panel_extent > 0 ? (left_or_top + CrossPointOffset) * 100 / panel_extent : 0;
}

int32_t cross_pixel(int32_t pct, int32_t frame_extent) {
  int32_t p = frame_extent * pct / 100;
  return p >= frame_extent ? frame_extent - 1 : p;
}

namespace {

bounds centred(int32_t width, int32_t height) { return {(720 - width) / 2, (576 - height) / 2, width, height}; }

}  // namespace

bounds zoom_enlarge(const bounds& image) {
  if (image.width >= 7200) return image;
  return centred(int32_t(image.width * 1.1), int32_t(image.height * 1.1));
}

bounds zoom_shrink(const bounds& image) {
  if (image.width <= 720) return image;
  return centred(int32_t(image.width * 0.9), int32_t(image.height * 0.9));
}

bounds zoom_origin() { return {0, 0, 720, 576}; }

std::string gain_text(double gain) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", gain);
  return text;
}

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

// The text without the blanks a mask leaves around it.
std::string trimmed(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && blank(text[b])) ++b;
  while (e > b && blank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

}  // namespace

double read_real(const std::string& text) {
  const std::string t = trimmed(text);
  if (t.empty()) return -1.0;
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || errno == ERANGE || !std::isfinite(v)) return -1.0;
  return v;
}

int32_t read_integer(const std::string& text) {
  const std::string t = trimmed(text);
  if (t.empty()) return -1;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(t.c_str(), &end, 10);
  if (end != t.c_str() + t.size() || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return -1;
  return int32_t(v);
}

edit_outcome gain_changed(const std::string& text, double& gain) {
  double v = read_real(text);
  if (v >= GainMin && v <= GainMax) {
    gain = v;
    return {true, {}};
  }
  return {false, gain_text(gain)};
}

edit_outcome frames_changed(const std::string& text, uint8_t& frames) {
  int32_t v = read_integer(text);
  if (v >= FramesMin && v <= FramesMax) {
    frames = uint8_t(v);
    return {true, {}};
  }
  return {false, std::to_string(frames)};
}

std::string gain_key(unsigned key, double& gain) {
  // The bound is tested before the step, so the gain may end one step beyond its range; the
  // field then keeps showing it (a text it refuses is put back to the same gain).
  if (key == KeyDown && gain > GainMin) gain -= 0.1;
  if (key == KeyUp && gain < GainMax) gain += 0.1;
  return gain_text(gain);
}

std::string to_user_decimal(const std::string& text, char separator) {
  std::string out = text;
  for (char& c : out)
    if (c == '.') c = separator;
  return out;
}

std::string from_user_decimal(const std::string& text, char separator) {
  if (separator == '.') return text;
  std::string out = text;
  for (char& c : out) {
    if (c == '.')
      c = '?';
    else if (c == separator)
      c = '.';
  }
  return out;
}

std::string frames_key(unsigned key, uint8_t& frames) {
  if (key == KeyDown && frames > FramesMin) frames -= 1;
  if (key == KeyUp && frames < FramesMax) frames += 1;
  return std::to_string(frames);
}
