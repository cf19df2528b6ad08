#include <gtest/gtest.h>

#include <cmath>

#include "widgets/paint_layout.h"

namespace {

// 10 pixels a character, 'W' 50, 'T' 10 but 24 high; 16 high otherwise.
text_extent fixed_measure(char16_t c) { return {c == u'W' ? 50 : 10, c == u'T' ? 24 : 16}; }

std::vector<std::u16string> lines_of(std::u16string_view text, const wrap_plan& plan) {
  std::vector<std::u16string> out;
  if (plan.whole_text) out.push_back(u"<whole>");
  for (auto& l : plan.lines) out.emplace_back(text.substr(l.start, l.count));
  return out;
}

TEST(WordWrap, Lines) {
  using L = std::vector<std::u16string>;
  struct {
    const char16_t* text;
    int width, height;
    L lines;
  } cases[] = {
      {u"", 100, 100, {}},
      {u"abc def", 100, 100, {u"<whole>"}},
      {u"abc def", 100, 10, {}},                          // too low for even one line
      {u"abc defg hij", 60, 100, {u"abc ", u"defg ", u"hij"}},
      {u"abcdefghij", 40, 100, {u"abcd", u"efgh", u"ij"}},  // a word cut where it overflows
      {u"ab\ncd", 100, 100, {u"ab\n", u"cd"}},
      {u"ab\n\ncd", 100, 100, {u"ab\n", u"\n", u"cd"}},
      {u"WWa", 30, 100, {u"W", u"W", u"a"}},              // wider than the line: one each
      {u"aaaa bbbb cccc dddd", 50, 40, {u"aaaa ", u"bbbb "}},  // the third line passes the bottom
      {u"ab\n", 100, 100, {u"ab\n"}},
  };
  for (auto& c : cases) {
    std::u16string_view text(c.text);
    EXPECT_EQ(lines_of(text, plan_wrapped_text(text, 0, 0, c.width, c.height, 4, fixed_measure)), c.lines)
        << std::string(text.begin(), text.end());
  }
}

TEST(WordWrap, LineTopsUseTheTallestCharacterAndTheGap) {
  std::u16string_view text = u"aT bb cc";
  wrap_plan plan = plan_wrapped_text(text, 5, 100, 35, 200, 6, fixed_measure);
  ASSERT_EQ(plan.lines.size(), 3u);
  EXPECT_EQ(plan.lines[0].top, 100);
  EXPECT_EQ(plan.lines[1].top, 100 + 24 + 6);
  EXPECT_EQ(plan.lines[2].top, 100 + 24 + 6 + 16 + 6);
}

TEST(Bars, FillEdgesAndPercents) {
  struct {
    float fraction;
    int right, percent;
  } cases[] = {
      {0.0f, 10, 0},   {0.5f, 60, 50},  {0.29f, 38, 29}, {0.999f, 109, 99},
      {1.0f, 110, 100}, {1.7f, 110, 100}, {-0.3f, 10, 0}, {std::nanf(""), 10, 0},
      {0.9999995f, 109, 99},  // a few bytes short of the end is not yet 100%
  };
  for (auto& c : cases) {
    EXPECT_EQ(bar_fill_right(10, 100, c.fraction), c.right) << c.fraction;
    EXPECT_EQ(percent_of(c.fraction), c.percent) << c.fraction;
  }
  EXPECT_EQ(percent_text(29), u"29%");
  for (int i = 0; i <= 100; ++i) EXPECT_EQ(percent_of(float(i) / 100.0f), i);
}

TEST(Bars, SizeProgress) {
  size_progress_values p;
  p.set_total(2048);
  EXPECT_EQ(std::u16string(p.shown_text()), u"2.00KB");
  p.set_value(1024);
  EXPECT_FLOAT_EQ(p.fraction(), 0.5f);
  EXPECT_EQ(std::u16string(p.shown_text()), u"1024B/2.00KB");
  p.set_value(2048);
  EXPECT_EQ(std::u16string(p.shown_text()), u"2.00KB");
  p.set_value(4096);  // more than announced: the bar stays full
  EXPECT_FLOAT_EQ(p.fraction(), 1.0f);
  // Past 4 GB the counts do not wrap.
  size_progress_values big;
  big.set_total(int64_t(6) << 30);
  big.set_value(int64_t(3) << 30);
  EXPECT_FLOAT_EQ(big.fraction(), 0.5f);
  EXPECT_EQ(std::u16string(big.shown_text()), u"3.00GB/6.00GB");
}

TEST(Bars, BusyBlockTurnsAtTheEdges) {
  // Bar 0..200, block 104 wide: the inner right edge is 199.
  EXPECT_EQ(busy_bar_next_step(0, 200, 0, 4, 104), 4);
  EXPECT_EQ(busy_bar_next_step(0, 200, 93, 4, 104), 4);
  EXPECT_EQ(busy_bar_next_step(0, 200, 94, 4, 104), -4);
  EXPECT_EQ(busy_bar_next_step(0, 200, 50, -4, 104), -4);
  EXPECT_EQ(busy_bar_next_step(0, 200, 0, -4, 104), 4);
}

TEST(RoundOutline, ArcBoxes) {
  auto a = round_rect_arcs(8, 10, 20, 100, 50);
  EXPECT_EQ(a[0].x, 10);
  EXPECT_EQ(a[1].x, 10 + 100 - 8 - 1);
  EXPECT_EQ(a[2].y, 20 + 50 - 8 - 1);
  EXPECT_EQ(a[3].start_angle, 90.0f);
  EXPECT_EQ(a[1].size, 8);
  // A radius larger than half the rectangle: the smaller side is the diameter.
  auto b = round_rect_arcs(200, 0, 0, 100, 30);
  EXPECT_EQ(b[0].size, 30);
  EXPECT_EQ(b[2].x, 100 - 30 - 1);
  // Diameter 20 is drawn one pixel larger and one further in.
  auto c = round_rect_arcs(20, 0, 0, 100, 100);
  EXPECT_EQ(c[0].size, 20);
  EXPECT_EQ(c[1].size, 21);
  EXPECT_EQ(c[1].x, 100 - 20 - 1 - 1);
}

TEST(PopupPlacement, ClampToWorkArea) {
  struct {
    int x, expected;
  } cases[] = {{-50, 0}, {0, 0}, {700, 700}, {1280, 1280}, {1500, 1280}};
  for (auto& c : cases) EXPECT_EQ(clamp_x_to_work_area(c.x, 0, 1280), c.expected) << c.x;
}

}  // namespace
