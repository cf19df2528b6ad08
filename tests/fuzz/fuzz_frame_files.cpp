// The calibration and raw frame readers on any bytes: they never read past the text, a frame
// read back from its own text is the same frame where every value is below 1000, and the
// calibration pair written reads back as written.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "beamcam/frame_files.h"
#include "beamcam/frame_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  calibration c = read_calibration_text(text);
  calibration again = read_calibration_text(calibration_file_text(c, text));
  if (again.x != c.x || again.y != c.y) __builtin_trap();

  static std::vector<int16_t> frame(FramePixels);
  size_t n = read_raw_frame_text(text, frame.data());
  if (n > FramePixels) __builtin_trap();
  for (size_t i = 0; i < FramePixels; ++i)
    if (frame[i] < 0 || frame[i] > 999) frame[i] = int16_t(i % 1000);
  std::vector<int16_t> back(FramePixels, 0);
  if (read_raw_frame_text(raw_frame_text(frame.data()), back.data()) != FramePixels || back != frame)
    __builtin_trap();
  return 0;
}
