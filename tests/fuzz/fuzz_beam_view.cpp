// What the user sees of a frame, on any int16 values (a raw file can hold any): the
// false-colour picture, both profiles from any cross point and level, and the measurement
// with any pixel pitch. Nothing may be read or written outside the buffers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "beamcam/beam_view.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

class sink : public picture_sink_i {
 public:
  void show_frame_picture(const uint8_t* bgr, int32_t width, int32_t height) override {
    if (width != FrameWidth || height != FrameHeight || !bgr) __builtin_trap();
  }
};

class clipboard : public clipboard_i {
 public:
  void CopyTextToClipboard(const char* text) override {
    if (!text) __builtin_trap();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static beam_view_c view;
  static std::vector<int16_t> frame(FramePixels);
  fuzz_input in(data, size);
  view.ProfilesOn = in.take<uint8_t>() & 1;
  view.CrossPixelX = in.take<int32_t>();
  view.CrossPixelY = in.take<int32_t>();
  view.ColumnProfileLevel = in.take<int32_t>();
  view.PixelSizeX = in.take<double>();
  view.PixelSizeY = in.take<double>();
  for (size_t i = 0; i < view.Palette.size(); ++i) view.Palette[i] = uint8_t(i);
  in.fill_frame(frame.data());

  sink s;
  view.Img_Dis(frame.data(), &s);
  result_table_c table;
  InitResultTable(table);
  clipboard c;
  beam_measurement m = view.AnalyzeBeam(frame.data(), table, &c);
  if (m.peak_x < 0 || m.peak_x >= FrameWidth || m.peak_y < 0 || m.peak_y >= FrameHeight) __builtin_trap();
  if (m.centre_x < 0 || m.centre_x >= FrameWidth || m.centre_y < 0 || m.centre_y >= FrameHeight) __builtin_trap();
  if (m.ellipticity < 0 || m.ellipticity > 100 || m.min > m.peak) __builtin_trap();
  return 0;
}
