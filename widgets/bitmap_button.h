// Windows only: a real child-window push button that paints one state frame of a PNG strip
// and a caption (dialog OK/Cancel, page buttons, row action buttons, sidebar entries).
#pragma once

#include "framework/bitmap_button_impl.h"
#include "framework/image.h"

class bitmap_button_c : public bitmap_button_impl {
 public:
  HFONT font = nullptr;
  COLORREF text_colour = RGB(0, 0, 0);
  COLORREF disabled_text_colour = RGB(78, 78, 78);
  COLORREF background_colour = RGB(255, 255, 255);
  HBRUSH background_brush = nullptr;  // owned
  int use_brush = 0;
  int brush_origin_y = 0;
  image_c* frames = nullptr;  // owned array of 3 or 4
  int text_x = -1;
  int text_y = -1;
  int checked = 0;
  int has_disabled_frame = 0;

  ~bitmap_button_c() override;

  // Loads the strip of PNG `png_id`, cuts it into 4 frames (with a disabled one) or 3, sets
  // the extended style and, with bmpbtn_autosize, sizes the button to one frame. 0 or -1.
  int load_images(int png_id, int with_disabled_frame, DWORD extended_style);
  // Replaces the strip, keeping the frame count; a failed load changes nothing.
  void set_image(int png_id);
  // The owned brush for the background, lined up with the parent's pattern at (0, origin_y).
  void set_background_brush(HBRUSH brush, int origin_y);

 protected:
  void do_paint(HDC dc) override;
  int frame_count() const { return has_disabled_frame ? 4 : 3; }
};
