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

void put16(std::string& s, unsigned v) { s += char(v & 0xFF), s += char((v >> 8) & 0xFF); }
void put32(std::string& s, unsigned v) { put16(s, v & 0xFFFF), put16(s, v >> 16); }

// The program icon, 32 x 32 x 32 bits: a beam spot in the bar's colours under a white cross.
std::string program_icon(const std::vector<rgb>& bar) {
  const int n = 32;
  std::string pixels;  // bottom row first, blue, green, red, alpha
  for (int y = n - 1; y >= 0; --y)
    for (int x = 0; x < n; ++x) {
      double dx = x - 15.5, dy = y - 15.5;
      double v = std::exp(-2.0 * (dx * dx / 100.0 + dy * dy / 49.0));
      rgb c = bar[size_t(v * 1019)];
      if ((x == 15 || y == 15) && (x < 4 || x > 27 || y < 4 || y > 27)) c = {255, 255, 255};
      pixels += char(c.b), pixels += char(c.g), pixels += char(c.r), pixels += char(255);
    }
  std::string image;
  put32(image, 40), put32(image, n), put32(image, n * 2), put16(image, 1), put16(image, 32);
  put32(image, 0), put32(image, unsigned(pixels.size() + n * 4));
  put32(image, 0), put32(image, 0), put32(image, 0), put32(image, 0);
  image += pixels;
  image += std::string(size_t(n) * 4, '\0');  // the mask: every pixel shows
  std::string ico;
  put16(ico, 0), put16(ico, 1), put16(ico, 1);
  ico += char(n), ico += char(n), ico += char(0), ico += char(0);
  put16(ico, 1), put16(ico, 32), put32(ico, unsigned(image.size())), put32(ico, 22);
  return ico + image;
}

bool write_file(const char* path, const std::string& s) {
  std::FILE* f = std::fopen(path, "wb");
  bool ok = f && std::fwrite(s.data(), 1, s.size(), f) == s.size();
  if (f && std::fclose(f) != 0) ok = false;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: colorbar-gen OUTPUT.bmp [ICON.ico]\n");
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
  if (!write_file(argv[1], write_bmp24(rows.data(), 1024, 30))) {
    std::fprintf(stderr, "colorbar-gen: cannot write %s\n", argv[1]);
    return 1;
  }
  if (argc == 3 && !write_file(argv[2], program_icon(bar))) {
    std::fprintf(stderr, "colorbar-gen: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
