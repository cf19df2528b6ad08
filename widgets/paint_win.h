// The painting helpers' drawing into a device context the caller prepared (font, text colour
// and background mode stay the caller's unless said). Windows only.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include "widgets/paint_layout.h"

void fill_vertical_gradient(COLORREF top_colour, const RECT& rect, HDC dc, COLORREF bottom_colour);
// Word-wrapped text with tab stops every 8 pixels; lines `line_gap` pixels apart.
void draw_wrapped_text(HDC dc, const wchar_t* text, const RECT& rect, int line_gap);

void add_round_rect_path(Gdiplus::GraphicsPath& path, int diameter, int x, int y, int width, int height);
// A 1-pixel rounded outline; a failing call's status stays the graphics' last status.
void draw_round_outline(int radius, Gdiplus::Graphics& graphics, Gdiplus::ARGB colour, int x, int y, int width,
                        int height);

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
