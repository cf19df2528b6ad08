#include "widgets/paint_win.h"

#include <string>

#include "base/wide.h"

namespace {

constexpr int tab_stop = 8;

COLOR16 channel(BYTE value) { return COLOR16(value << 8); }

}  // namespace

void fill_vertical_gradient(COLORREF top_colour, const RECT& rect, HDC dc, COLORREF bottom_colour) {
  TRIVERTEX v[2] = {};
  v[0].x = rect.left - 1;
  v[0].y = rect.top - 1;
  v[0].Red = channel(GetRValue(top_colour));
  v[0].Green = channel(GetGValue(top_colour));
  v[0].Blue = channel(GetBValue(top_colour));
  v[1].x = rect.right;
  v[1].y = rect.bottom;
  v[1].Red = channel(GetRValue(bottom_colour));
  v[1].Green = channel(GetGValue(bottom_colour));
  v[1].Blue = channel(GetBValue(bottom_colour));
  GRADIENT_RECT g = {0, 1};
  GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
}

void draw_wrapped_text(HDC dc, const wchar_t* text, const RECT& rect, int line_gap) {
  if (!text || !*text) return;
  std::u16string_view s(as_u16(text));
  int tabs = tab_stop;
  wrap_plan plan = plan_wrapped_text(s, rect.left, rect.top, rect.right, rect.bottom, line_gap, [&](char16_t c) {
    wchar_t one = wchar_t(c);
    DWORD e = GetTabbedTextExtentW(dc, &one, 1, 1, &tabs);
    return text_extent{int(LOWORD(e)), int(HIWORD(e))};
  });
  if (plan.whole_text) {
    RECT r = rect;
    DrawTextW(dc, text, -1, &r, DT_SINGLELINE | DT_EXPANDTABS);
    return;
  }
  for (const wrapped_line& line : plan.lines)
    TabbedTextOutW(dc, rect.left, line.top, text + line.start, int(line.count), 1, &tabs, rect.left);
}

void add_round_rect_path(Gdiplus::GraphicsPath& path, int diameter, int x, int y, int width, int height) {
  std::array<arc_box, 4> arcs = round_rect_arcs(diameter, x, y, width, height);
  path.Reset();
  for (const arc_box& a : arcs) path.AddArc(a.x, a.y, a.size, a.size, a.start_angle, 90.0f);
  path.CloseFigure();
}

void draw_round_outline(int radius, Gdiplus::Graphics& graphics, Gdiplus::ARGB colour, int x, int y, int width,
                        int height) {
  // Put back the caller's unit afterwards: GDI+ refuses the world unit as a page unit.
  Gdiplus::Unit unit = graphics.GetPageUnit();
  graphics.SetPageUnit(Gdiplus::UnitPixel);
  Gdiplus::Pen pen(Gdiplus::Color(colour), 1.0f);
  pen.SetAlignment(Gdiplus::PenAlignmentCenter);
  Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
  add_round_rect_path(path, 2 * radius, x, y, width, height);
  graphics.DrawPath(&pen, &path);
  graphics.SetPageUnit(unit);
}

void size_progress_c::draw(HDC dc, int left, int top, int right, int bottom) {
  RECT fill = {left, top, bar_fill_right(left, right - left, values.fraction()), bottom};
  if (fill_brush) FillRect(dc, &fill, fill_brush);
  RECT whole = {left, top, right, bottom};
  DrawTextW(dc, as_wide(values.shown_text()), -1, &whole, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (frame_brush) FrameRect(dc, &whole, frame_brush);
}

int clamp_to_monitor(int x, int y) {
  POINT p = {x, y};
  if (MonitorFromPoint(p, MONITOR_DEFAULTTONULL)) return x;
  HMONITOR nearest = MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST);
  if (!nearest) return x;
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(nearest, &info)) return x;
  return clamp_x_to_work_area(x, info.rcWork.left, info.rcWork.right);
}
