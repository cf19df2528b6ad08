// What the user sees and measures of the processed frame: the false-colour picture, the two
// white profiles through the cross point and the beam measurement in the results table.
// The main form owns one beam_view_c and binds the picture control, the grid and the
// clipboard through the seams below.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "beamcam/beam_analysis.h"
#include "beamcam/bmp24.h"
#include "beamcam/result_table.h"

constexpr int PaletteEntries = 1024;
using palette_bytes = std::array<uint8_t, PaletteEntries * 3>;  // blue, green, red per entry

// The picture control: shows 720 x 576 pixels of 3 bytes (blue, green, red), rows top first.
class picture_sink_i {
 public:
  virtual ~picture_sink_i() = default;
  virtual void show_frame_picture(const uint8_t* bgr, int32_t width, int32_t height) = 0;
};

// The palette entry of an intensity: v * 1023 / 765, kept inside 0..1023.
int palette_index(int v);
// Recolours a 720 x 576 frame into `display` (720 x 576 x 3 bytes).
void recolour_frame(const int16_t* frame, const palette_bytes& palette, uint8_t* display);
// The palette is the colour-bar picture's top row; false when the picture is too narrow.
bool palette_from_colour_bar(const bmp24_image& colour_bar, palette_bytes& palette);

class beam_view_c {
 public:
  beam_view_c();

  // Recolours DisplayRGB from the frame, draws the profiles when they are on and hands the
  // picture to the sink (when there is one).
  void Img_Dis(const int16_t* processed, picture_sink_i* sink);
  // Draws both profiles into DisplayRGB; dots that would fall outside the picture are left out.
  void DrawProfiles(const int16_t* processed);
  // Measures the frame, fills the table, publishes the peak and centre and copies the result
  // line to the clipboard (when there is one). Returns the measurement.
  beam_measurement AnalyzeBeam(const int16_t* processed, result_table_c& table, clipboard_i* clipboard);

  palette_bytes Palette{};
  std::vector<uint8_t> DisplayRGB;  // 720 x 576 x 3, rows top first, blue, green, red
  int32_t ProfilesOn = 1;
  int32_t CrossPixelX = 0, CrossPixelY = 0;
  int32_t ColumnProfileLevel = 0;  // carried from one refresh to the next
  double WidthDivisor;             // e^2
  double PixelSizeX = 1.0, PixelSizeY = 1.0;  // micrometres per pixel
  int32_t PeakPixelX = 0, PeakPixelY = 0;
  int32_t CentreX = 0, CentreY = 0;

 private:
  void paint_white(int32_t c, int32_t r);
};
