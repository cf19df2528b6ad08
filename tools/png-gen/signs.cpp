#include "signs.h"

#include <cmath>

#include "strokes.h"

namespace {

const colour white = rgb(255, 255, 255);

// An arrow head at the end (x, y) of a stroke that points along angle `a` (degrees, as arcs).
void arrow_head(canvas& c, double x, double y, double a, double size, colour ink) {
  const double rad = 3.14159265358979 / 180;
  double ux = std::cos(a * rad), uy = std::sin(a * rad);
  double tip_x = x + ux * size * 0.6, tip_y = y + uy * size * 0.6;
  double bx = x - ux * size * 0.4, by = y - uy * size * 0.4;
  c.triangle(tip_x, tip_y, bx - uy * size * 0.6, by + ux * size * 0.6, bx + uy * size * 0.6,
             by - ux * size * 0.6, ink);
}

}  // namespace

void navigation_glyph(canvas& c, int id, double cx, double cy, colour ink) {
  stroke_path s;
  switch (id) {
    case 104:  // home: a house
      s.polyline({cx - 10, cy - 1, cx, cy - 10, cx + 10, cy - 1});
      s.polyline({cx - 7, cy - 3, cx - 7, cy + 8, cx + 7, cy + 8, cx + 7, cy - 3});
      c.rect(int(cx) - 2, int(cy) + 2, 4, 6, ink);
      break;
    case 113:  // update: an arrow down into a tray
      s.line(cx, cy - 10, cx, cy + 2);
      s.polyline({cx - 5, cy - 3, cx, cy + 2, cx + 5, cy - 3});
      s.polyline({cx - 9, cy + 2, cx - 9, cy + 8, cx + 9, cy + 8, cx + 9, cy + 2});
      break;
    case 102:  // backup: an archive box with its lid
      s.polyline({cx - 10, cy - 9, cx + 10, cy - 9, cx + 10, cy - 4, cx - 10, cy - 4, cx - 10, cy - 9});
      s.polyline({cx - 8, cy - 4, cx - 8, cy + 8, cx + 8, cy + 8, cx + 8, cy - 4});
      s.line(cx - 3, cy + 1, cx + 3, cy + 1);
      break;
    case 110:  // restore: the hands of a clock under an arrow turning back
      s.arc(cx, cy, 9, 9, 200, 520);
      s.polyline({cx, cy - 5, cx, cy, cx + 4, cy + 3});
      arrow_head(c, cx + 9 * std::cos(200 * 3.14159265358979 / 180),
                 cy + 9 * std::sin(200 * 3.14159265358979 / 180), 110, 7, ink);
      break;
    case 112:  // uninstall: a waste bin
      s.line(cx - 9, cy - 6, cx + 9, cy - 6);
      s.polyline({cx - 3, cy - 6, cx - 3, cy - 9, cx + 3, cy - 9, cx + 3, cy - 6});
      s.polyline({cx - 7, cy - 6, cx - 6, cy + 9, cx + 6, cy + 9, cx + 7, cy - 6});
      s.line(cx - 2.5, cy - 2, cx - 2.5, cy + 5);
      s.line(cx + 2.5, cy - 2, cx + 2.5, cy + 5);
      break;
    case 108:  // options: a gear
      c.ring(cx, cy, 7.5, 3, ink);
      for (int i = 0; i < 8; ++i) {
        double a = i * 3.14159265358979 / 4;
        c.line(cx + 6.5 * std::cos(a), cy + 6.5 * std::sin(a), cx + 9.5 * std::cos(a),
               cy + 9.5 * std::sin(a), 4, ink);
      }
      c.circle(cx, cy, 2.2, ink);
      break;
    case 203:  // support: a question mark in a ring
      c.ring(cx, cy, 10, 2, ink);
      s.arc(cx, cy - 3, 3.6, 3.6, 190, 400);
      s.line(cx + 3.6 * std::cos(40 * 3.14159265358979 / 180), cy - 3 + 3.6 * std::sin(40 * 3.14159265358979 / 180),
             cx, cy + 2.5);
      s.dot(cx, cy + 6);
      break;
    default: break;
  }
  s.draw(c, 2, ink);
}

void message_sign(canvas& c, int id, int w, int h) {
  double cx = w / 2.0, cy = h / 2.0;
  stroke_path s;
  switch (id) {
    case 129:  // failure: a red disc with a cross
      c.circle(cx, cy, 18, rgb(204, 52, 52));
      s.line(cx - 7, cy - 7, cx + 7, cy + 7);
      s.line(cx - 7, cy + 7, cx + 7, cy - 7);
      break;
    case 130:  // notice: a blue disc with an "i"
      c.circle(cx, cy, 18, rgb(24, 90, 160));
      s.dot(cx, cy - 9);
      s.line(cx, cy - 2, cx, cy + 10);
      break;
    case 131:  // question: a blue disc with a question mark
      c.circle(cx, cy, 18, rgb(40, 110, 190));
      s.arc(cx, cy - 5, 6, 6, 195, 400);
      s.line(cx + 6 * std::cos(40 * 3.14159265358979 / 180), cy - 5 + 6 * std::sin(40 * 3.14159265358979 / 180),
             cx, cy + 4);
      s.dot(cx, cy + 11);
      break;
    case 132: {  // request: an amber warning triangle with "!"
      const colour amber = rgb(236, 160, 20);
      stroke_path edge;
      edge.polyline({cx, 4, w - 4.0, h - 5.0, 4, h - 5.0, cx, 4});
      c.triangle(cx, 4, w - 4.0, h - 5.0, 4, h - 5.0, amber);
      edge.draw(c, 5, amber);
      s.line(cx, 14, cx, 25);
      s.dot(cx, 31);
      break;
    }
    default: return;
  }
  s.draw(c, 4.2, white);
}

void folder_sign(canvas& c, double cx, double cy, colour ink) {
  c.round_rect(cx - 9, cy - 7, 8, 4, 1.5, ink);         // the tab
  c.round_rect(cx - 9, cy - 5, 18, 12, 1.5, ink);       // the back
  c.round_rect(cx - 8, cy - 2, 16, 8, 1, rgb(255, 255, 255, 90));  // the front, a shade lighter
}

void turning_arrow(canvas& c, double cx, double cy, double r, double pen, colour ink) {
  const double rad = 3.14159265358979 / 180;
  stroke_path s;
  s.arc(cx, cy, r, r, -60, 230);
  s.draw(c, pen, ink);
  arrow_head(c, cx + r * std::cos(-60 * rad), cy + r * std::sin(-60 * rad), -60 - 90, pen * 2.6, ink);
}

void tick(canvas& c, double cx, double cy, double s, double pen, colour ink) {
  stroke_path p;
  p.polyline({cx - s * 0.42, cy, cx - s * 0.12, cy + s * 0.3, cx + s * 0.42, cy - s * 0.3});
  p.draw(c, pen, ink);
}
