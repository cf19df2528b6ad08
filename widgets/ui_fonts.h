// Windows only: the process-wide fonts, brushes and pens every painter uses. Made once on the
// user-interface thread before the first window, read without locks afterwards.
#pragma once

#include <windows.h>

#include <string>

extern HFONT font_normal_7, font_normal_8, font_normal_9, font_normal_10, font_normal_11,
    font_normal_12, font_normal_13, font_normal_14, font_normal_15, font_normal_16,
    font_normal_18, font_normal_19, font_normal_20, font_normal_23;
extern HFONT font_bold_ct_8, font_bold_ct_9, font_bold_ct_10, font_bold_ct_11, font_bold_ct_12,
    font_bold_ct_13, font_bold_ct_14;
extern HFONT font_bold_15, font_bold_16, font_bold_17, font_bold_18, font_bold_21, font_bold_23;
extern HFONT font_underline_8, font_underline_9, font_italic_9, font_light_23, font_segoe_10;
// Ousteln's underlined fonts.
extern HFONT font_underline_10, font_underline_11, font_underline_12;

extern int text_y_adjust_small;
extern int text_y_adjust_large;

extern HBRUSH pattern_brush, dark_blue_brush, frame_brush, light_grey_brush;
extern HPEN blue_pen, light_blue_pen;

// The font set for the current language code and the Windows version v = 10 * major + minor.
void create_ui_fonts(const std::string& language, int windows_version);
// The same for the current language of the language texts.
void create_ui_fonts(int windows_version);
// Ousteln's fonts: always "Arial".
void create_offer_fonts();
void create_brushes();
// Ousteln's frame brush (its only brush).
void create_offer_brushes();
void create_pens();
// The variable of a font by its name ("font_bold_ct_9"); null for an unknown name.
HFONT* ui_font_variable(const char* name);
// Deletes every font, brush and pen (a shared font handle once) and clears each handle.
void delete_ui_objects();
