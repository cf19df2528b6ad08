#include "widgets/ui_fonts.h"

#include "base/wide.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/ui_font_table.h"

#include <cstring>

HFONT font_normal_7, font_normal_8, font_normal_9, font_normal_10, font_normal_11, font_normal_12,
    font_normal_13, font_normal_14, font_normal_15, font_normal_16, font_normal_18, font_normal_19,
    font_normal_20, font_normal_23;
HFONT font_bold_ct_8, font_bold_ct_9, font_bold_ct_10, font_bold_ct_11, font_bold_ct_12,
    font_bold_ct_13, font_bold_ct_14;
HFONT font_bold_15, font_bold_16, font_bold_17, font_bold_18, font_bold_21, font_bold_23;
HFONT font_underline_8, font_underline_9, font_italic_9, font_light_23, font_segoe_10;
HFONT font_underline_10, font_underline_11, font_underline_12;
int text_y_adjust_small;
int text_y_adjust_large;
HBRUSH pattern_brush, dark_blue_brush, frame_brush, light_grey_brush;
HPEN blue_pen, light_blue_pen;

namespace {

struct named_font {
  const char* name;
  HFONT* handle;
};

const named_font font_variables[] = {
    {"font_normal_7", &font_normal_7},       {"font_normal_8", &font_normal_8},
    {"font_normal_9", &font_normal_9},       {"font_normal_10", &font_normal_10},
    {"font_normal_11", &font_normal_11},     {"font_normal_12", &font_normal_12},
    {"font_normal_13", &font_normal_13},     {"font_normal_14", &font_normal_14},
    {"font_normal_15", &font_normal_15},     {"font_normal_16", &font_normal_16},
    {"font_normal_18", &font_normal_18},     {"font_normal_19", &font_normal_19},
    {"font_normal_20", &font_normal_20},     {"font_normal_23", &font_normal_23},
    {"font_bold_ct_8", &font_bold_ct_8},     {"font_bold_ct_9", &font_bold_ct_9},
    {"font_bold_ct_10", &font_bold_ct_10},   {"font_bold_ct_11", &font_bold_ct_11},
    {"font_bold_ct_12", &font_bold_ct_12},   {"font_bold_ct_13", &font_bold_ct_13},
    {"font_bold_ct_14", &font_bold_ct_14},   {"font_bold_15", &font_bold_15},
    {"font_bold_16", &font_bold_16},         {"font_bold_17", &font_bold_17},
    {"font_bold_18", &font_bold_18},         {"font_bold_21", &font_bold_21},
    {"font_bold_23", &font_bold_23},         {"font_underline_8", &font_underline_8},
    {"font_underline_9", &font_underline_9}, {"font_italic_9", &font_italic_9},
    {"font_light_23", &font_light_23},       {"font_segoe_10", &font_segoe_10},
    {"font_underline_10", &font_underline_10}, {"font_underline_11", &font_underline_11},
    {"font_underline_12", &font_underline_12},
};

HFONT make_font(const ui_font_spec& spec) {
  LOGFONTW lf = {};
  lf.lfHeight = spec.height;
  lf.lfWeight = spec.weight;
  lf.lfItalic = spec.italic ? 1 : 0;
  lf.lfUnderline = spec.underline ? 1 : 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_OUTLINE_PRECIS;
  lf.lfClipPrecision = 0;
  lf.lfQuality = static_cast<BYTE>(spec.quality);
  lf.lfPitchAndFamily = VARIABLE_PITCH;
  size_t n = spec.face.size() < LF_FACESIZE - 1 ? spec.face.size() : LF_FACESIZE - 1;
  std::memcpy(lf.lfFaceName, spec.face.data(), n * sizeof(char16_t));
  return CreateFontIndirectW(&lf);
}

void make_fonts(const ui_font_set& set) {
  // The screen's resolution is deliberately not asked: heights are for 96 dots per inch.
  for (const ui_font_spec& spec : set.fonts) {
    HFONT* variable = ui_font_variable(spec.name);
    if (!variable) continue;
    if (spec.alias_of >= 0)
      *variable = *ui_font_variable(set.fonts[spec.alias_of].name);
    else
      *variable = make_font(spec);
  }
  text_y_adjust_small = set.text_y_adjust_small;
  text_y_adjust_large = set.text_y_adjust_large;
}

template <class H>
void delete_handle(H& handle) {
  if (handle && DeleteObject(handle)) handle = nullptr;
}

}  // namespace

HFONT* ui_font_variable(const char* name) {
  for (const named_font& f : font_variables)
    if (std::strcmp(f.name, name) == 0) return f.handle;
  return nullptr;
}

void create_ui_fonts(const std::string& language, int windows_version) {
  make_fonts(build_ui_font_set(language, windows_version));
}

void create_ui_fonts(int windows_version) {
  const struct {
    const char16_t* wide;
    const char* narrow;
  } codes[] = {{u"en", "en"}, {u"ja", "ja"}, {u"zh", "zh"}, {u"tw", "tw"}};
  std::string code = "other";
  for (const auto& c : codes)
    if (is_current_language(c.wide)) code = c.narrow;
  create_ui_fonts(code, windows_version);
}

void create_offer_fonts() { make_fonts(build_offer_font_set()); }

void create_brushes() {
  image_c pattern;
  if (load_png_resource(nullptr, &pattern, 111) == 0)
    pattern_brush = CreatePatternBrush(pattern.bitmap());
  dark_blue_brush = CreateSolidBrush(RGB(0, 42, 89));
  frame_brush = CreateSolidBrush(RGB(121, 135, 146));
  light_grey_brush = CreateSolidBrush(RGB(205, 207, 211));
}

void create_offer_brushes() { frame_brush = CreateSolidBrush(RGB(127, 140, 141)); }

void create_pens() {
  blue_pen = CreatePen(PS_SOLID, 1, RGB(24, 90, 160));
  light_blue_pen = CreatePen(PS_SOLID, 1, RGB(195, 208, 224));
}

void delete_ui_objects() {
  // A shared handle is deleted through its first name only.
  if (font_light_23 == font_normal_23) font_light_23 = nullptr;
  if (font_segoe_10 == font_normal_10) font_segoe_10 = nullptr;
  for (const named_font& f : font_variables) delete_handle(*f.handle);
  delete_handle(pattern_brush);
  delete_handle(dark_blue_brush);
  delete_handle(frame_brush);
  delete_handle(light_grey_brush);
  delete_handle(blue_pen);
  delete_handle(light_blue_pen);
}
