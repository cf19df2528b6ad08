#include "app/home_page.h"

#include "base/text.h"

home_layout layout_home_page(const home_layout_input& in) {
  home_layout l{};
  l.button = {(in.width - in.button_width) / 2, (in.height - in.button_height) / 2 - 40};
  // The steps sit above the button's row, their captions just below their pictures.
  int x0 = (in.width - in.picture_width) / 2;
  int e = (in.height - in.button_height) / 2 - in.picture_height;
  l.picture = {x0, e - 80};
  int caption_y = e - 75 + in.text_y_adjust_large;
  l.captions[0] = {x0 + 62, caption_y};
  l.captions[1] = {x0 + 205, caption_y};
  l.captions[2] = {x0 + 359, caption_y};
  int y = in.height - 190;
  l.welcome = {33, 23 + in.text_y_adjust_large};
  l.icon = {38, y + 3};
  l.heading = {70, y + 3 + in.text_y_adjust_small};
  l.rule_y = y + 30;
  l.rule_left = 33;
  l.rule_right = in.width - 33;
  l.label_x = 35;
  l.value_x = 185;
  for (int i = 0; i < 5; ++i) l.row_y[i] = y + 40 + 28 * i;
  return l;
}

std::array<home_fact_row, 5> home_fact_rows(const home_facts& f) {
  bool oem = contains_ci(f.maker, u"oem") || contains_ci(f.model, u"oem");
  return {{{"home_manu", f.maker},
           oem ? home_fact_row{"home_os", f.os} : home_fact_row{"home_model", f.model},
           {"home_cpu", f.processor},
           {"home_video", f.display},
           {"home_sound", f.sound}}};
}

const char* home_caption_font(bool japanese) { return japanese ? "font_normal_12" : "font_normal_13"; }
