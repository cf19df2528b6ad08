// Outlines drawn with one round pen: straight pieces and arcs gathered first and then drawn in a
// single pass, so that where pieces meet or cross the ink is blended once and stays even.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"

class stroke_path {
 public:
  void line(double x0, double y0, double x1, double y1);
  // Joined straight pieces through the points x0, y0, x1, y1, ...
  void polyline(const std::vector<double>& points);
  // An elliptic arc from angle `from` to `to` (degrees, clockwise on the screen from 3 o'clock).
  void arc(double cx, double cy, double rx, double ry, double from, double to);
  // A round dot of the pen's own size.
  void dot(double x, double y) { line(x, y, x, y); }
  // Every piece moved by (dx, dy) after scaling by s.
  void append(const stroke_path& other, double s, double dx, double dy);

  void draw(canvas& c, double pen, colour ink) const;
  // Left and right ends of the centre lines; 0, 0 when empty.
  double left() const;
  double right() const;

 private:
  struct piece {
    double x0, y0, x1, y1;
  };
  std::vector<piece> pieces_;
};

// Text in the generator's own stroke letters (only the letters the pictures use). `x` is where
// the ink of the first letter starts, `baseline` the baseline, `cap` the height of a capital;
// the pen is `weight` pixels wide. Returns the x where the ink ends.
double draw_text(canvas& c, double x, double baseline, double cap, double weight, colour ink,
                 const std::string& text);
