// The beam measurement of a processed frame: minimum and peak, peak position, the centre
// and widths between the first pixels below the 1/e^2 threshold, and the ellipticity.
#pragma once

#include <cstdint>
#include <string>

struct beam_measurement {
  int min = 0, peak = 0;
  int32_t peak_x = 0, peak_y = 0;      // pixels
  int32_t centre_x = 0, centre_y = 0;  // pixels
  int32_t width = 0, height = 0;       // pixels, edge to edge
  int ellipticity = 0;                 // percent, 0..100
  // Micrometres through the pixel pitch.
  int32_t peak_um_x = 0, peak_um_y = 0;
  int32_t centre_um_x = 0, centre_um_y = 0;
  int32_t width_um_x = 0, width_um_y = 0;
};

// Measures a 720 x 576 frame. `width_divisor` is e^2; the pitches are micrometres per pixel.
beam_measurement measure_beam(const int16_t* frame, double pixel_size_x, double pixel_size_y,
                              double width_divisor);

// Ellipticity in percent of widths W and H.
int ellipticity_percent(int32_t w, int32_t h);

// trunc(pixels * pitch), kept inside the 32-bit range (a damaged pitch must not overflow).
int32_t to_micrometres(int32_t pixels, double pitch);

// The texts of the results table's rows and the clipboard line.
std::string min_peak_text(const beam_measurement& m);
std::string peak_loc_text(const beam_measurement& m);
std::string centroid_text(const beam_measurement& m);
std::string width_text(const beam_measurement& m);
std::string clipboard_line(const beam_measurement& m);
