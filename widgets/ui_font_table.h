// The process-wide font set as data: which fonts, how big, in which face. Portable, so that
// the choice per language and Windows version is checked without Windows.
#pragma once

#include <string>
#include <vector>

struct ui_font_spec {
  const char* name;  // the variable that holds the handle, e.g. "font_bold_ct_9"
  int points;
  int height;        // pixels at a fixed 96 dots per inch, negative: character height
  int weight;        // 0 = the default weight
  bool italic;
  bool underline;
  int quality;       // 0 = DEFAULT_QUALITY, 5 = CLEARTYPE_QUALITY
  std::u16string face;
  int alias_of;      // index of the font whose handle this one shares, or -1
};

struct ui_font_set {
  std::vector<ui_font_spec> fonts;
  std::u16string face;           // the face chosen for the language and version
  int text_y_adjust_small = 0;   // added by page painters to some text positions
  int text_y_adjust_large = 0;
};

// Pixel height for a point size at 96 dots per inch, rounded as MulDiv rounds (half away
// from zero), negated.
int font_height_for_points(int points);

// Vantoril's 32 fonts for a language code ("en", "ja", "zh", "tw", ...) and the Windows
// version v = 10 * major + minor.
ui_font_set build_ui_font_set(const std::string& language, int windows_version);

// Ousteln's 30 fonts: always "Arial", no y adjustments.
ui_font_set build_offer_font_set();
