// Writes Trellum's colour bar: 1024 x 30 pixels, 24 bits, all rows alike. Its row is the
// palette of the false-colour display, black through blue, cyan, green, yellow, red and
// magenta to white. Built for the machine that builds, with the bitmap writer only.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "beamcam/bmp24.h"

namespace {

struct rgb {
  int r, g, b;
};

// One linear ramp: `count` entries from `from` to `to`, both ends included.
void ramp(std::vector<rgb>& out, int count, rgb from, rgb to) {
  for (int i = 0; i < count; ++i) {
    auto mix = [&](int a, int b) { return a + int(std::lround(double(b - a) * i / (count - 1))); };
    out.push_back({mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b)});
  }
}

void constant(std::vector<rgb>& out, int count, rgb colour) { out.insert(out.end(), count, colour); }

std::vector<rgb> colour_bar() {
  std::vector<rgb> p;
  ramp(p, 157, {0, 0, 0}, {0, 0, 255});          // 0..156
  ramp(p, 157, {0, 1, 255}, {0, 255, 255});      // 157..313
  ramp(p, 157, {0, 255, 253}, {0, 255, 0});      // 314..470
  ramp(p, 157, {1, 255, 0}, {255, 255, 0});      // 471..627
  ramp(p, 157, {255, 253, 0}, {255, 0, 0});      // 628..784
  ramp(p, 156, {255, 0, 1}, {255, 0, 255});      // 785..940
  constant(p, 79, {255, 0, 255});                // 941..1019
  constant(p, 4, {255, 255, 255});               // 1020..1023
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: colorbar-gen OUTPUT.bmp\n");
    return 2;
  }
  const std::vector<rgb> bar = colour_bar();
  if (bar.size() != 1024) {
    std::fprintf(stderr, "colorbar-gen: %u entries instead of 1024\n", unsigned(bar.size()));
    return 1;
  }
  std::vector<uint8_t> rows;
  for (int r = 0; r < 30; ++r)
    for (const rgb& c : bar) rows.insert(rows.end(), {uint8_t(c.b), uint8_t(c.g), uint8_t(c.r)});
  const std::string s = write_bmp24(rows.data(), 1024, 30);
  std::FILE* f = std::fopen(argv[1], "wb");
  if (!f || std::fwrite(s.data(), 1, s.size(), f) != s.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "colorbar-gen: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
