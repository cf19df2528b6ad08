#include "beamcam/forms/point_series.h"

#include <algorithm>
#include <cmath>

namespace {

template <class Pick, class Better>
double extreme(const std::vector<chart_point>& points, Pick pick, Better better) {
  if (points.empty()) return 0;
  double v = pick(points.front());
  for (const chart_point& p : points)
    if (better(pick(p), v)) v = pick(p);
  return v;
}

double px(const chart_point& p) { return p.x; }
double py(const chart_point& p) { return p.y; }
bool less(double a, double b) { return a < b; }
bool more(double a, double b) { return a > b; }

}  // namespace

double point_series_c::MinXValue() const { return extreme(points_, px, less); }
double point_series_c::MaxXValue() const { return extreme(points_, px, more); }
double point_series_c::MinYValue() const { return extreme(points_, py, less); }
double point_series_c::MaxYValue() const { return extreme(points_, py, more); }

int32_t chart_axis::to_pixel(double value, int32_t length) const {
  const double span = maximum - minimum;
  if (span <= 0 || length <= 0) return 0;
  return int32_t(std::lround((value - minimum) * length / span));
}

std::vector<double> chart_axis::ticks(int wanted) const {
  std::vector<double> out;
  const double span = maximum - minimum;
  if (span <= 0 || wanted < 1) return out;
  const double raw = span / wanted;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = power;
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    step = m * power;
    if (step >= raw) break;
  }
  for (double v = std::ceil(minimum / step) * step; v <= maximum + step * 1e-9; v += step)
    out.push_back(std::fabs(v) < step * 1e-9 ? 0.0 : v);
  return out;
}
