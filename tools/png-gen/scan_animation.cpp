#include "scan_animation.h"

#include <cmath>
#include <vector>

#include "canvas.h"
#include "gif_writer.h"

namespace {

constexpr int side = 55;
constexpr int frame_count = 12;
constexpr int frame_delay = 8;  // hundredths of a second
constexpr double pi = 3.14159265358979323846;

const colour blue = rgb(24, 90, 160);
const colour navy = rgb(0, 42, 89);
const colour ring_grey = rgb(221, 230, 239);

// White to blue, blue to navy, and white to the ring's grey: every colour the drawing blends.
std::vector<std::uint8_t> palette() {
  std::vector<std::uint8_t> p;
  auto ramp = [&p](colour a, colour b, int steps) {
    for (int i = 0; i < steps; ++i) {
      double t = steps > 1 ? double(i) / (steps - 1) : 0;
      p.push_back(static_cast<std::uint8_t>(std::lround(a.r + (b.r - a.r) * t)));
      p.push_back(static_cast<std::uint8_t>(std::lround(a.g + (b.g - a.g) * t)));
      p.push_back(static_cast<std::uint8_t>(std::lround(a.b + (b.b - a.b) * t)));
    }
  };
  ramp(rgb(255, 255, 255), blue, 128);
  ramp(blue, navy, 64);
  ramp(rgb(255, 255, 255), ring_grey, 32);
  ramp(ring_grey, blue, 32);
  return p;
}

void paint_frame(canvas& c, int frame) {
  c.fill(rgb(255, 255, 255));
  const double cx = side / 2.0, cy = side / 2.0;
  c.ring(cx, cy, 23, 4, ring_grey);
  // The arc: eight dots whose strength falls off behind the head.
  double head = 2 * pi * frame / frame_count - pi / 2;
  for (int i = 0; i < 8; ++i) {
    double a = head - i * 0.22;
    int alpha = 255 - i * 28;
    c.circle(cx + 23 * std::cos(a), cy + 23 * std::sin(a), 2.6, rgb(blue.r, blue.g, blue.b, alpha));
  }
  // The magnifying glass, tilted a little with the sweep.
  double tilt = 0.15 * std::sin(2 * pi * frame / frame_count);
  double gx = cx - 3 + 2 * tilt, gy = cy - 3;
  c.ring(gx, gy, 8, 2.6, navy);
  c.circle(gx, gy, 6.7, rgb(blue.r, blue.g, blue.b, 40));
  double hx = gx + 8 * std::cos(pi / 4 + tilt), hy = gy + 8 * std::sin(pi / 4 + tilt);
  c.line(hx, hy, hx + 8 * std::cos(pi / 4 + tilt), hy + 8 * std::sin(pi / 4 + tilt), 3.4, navy);
}

std::uint8_t nearest(const std::vector<std::uint8_t>& p, const std::uint8_t* px) {
  int best = 0;
  long best_distance = -1;
  for (int i = 0; i < 256; ++i) {
    long dr = p[i * 3] - px[0], dg = p[i * 3 + 1] - px[1], db = p[i * 3 + 2] - px[2];
    long d = dr * dr + dg * dg + db * db;
    if (best_distance < 0 || d < best_distance) {
      best_distance = d;
      best = i;
    }
  }
  return static_cast<std::uint8_t>(best);
}

}  // namespace

std::string scan_animation_gif() {
  std::vector<std::uint8_t> p = palette();
  std::vector<gif_frame> frames;
  for (int f = 0; f < frame_count; ++f) {
    canvas c(side, side);
    paint_frame(c, f);
    gif_frame frame;
    frame.delay = frame_delay;
    frame.disposal = 1;  // each frame covers the whole picture
    frame.indexes.reserve(side * side);
    for (size_t i = 0; i < c.px.size(); i += 4) frame.indexes.push_back(nearest(p, &c.px[i]));
    frames.push_back(std::move(frame));
  }
  return encode_gif(side, side, p, frames, 0);
}
