// Combination of a ring of any int16 values, in either mode, any mode value, any gain and
// any slot count: nothing outside the buffers, the peak inside the frame and no value of
// the processed frame above the cap.
#include <cstddef>
#include <cstdint>

#include "beamcam/frame_store.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static frame_store_c store;
  fuzz_input in(data, size);
  store.FramesToAverage = in.take<uint8_t>();
  store.AcqMode = in.take<int16_t>();
  store.PixelGain = in.take<double>();
  int slots = store.slots_to_combine();
  if (slots < 1 || slots > RingSlots) __builtin_trap();
  // More slots only repeat the same loops; a handful keeps the runs fast.
  if (slots > 3) {
    store.FramesToAverage = uint8_t(1 + slots % 3);
    slots = store.FramesToAverage;
  }
  fuzz_input frame_bytes = in;
  for (int s = 0; s < slots; ++s) {
    frame_bytes.fill_frame(store.FrameRing.data() + size_t(s) * FramePixels);
    frame_bytes.take<uint32_t>();  // the next slot starts one run later
  }
  store.CombineFrames();
  if (store.peak_x < 0 || store.peak_x >= FrameWidth || store.peak_y < 0 || store.peak_y >= FrameHeight)
    __builtin_trap();
  for (int16_t v : store.ProcessedFrame)
    if (v > CombinedMax) __builtin_trap();
  return 0;
}
