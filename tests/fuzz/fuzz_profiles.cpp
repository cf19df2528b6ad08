// Both profiles alone, on any int16 values of the cross row and column and from any cross
// point and carried level: every dot lands inside the picture or is left out. Only the row
// and the column that the profiles read are filled, so a run costs a few thousand pixels and
// reaches many more inputs than the whole-picture target.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "beamcam/beam_view.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static beam_view_c view;
  static std::vector<int16_t> frame(FramePixels);
  static std::vector<int16_t> line(FrameWidth + FrameHeight);
  fuzz_input in(data, size);
  view.CrossPixelX = in.take<int32_t>();
  view.CrossPixelY = in.take<int32_t>();
  view.ColumnProfileLevel = in.take<int32_t>();
  // The values come from the rest of the bytes; the frame gets them along the cross row and
  // down the cross column, wherever those are inside it.
  in.fill_values(line.data(), line.size());
  size_t next = 0;
  if (view.CrossPixelY >= 0 && view.CrossPixelY < FrameHeight)
    for (int32_t c = 0; c < FrameWidth; ++c) frame[size_t(view.CrossPixelY) * FrameWidth + c] = line[next++];
  if (view.CrossPixelX >= 0 && view.CrossPixelX < FrameWidth)
    for (int32_t r = 0; r < FrameHeight; ++r) frame[size_t(r) * FrameWidth + view.CrossPixelX] = line[next++];
  view.DrawProfiles(frame.data());
  return 0;
}
