#include "beamcam/beam_view.h"

#include <cmath>
#include <cstring>

#include "beamcam/frame_store.h"

int palette_index(int v) {
  int index = v * 1023 / CombinedMax;
  return index < 0 ? 0 : index > PaletteEntries - 1 ? PaletteEntries - 1 : index;
}

void recolour_frame(const int16_t* frame, const palette_bytes& palette, uint8_t* display) {
  // Below 0 every value takes entry 0 and from 765 on entry 1023, so the colours of 0..765
  // are all there is; each entry is padded to four bytes so that one copy moves a pixel.
  uint8_t colours[CombinedMax + 1][4] = {};
  for (int v = 0; v <= CombinedMax; ++v) std::memcpy(colours[v], palette.data() + size_t(palette_index(v)) * 3, 3);
  // Four bytes each, the fourth overwritten by the next pixel; the last pixel gets three.
  for (size_t i = 0; i + 1 < FramePixels; ++i, display += 3) {
    const int v = frame[i];
    std::memcpy(display, colours[v < 0 ? 0 : v > CombinedMax ? CombinedMax : v], 4);
  }
  const int v = frame[FramePixels - 1];
  std::memcpy(display, colours[v < 0 ? 0 : v > CombinedMax ? CombinedMax : v], 3);
}

bool palette_from_colour_bar(const bmp24_image& colour_bar, palette_bytes& palette) {
  if (colour_bar.width < PaletteEntries || colour_bar.height < 1) return false;
  std::memcpy(palette.data(), colour_bar.bgr.data(), palette.size());
  return true;
}

beam_view_c::beam_view_c() : DisplayRGB(FramePixels * 3, 0), WidthDivisor(std::exp(2.0)) {}

void beam_view_c::Img_Dis(const int16_t* processed, picture_sink_i* sink) {
  recolour_frame(processed, Palette, DisplayRGB.data());
  if (ProfilesOn) DrawProfiles(processed);
  if (sink) sink->show_frame_picture(DisplayRGB.data(), FrameWidth, FrameHeight);
}

void beam_view_c::paint_white(int32_t c, int32_t r) {
  // Only a raw file can hold values that would place a dot outside the picture.
  if (c < 0 || c >= FrameWidth || r < 0 || r >= FrameHeight) return;
  std::memset(DisplayRGB.data() + (size_t(r) * FrameWidth + c) * 3, 255, 3);
}

void beam_view_c::DrawProfiles(const int16_t* processed) {
  if (CrossPixelY >= 0 && CrossPixelY < FrameHeight) {
    const int16_t* row = processed + size_t(CrossPixelY) * FrameWidth;
    for (int32_t c = 0; c < FrameWidth; ++c) paint_white(c, FrameHeight - 1 - row[c] / 3);
  }
  if (CrossPixelX >= 0 && CrossPixelX < FrameWidth) {
    for (int32_t r = 1; r < FrameHeight - 1; ++r) {
      long double v = processed[size_t(r + 1) * FrameWidth + CrossPixelX];
      long double level = std::trunc((ColumnProfileLevel + v / 3) * 0.5L);
      ColumnProfileLevel = int32_t(level);
      paint_white(FrameWidth - 1 - ColumnProfileLevel, r);
    }
  }
}

beam_measurement beam_view_c::AnalyzeBeam(const int16_t* processed, result_table_c& table, clipboard_i* clipboard) {
  beam_measurement m = measure_beam(processed, PixelSizeX, PixelSizeY, WidthDivisor);
  table.set_value(MinPeakKey, min_peak_text(m));
  table.set_value(PeakLocKey, peak_loc_text(m));
  PeakPixelX = m.peak_x;
  PeakPixelY = m.peak_y;
  CentreX = m.centre_x;
  CentreY = m.centre_y;
  table.set_value(CentroidKey, centroid_text(m));
  table.set_value(WidthKey, width_text(m));
  if (clipboard) clipboard->CopyTextToClipboard(clipboard_line(m).c_str());
  return m;
}
