// Windows only: the value-list grid over the results table and the point-series chart.
#pragma once

#include "beamcam/forms/forms.h"
#include "beamcam/forms/point_series.h"
#include "beamcam/result_table.h"

namespace forms {

// Key and value columns with a title row; it repaints a row when the table says it changed.
class value_grid_c : public windowed_c {
 public:
  value_grid_c(form_c& form, HWND parent, std::string name, const rect& r, result_table_c& table,
               int key_width, int value_width, HFONT font);
  ~value_grid_c() override;
  std::wstring text() const override;  // the rows as "key=value" joined by "; "
  static constexpr int RowHeight = 19;

 private:
  struct window_c;
  std::unique_ptr<window_c> window_;
  result_table_c& table_;
  int key_width_, value_width_;
  HFONT font_;
};

// A chart of one point series on fixed axes: red stars, an optional title, axis titles,
// a click event. Controls may lie on it (it passes their commands on).
class point_chart_c : public windowed_c {
 public:
  point_chart_c(form_c& form, HWND parent, std::string name, const rect& r, chart_axis bottom, chart_axis left);
  ~point_chart_c() override;

  point_series_c Series;
  // Adds a point and shows it.
  void AddXY(double x, double y);
  void Clear();

  void set_title(const std::wstring& text, bool visible);
  bool title_visible() const { return title_visible_; }
  const std::wstring& title() const { return title_; }
  COLORREF title_colour = clRed;
  bool title_left = true;
  std::wstring bottom_title, left_title;
  int bottom_reserve = 0;  // pixels kept free below the plot for controls
  int star_size = 2;       // half the star's width and height
  std::function<void()> OnClick;
  std::wstring text() const override { return title_visible_ ? title_ : std::wstring(); }
  // The plot area inside the chart's client area.
  RECT plot_rect() const;
  void resized();

 private:
  struct window_c;
  friend struct window_c;
  void paint(HDC dc) const;
  std::unique_ptr<window_c> window_;
  chart_axis bottom_, left_;
  std::wstring title_;
  bool title_visible_ = false;
};

}  // namespace forms
