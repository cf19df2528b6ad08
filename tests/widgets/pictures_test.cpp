// What the drawn pictures show: each must read as what it stands for, so the checks look at
// colours and shapes, not at exact pixels.
#include "pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct pixel {
  int r, g, b, a;
};

struct view {
  canvas c;
  int x0, w;  // one frame of the strip
  pixel at(int x, int y) const {
    const std::uint8_t* p = &c.px[(static_cast<size_t>(y) * c.w + x0 + x) * 4];
    return {p[0], p[1], p[2], p[3]};
  }
  int h() const { return c.h; }
};

view frame_of(int id, int frame = 0) {
  const picture* p = find_picture(all_pictures(), id);
  EXPECT_NE(p, nullptr) << id;
  if (!p) return {canvas(1, 1), 0, 1};
  int fw = p->width / p->frames;
  return {draw_picture(*p), frame * fw, fw};
}

bool opaque(pixel p) { return p.a > 200; }
bool white_ink(pixel p) { return opaque(p) && p.r > 225 && p.g > 225 && p.b > 225; }
bool coloured(pixel p) {
  int hi = std::max({p.r, p.g, p.b}), lo = std::min({p.r, p.g, p.b});
  return opaque(p) && hi - lo > 60;
}

// The hue most of the picture's coloured pixels have: "red", "amber", "blue", "green" or "other".
std::string dominant_hue(const view& v) {
  enum hue { red, amber, blue, green, other };
  const char* names[] = {"red", "amber", "blue", "green", "other"};
  int counts[5] = {};
  for (int y = 0; y < v.h(); ++y)
    for (int x = 0; x < v.w; ++x) {
      pixel p = v.at(x, y);
      if (!coloured(p)) continue;
      hue k = other;
      if (p.r > p.g + 60 && p.r > p.b + 60 && p.g < 120) k = red;
      else if (p.r > 170 && p.g > 100 && p.b < 90) k = amber;
      else if (p.b > p.r + 60 && p.b >= p.g) k = blue;
      else if (p.g > p.r + 40 && p.g > p.b + 20) k = green;
      ++counts[k];
    }
  int best = 0;
  for (int k = 1; k < 5; ++k)
    if (counts[k] > counts[best]) best = k;
  return names[best];
}

// Width of the coloured ground on a row.
int ground_width(const view& v, int y) {
  int first = -1, last = -1;
  for (int x = 0; x < v.w; ++x)
    if (coloured(v.at(x, y)) || white_ink(v.at(x, y))) {
      if (first < 0) first = x;
      last = x;
    }
  return first < 0 ? 0 : last - first + 1;
}

// Where the white ink breaks off between its first and last row (as the dot of an "i" or a
// "!"): "above" or "below" the picture's middle, or "none".
std::string ink_break(const view& v) {
  int first = -1, last = -1;
  std::vector<bool> rows(v.h());
  for (int y = 0; y < v.h(); ++y)
    for (int x = 0; x < v.w; ++x)
      if (white_ink(v.at(x, y))) {
        rows[y] = true;
        if (first < 0) first = y;
        last = y;
      }
  for (int y = first + 1; y < last; ++y)
    if (!rows[y]) return y < v.h() / 2 ? "above" : "below";
  return "none";
}

// Share of the white ink that has no partner in the mirror image (left-right or top-bottom),
// around the picture's centre.
double mirror_mismatch(const view& v, bool left_right) {
  int ink = 0, lonely = 0;
  for (int y = 0; y < v.h(); ++y)
    for (int x = 0; x < v.w; ++x) {
      if (!white_ink(v.at(x, y))) continue;
      ++ink;
      int mx = left_right ? v.w - 1 - x : x, my = left_right ? y : v.h() - 1 - y;
      bool partner = false;
      for (int dy = -1; dy <= 1 && !partner; ++dy)
        for (int dx = -1; dx <= 1 && !partner; ++dx) {
          int px = mx + dx, py = my + dy;
          partner = px >= 0 && py >= 0 && px < v.w && py < v.h() && white_ink(v.at(px, py));
        }
      if (!partner) ++lonely;
    }
  return ink ? double(lonely) / ink : 1.0;
}

TEST(Pictures, MessageIconsLookLikeTheirMessageTypes) {
  // 129 failures (types 2 and 4): a red disc with a cross; 130 notices (type 0): a blue disc
  // with an "i"; 131 questions (type 3): a blue disc with a "?"; 132 requests to the user
  // (type 1): an amber warning triangle with a "!".
  struct icon_case {
    int id;
    const char* ground;
    bool triangle;
    bool symmetric_left_right;
    bool symmetric_top_bottom;  // checked only where true
    const char* ink_break;
  };
  const icon_case cases[] = {
      {129, "red", false, true, true, "none"},
      {130, "blue", false, true, false, "above"},
      {131, "blue", false, false, false, "below"},
      {132, "amber", true, true, false, "below"},
  };
  for (const icon_case& k : cases) {
    SCOPED_TRACE(k.id);
    view v = frame_of(k.id);
    EXPECT_EQ(dominant_hue(v), k.ground);
    // A triangle's apex is narrow near its top, a disc is as wide there as near its bottom.
    int top = ground_width(v, v.h() / 4), bottom = ground_width(v, v.h() * 3 / 4);
    if (k.triangle)
      EXPECT_LT(top * 2, bottom) << top << " " << bottom;
    else
      EXPECT_NEAR(top, bottom, 3);
    double lr = mirror_mismatch(v, true), tb = mirror_mismatch(v, false);
    EXPECT_EQ(lr < 0.1, k.symmetric_left_right) << lr;
    if (k.symmetric_top_bottom) {
      EXPECT_LT(tb, 0.1);
    }
    EXPECT_EQ(ink_break(v), k.ink_break);
  }
}

// The ink of a sidebar entry's glyph (the part of the entry left of its caption at x 48).
std::vector<bool> glyph_ink(int id, int frame) {
  view v = frame_of(id, frame);
  pixel band = v.at(v.w - 2, 2);
  std::vector<bool> ink;
  for (int y = 4; y < v.h() - 4; ++y)
    for (int x = 8; x < 46; ++x) {
      pixel p = v.at(x, y);
      ink.push_back(std::abs(p.r - band.r) + std::abs(p.g - band.g) + std::abs(p.b - band.b) > 150);
    }
  return ink;
}

TEST(Pictures, EveryNavigationEntryHasAGlyphOfItsOwn) {
  const int entries[] = {104, 113, 102, 110, 112, 108, 203};  // home ... support, top to bottom
  std::vector<std::vector<bool>> glyphs;
  for (int id : entries) {
    glyphs.push_back(glyph_ink(id, 0));
    for (int frame = 0; frame < 4; ++frame) {
      std::vector<bool> g = glyph_ink(id, frame);
      int n = 0;
      for (bool b : g) n += b;
      EXPECT_GT(n, 25) << id << " frame " << frame << ": no glyph";
    }
  }
  for (size_t i = 0; i < glyphs.size(); ++i)
    for (size_t j = i + 1; j < glyphs.size(); ++j) {
      int differ = 0, ink = 0;
      for (size_t k = 0; k < glyphs[i].size(); ++k) {
        differ += glyphs[i][k] != glyphs[j][k];
        ink += glyphs[i][k] || glyphs[j][k];
      }
      EXPECT_GT(differ * 4, ink) << entries[i] << " and " << entries[j] << " look alike";
    }
}

TEST(Pictures, SmallButtonsAndMarksCarryASignOnTheirGround) {
  // Inside its edge each shows an ink clearly apart from its ground: the browse buttons a
  // folder, the rescan button a turning arrow, the WHQL mark a tick.
  struct sign_case {
    int id, frames, inset;
  };
  const sign_case cases[] = {{192, 3, 4}, {204, 1, 3}, {175, 1, 3}};
  for (const sign_case& k : cases)
    for (int f = 0; f < k.frames; ++f) {
      SCOPED_TRACE(std::to_string(k.id) + " frame " + std::to_string(f));
      view v = frame_of(k.id, f);
      std::vector<pixel> seen;
      for (int y = k.inset; y < v.h() - k.inset; ++y)
        for (int x = k.inset; x < v.w - k.inset; ++x)
          if (opaque(v.at(x, y))) seen.push_back(v.at(x, y));
      ASSERT_FALSE(seen.empty());
      int widest = 0;
      for (const pixel& p : seen)
        widest = std::max(widest, std::abs(p.r - seen[0].r) + std::abs(p.g - seen[0].g) +
                                      std::abs(p.b - seen[0].b));
      EXPECT_GT(widest, 200);
    }
}

TEST(Pictures, WordmarkSpellsEightLettersNotBlocks) {
  // "Vantoril": eight groups of ink columns with clear columns between them, not solid blocks.
  view v = frame_of(170);
  auto inked = [&](int x, int y) { return v.at(x, y).a > 128; };
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < v.w; ++x) {
    bool any = false;
    for (int y = 0; y < v.h() && !any; ++y) any = inked(x, y);
    if (!any) continue;
    if (!runs.empty() && runs.back().second == x - 1)
      runs.back().second = x;
    else
      runs.push_back({x, x});
  }
  ASSERT_EQ(runs.size(), 8u);
  int open_letters = 0;  // all but "i" and "l" hold clear space inside their box
  for (auto [first, last] : runs) {
    int top = v.h(), bottom = -1, ink = 0;
    for (int x = first; x <= last; ++x)
      for (int y = 0; y < v.h(); ++y)
        if (inked(x, y)) {
          ++ink;
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
    int box = (last - first + 1) * (bottom - top + 1);
    open_letters += ink * 4 < box * 3;
  }
  EXPECT_GE(open_letters, 6);
  // White letters: they stand on the caption's dark blue.
  pixel p{};
  for (int y = 0; y < v.h() && !p.a; ++y)
    for (int x = runs[0].first; x <= runs[0].second; ++x)
      if (v.at(x, y).a == 255) p = v.at(x, y);
  EXPECT_TRUE(white_ink(p));
}

}  // namespace
