#include "canvas.h"

#include <algorithm>

void canvas::blend(int x, int y, colour c, double coverage) {
  if (x < 0 || y < 0 || x >= w || y >= h) return;
  std::uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
  double sa = c.a / 255.0 * coverage;
  double da = p[3] / 255.0;
  double oa = sa + da * (1 - sa);
  if (oa <= 0) return;
  auto mix = [&](int s, int d) {
    return static_cast<std::uint8_t>(std::lround((s * sa + d * da * (1 - sa)) / oa));
  };
  p[0] = mix(c.r, p[0]);
  p[1] = mix(c.g, p[1]);
  p[2] = mix(c.b, p[2]);
  p[3] = static_cast<std::uint8_t>(std::lround(oa * 255));
}

void canvas::fill(colour c) { rect(0, 0, w, h, c); }

void canvas::rect(int x, int y, int width, int height, colour c) {
  for (int j = y; j < y + height; ++j)
    for (int i = x; i < x + width; ++i) blend(i, j, c, 1.0);
}

void canvas::vgradient(int x, int y, int width, int height, colour top, colour bottom) {
  for (int j = 0; j < height; ++j) {
    double t = height > 1 ? static_cast<double>(j) / (height - 1) : 0;
    auto lerp = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    rect(x, y + j, width, 1,
         rgb(lerp(top.r, bottom.r), lerp(top.g, bottom.g), lerp(top.b, bottom.b),
             lerp(top.a, bottom.a)));
  }
}

namespace {
bool in_round_rect(double px, double py, double x, double y, double w, double h, double r) {
  if (px < x || py < y || px > x + w || py > y + h) return false;
  double cx = std::clamp(px, x + r, x + w - r), cy = std::clamp(py, y + r, y + h - r);
  return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= r * r;
}
}  // namespace

void canvas::round_rect(double x, double y, double width, double height, double radius, colour c) {
  shape(x, y, x + width, y + height, c,
        [=](double px, double py) { return in_round_rect(px, py, x, y, width, height, radius); });
}

void canvas::round_frame(double x, double y, double width, double height, double radius,
                         double line_width, colour c) {
  shape(x, y, x + width, y + height, c, [=](double px, double py) {
    return in_round_rect(px, py, x, y, width, height, radius) &&
           !in_round_rect(px, py, x + line_width, y + line_width, width - 2 * line_width,
                          height - 2 * line_width, std::max(0.0, radius - line_width));
  });
}

void canvas::circle(double cx, double cy, double radius, colour c) {
  shape(cx - radius, cy - radius, cx + radius, cy + radius, c, [=](double px, double py) {
    return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= radius * radius;
  });
}

void canvas::ring(double cx, double cy, double radius, double line_width, colour c) {
  double inner = radius - line_width;
  shape(cx - radius, cy - radius, cx + radius, cy + radius, c, [=](double px, double py) {
    double d = (px - cx) * (px - cx) + (py - cy) * (py - cy);
    return d <= radius * radius && d >= inner * inner;
  });
}

void canvas::line(double x0, double y0, double x1, double y1, double thickness, colour c) {
  double r = thickness / 2;
  shape(std::min(x0, x1) - r, std::min(y0, y1) - r, std::max(x0, x1) + r, std::max(y0, y1) + r, c,
        [=](double px, double py) {
          double dx = x1 - x0, dy = y1 - y0;
          double len2 = dx * dx + dy * dy;
          double t = len2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0, 1.0) : 0;
          double qx = x0 + t * dx - px, qy = y0 + t * dy - py;
          return qx * qx + qy * qy <= r * r;
        });
}

void canvas::triangle(double ax, double ay, double bx, double by, double cx, double cy, colour c) {
  auto side = [](double x0, double y0, double x1, double y1, double px, double py) {
    return (x1 - x0) * (py - y0) - (y1 - y0) * (px - x0);
  };
  shape(std::min({ax, bx, cx}), std::min({ay, by, cy}), std::max({ax, bx, cx}),
        std::max({ay, by, cy}), c, [=](double px, double py) {
          double d1 = side(ax, ay, bx, by, px, py), d2 = side(bx, by, cx, cy, px, py),
                 d3 = side(cx, cy, ax, ay, px, py);
          bool neg = d1 < 0 || d2 < 0 || d3 < 0, pos = d1 > 0 || d2 > 0 || d3 > 0;
          return !(neg && pos);
        });
}
