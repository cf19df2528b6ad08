#include "widgets/ui_font_table.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const ui_font_spec& find(const ui_font_set& set, const char* name) {
  for (const ui_font_spec& f : set.fonts)
    if (std::strcmp(f.name, name) == 0) return f;
  static ui_font_spec none{};
  ADD_FAILURE() << "no font " << name;
  return none;
}

}  // namespace

TEST(ui_font_table, face_and_adjustments_by_language_and_version) {
  const struct {
    const char* language;
    int version;
    const char16_t* face;
    int small, large;
    bool own_light;  // font_light_23 and font_segoe_10 have handles of their own
  } cases[] = {
      {"en", 61, u"Segoe UI", -2, -4, true},       {"en", 60, u"Segoe UI", -2, -4, false},
      {"en", 51, u"Arial", 0, 0, false},           {"ja", 100, u"Meiryo UI", -2, -4, true},
      {"ja", 51, u"Arial", 0, 0, false},           {"zh", 51, u"SimSun", 0, 0, false},
      {"zh", 61, u"Microsoft YaHei", 0, 0, true},  {"tw", 62, u"Microsoft JhengHei", 0, 0, true},
      {"tw", 50, u"Arial", 0, 0, false},           {"de", 61, u"Arial", 0, 0, true},
      {"", 100, u"Arial", 0, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.language) + " " + std::to_string(c.version));
    ui_font_set set = build_ui_font_set(c.language, c.version);
    EXPECT_EQ(set.face, c.face);
    EXPECT_EQ(set.text_y_adjust_small, c.small);
    EXPECT_EQ(set.text_y_adjust_large, c.large);
    ASSERT_EQ(set.fonts.size(), 32u);
    const ui_font_spec& light = find(set, "font_light_23");
    const ui_font_spec& segoe = find(set, "font_segoe_10");
    if (c.own_light) {
      EXPECT_EQ(light.face, u"Segoe UI Light");
      EXPECT_EQ(segoe.face, u"Segoe UI");
      EXPECT_EQ(light.alias_of, -1);
    } else {
      EXPECT_STREQ(set.fonts[light.alias_of].name, "font_normal_23");
      EXPECT_STREQ(set.fonts[segoe.alias_of].name, "font_normal_10");
    }
    EXPECT_EQ(find(set, "font_bold_ct_9").face, c.face);
  }
}

TEST(ui_font_table, rows_in_creation_order_with_their_styles) {
  ui_font_set set = build_ui_font_set("en", 61);
  const struct {
    const char* name;
    int height, weight, quality;
    bool italic, underline;
  } rows[] = {
      {"font_normal_7", -9, 0, 0, false, false},     {"font_normal_20", -27, 0, 0, false, false},
      {"font_bold_ct_8", -11, 700, 5, false, false}, {"font_bold_ct_14", -19, 700, 5, false, false},
      {"font_bold_17", -23, 700, 0, false, false},   {"font_bold_23", -31, 700, 0, false, false},
      {"font_underline_9", -12, 0, 0, false, true},  {"font_italic_9", -12, 0, 0, true, false},
  };
  for (const auto& r : rows) {
    const ui_font_spec& f = find(set, r.name);
    EXPECT_EQ(f.height, r.height) << r.name;
    EXPECT_EQ(f.weight, r.weight) << r.name;
    EXPECT_EQ(f.quality, r.quality) << r.name;
    EXPECT_EQ(f.italic, r.italic) << r.name;
    EXPECT_EQ(f.underline, r.underline) << r.name;
  }
  EXPECT_STREQ(set.fonts.front().name, "font_normal_7");
  EXPECT_STREQ(set.fonts[13].name, "font_bold_ct_8");
  EXPECT_STREQ(set.fonts.back().name, "font_segoe_10");
}

TEST(ui_font_table, heights_are_for_96_dots_per_inch_rounded_like_muldiv) {
  const int points[] = {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 23};
  const int heights[] = {-9, -11, -12, -13, -15, -16, -17, -19, -20, -21, -23, -24, -25, -27,
                         -28, -31};
  for (size_t i = 0; i < sizeof(points) / sizeof(points[0]); ++i)
    EXPECT_EQ(font_height_for_points(points[i]), heights[i]) << points[i];
}

TEST(ui_font_table, offer_variant_has_thirty_arial_fonts) {
  ui_font_set set = build_offer_font_set();
  ASSERT_EQ(set.fonts.size(), 30u);
  EXPECT_EQ(set.text_y_adjust_small, 0);
  for (const ui_font_spec& f : set.fonts) {
    EXPECT_EQ(f.face, u"Arial") << f.name;
    EXPECT_STRNE(f.name, "font_normal_23");
    EXPECT_STRNE(f.name, "font_underline_8");
  }
  EXPECT_TRUE(find(set, "font_underline_12").underline);
}
