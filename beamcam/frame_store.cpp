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

// The trimmed mean of a 3 x 3 neighbourhood is its sum less its largest and smallest value,
// divided by 7, with the largest taken at least 0 and the smallest at most 800. A pass along
// a row or column replaces pixels in place, so each pixel's neighbourhood holds the value its
// predecessor in the pass has just received; the other eight are as they were. With those
// eight summarised as sum - hi - lo (hi and lo their bounded largest and smallest) the mean is
// (that + the predecessor kept inside lo..hi) / 7, and only that short step waits on the
// pixel before.
inline int16_t trimmed_step(int sum8, int hi, int lo, int before) {
  const int kept = before < lo ? lo : before > hi ? hi : before;
  return int16_t((sum8 - hi - lo + kept) / 7);
}

// Sum and bounded largest and smallest of some neighbours of a pixel.
struct part {
  int sum, hi, lo;
};

// The pixel itself joins the two across it; the bounds 0 and 800 start here.
inline part with(part p, int v) {
  return {p.sum + v, std::max(std::max(p.hi, v), 0), std::min(std::min(p.lo, v), 800)};
}

template <ptrdiff_t Across>
inline part across_of(const int16_t* q) {
  const int a = q[-Across], b = q[Across];
  const int hi = std::max(a, b);
  return {a + b, hi, a + b - hi};  // the smaller one without a second compare (and no branch)
}

// One pass of `count` pixels from `p` on, `Along` apart, with the rows (or columns) on either
// side `Across` away. The eight neighbours of a pixel other than its predecessor are the two
// across its predecessor and the three across it and across its successor: sums and bounds of
// those are carried from pixel to pixel, so each pixel reads only what is new.
template <ptrdiff_t Along, ptrdiff_t Across>
void smooth_line(int16_t* p, int32_t count) {
  int before = p[-Along];
  part across_before = across_of<Across>(p - Along);
  part across_here = across_of<Across>(p);
  part here = with(across_here, p[0]);
  for (int16_t* const end = p + ptrdiff_t(count) * Along; p != end; p += Along) {
    const part across_next = across_of<Across>(p + Along);
    const part next = with(across_next, p[Along]);
    const int sum8 = across_before.sum + here.sum + next.sum;
    const int hi = std::max(across_before.hi, std::max(here.hi, next.hi));
    const int lo = std::min(across_before.lo, std::min(here.lo, next.lo));
    before = trimmed_step(sum8, hi, lo, before);
    *p = int16_t(before);
    across_before = across_here;
    across_here = across_next;
    here = next;
  }
}

void smooth_column(int16_t* frame, int32_t c, int32_t top, int32_t bottom) {
  if (c < 1 || c > FrameWidth - 2) return;
  const int32_t first = std::max(top, 1), last = std::min(bottom, FrameHeight - 2);
  if (first > last) return;
  smooth_line<FrameWidth, 1>(row_of(frame, first) + c, last - first + 1);
}

void smooth_row(int16_t* frame, int32_t r, int32_t left, int32_t right) {
  if (r < 1 || r > FrameHeight - 2) return;
  const int32_t first = std::max(left, 1), last = std::min(right, FrameWidth - 2);
  if (first > last) return;
  smooth_line<1, FrameWidth>(row_of(frame, r) + first, last - first + 1);
}

// The combination walks the frame in blocks small enough that the running sums or maxima stay
// in the first-level cache while every slot adds its part of the block.
constexpr size_t CombineBlock = size_t(FrameWidth) * 4;
static_assert(FramePixels % CombineBlock == 0, "the frame splits into whole blocks");

// The ring and the results never overlap; saying so lets the compiler vectorise the loops.
template <size_t N>
void peak_hold_into(int16_t* __restrict out, const int16_t* __restrict in) {
  for (size_t i = 0; i < N; ++i) out[i] = in[i] > out[i] ? in[i] : out[i];
}

template <size_t N>
void add_into(int32_t* __restrict sum, const int16_t* __restrict in) {
  for (size_t i = 0; i < N; ++i) sum[i] += in[i];
}

// sum / divisor, rounded toward zero as the integer division does, by a multiply: with
// m = ceil(2^32 / divisor) the product's high half is exact while |sum| * (m * divisor - 2^32)
// stays below 2^32, which holds for every sum of 100 slots of 16-bit values.
template <size_t N>
void divide_into(int16_t* __restrict out, const int32_t* __restrict sum, int divisor) {
  if (divisor == 1) {
    for (size_t i = 0; i < N; ++i) out[i] = int16_t(sum[i]);
    return;
  }
  const uint64_t m = ((uint64_t(1) << 32) + unsigned(divisor) - 1) / unsigned(divisor);
  for (size_t i = 0; i < N; ++i) {
    const int32_t v = sum[i];
    const uint32_t size = v < 0 ? 0u - uint32_t(v) : uint32_t(v);
    const uint32_t q = uint32_t((size * m) >> 32);
    out[i] = int16_t(v < 0 ? 0u - q : q);
  }
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
  std::memcpy(FrameRing.data() + slot * FramePixels, frame, sizeof(int16_t) * FramePixels);
  RingPos = uint8_t(slot + 1);
  if (RingPos >= FramesToAverage) {
    RingPos = 0;
    AcqState = acq_ring_full;
  }
}

void frame_store_c::CombineFrames() {
  const int slots = slots_to_combine();
  int best = 0;
  size_t at = 0;
  // Few slots: block by block. Many: slot by slot over the whole frame, as the block walk
  // would read from too many places at once.
  if (slots <= 16)
    combine<CombineBlock>(slots, best, at);
  else
    combine<FramePixels>(slots, best, at);
  peak_x = int32_t(at % FrameWidth);
  peak_y = int32_t(at / FrameWidth);

  smooth_around_peak(ProcessedFrame.data(), peak_x, peak_y);
  apply_gain(ProcessedFrame.data(), PixelGain);
}

template <size_t Block>
void frame_store_c::combine(int slots, int& best, size_t& at) {
  int16_t* out = ProcessedFrame.data();
  const int16_t* ring = FrameRing.data();
  for (size_t start = 0; start < FramePixels; start += Block) {
    int16_t* block = out + start;
    if (AcqMode == acq_peak_hold) {
      std::fill(block, block + Block, int16_t(0));
      for (int s = 0; s < slots; ++s) peak_hold_into<Block>(block, ring + size_t(s) * FramePixels + start);
    } else {
      int32_t* sum = sums_.data();
      std::fill(sum, sum + Block, 0);
      for (int s = 0; s < slots; ++s) add_into<Block>(sum, ring + size_t(s) * FramePixels + start);
      divide_into<Block>(block, sum, slots);
    }
    find_peak<Block>(block, start, best, at);
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
  if (std::isfinite(gain)) {
    // Without a gain that is not a number or infinite no product is one either. Capping first
    // and then dropping the fraction by the conversion gives what dropping it first and then
    // capping gives, as both caps are whole numbers.
    for (size_t i = 0; i < FramePixels; ++i) {
      double v = frame[i] * gain;
      v = v > CombinedMax ? double(CombinedMax) : v;
      v = v < INT16_MIN ? double(INT16_MIN) : v;
      frame[i] = int16_t(int32_t(v));
    }
    return;
  }
  for (size_t i = 0; i < FramePixels; ++i) {
    double v = std::trunc(frame[i] * gain);
    if (v > CombinedMax) v = CombinedMax;
    if (v < INT16_MIN) v = INT16_MIN;
    if (v != v) v = 0;  // a gain that is not a number
    frame[i] = int16_t(v);
  }
}
