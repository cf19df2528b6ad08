#include "widgets/paint_layout.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "widgets/line_breaks.h"
#include "widgets/size_text.h"

wrap_plan plan_wrapped_text(std::u16string_view text, int left, int top, int right, int bottom, int line_gap,
                            const char_measurer& measure) {
  wrap_plan plan;
  const size_t n = text.size();
  if (n == 0) return plan;
  const int available = right - left;
  int y = top;
  size_t s = 0;
  while (true) {
    int run = 0, height = 0;
    size_t stop = n;
    for (size_t i = s; i < n; ++i) {
      text_extent e = measure(text[i]);
      height = std::max(height, e.height);
      run += e.width;
      if (text[i] == u'\n' || run > available) {
        stop = i;
        break;
      }
    }
    if (stop == n) {
      if (bottom < y + height || s >= n) return plan;
      if (s == 0)
        plan.whole_text = true;
      else
        plan.lines.push_back({s, n - s, y});
      return plan;
    }
    // A character wider than the whole line still takes a line of its own.
    const size_t end = line_end(text, s, stop);
    if (bottom < y + height) return plan;
    plan.lines.push_back({s, end - s, y});
    y += height + line_gap;
    s = end;
  }
}

float clamp_fraction(float fraction) {
  if (!(fraction > 0)) return 0;  // also not a number
  return fraction < 1 ? fraction : 1;
}

int bar_fill_right(int left, int width, float fraction) {
  return int(std::trunc(double(width) * clamp_fraction(fraction) + left));
}

int percent_of(float fraction) {
  // In ten-millionths first: a float such as 0.29f lies just below 0.29, by less than half
  // of one; coarser rounding would show 100% while some bytes are still missing.
  long long units = std::llround(double(clamp_fraction(fraction)) * 10000000.0);
  return int(units / 100000);
}

std::u16string percent_text(int percent) {
  std::string s = std::to_string(percent) + "%";
  return std::u16string(s.begin(), s.end());
}

int busy_bar_next_step(int left, int right, int offset, int step, int image_width) {
  int x = left + 1 + offset;
  if ((step > 0 && x + image_width >= right - 1) || (step < 0 && left + 1 >= x)) return -step;
  return step;
}

void size_progress_values::set_total(int64_t total) {
  total_ = total;
  format_size_text(total, total_text_, 16);
  set_value(done_);
}

void size_progress_values::set_value(int64_t done) {
  done_ = done;
  if (total_ > 0) {
    // Counts in 64 bits: packages pass 4 GB; the fraction never leaves the bar.
    fraction_ = done <= 0 ? 0.0f : done >= total_ ? 1.0f : float(double(done) / double(total_));
  }
  format_size_text(done, done_text_, 16);
}

const char16_t* size_progress_values::shown_text() {
  if (done_ == 0 || done_ == total_) return total_text_;
  std::u16string combined = std::u16string(done_text_) + u"/" + total_text_;
  copy_cut(combined_text_, combined);
  return combined_text_;
}

std::array<arc_box, 4> round_rect_arcs(int d, int x, int y, int w, int h) {
  d = std::min({d, w, h});
  int k = d == 20 ? -1 : 0;
  int e = d == 20 ? 21 : d;
  int right = x + w - d - 1 + k, bottom = y + h - d - 1 + k;
  return {{{x, y, d, 180}, {right, y, e, 270}, {right, bottom, e, 0}, {x, bottom, e, 90}}};
}

int clamp_x_to_work_area(int x, int work_left, int work_right) {
  if (x < work_left) return work_left;
  if (x > work_right) return work_right;
  return x;
}
