#include "widgets/ui_fonts.h"

#include <gtest/gtest.h>

#include <string>

#include "base/wide.h"
#include "widgets/language.h"
#include "widgets/ui_font_table.h"

namespace {

struct ui_objects {
  ui_objects(const std::string& language, int version) { create_ui_fonts(language, version); }
  ~ui_objects() { delete_ui_objects(); }
};

TEST(ui_fonts, every_handle_has_its_logical_font_for_the_language_and_version) {
  const struct {
    const char* language;
    int version;
    const wchar_t* face;
    int small, large;
  } cases[] = {
      {"en", 61, L"Segoe UI", -2, -4}, {"en", 60, L"Segoe UI", -2, -4}, {"en", 51, L"Arial", 0, 0},
      {"ja", 61, L"Meiryo UI", -2, -4}, {"zh", 51, L"SimSun", 0, 0},     {"tw", 61, L"Microsoft JhengHei", 0, 0},
      {"xx", 61, L"Arial", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.language) + " " + std::to_string(c.version));
    ui_objects made(c.language, c.version);
    EXPECT_EQ(text_y_adjust_small, c.small);
    EXPECT_EQ(text_y_adjust_large, c.large);
    ui_font_set expected = build_ui_font_set(c.language, c.version);
    for (const ui_font_spec& spec : expected.fonts) {
      SCOPED_TRACE(spec.name);
      HFONT font = *ui_font_variable(spec.name);
      ASSERT_TRUE(font);
      LOGFONTW lf = {};
      ASSERT_EQ(GetObjectW(font, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
      EXPECT_EQ(lf.lfHeight, spec.height);
      EXPECT_EQ(lf.lfWidth, 0);
      EXPECT_EQ(lf.lfEscapement, 0);
      EXPECT_EQ(lf.lfWeight, spec.weight);
      EXPECT_EQ(lf.lfItalic != 0, spec.italic);
      EXPECT_EQ(lf.lfUnderline != 0, spec.underline);
      EXPECT_EQ(lf.lfStrikeOut, 0);
      EXPECT_EQ(lf.lfQuality, spec.quality);
      EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
      EXPECT_EQ(lf.lfOutPrecision, OUT_OUTLINE_PRECIS);
      EXPECT_EQ(lf.lfPitchAndFamily, VARIABLE_PITCH);
      std::wstring face = lf.lfFaceName;
      if (std::string(spec.name) == "font_light_23" && c.version >= 61)
        EXPECT_EQ(face, L"Segoe UI Light");
      else if (std::string(spec.name) == "font_segoe_10" && c.version >= 61)
        EXPECT_EQ(face, L"Segoe UI");
      else
        EXPECT_EQ(face, c.face);
    }
    EXPECT_EQ(font_light_23 == font_normal_23, c.version < 61);
    EXPECT_EQ(font_segoe_10 == font_normal_10, c.version < 61);
    EXPECT_NE(font_bold_ct_9, font_normal_9);
  }
}

TEST(ui_fonts, face_follows_the_loaded_language) {
  const struct {
    const char16_t* language;
    const wchar_t* face;
  } cases[] = {{u"ja", L"Meiryo UI"}, {u"en", L"Segoe UI"}};
  for (const auto& c : cases) {
    ASSERT_EQ(load_language(c.language), 0);
    create_ui_fonts(61);
    LOGFONTW lf = {};
    GetObjectW(font_bold_ct_9, sizeof(lf), &lf);
    EXPECT_STREQ(lf.lfFaceName, c.face);
    delete_ui_objects();
    unload_language();
  }
}

TEST(ui_fonts, offer_fonts_are_arial) {
  create_offer_fonts();
  LOGFONTW lf = {};
  ASSERT_TRUE(font_underline_12);
  GetObjectW(font_underline_12, sizeof(lf), &lf);
  EXPECT_STREQ(lf.lfFaceName, L"Arial");
  EXPECT_EQ(lf.lfHeight, -16);
  EXPECT_TRUE(lf.lfUnderline);
  EXPECT_EQ(font_normal_23, nullptr);
  EXPECT_EQ(text_y_adjust_small, 0);
  delete_ui_objects();
  EXPECT_EQ(font_underline_12, nullptr);
}

COLORREF brush_colour(HBRUSH brush) {
  LOGBRUSH lb = {};
  GetObjectW(brush, sizeof(lb), &lb);
  return lb.lbColor;
}

COLORREF pen_colour(HPEN pen) {
  LOGPEN lp = {};
  GetObjectW(pen, sizeof(lp), &lp);
  return lp.lopnColor;
}

TEST(ui_fonts, brushes_and_pens_have_their_colours) {
  create_brushes();
  create_pens();
  EXPECT_EQ(brush_colour(dark_blue_brush), 0x592A00u);
  EXPECT_EQ(brush_colour(frame_brush), 0x928779u);
  EXPECT_EQ(brush_colour(light_grey_brush), 0xD3CFCDu);
  ASSERT_TRUE(pattern_brush);  // from the program's 4 x 4 picture
  LOGBRUSH lb = {};
  GetObjectW(pattern_brush, sizeof(lb), &lb);
  EXPECT_TRUE(lb.lbStyle == BS_PATTERN || lb.lbStyle == BS_DIBPATTERN) << lb.lbStyle;
  EXPECT_EQ(pen_colour(blue_pen), 0xA05A18u);
  EXPECT_EQ(pen_colour(light_blue_pen), 0xE0D0C3u);
  delete_ui_objects();
  EXPECT_EQ(frame_brush, nullptr);
  EXPECT_EQ(blue_pen, nullptr);
  create_offer_brushes();
  EXPECT_EQ(brush_colour(frame_brush), 0x8D8C7Fu);
  delete_ui_objects();
}

}  // namespace
