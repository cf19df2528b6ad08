// The data of a point-series chart: points added one by one, the smallest and largest values,
// and the fixed axes that place them on the plot. No window; the chart draws it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct chart_point {
  double x = 0, y = 0;
};

class point_series_c {
 public:
  void AddXY(double x, double y) { points_.push_back({x, y}); }
  void Clear() { points_.clear(); }
  size_t Count() const { return points_.size(); }
  const std::vector<chart_point>& points() const { return points_; }
  // 0 for an empty series.
  double MinXValue() const;
  double MaxXValue() const;
  double MinYValue() const;
  double MaxYValue() const;

 private:
  std::vector<chart_point> points_;
};

// A fixed axis from `minimum` to `maximum` drawn over `length` pixels; Y grows upward.
struct chart_axis {
  double minimum = 0, maximum = 1;
  // Pixel offset from the axis start (left edge for X, bottom edge for Y, going up).
  int32_t to_pixel(double value, int32_t length) const;
  // Label values for about `wanted` ticks: a step of 1, 2 or 5 times a power of ten.
  std::vector<double> ticks(int wanted) const;
};
