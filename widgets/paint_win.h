// The painting helpers' drawing into a device context the caller prepared (font, text colour
// and background mode stay the caller's unless said). Windows only.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <cstdint>

#include "framework/image.h"
#include "widgets/paint_layout.h"

void fill_vertical_gradient(COLORREF top_colour, const RECT& rect, HDC dc, COLORREF bottom_colour);
// Word-wrapped text with tab stops every 8 pixels; lines `line_gap` pixels apart.
void draw_wrapped_text(HDC dc, const wchar_t* text, const RECT& rect, int line_gap);
// The same in the first of `fonts` (left selected) and the widest gap up to `line_gap` with
// which every line fits in the rectangle, so that a longer translation loses no line.
void draw_wrapped_text_to_fit(HDC dc, const wchar_t* text, const RECT& rect, int line_gap, const HFONT* fonts,
                              size_t font_count);
// Where the last line of that text ends when the rectangle is as high as it needs.
int wrapped_text_bottom(HDC dc, const wchar_t* text, const RECT& rect, int line_gap);
// The same lines, each centred across the rectangle.
void draw_centred_wrapped_text(HDC dc, const wchar_t* text, const RECT& rect, int line_gap);

void add_round_rect_path(Gdiplus::GraphicsPath& path, int diameter, int x, int y, int width, int height);
// A 1-pixel rounded outline; a failing call's status stays the graphics' last status.
void draw_round_outline(int radius, Gdiplus::Graphics& graphics, Gdiplus::ARGB colour, int x, int y, int width,
                        int height);

// An indeterminate bar: a block that the owner moves by `step` on each tick; drawing turns
// the step at either inner edge.
struct busy_bar {
  image_c image;
  HBRUSH fill_brush = nullptr;
  int32_t offset = 0;  // pixels from the bar's inner left edge
  int32_t step = 0;    // pixels per tick; the sign is the direction
};
void draw_busy_bar(HDC dc, busy_bar& bar, int left, int top, int right, int bottom);

// A bar filled with a picture's pattern up to a fraction, the percent in white over it.
struct percent_bar {
  image_c image;
  HBRUSH fill_pattern = nullptr;
  HBRUSH background_brush = nullptr;
  float fraction = 0;
};
void draw_percent_bar(HDC dc, const percent_bar& bar, int left, int top, int right, int bottom);

// A bar made of two strips of three frames (left cap, middle, right cap), empty and filled,
// with the percent in black in the caller's font.
struct progress_painter_c {
  image_c* empty_frames = nullptr;  // PNG 151, owned array of 3
  image_c* full_frames = nullptr;   // PNG 152, owned array of 3
  HBRUSH empty_brush = nullptr;
  HBRUSH full_brush = nullptr;
  float fraction = 0;

  progress_painter_c() = default;
  progress_painter_c(const progress_painter_c&) = delete;
  progress_painter_c& operator=(const progress_painter_c&) = delete;
  ~progress_painter_c() { release(); }

  void load();
  void release();
  void paint(HDC dc, int left, int top, int right, int bottom) const;
};

// A bar that fills with the done share of a size and shows "done/total" in the middle.
struct size_progress_c {
  HBRUSH frame_brush = nullptr;
  HBRUSH fill_brush = nullptr;
  size_progress_values values;

  void set_value(int64_t done) { values.set_value(done); }
  void draw(HDC dc, int left, int top, int right, int bottom);
};

// x of a popup point moved onto the nearest monitor's work area when the point lies on none.
int clamp_to_monitor(int x, int y);
