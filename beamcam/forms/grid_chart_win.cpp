// The value-list grid and the point-series chart.
#include <cwchar>

#include "beamcam/forms/grid_chart.h"
#include "framework/gdi.h"

namespace forms {

namespace {

std::wstring widen(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), &w[0], n);
  return w;
}

void fill(HDC dc, const RECT& r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

// Paints through a memory DC for WM_PAINT and straight into the DC for WM_PRINTCLIENT.
template <class Paint>
bool paint_message(HWND window, UINT message, WPARAM wparam, LRESULT& result, Paint paint) {
  if (message == WM_ERASEBKGND) {
    result = 1;
    return true;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    {
      memory_dc_c buffer(dc, ps.rcPaint);
      paint(HDC(buffer));
    }
    EndPaint(window, &ps);
    return true;
  }
  if (message == WM_PRINTCLIENT) {
    paint(reinterpret_cast<HDC>(wparam));
    return true;
  }
  return false;
}

}  // namespace

// Grid.

struct value_grid_c::window_c : window_impl<value_grid_c::window_c> {
  explicit window_c(value_grid_c& g) : grid(g) {}
  static const wchar_t* window_class_name() { return L"beamcam.grid"; }
  static void adjust_window_class(WNDCLASSEXW& wc) { wc.hbrBackground = nullptr; }

  void paint(HDC dc) {
    RECT client = client_rect();
    fill(dc, client, clWhite);
    HGDIOBJ old_font = SelectObject(dc, grid.font_);
    HPEN pen = CreatePen(PS_SOLID, 1, clSilver);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, clBlack);
    const int step = RowHeight + 1;
    auto row_texts = [&](int row, const std::wstring& key, const std::wstring& value, bool title) {
      int top = row * step;
      RECT k = {0, top, grid.key_width_, top + RowHeight};
      RECT v = {grid.key_width_ + 1, top, grid.key_width_ + 1 + grid.value_width_, top + RowHeight};
      if (title) {
        fill(dc, k, clBtnFace);
        fill(dc, v, clBtnFace);
      }
      RECT kt = k, vt = v;
      kt.left += 2;
      vt.left += 2;
      DrawTextW(dc, key.c_str(), -1, &kt, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
      DrawTextW(dc, value.c_str(), -1, &vt, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
      line(dc, 0, top + RowHeight, client.right, top + RowHeight);
    };
    row_texts(0, L"Key", L"Value", true);
    int row = 1;
    for (const auto& r : grid.table_.rows()) row_texts(row++, widen(r.first), widen(r.second), false);
    line(dc, grid.key_width_, 0, grid.key_width_, client.bottom);
    SelectObject(dc, old_pen);
    DeleteObject(pen);
    SelectObject(dc, old_font);
  }

  bool process_window_message(HWND, UINT message, WPARAM wparam, LPARAM, LRESULT& result) override {
    return paint_message(hwnd_, message, wparam, result, [this](HDC dc) { paint(dc); });
  }
  value_grid_c& grid;
};

value_grid_c::value_grid_c(form_c& form, HWND parent, std::string name, const rect& r, result_table_c& table,
                           int key_width, int value_width, HFONT f)
    : windowed_c(form, std::move(name)),
      window_(std::make_unique<window_c>(*this)),
      table_(table),
      key_width_(key_width),
      value_width_(value_width),
      font_(f) {
  adopt(window_->create(parent, RECT{r.left, r.top, r.left + r.width, r.top + r.height}, L"",
                        WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE));
  table_.on_row_changed = [this](size_t row) {
    RECT area = {0, int(row + 1) * (RowHeight + 1), key_width_ + value_width_ + 1, int(row + 2) * (RowHeight + 1)};
    InvalidateRect(hwnd_, &area, FALSE);
  };
}

value_grid_c::~value_grid_c() { table_.on_row_changed = nullptr; }

std::wstring value_grid_c::text() const {
  std::wstring out;
  for (const auto& r : table_.rows()) {
    if (!out.empty()) out += L"; ";
    out += widen(r.first) + L"=" + widen(r.second);
  }
  return out;
}

// Chart.

struct point_chart_c::window_c : window_impl<point_chart_c::window_c> {
  explicit window_c(point_chart_c& c) : chart(c) {}
  static const wchar_t* window_class_name() { return L"beamcam.chart"; }
  static void adjust_window_class(WNDCLASSEXW& wc) { wc.hbrBackground = nullptr; }

  bool process_window_message(HWND, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    return guarded(result, [&] { return handle_message(message, wparam, lparam, result); });
  }

  bool handle_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    if (route_to_controls(message, wparam, lparam, result)) return true;
    if (paint_message(hwnd_, message, wparam, result, [this](HDC dc) { chart.paint(dc); })) return true;
    switch (message) {
      case WM_LBUTTONDOWN:
        pressed = true;
        return true;
      case WM_LBUTTONUP:
        if (pressed && chart.OnClick) {
          pressed = false;
          chart.OnClick();
        }
        pressed = false;
        return true;
      case WM_SIZE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        break;
    }
    return false;
  }
  point_chart_c& chart;
  bool pressed = false;
};

point_chart_c::point_chart_c(form_c& form, HWND parent, std::string name, const rect& r, chart_axis bottom,
                             chart_axis left)
    : windowed_c(form, std::move(name)), window_(std::make_unique<window_c>(*this)), bottom_(bottom), left_(left) {
  adopt(window_->create(parent, RECT{r.left, r.top, r.left + r.width, r.top + r.height}, L"",
                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT));
}

point_chart_c::~point_chart_c() = default;

void point_chart_c::AddXY(double x, double y) {
  Series.AddXY(x, y);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void point_chart_c::Clear() {
  Series.Clear();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void point_chart_c::set_title(const std::wstring& text, bool visible) {
  title_ = text;
  title_visible_ = visible;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void point_chart_c::resized() { InvalidateRect(hwnd_, nullptr, FALSE); }

RECT point_chart_c::plot_rect() const {
  RECT c{};
  GetClientRect(hwnd_, &c);
  RECT p = c;
  p.left += 34 + (left_title.empty() ? 0 : 16);
  p.right -= 12;
  p.top += title_visible_ ? 22 : 10;
  p.bottom -= 18 + bottom_reserve + (bottom_title.empty() ? 0 : 16);
  if (p.bottom < p.top) p.bottom = p.top;
  if (p.right < p.left) p.right = p.left;
  return p;
}

void point_chart_c::paint(HDC dc) const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  fill(dc, client, clBtnFace);
  const RECT plot = plot_rect();
  fill(dc, plot, clWhite);
  HGDIOBJ old_font = SelectObject(dc, ui_font());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, clBlack);
  HPEN grid_pen = CreatePen(PS_DOT, 1, clSilver);
  HPEN frame_pen = CreatePen(PS_SOLID, 1, 0x808080);
  HGDIOBJ old_pen = SelectObject(dc, frame_pen);
  const int pw = plot.right - plot.left, ph = plot.bottom - plot.top;

  for (double v : bottom_.ticks(4)) {
    int x = plot.left + bottom_.to_pixel(v, pw);
    SelectObject(dc, grid_pen);
    line(dc, x, plot.top, x, plot.bottom);
    wchar_t t[32];
    swprintf(t, 32, L"%g", v);
    RECT r = {x - 20, plot.bottom + 2, x + 20, plot.bottom + 16};
    DrawTextW(dc, t, -1, &r, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  for (double v : left_.ticks(5)) {
    int y = plot.bottom - left_.to_pixel(v, ph);
    SelectObject(dc, grid_pen);
    line(dc, plot.left, y, plot.right, y);
    wchar_t t[32];
    swprintf(t, 32, L"%g", v);
    RECT r = {plot.left - 34, y - 7, plot.left - 3, y + 7};
    DrawTextW(dc, t, -1, &r, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
  }
  SelectObject(dc, frame_pen);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, plot.left - 1, plot.top - 1, plot.right + 1, plot.bottom + 1);

  if (!bottom_title.empty()) {
    RECT r = {plot.left, plot.bottom + 17, plot.right, plot.bottom + 33};
    DrawTextW(dc, bottom_title.c_str(), -1, &r, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (!left_title.empty()) {
    RECT r = {2, plot.top, 18, plot.bottom};
    // Upright letters one below the other keep the title readable without a rotated font.
    std::wstring stacked;
    for (wchar_t ch : left_title) {
      stacked += ch;
      stacked += L'\n';
    }
    DrawTextW(dc, stacked.c_str(), -1, &r, DT_CENTER | DT_NOPREFIX);
  }
  if (title_visible_) {
    SetTextColor(dc, title_colour);
    RECT r = {4, 3, client.right - 4, 20};
    DrawTextW(dc, title_.c_str(), -1, &r, (title_left ? DT_LEFT : DT_CENTER) | DT_SINGLELINE | DT_NOPREFIX);
  }

  // Red stars, clipped to the plot.
  int saved = SaveDC(dc);
  IntersectClipRect(dc, plot.left, plot.top, plot.right, plot.bottom);
  HPEN star_pen = CreatePen(PS_SOLID, 1, clRed);
  SelectObject(dc, star_pen);
  const int s = star_size;
  for (const chart_point& p : Series.points()) {
    int x = plot.left + bottom_.to_pixel(p.x, pw);
    int y = plot.bottom - left_.to_pixel(p.y, ph);
    line(dc, x - s, y, x + s + 1, y);
    line(dc, x, y - s, x, y + s + 1);
    line(dc, x - s, y - s, x + s + 1, y + s + 1);
    line(dc, x + s, y - s, x - s - 1, y + s + 1);
  }
  RestoreDC(dc, saved);
  SelectObject(dc, old_pen);
  SelectObject(dc, old_font);
  DeleteObject(star_pen);
  DeleteObject(grid_pen);
  DeleteObject(frame_pen);
}

}  // namespace forms
