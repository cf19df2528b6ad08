// Conversion of grabbed buffers of any length and bytes, for either video size and from any
// ring position and count: exactly the buffer's bytes are read (it is allocated to its
// length, so the sanitizer sees a byte past it) and the ring position stays inside the ring.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "beamcam/frame_store.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static frame_store_c store;
  fuzz_input in(data, size);
  uint8_t mode = in.take<uint8_t>();
  store.VideoLines = mode & 1 ? 480 : mode & 2 ? 576 : in.take<int32_t>();
  store.AcqState = mode & 4 ? acq_collecting : int16_t(in.take<int16_t>());
  store.RingPos = in.take<uint8_t>();
  store.FramesToAverage = in.take<uint8_t>();
  // The buffer's length near the video size of either format, or far from it.
  const size_t full = video_buffer_bytes(mode & 8 ? 480 : 576);
  const int16_t delta = in.take<int16_t>();
  size_t length = mode & 16 ? size_t(uint16_t(delta)) : full + size_t(delta % 8);
  if (delta % 8 < 0 && !(mode & 16)) length = full - size_t(-(delta % 8));

  std::unique_ptr<uint8_t[]> buffer(new uint8_t[length ? length : 1]);
  const size_t n = in.left();
  if (n == 0) std::memset(buffer.get(), 0x80, length);
  for (size_t at = 0; n && at < length; at += n) std::memcpy(buffer.get() + at, in.rest(), std::min(n, length - at));
  const uint8_t before = store.RingPos;
  if (store.ConvertFrame(mode & 32 ? nullptr : buffer.get(), length) != 0) __builtin_trap();
  if (store.RingPos > RingSlots && store.RingPos != before) __builtin_trap();
  return 0;
}
