// The main window's picture: the patterned background with the logos and the two text
// lines, then the rounded frame with the side lines of the page area.
#include "app/app_window.h"
#include "base/text.h"
#include "base/wide.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

void main_window_c::paint(HDC dc, const RECT& client) {
  if (pattern_brush) FillRect(dc, &client, pattern_brush);
  if (!logo_.is_null()) logo_.draw(dc, 20, 19);
  if (!logo_text_.is_null()) logo_text_.draw(dc, 120, 27);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  if (font_normal_9) SelectObject(dc, font_normal_9);
  const char16_t* top = get_text("top_logo_text");
  TextOutW(dc, 125, 63, as_wide(top), lstrlenW(as_wide(top)));
  if (font_normal_8) SelectObject(dc, font_normal_8);
  std::u16string line = version_line(get_text("bottom_version"), utf8_to_u16(program_version));
  TextOutW(dc, 15, client.bottom - 18, as_wide(line), static_cast<int>(line.size()));
}

void main_window_c::paint_frame(HDC dc, const RECT& client) {
  const int w = client.right, h = client.bottom;
  HRGN region = CreateRoundRectRgn(0, 0, w + 1, h + 1, 4, 4);
  if (region) {
    if (dark_blue_brush) FrameRgn(dc, region, dark_blue_brush, 1, 1);
    DeleteObject(region);
  }
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(121, 135, 146));
  if (!pen) return;
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, 0, 100, nullptr);
  LineTo(dc, 0, h - 20);
  MoveToEx(dc, w - 1, 100, nullptr);
  LineTo(dc, w - 1, h - 20);
  SelectObject(dc, old);
  DeleteObject(pen);
}
