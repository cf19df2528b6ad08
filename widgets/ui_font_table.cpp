#include "widgets/ui_font_table.h"

namespace {

struct row {
  const char* name;
  int points;
  int weight;
  bool italic;
  bool underline;
  int quality;
};

constexpr int bold = 700;
constexpr int cleartype = 5;

const row vantoril_rows[] = {
    {"font_normal_7", 7, 0, false, false, 0},    {"font_normal_8", 8, 0, false, false, 0},
    {"font_normal_9", 9, 0, false, false, 0},    {"font_normal_10", 10, 0, false, false, 0},
    {"font_normal_11", 11, 0, false, false, 0},  {"font_normal_12", 12, 0, false, false, 0},
    {"font_normal_13", 13, 0, false, false, 0},  {"font_normal_14", 14, 0, false, false, 0},
    {"font_normal_15", 15, 0, false, false, 0},  {"font_normal_16", 16, 0, false, false, 0},
    {"font_normal_18", 18, 0, false, false, 0},  {"font_normal_19", 19, 0, false, false, 0},
    {"font_normal_20", 20, 0, false, false, 0},  {"font_bold_ct_8", 8, bold, false, false, cleartype},
    {"font_bold_ct_9", 9, bold, false, false, cleartype},
    {"font_bold_ct_10", 10, bold, false, false, cleartype},
    {"font_bold_ct_11", 11, bold, false, false, cleartype},
    {"font_bold_ct_12", 12, bold, false, false, cleartype},
    {"font_bold_ct_13", 13, bold, false, false, cleartype},
    {"font_bold_ct_14", 14, bold, false, false, cleartype},
    {"font_bold_15", 15, bold, false, false, 0}, {"font_bold_16", 16, bold, false, false, 0},
    {"font_bold_17", 17, bold, false, false, 0}, {"font_bold_18", 18, bold, false, false, 0},
    {"font_bold_21", 21, bold, false, false, 0}, {"font_bold_23", 23, bold, false, false, 0},
    {"font_normal_23", 23, 0, false, false, 0},  {"font_underline_8", 8, 0, false, true, 0},
    {"font_underline_9", 9, 0, false, true, 0},  {"font_italic_9", 9, 0, true, false, 0},
    {"font_light_23", 23, 0, false, false, 0},   {"font_segoe_10", 10, 0, false, false, 0},
};

// Ousteln has the first 26 rows (normal, bold ClearType and bold), then these in place of
// the rest.
constexpr int offer_shared_rows = 26;
const row offer_own_rows[] = {
    {"font_underline_10", 10, 0, false, true, 0}, {"font_underline_11", 11, 0, false, true, 0},
    {"font_underline_12", 12, 0, false, true, 0}, {"font_italic_9", 9, 0, true, false, 0},
};

ui_font_spec make(const row& r, const std::u16string& face) {
  return {r.name, r.points, font_height_for_points(r.points), r.weight, r.italic, r.underline,
          r.quality, face, -1};
}

int index_of(const ui_font_set& set, const char* name) {
  for (size_t i = 0; i < set.fonts.size(); ++i)
    if (std::string(set.fonts[i].name) == name) return static_cast<int>(i);
  return -1;
}

}  // namespace

int font_height_for_points(int points) {
  // MulDiv(points, 96, 72) rounds half away from zero.
  long long product = static_cast<long long>(points) * 96;
  long long rounded = product >= 0 ? (product + 36) / 72 : -((-product + 36) / 72);
  return static_cast<int>(-rounded);
}

ui_font_set build_ui_font_set(const std::string& language, int windows_version) {
  ui_font_set set;
  bool modern = windows_version >= 60;
  if (language == "en") {
    set.face = modern ? u"Segoe UI" : u"Arial";
  } else if (language == "ja") {
    set.face = modern ? u"Meiryo UI" : u"Arial";
  } else if (language == "zh") {
    set.face = modern ? u"Microsoft YaHei" : u"SimSun";
  } else if (language == "tw") {
    set.face = modern ? u"Microsoft JhengHei" : u"Arial";
  } else {
    set.face = u"Arial";
  }
  if (modern && (language == "en" || language == "ja")) {
    set.text_y_adjust_small = -2;
    set.text_y_adjust_large = -4;
  }
  for (const row& r : vantoril_rows) set.fonts.push_back(make(r, set.face));
  // The last two use their own faces from Windows 7 on, else share an existing handle.
  ui_font_spec& light = set.fonts[index_of(set, "font_light_23")];
  ui_font_spec& segoe = set.fonts[index_of(set, "font_segoe_10")];
  if (windows_version >= 61) {
    light.face = u"Segoe UI Light";
    segoe.face = u"Segoe UI";
  } else {
    light.alias_of = index_of(set, "font_normal_23");
    segoe.alias_of = index_of(set, "font_normal_10");
  }
  return set;
}

ui_font_set build_offer_font_set() {
  ui_font_set set;
  set.face = u"Arial";
  for (int i = 0; i < offer_shared_rows; ++i) set.fonts.push_back(make(vantoril_rows[i], set.face));
  for (const row& r : offer_own_rows) set.fonts.push_back(make(r, set.face));
  return set;
}
