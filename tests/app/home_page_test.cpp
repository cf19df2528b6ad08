#include "app/home_page.h"

#include <gtest/gtest.h>

#include <string>

TEST(HomePage, LayoutForTwoClientSizes) {
  // Start button 308 x 91, step picture 421 x 49, adjustments 1 and 2.
  home_layout a = layout_home_page({800, 600, 308, 91, 421, 49, 1, 2});
  EXPECT_EQ(a.button.x, 246);
  EXPECT_EQ(a.button.y, 214);  // (600 - 91) / 2 - 40
  EXPECT_EQ(a.picture.x, 189);
  EXPECT_EQ(a.picture.y, 125);  // (254 - 49) - 80
  EXPECT_EQ(a.captions[0].x, 251);
  EXPECT_EQ(a.captions[1].x, 394);
  EXPECT_EQ(a.captions[2].x, 548);
  EXPECT_EQ(a.captions[0].y, 132);  // 205 - 75 + 2
  EXPECT_EQ(a.welcome.x, 33);
  EXPECT_EQ(a.welcome.y, 25);
  EXPECT_EQ(a.icon.x, 38);
  EXPECT_EQ(a.icon.y, 413);
  EXPECT_EQ(a.heading.x, 70);
  EXPECT_EQ(a.heading.y, 414);
  EXPECT_EQ(a.rule_y, 440);
  EXPECT_EQ(a.rule_left, 33);
  EXPECT_EQ(a.rule_right, 767);
  EXPECT_EQ(a.label_x, 35);
  EXPECT_EQ(a.value_x, 185);
  const int rows[] = {450, 478, 506, 534, 562};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(a.row_y[i], rows[i]);

  // Odd sizes divide down, as the page has always placed them.
  home_layout b = layout_home_page({613, 451, 308, 91, 421, 49, 0, 0});
  EXPECT_EQ(b.button.x, 152);
  EXPECT_EQ(b.button.y, 140);
  EXPECT_EQ(b.picture.x, 96);
  EXPECT_EQ(b.picture.y, 51);
  EXPECT_EQ(b.row_y[0], 301);
  EXPECT_EQ(b.rule_right, 580);
}

TEST(HomePage, FactRowsSwitchToTheSystemForOemMachines) {
  const home_facts plain{u"Contoso", u"Desk 400", u"Windows 7", u"CPU", u"Display", u"Sound"};
  struct row {
    std::u16string maker, model;
    const char* label;
    std::u16string value;
  } rows[] = {
      {u"Contoso", u"Desk 400", "home_model", u"Desk 400"},
      {u"OEM", u"Desk 400", "home_os", u"Windows 7"},
      {u"Contoso", u"To be filled by O.E.M.", "home_model", u"To be filled by O.E.M."},
      {u"Contoso", u"System Product Name oem", "home_os", u"Windows 7"},
      {u"Poem Computers", u"", "home_os", u"Windows 7"},
      {u"", u"", "home_model", u""},
  };
  for (const row& r : rows) {
    home_facts f = plain;
    f.maker = r.maker;
    f.model = r.model;
    auto out = home_fact_rows(f);
    EXPECT_EQ(std::string(out[1].label_key), r.label);
    EXPECT_TRUE(out[1].value == r.value);
    EXPECT_EQ(std::string(out[0].label_key), "home_manu");
    EXPECT_TRUE(out[0].value == r.maker);
  }
  auto out = home_fact_rows(plain);
  const char* labels[] = {"home_manu", "home_model", "home_cpu", "home_video", "home_sound"};
  const std::u16string values[] = {u"Contoso", u"Desk 400", u"CPU", u"Display", u"Sound"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(std::string(out[size_t(i)].label_key), labels[i]);
    EXPECT_TRUE(out[size_t(i)].value == values[i]);
  }
}

TEST(HomePage, JapaneseCaptionsUseTheSmallerFont) {
  EXPECT_EQ(std::string(home_caption_font(true)), "font_normal_12");
  EXPECT_EQ(std::string(home_caption_font(false)), "font_normal_13");
}
