// The small signs inside pictures: navigation glyphs, message-icon marks and button signs.
#pragma once

#include "canvas.h"

// The glyph of a sidebar entry (its picture number), centred on (cx, cy), about 20 pixels.
void navigation_glyph(canvas& c, int id, double cx, double cy, colour ink);
// A message icon on a w x h canvas: failure 129, notice 130, question 131, request 132.
void message_sign(canvas& c, int id, int w, int h);
// A folder, about 18 x 14, centred on (cx, cy).
void folder_sign(canvas& c, double cx, double cy, colour ink);
// A turning arrow (scan again) of radius r around (cx, cy).
void turning_arrow(canvas& c, double cx, double cy, double r, double pen, colour ink);
// A tick whose box is s wide, centred on (cx, cy).
void tick(canvas& c, double cx, double cy, double s, double pen, colour ink);
