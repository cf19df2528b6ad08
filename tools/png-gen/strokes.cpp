#include "strokes.h"

#include <algorithm>
#include <cmath>

void stroke_path::line(double x0, double y0, double x1, double y1) { pieces_.push_back({x0, y0, x1, y1}); }

void stroke_path::polyline(const std::vector<double>& p) {
  for (size_t i = 0; i + 3 < p.size(); i += 2) line(p[i], p[i + 1], p[i + 2], p[i + 3]);
}

void stroke_path::arc(double cx, double cy, double rx, double ry, double from, double to) {
  const double rad = 3.14159265358979 / 180;
  int steps = std::max(6, static_cast<int>(std::fabs(to - from) / 8));
  double px = cx + rx * std::cos(from * rad), py = cy + ry * std::sin(from * rad);
  for (int i = 1; i <= steps; ++i) {
    double a = (from + (to - from) * i / steps) * rad;
    double x = cx + rx * std::cos(a), y = cy + ry * std::sin(a);
    line(px, py, x, y);
    px = x;
    py = y;
  }
}

void stroke_path::append(const stroke_path& other, double s, double dx, double dy) {
  for (const piece& p : other.pieces_) line(p.x0 * s + dx, p.y0 * s + dy, p.x1 * s + dx, p.y1 * s + dy);
}

double stroke_path::left() const {
  if (pieces_.empty()) return 0;
  double v = pieces_[0].x0;
  for (const piece& p : pieces_) v = std::min({v, p.x0, p.x1});
  return v;
}

double stroke_path::right() const {
  if (pieces_.empty()) return 0;
  double v = pieces_[0].x0;
  for (const piece& p : pieces_) v = std::max({v, p.x0, p.x1});
  return v;
}

void stroke_path::draw(canvas& c, double pen, colour ink) const {
  if (pieces_.empty()) return;
  double r = pen / 2;
  double x0 = pieces_[0].x0, y0 = pieces_[0].y0, x1 = x0, y1 = y0;
  for (const piece& p : pieces_) {
    x0 = std::min({x0, p.x0, p.x1});
    x1 = std::max({x1, p.x0, p.x1});
    y0 = std::min({y0, p.y0, p.y1});
    y1 = std::max({y1, p.y0, p.y1});
  }
  const std::vector<piece>& list = pieces_;
  c.shape(x0 - r, y0 - r, x1 + r, y1 + r, ink, [&list, r](double px, double py) {
    for (const piece& p : list) {
      double dx = p.x1 - p.x0, dy = p.y1 - p.y0, len2 = dx * dx + dy * dy;
      double t = len2 > 0 ? std::clamp(((px - p.x0) * dx + (py - p.y0) * dy) / len2, 0.0, 1.0) : 0;
      double qx = p.x0 + t * dx - px, qy = p.y0 + t * dy - py;
      if (qx * qx + qy * qy <= r * r) return true;
    }
    return false;
  });
}

namespace {

// A letter's centre lines in units of the capital height, baseline at y 0, up is negative.
stroke_path letter(char ch) {
  const double xh = 0.66;  // the height of the small letters
  stroke_path s;
  switch (ch) {
    case 'V': s.polyline({0, -1, 0.36, 0, 0.72, -1}); break;
    case 'a':
      s.arc(0.29, -xh / 2, 0.29, xh / 2, 0, 360);
      s.line(0.58, -xh, 0.58, 0);
      break;
    case 'n':
      s.line(0, -xh, 0, 0);
      s.arc(0.27, -xh + 0.27, 0.27, 0.27, 180, 360);
      s.line(0.54, -xh + 0.27, 0.54, 0);
      break;
    case 't':
      s.line(0.12, -0.92, 0.12, -0.16);
      s.arc(0.28, -0.16, 0.16, 0.16, 180, 90);
      s.line(-0.02, -xh, 0.34, -xh);
      break;
    case 'o': s.arc(0.31, -xh / 2, 0.31, xh / 2, 0, 360); break;
    case 'r':
      s.line(0, -xh, 0, 0);
      s.arc(0.3, -xh + 0.3, 0.3, 0.3, 180, 285);
      break;
    case 'i':
      s.line(0, -xh, 0, 0);
      s.dot(0, -0.94);
      break;
    case 'l': s.line(0, -1, 0, 0); break;
    default: break;  // not in the set: a blank
  }
  return s;
}

}  // namespace

double draw_text(canvas& c, double x, double baseline, double cap, double weight, colour ink,
                 const std::string& text) {
  stroke_path all;
  const double gap = cap * 0.13;  // clear space between the letters' ink
  double at = x + weight / 2;     // the first centre line, so that the ink starts at x
  for (char ch : text) {
    stroke_path l = letter(ch);
    all.append(l, cap, at - l.left() * cap, baseline);
    at += (l.right() - l.left()) * cap + weight + gap;
  }
  all.draw(c, weight, ink);
  return at - gap - weight / 2;
}
