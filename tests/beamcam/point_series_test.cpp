#include "beamcam/forms/point_series.h"

#include <gtest/gtest.h>

namespace {

TEST(PointSeries, ExtremesOfThePointsAndClear) {
  point_series_c s;
  EXPECT_EQ(s.MinXValue(), 0);
  EXPECT_EQ(s.MaxYValue(), 0);
  s.AddXY(100, 200);
  s.AddXY(110, 230);
  s.AddXY(90, 250);
  EXPECT_EQ(s.Count(), 3u);
  EXPECT_EQ(s.MinXValue(), 90);
  EXPECT_EQ(s.MaxXValue(), 110);
  EXPECT_EQ(s.MinYValue(), 200);
  EXPECT_EQ(s.MaxYValue(), 250);
  s.Clear();
  EXPECT_EQ(s.Count(), 0u);
  EXPECT_EQ(s.MaxXValue(), 0);
}

TEST(ChartAxis, FixedAxesPlaceValuesAndTicks) {
  chart_axis x{0, 720};
  EXPECT_EQ(x.to_pixel(0, 180), 0);
  EXPECT_EQ(x.to_pixel(720, 180), 180);
  EXPECT_EQ(x.to_pixel(360, 180), 90);
  EXPECT_EQ(x.to_pixel(-72, 180), -18);  // outside: the chart clips it
  EXPECT_EQ((chart_axis{5, 5}).to_pixel(5, 100), 0);
  EXPECT_EQ(x.ticks(4), (std::vector<double>{0, 200, 400, 600}));
  EXPECT_EQ((chart_axis{0, 576}).ticks(5), (std::vector<double>{0, 200, 400}));
  EXPECT_EQ((chart_axis{0, 99}).ticks(5), (std::vector<double>{0, 20, 40, 60, 80}));
  EXPECT_TRUE((chart_axis{1, 0}).ticks(3).empty());
}

}  // namespace
