// The arithmetic of the painting helpers, apart from the drawing: where wrapped lines go,
// how far a bar is filled, which percent it shows, how a busy block turns, the arcs of a
// rounded outline and the clamp of a popup point to a work area.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// ---- Word wrap --------------------------------------------------------------------------

struct text_extent {
  int width, height;
};
// Measures one character as the tabbed-text extent function does (tab stops every 8 pixels).
using char_measurer = std::function<text_extent(char16_t)>;

struct wrapped_line {
  size_t start, count;  // the characters drawn, the break character included
  int top;
};

struct wrap_plan {
  // The whole text fits in one line: drawn in one piece into the whole rectangle.
  bool whole_text = false;
  std::vector<wrapped_line> lines;  // otherwise each line at the rectangle's left
};

// Lines of a text in the rectangle (left, top) - (right, bottom): a line breaks at a line feed
// and, where the next character overflows, at the last place before it where a line may end
// (line_end: after a space or tab, or between Japanese characters where Japanese allows it),
// else before that character (at least one character per line); a line that would pass the
// bottom is not drawn, and neither is anything after it.
wrap_plan plan_wrapped_text(std::u16string_view text, int left, int top, int right, int bottom, int line_gap,
                            const char_measurer& measure);

// ---- Bars ---------------------------------------------------------------------------------

// The fraction within 0..1 (not a number: 0).
float clamp_fraction(float fraction);
// The right edge of a bar's fill: trunc(width * fraction + left), the fraction clamped.
int bar_fill_right(int left, int width, float fraction);
// Whole percents of a fraction, with no float truncation error: 0.29f shows 29.
int percent_of(float fraction);
// "29%"
std::u16string percent_text(int percent);

// The busy block's step after a paint: it turns at either inner edge of the bar.
int busy_bar_next_step(int left, int right, int offset, int step, int image_width);

// The size progress bar's values: 64-bit counts and the texts it shows.
class size_progress_values {
 public:
  void set_total(int64_t total);  // also writes the total size text
  void set_value(int64_t done);   // the fraction, clamped, and the done size text
  float fraction() const { return fraction_; }
  int64_t total() const { return total_; }
  int64_t done() const { return done_; }
  // "done/total" while under way, the total alone at 0 and when complete.
  const char16_t* shown_text();

 private:
  float fraction_ = 0;
  int64_t total_ = 0, done_ = 0;
  char16_t total_text_[16] = {};
  char16_t done_text_[16] = {};
  char16_t combined_text_[32] = {};
};

// ---- Rounded outline ----------------------------------------------------------------------

struct arc_box {
  int x, y, size;
  float start_angle;  // each arc sweeps 90 degrees
};
// The four corner arcs (top-left, top-right, bottom-right, bottom-left) of a rounded
// rectangle with corner diameter d, no larger than the rectangle's smaller side.
std::array<arc_box, 4> round_rect_arcs(int diameter, int x, int y, int width, int height);

// ---- Popup placement -----------------------------------------------------------------------

// x moved into the work area (left .. right) of the monitor nearest to a point on no monitor.
int clamp_x_to_work_area(int x, int work_left, int work_right);
