// A tiny RGBA raster for drawing the program's flat pictures: anti-aliased shapes by 4 x 4
// supersampling, blended source-over.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

struct colour {
  std::uint8_t r, g, b, a;
};
inline colour rgb(int r, int g, int b, int a = 255) {
  return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
          static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(a)};
}

class canvas {
 public:
  canvas(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height * 4) {}
  int w, h;
  std::vector<std::uint8_t> px;

  void blend(int x, int y, colour c, double coverage);
  void fill(colour c);
  void rect(int x, int y, int width, int height, colour c);
  void vgradient(int x, int y, int width, int height, colour top, colour bottom);

  // Any shape given by an inside test, over the box it lies in.
  template <class F>
  void shape(double x0, double y0, double x1, double y1, colour c, F inside) {
    int ix0 = static_cast<int>(std::floor(x0)), iy0 = static_cast<int>(std::floor(y0));
    int ix1 = static_cast<int>(std::ceil(x1)), iy1 = static_cast<int>(std::ceil(y1));
    for (int y = iy0; y < iy1; ++y)
      for (int x = ix0; x < ix1; ++x) {
        int hits = 0;
        for (int sy = 0; sy < 4; ++sy)
          for (int sx = 0; sx < 4; ++sx)
            if (inside(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0)) ++hits;
        if (hits) blend(x, y, c, hits / 16.0);
      }
  }

  void round_rect(double x, double y, double width, double height, double radius, colour c);
  void round_frame(double x, double y, double width, double height, double radius, double line,
                   colour c);
  void circle(double cx, double cy, double radius, colour c);
  void ring(double cx, double cy, double radius, double line, colour c);
  void line(double x0, double y0, double x1, double y1, double thickness, colour c);
  void triangle(double ax, double ay, double bx, double by, double cx, double cy, colour c);
};
