#include "beamcam/frame_store.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

constexpr size_t RowBytes = size_t(FrameWidth) * 3;

int16_t* row_of(int16_t* frame, int32_t r) { return frame + size_t(r) * FrameWidth; }
const int16_t* row_of(const int16_t* frame, int32_t r) { return frame + size_t(r) * FrameWidth; }

void copy_row(const int16_t* source, int32_t from, int16_t* dest, int32_t to) {
  std::memcpy(row_of(dest, to), row_of(source, from), sizeof(int16_t) * FrameWidth);
}

// Trimmed mean of the 3 x 3 neighbourhood of (c, r): the sum less its largest and smallest.
int16_t trimmed_mean(const int16_t* frame, int32_t c, int32_t r) {
  int sum = 0, largest = 0, smallest = 800;
  for (int32_t dr = -1; dr <= 1; ++dr) {
    const int16_t* row = row_of(frame, r + dr);
    for (int32_t dc = -1; dc <= 1; ++dc) {
      int v = row[c + dc];
      sum += v;
      largest = std::max(largest, v);
      smallest = std::min(smallest, v);
    }
  }
  return int16_t((sum - largest - smallest) / 7);
}

void smooth_column(int16_t* frame, int32_t c, int32_t top, int32_t bottom) {
  if (c < 1 || c > FrameWidth - 2) return;
  for (int32_t r = std::max(top, 1); r <= std::min(bottom, FrameHeight - 2); ++r)
    row_of(frame, r)[c] = trimmed_mean(frame, c, r);
}

void smooth_row(int16_t* frame, int32_t r, int32_t left, int32_t right) {
  if (r < 1 || r > FrameHeight - 2) return;
  for (int32_t c = std::max(left, 1); c <= std::min(right, FrameWidth - 2); ++c)
    row_of(frame, r)[c] = trimmed_mean(frame, c, r);
}

// The ring and the results never overlap; saying so lets the compiler vectorise the loops.
void peak_hold_into(int16_t* __restrict out, const int16_t* __restrict in) {
  for (size_t i = 0; i < FramePixels; ++i) out[i] = in[i] > out[i] ? in[i] : out[i];
}

void add_into(int32_t* __restrict sum, const int16_t* __restrict in) {
  for (size_t i = 0; i < FramePixels; ++i) sum[i] += in[i];
}

}  // namespace

frame_store_c::frame_store_c()
    : FrameRing(FramePixels * RingSlots, 0),
      RawFrame(FramePixels, 0),
      LineInterpBuffer(FramePixels, 0),
      ProcessedFrame(FramePixels, 0),
      sums_(FramePixels, 0) {}

int frame_store_c::slots_to_combine() const { return std::clamp<int>(FramesToAverage, 1, RingSlots); }

int frame_store_c::ConvertFrame(const uint8_t* bytes, size_t length) {
  if (AcqState.load() != acq_collecting || !bytes) return 0;
  const int32_t lines = VideoLines == 480 ? 480 : FrameHeight;
  if (length < video_buffer_bytes(lines)) return 0;  // a short grab would be read past its end
  const int divisor = lines == 480 ? 760 : 510;

  int16_t* out = RawFrame.data();
  for (int32_t src = lines - 1; src >= 0; --src) {
    const uint8_t* p = bytes + size_t(src) * RowBytes;
    for (int32_t c = 0; c < FrameWidth; ++c, p += 3)
      *out++ = int16_t((int(p[0]) + p[1] + p[2]) * 765 / divisor);
  }
  if (lines == 480) {
    stretch_480_to_576(RawFrame.data(), LineInterpBuffer.data());
    store_in_ring(LineInterpBuffer.data());
  } else {
    store_in_ring(RawFrame.data());
  }
  return 0;
}

void frame_store_c::store_in_ring(const int16_t* frame) {
  // A count lowered below the position ends the fill; the slot itself must stay in the ring.
  size_t slot = RingPos < RingSlots ? RingPos : 0;
  std::memcpy(FrameRing.data() + slot * FramePixels, frame, sizeof(int16_t) * FramePixels);
  RingPos = uint8_t(slot + 1);
  if (RingPos >= FramesToAverage) {
    RingPos = 0;
    AcqState = acq_ring_full;
  }
}

void frame_store_c::CombineFrames() {
  const int slots = slots_to_combine();
  int16_t* out = ProcessedFrame.data();
  // Slot by slot over the whole frame: each slot is read once, front to back.
  if (AcqMode == acq_peak_hold) {
    std::fill(out, out + FramePixels, int16_t(0));
    for (int s = 0; s < slots; ++s) peak_hold_into(out, FrameRing.data() + size_t(s) * FramePixels);
  } else {
    int32_t* sum = sums_.data();
    std::fill(sum, sum + FramePixels, 0);
    for (int s = 0; s < slots; ++s) add_into(sum, FrameRing.data() + size_t(s) * FramePixels);
    for (size_t i = 0; i < FramePixels; ++i) out[i] = int16_t(sum[i] / slots);
  }

  int best = 0;
  size_t at = 0;
  for (size_t i = 0; i < FramePixels; ++i)
    if (out[i] > best) {
      best = out[i];
      at = i;
    }
  peak_x = int32_t(at % FrameWidth);
  peak_y = int32_t(at / FrameWidth);

  smooth_around_peak(out, peak_x, peak_y);
  apply_gain(out, PixelGain);
}

void stretch_480_to_576(const int16_t* source, int16_t* dest) {
  for (int32_t r = 0; r < 3; ++r) copy_row(source, r, dest, r);
  for (int32_t j = 0; j < 96; ++j) {
    const int16_t* a = row_of(source, 5 * j + 2);
    const int16_t* b = row_of(source, 5 * j + 3);
    int16_t* mean = row_of(dest, 3 + 6 * j);
    for (int32_t c = 0; c < FrameWidth; ++c) mean[c] = int16_t(std::trunc((a[c] + b[c]) * 0.5 + 0.5));
    const int32_t copies = j == 95 ? 2 : 5;
    for (int32_t k = 0; k < copies; ++k) copy_row(source, 5 * j + 3 + k, dest, 4 + 6 * j + k);
  }
}

void smooth_around_peak(int16_t* frame, int32_t x, int32_t y) {
  if (x < 2 || x > 716 || y < 2 || y > 573) return;
  for (int32_t k = 0;; ++k) {
    const int32_t left = x - 1 - k, right = x + 1 + k, top = y - 1 - k, bottom = y + 1 + k;
    if (left <= 0 || right >= FrameWidth - 1 || top <= 0 || bottom >= FrameHeight - 1) return;
    smooth_column(frame, left, top, bottom);
    smooth_row(frame, top, left, right);
    smooth_column(frame, right, top, bottom);
    smooth_row(frame, bottom, left, right);
  }
}

void apply_gain(int16_t* frame, double gain) {
  for (size_t i = 0; i < FramePixels; ++i) {
    double v = std::trunc(frame[i] * gain);
    if (v > CombinedMax) v = CombinedMax;
    if (v < INT16_MIN) v = INT16_MIN;
    if (v != v) v = 0;  // a gain that is not a number
    frame[i] = int16_t(v);
  }
}
