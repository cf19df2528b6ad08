#include "widgets/paint_win.h"

#include <algorithm>
#include <string>

#include "base/wide.h"
#include "widgets/images.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int tab_stop = 8;

COLOR16 channel(BYTE value) { return COLOR16(value << 8); }

void draw_percent_text(HDC dc, float fraction, RECT area) {
  std::u16string t = percent_text(percent_of(fraction));
  DrawTextW(dc, as_wide(t), int(t.size()), &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

HBRUSH pattern_of(const image_c& frame) { return frame.is_null() ? nullptr : CreatePatternBrush(frame.bitmap()); }

int frame_width(const image_c* frames, int i) { return frames && !frames[i].is_null() ? frames[i].width() : 0; }

// Frames of a strip resource: an owned array of 3, or null.
image_c* load_frames(int png_id) {
  image_c whole;
  if (load_png_resource(nullptr, &whole, png_id) != 0) return nullptr;
  return split_image_frames(&whole, 3);
}

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

namespace {

wrap_plan plan_in_dc(HDC dc, const wchar_t* text, const RECT& rect, int line_gap, int* line_height) {
  std::u16string_view s(as_u16(text));
  int tabs = tab_stop;
  return plan_wrapped_text(s, rect.left, rect.top, rect.right, rect.bottom, line_gap, [&](char16_t c) {
    wchar_t one = wchar_t(c);
    DWORD e = GetTabbedTextExtentW(dc, &one, 1, 1, &tabs);
    if (line_height) *line_height = std::max(*line_height, int(HIWORD(e)));
    return text_extent{int(LOWORD(e)), int(HIWORD(e))};
  });
}

}  // namespace

int wrapped_text_bottom(HDC dc, const wchar_t* text, const RECT& rect, int line_gap) {
  if (!text || !*text) return rect.top;
  RECT open = rect;
  open.bottom = 0x3FFFFFFF;
  int height = 0;
  wrap_plan plan = plan_in_dc(dc, text, open, line_gap, &height);
  if (plan.whole_text || plan.lines.empty()) return rect.top + height;
  return plan.lines.back().top + height;
}

void draw_wrapped_text(HDC dc, const wchar_t* text, const RECT& rect, int line_gap) {
  if (!text || !*text) return;
  int tabs = tab_stop;
  wrap_plan plan = plan_in_dc(dc, text, rect, line_gap, nullptr);
  if (plan.whole_text) {
    RECT r = rect;
    DrawTextW(dc, text, -1, &r, DT_SINGLELINE | DT_EXPANDTABS);
    return;
  }
  for (const wrapped_line& line : plan.lines) {
    // A line feed has no glyph: drawn, it shows as the font's box for a missing character.
    size_t count = line.count;
    if (count > 0 && text[line.start + count - 1] == L'\n') --count;
    TabbedTextOutW(dc, rect.left, line.top, text + line.start, int(count), 1, &tabs, rect.left);
  }
}

void draw_centred_wrapped_text(HDC dc, const wchar_t* text, const RECT& rect, int line_gap) {
  if (!text || !*text) return;
  wrap_plan plan = plan_in_dc(dc, text, rect, line_gap, nullptr);
  const UINT one_line = DT_SINGLELINE | DT_CENTER | DT_NOPREFIX | DT_EXPANDTABS;
  if (plan.whole_text) {
    RECT r = rect;
    DrawTextW(dc, text, -1, &r, one_line);
    return;
  }
  TEXTMETRICW m{};
  GetTextMetricsW(dc, &m);
  for (const wrapped_line& line : plan.lines) {
    // The space or line feed a line breaks at takes no room in its centring.
    size_t count = line.count;
    while (count > 0 && (text[line.start + count - 1] == L' ' || text[line.start + count - 1] == L'\n')) --count;
    RECT r = {rect.left, line.top, rect.right, line.top + m.tmHeight};
    if (count > 0) DrawTextW(dc, text + line.start, int(count), &r, one_line);
  }
}

void draw_wrapped_text_to_fit(HDC dc, const wchar_t* text, const RECT& rect, int line_gap, const HFONT* fonts,
                              size_t font_count) {
  if (!text || !*text || font_count == 0) return;
  for (size_t f = 0; f < font_count; ++f) {
    if (!fonts[f]) continue;
    SelectObject(dc, fonts[f]);
    for (int gap = line_gap; gap >= 1; --gap)
      if (wrapped_text_bottom(dc, text, rect, gap) <= rect.bottom) return draw_wrapped_text(dc, text, rect, gap);
  }
  draw_wrapped_text(dc, text, rect, 1);
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

void draw_busy_bar(HDC dc, busy_bar& bar, int left, int top, int right, int bottom) {
  RECT whole = {left, top, right, bottom};
  if (bar.fill_brush) FillRect(dc, &whole, bar.fill_brush);
  if (!bar.image.is_null()) bar.image.draw(dc, left + 1 + bar.offset, top + 1);
  bar.step = busy_bar_next_step(left, right, bar.offset, bar.step, bar.image.width());
}

void draw_percent_bar(HDC dc, const percent_bar& bar, int left, int top, int right, int bottom) {
  RECT whole = {left, top, right, bottom};
  if (bar.background_brush) FillRect(dc, &whole, bar.background_brush);
  int inner_left = left + 1;
  RECT fill = {inner_left, top + 1, bar_fill_right(inner_left, right - left - 2, bar.fraction), bottom - 1};
  if (bar.fill_pattern && fill.right > fill.left) {
    SetBrushOrgEx(dc, 0, top + 1, nullptr);
    FillRect(dc, &fill, bar.fill_pattern);
  }
  if (font_normal_10) SelectObject(dc, font_normal_10);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  draw_percent_text(dc, bar.fraction, whole);
}

void progress_painter_c::load() {
  release();
  empty_frames = load_frames(151);
  full_frames = load_frames(152);
  if (empty_frames) empty_brush = pattern_of(empty_frames[1]);
  if (full_frames) full_brush = pattern_of(full_frames[1]);
  fraction = 0;
}

void progress_painter_c::release() {
  delete[] empty_frames;
  delete[] full_frames;
  empty_frames = full_frames = nullptr;
  if (empty_brush) DeleteObject(empty_brush);
  if (full_brush) DeleteObject(full_brush);
  empty_brush = full_brush = nullptr;
}

void progress_painter_c::paint(HDC dc, int left, int top, int right, int bottom) const {
  if (!empty_frames || !full_frames) return;
  float f = clamp_fraction(fraction);
  const image_c& left_cap = f > 0 ? full_frames[0] : empty_frames[0];
  const image_c& right_cap = f >= 1.0f ? full_frames[2] : empty_frames[2];
  int right_cap_width = frame_width(empty_frames, 2);
  left_cap.draw(dc, left, top);
  right_cap.draw(dc, right - right_cap_width, top);
  RECT inner = {left + frame_width(empty_frames, 0), top, right - right_cap_width, bottom};
  if (inner.right <= inner.left) return;
  SetBrushOrgEx(dc, 0, top, nullptr);
  if (empty_brush) FillRect(dc, &inner, empty_brush);
  RECT done = {inner.left, top, bar_fill_right(inner.left, inner.right - inner.left, f), bottom};
  if (full_brush && done.right > done.left) FillRect(dc, &done, full_brush);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  draw_percent_text(dc, f, inner);
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
