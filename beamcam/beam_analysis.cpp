#include "beamcam/beam_analysis.h"

#include <cmath>

#include "beamcam/frame_store.h"

namespace {

int pixel(const int16_t* frame, int32_t c, int32_t r) { return frame[size_t(r) * FrameWidth + c]; }

// Walks from `from` by `step` along a row (or a column) and returns the first position
// whose value is below the threshold, or `border` when none is.
template <typename Value>
int32_t find_edge(Value value, int32_t from, int32_t step, int32_t limit, int32_t border, double threshold) {
  for (int32_t i = from; step < 0 ? i >= limit : i <= limit; i += step)
    if (value(i) < threshold) return i;
  return border;
}

int32_t rounded_middle(int32_t a, int32_t b) { return int32_t(std::trunc((a + b) * 0.5 + 0.5)); }

// Once min <= 1 and peak >= 765, the rest of each row is skipped after its first pixel.
bool full_range_seen(const beam_measurement& m) { return m.min <= 1 && m.peak >= CombinedMax; }

// Pixel by pixel: a greater value is the peak, else a smaller one the minimum, until the
// full range is seen.
void scan_pixels(const int16_t* row, int32_t r, beam_measurement& m) {
  for (int32_t c = 0; c < FrameWidth; ++c) {
    const int v = row[c];
    if (v > m.peak) {
      m.peak = v;
      m.peak_x = c;
      m.peak_y = r;
    } else if (v < m.min) {
      m.min = v;
    }
    if (full_range_seen(m)) return;
  }
}

// The same for one row, its largest and smallest value first: the minimum only falls and the
// peak only rises, so when the row does not complete the range, no pixel of it stopped the
// visit, and the peak is the first pixel at the row's largest value if that beats the peak.
void scan_row(const int16_t* row, int32_t r, beam_measurement& m) {
  if (full_range_seen(m)) return scan_pixels(row, r, m);
  int16_t largest = row[0], smallest = row[0];
  for (int32_t c = 0; c < FrameWidth; ++c) {
    largest = row[c] > largest ? row[c] : largest;
    smallest = row[c] < smallest ? row[c] : smallest;
  }
  const int peak = largest > m.peak ? largest : m.peak, min = smallest < m.min ? smallest : m.min;
  if (min <= 1 && peak >= CombinedMax) return scan_pixels(row, r, m);
  if (largest > m.peak) {
    int32_t c = 0;
    while (row[c] != largest) ++c;
    m.peak = largest;
    m.peak_x = c;
    m.peak_y = r;
  }
  m.min = min;
}

std::string pair_text(long long a, long long b) { return std::to_string(a) + " , " + std::to_string(b); }

}  // namespace

int32_t to_micrometres(int32_t pixels, double pitch) {
  double v = std::trunc(pixels * pitch);
  if (v != v) return 0;
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return int32_t(v);
}

int ellipticity_percent(int32_t w, int32_t h) {
  int32_t larger = w >= h ? w : h, smaller = w >= h ? h : w;
  double divisor = larger == 0 ? 1.0 : double(larger);
  double e = std::trunc((double(larger) - smaller) * 100.0 / divisor + 0.5);
  return e > 100 ? 100 : int(e);
}

beam_measurement measure_beam(const int16_t* frame, double pixel_size_x, double pixel_size_y,
                              double width_divisor) {
  beam_measurement m;
  m.min = m.peak = pixel(frame, 0, 0);
  for (int32_t r = 0; r < FrameHeight; ++r)
    scan_row(frame + size_t(r) * FrameWidth, r, m);

  const double threshold = m.peak / width_divisor;
  auto along_row = [&](int32_t r) { return [=](int32_t c) { return pixel(frame, c, r); }; };
  auto along_column = [&](int32_t c) { return [=](int32_t r) { return pixel(frame, c, r); }; };
  const int32_t last_column = FrameWidth - 1, last_row = FrameHeight - 1;

  int32_t left = find_edge(along_row(m.peak_y), m.peak_x, -1, 0, 0, threshold);
  int32_t right = find_edge(along_row(m.peak_y), m.peak_x, 1, last_column, last_column, threshold);
  m.centre_x = rounded_middle(left, right);

  int32_t top = find_edge(along_column(m.centre_x), m.peak_y, -1, 0, 0, threshold);
  int32_t bottom = find_edge(along_column(m.centre_x), m.peak_y, 1, last_row, last_row, threshold);
  m.centre_y = rounded_middle(top, bottom);
  m.height = bottom - top;

  left = find_edge(along_row(m.centre_y), m.peak_x, -1, 0, 0, threshold);
  right = find_edge(along_row(m.centre_y), m.peak_x, 1, last_column, last_column, threshold);
  m.centre_x = rounded_middle(left, right);
  m.width = right - left;

  m.ellipticity = ellipticity_percent(m.width, m.height);
  m.peak_um_x = to_micrometres(m.peak_x, pixel_size_x);
  m.peak_um_y = to_micrometres(m.peak_y, pixel_size_y);
  m.centre_um_x = to_micrometres(m.centre_x, pixel_size_x);
  m.centre_um_y = to_micrometres(m.centre_y, pixel_size_y);
  m.width_um_x = to_micrometres(m.width, pixel_size_x);
  m.width_um_y = to_micrometres(m.height, pixel_size_y);
  return m;
}

std::string min_peak_text(const beam_measurement& m) { return pair_text(m.min, m.peak); }
std::string peak_loc_text(const beam_measurement& m) { return pair_text(m.peak_um_x, m.peak_um_y); }
std::string centroid_text(const beam_measurement& m) { return pair_text(m.centre_um_x, m.centre_um_y); }
std::string width_text(const beam_measurement& m) {
  return pair_text(m.width_um_x, m.width_um_y) + " , " + std::to_string(m.ellipticity) + "%";
}

std::string clipboard_line(const beam_measurement& m) {
  std::string line;
  for (long long v : {(long long)m.min, (long long)m.peak, (long long)m.peak_um_x, (long long)m.peak_um_y,
                      (long long)m.centre_um_x, (long long)m.centre_um_y, (long long)m.width_um_x,
                      (long long)m.width_um_y}) {
    if (!line.empty()) line += ' ';
    line += std::to_string(v);
  }
  return line;
}
