#include "beamcam/beam_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "beamcam/beam_view.h"
#include "beamcam/frame_store.h"
#include "beamcam/result_table.h"

namespace {

struct recording_clipboard : clipboard_i {
  std::vector<std::string> lines;
  void CopyTextToClipboard(const char* text) override { lines.push_back(text); }
};

frame_buffer frame_of(int16_t value) { return frame_buffer(FramePixels, value); }
int16_t& at(frame_buffer& f, int c, int r) { return f[size_t(r) * FrameWidth + c]; }

TEST(AnalyzeBeam, AllZeroFrameFillsTheTableWithTheBorderDefaults) {
  beam_view_c view;
  result_table_c table;
  InitResultTable(table);
  recording_clipboard clipboard;
  frame_buffer f = frame_of(0);
  view.AnalyzeBeam(f.data(), table, &clipboard);
  ASSERT_EQ(table.rows().size(), 4u);
  EXPECT_EQ(table.rows()[0], (result_table_c::row{"Min, Peak", "0 , 0"}));
  EXPECT_EQ(table.rows()[1], (result_table_c::row{"Peak Loc ( X, Y )", "0 , 0"}));
  EXPECT_EQ(table.rows()[2], (result_table_c::row{"Centroid ( X, Y )", "360 , 288"}));
  EXPECT_EQ(table.rows()[3], (result_table_c::row{"Width ( X, Y )", "719 , 575 , 20%"}));
  EXPECT_EQ(clipboard.lines, std::vector<std::string>{"0 0 0 0 360 288 719 575"});
  EXPECT_EQ(view.CentreX, 360);
  EXPECT_EQ(view.CentreY, 288);
}

TEST(AnalyzeBeam, SinglePeakIsTwoPixelsWideBetweenItsDarkNeighbours) {
  beam_view_c view;
  view.PixelSizeX = 2.0;
  view.PixelSizeY = 3.0;
  result_table_c table;
  frame_buffer f = frame_of(0);
  at(f, 100, 50) = 765;
  beam_measurement m = view.AnalyzeBeam(f.data(), table, nullptr);  // no clipboard: table still filled
  EXPECT_EQ(m.min, 0);
  EXPECT_EQ(m.peak, 765);
  EXPECT_EQ(m.width, 2);
  EXPECT_EQ(m.height, 2);
  EXPECT_EQ(m.ellipticity, 0);
  EXPECT_EQ(view.PeakPixelX, 100);
  EXPECT_EQ(view.PeakPixelY, 50);
  EXPECT_EQ(view.CentreX, 100);
  EXPECT_EQ(view.CentreY, 50);
  EXPECT_EQ(table.value(PeakLocKey), "200 , 150");
  EXPECT_EQ(table.value(CentroidKey), "200 , 150");
  EXPECT_EQ(table.value(WidthKey), "4 , 6 , 0%");
  EXPECT_EQ(clipboard_line(m), "0 765 200 150 200 150 4 6");
}

TEST(AnalyzeBeam, StopsLookingAlongARowOnceTheFullRangeIsSeen) {
  frame_buffer f = frame_of(500);
  at(f, 0, 0) = 1;
  at(f, 6, 0) = 765;
  at(f, 3, 1) = 0;  // never seen: each later row is left after its first pixel
  beam_measurement m = measure_beam(f.data(), 1.0, 1.0, std::exp(2.0));
  EXPECT_EQ(m.min, 1);
  EXPECT_EQ(m.peak, 765);
  EXPECT_EQ(m.peak_x, 6);
  EXPECT_EQ(m.peak_y, 0);
}

TEST(AnalyzeBeam, AfterTheFullRangeMidFrameOnlyFirstPixelsCount) {
  frame_buffer f = frame_of(500);
  at(f, 10, 5) = 0;
  at(f, 20, 5) = 765;  // the range is complete here
  at(f, 30, 5) = 800;  // not seen
  at(f, 0, 6) = 900;   // a first pixel: seen
  at(f, 1, 7) = 1000;  // not seen
  beam_measurement m = measure_beam(f.data(), 1.0, 1.0, std::exp(2.0));
  EXPECT_EQ(m.min, 0);
  EXPECT_EQ(m.peak, 900);
  EXPECT_EQ(m.peak_x, 0);
  EXPECT_EQ(m.peak_y, 6);
}

TEST(AnalyzeBeam, NegativeValuesAndTheFirstPixelAsTheStart) {
  frame_buffer f = frame_of(-5);
  at(f, 10, 10) = -7;
  beam_measurement m = measure_beam(f.data(), 1.0, 1.0, std::exp(2.0));
  EXPECT_EQ(min_peak_text(m), "-7 , -5");
  EXPECT_EQ(m.peak_x, 0);
}

TEST(AnalyzeBeam, PitchIsTruncatedAndKeptInRange) {
  EXPECT_EQ(to_micrometres(101, 6.5), 656);
  EXPECT_EQ(to_micrometres(719, 1e300), INT32_MAX);
  EXPECT_EQ(to_micrometres(719, -1e300), INT32_MIN);
  EXPECT_EQ(to_micrometres(5, std::nan("")), 0);
  frame_buffer f = frame_of(0);
  at(f, 101, 0) = 700;
  beam_measurement m = measure_beam(f.data(), 6.5, 1.0, std::exp(2.0));
  EXPECT_EQ(peak_loc_text(m), "656 , 0");
}

TEST(AnalyzeBeam, EllipticityOfWidthAndHeight) {
  struct {
    int w, h, expected;
  } cases[] = {{10, 7, 30}, {7, 10, 30}, {0, 0, 0}, {719, 575, 20}, {5, 0, 100}, {2, 2, 0}, {3, 2, 33}, {200, 133, 34}};
  for (auto c : cases) EXPECT_EQ(ellipticity_percent(c.w, c.h), c.expected) << c.w << " x " << c.h;
}

TEST(AnalyzeBeam, AsymmetricBeamWhoseCentreColumnIsDarkHasNoHeight) {
  // The peak row is bright from column 200 to 210 except for a gap at the middle column.
  frame_buffer f = frame_of(0);
  for (int c = 200; c <= 210; ++c) at(f, c, 300) = 400;
  at(f, 200, 300) = 700;
  at(f, 205, 300) = 10;  // below 700 / e^2 = 94.7
  beam_measurement m = measure_beam(f.data(), 1.0, 1.0, std::exp(2.0));
  // First scan: left edge 199, right edge 205; centre column trunc(202 + 0.5) = 202.
  // Column 202 on the peak row is bright, so scan 2 finds rows 299 and 301.
  EXPECT_EQ(m.centre_y, 300);
  EXPECT_EQ(m.height, 2);
  EXPECT_EQ(m.width, 6);

  // A peak on the left border: its left edge is the default 0, its right edge the dark
  // column 1, so the centre column trunc(0.5 + 0.5) = 1 is dark on the peak row and both
  // edges of the second scan are the peak row.
  frame_buffer g = frame_of(0);
  at(g, 0, 300) = 700;
  at(g, 0, 301) = 700;
  m = measure_beam(g.data(), 1.0, 1.0, std::exp(2.0));
  EXPECT_EQ(m.peak_y, 300);
  EXPECT_EQ(m.height, 0);
  EXPECT_EQ(m.centre_y, 300);
  EXPECT_EQ(m.centre_x, 1);
  EXPECT_EQ(m.width, 1);
}

TEST(ResultTable, StartsWithFourRowsAndAddsUnknownKeys) {
  result_table_c table;
  std::vector<size_t> changed;
  table.on_row_changed = [&](size_t i) { changed.push_back(i); };
  InitResultTable(table);
  ASSERT_EQ(table.rows().size(), 4u);
  EXPECT_EQ(table.value("Min, Peak"), "nll");
  for (const char* key : {"Peak Loc ( X, Y )", "Centroid ( X, Y )", "Width ( X, Y )"}) EXPECT_EQ(table.value(key), "null");
  table.set_value("Centroid ( X, Y )", "1 , 2");
  table.set_value("Other", "x");
  EXPECT_EQ(table.rows()[2].second, "1 , 2");
  EXPECT_EQ(table.rows()[4], (result_table_c::row{"Other", "x"}));
  EXPECT_EQ(changed, (std::vector<size_t>{0, 1, 2, 3, 2, 4}));
}

}  // namespace
