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

// The combination walks the frame in blocks small enough that the maxima stay in the
// first-level cache while every slot adds its part of the block.
constexpr size_t CombineBlock = size_t(FrameWidth) * 4;
static_assert(FramePixels % CombineBlock == 0, "the frame splits into whole blocks");

// The ring and the results never overlap; saying so lets the compiler vectorise the loops.
// Peak hold searches from 0, so the first slot starts the block at 0 or above.
template <size_t N>
void first_peaks(int16_t* __restrict out, const int16_t* __restrict in) {
  for (size_t i = 0; i < N; ++i) out[i] = in[i] > 0 ? in[i] : int16_t(0);
}

template <size_t N>
void peak_hold_into(int16_t* __restrict out, const int16_t* __restrict in) {
  for (size_t i = 0; i < N; ++i) out[i] = in[i] > out[i] ? in[i] : out[i];
}

// sum / divisor, rounded toward zero as the integer division does, by a multiply: with
// m = ceil(2^32 / divisor), sum * m / 2^32 rounded toward zero is the quotient while
// |sum| * (m * divisor - 2^32) stays below 2^32, which holds for every sum of 100 slots of
// 16-bit values. In double precision sum * m (below 2^53) and the scaling by 2^-32 are exact,
// and the conversion rounds toward zero.
template <size_t N>
void divide_into(int16_t* __restrict out, const int32_t* __restrict sum, int divisor) {
  if (divisor == 1) {
    for (size_t i = 0; i < N; ++i) out[i] = int16_t(sum[i]);
    return;
  }
  const uint64_t m = ((uint64_t(1) << 32) + unsigned(divisor) - 1) / unsigned(divisor);
  const double scale = double(m) / 4294967296.0;
  for (size_t i = 0; i < N; ++i) out[i] = int16_t(int32_t(double(sum[i]) * scale));
}

// The first pixel of the block above `best` and at its largest, if there is one.
template <size_t N>
void find_peak(const int16_t* block, size_t start, int& best, size_t& at) {
  int16_t largest = 0;
  for (size_t i = 0; i < N; ++i) largest = block[i] > largest ? block[i] : largest;
  if (largest <= best) return;
  size_t i = 0;
  while (block[i] != largest) ++i;
  best = largest;
  at = start + i;
}

// Rows of RGB24 pixels, the last row first, into intensities 0..765.
template <int Divisor>
void convert_rows(const uint8_t* bytes, int32_t lines, int16_t* out) {
  for (int32_t src = lines - 1; src >= 0; --src, out += FrameWidth) {
    const uint8_t* p = bytes + size_t(src) * RowBytes;
    for (int32_t c = 0; c < FrameWidth; ++c)
      out[c] = int16_t((int(p[3 * c]) + p[3 * c + 1] + p[3 * c + 2]) * 765 / Divisor);
  }
}

}  // namespace

frame_store_c::frame_store_c()
    : RawFrame(FramePixels, 0),
      LineInterpBuffer(FramePixels, 0),
      ProcessedFrame(FramePixels, 0),
      sums_(FramePixels) {}

int frame_store_c::slots_to_combine() const { return std::clamp<int>(FramesToAverage, 1, RingSlots); }

int frame_store_c::ConvertFrame(const uint8_t* bytes, size_t length) {
  if (AcqState.load() != acq_collecting || !bytes) return 0;
  const int32_t lines = VideoLines == 480 ? 480 : FrameHeight;
  if (length < video_buffer_bytes(lines)) return 0;  // a short grab would be read past its end
  // The divisor as a constant of each loop, so that the division becomes a multiply.
  if (lines == 480)
    convert_rows<760>(bytes, lines, RawFrame.data());
  else
    convert_rows<510>(bytes, lines, RawFrame.data());
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
  sums_.replace(int(slot), FrameRing.values_.data() + slot * FramePixels, frame);
  RingPos = uint8_t(slot + 1);
  if (RingPos >= FramesToAverage) {
    RingPos = 0;
    AcqState = acq_ring_full;
  }
}

void frame_store_c::CombineFrames() {
  const int slots = slots_to_combine();
  if (FrameRing.written_) {
    // Slots were written from outside: the sums no longer say what the ring holds.
    sums_.forget();
    FrameRing.written_ = false;
  }
  int best = 0;
  size_t at = 0;
  if (AcqMode == acq_peak_hold) {
    // While holding peaks, frames come in without keeping sums; averaging again sums afresh.
    sums_.forget();
    // Few slots: block by block. Many: slot by slot over the whole frame, as the block walk
    // would read from too many places at once.
    if (slots <= 16)
      hold_peaks<CombineBlock>(slots, best, at);
    else
      hold_peaks<FramePixels>(slots, best, at);
  } else {
    average(slots, best, at);
  }
  peak_x = int32_t(at % FrameWidth);
  peak_y = int32_t(at / FrameWidth);

  smooth_around_peak(ProcessedFrame.data(), peak_x, peak_y);
  gain_.apply(ProcessedFrame.data(), PixelGain);
}

template <size_t Block>
void frame_store_c::hold_peaks(int slots, int& best, size_t& at) {
  int16_t* out = ProcessedFrame.data();
  const int16_t* ring = FrameRing.values_.data();
  for (size_t start = 0; start < FramePixels; start += Block) {
    int16_t* block = out + start;
    first_peaks<Block>(block, ring + start);
    for (int s = 1; s < slots; ++s) peak_hold_into<Block>(block, ring + size_t(s) * FramePixels + start);
    find_peak<Block>(block, start, best, at);
  }
}

void frame_store_c::average(int slots, int& best, size_t& at) {
  if (!sums_.holds(slots)) sums_.rebuild(FrameRing.values_.data(), slots);
  int16_t* out = ProcessedFrame.data();
  for (size_t start = 0; start < FramePixels; start += CombineBlock) {
    divide_into<CombineBlock>(out + start, sums_.data() + start, slots);
    find_peak<CombineBlock>(out + start, start, best, at);
  }
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

namespace {

// The one definition of the gain: v = trunc(v * gain), capped at 765, over `N` values.
template <size_t N>
void apply_gain_to(int16_t* values, double gain) {
  if (std::isfinite(gain)) {
    // Without a gain that is not a number or infinite no product is one either. Capping first
    // and then dropping the fraction by the conversion gives what dropping it first and then
    // capping gives, as both caps are whole numbers.
    for (size_t i = 0; i < N; ++i) {
      double v = values[i] * gain;
      v = v > CombinedMax ? double(CombinedMax) : v;
      v = v < INT16_MIN ? double(INT16_MIN) : v;
      values[i] = int16_t(int32_t(v));
    }
    return;
  }
  for (size_t i = 0; i < N; ++i) {
    double v = std::trunc(values[i] * gain);
    if (v > CombinedMax) v = CombinedMax;
    if (v < INT16_MIN) v = INT16_MIN;
    if (v != v) v = 0;  // a gain that is not a number
    values[i] = int16_t(v);
  }
}

constexpr size_t Int16Values = size_t(1) << 16;

}  // namespace

void apply_gain(int16_t* frame, double gain) { apply_gain_to<FramePixels>(frame, gain); }

gain_table_c::gain_table_c() : gained_(Int16Values) {}

void gain_table_c::apply(int16_t* frame, double gain) {
  if (!built_ || std::memcmp(&gain, &gain_, sizeof gain) != 0) {
    // Every value there is, in the order of its 16 bits, through the gain itself.
    for (size_t u = 0; u < Int16Values; ++u) gained_[u] = int16_t(uint16_t(u));
    apply_gain_to<Int16Values>(gained_.data(), gain);
    gain_ = gain;
    built_ = true;
  }
  const int16_t* gained = gained_.data();
  for (size_t i = 0; i < FramePixels; ++i) frame[i] = gained[uint16_t(frame[i])];
}
