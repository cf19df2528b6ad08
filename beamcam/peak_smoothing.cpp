#include "beamcam/peak_smoothing.h"

#include <algorithm>
#include <cstddef>

#include "beamcam/frame_store.h"

namespace {

// The trimmed mean of a 3 x 3 neighbourhood is its sum less its largest and smallest value,
// divided by 7, with the largest taken at least 0 and the smallest at most 800. A pass along
// a row or column replaces pixels in place, so each pixel's neighbourhood holds the value its
// predecessor in the pass has just received; the other eight are as they were. With those
// eight summarised as rest = sum - hi - lo (hi and lo their bounded largest and smallest) the
// mean is (rest + the predecessor kept inside lo..hi) / 7, and only that short step waits on
// the pixel before.
inline int16_t mean_step(int rest, int lo, int hi, int before) {
  const int kept = before < lo ? lo : before > hi ? hi : before;
  return int16_t((rest + kept) / 7);
}

constexpr int32_t LongestLine = FrameWidth;

// What each pixel of a pass takes from its eight neighbours other than its predecessor, read
// before the pass changes anything.
struct line_parts {
  int32_t rest[LongestLine];
  int16_t lo[LongestLine], hi[LongestLine];
};

// The pass's line and the lines on either side of it, one after the other, from the
// predecessor of the first pixel to the successor of the last.
struct line_triple {
  const int16_t* side_a;
  const int16_t* own;
  const int16_t* side_b;
};

inline int16_t larger(int16_t x, int16_t y) { return x > y ? x : y; }
inline int16_t smaller(int16_t x, int16_t y) { return x < y ? x : y; }

// The parts of `Run` pixels (or `n` when Run is 0) from index 0 of the triple on. Pixel i's
// eight are both sides at the predecessor and all three lines at the pixel and at its
// successor: indexes i, i + 1 and i + 2 of the triple. A fixed length lets the compiler
// vectorise the loop.
template <int32_t Run>
void gather_span(const int16_t* __restrict a, const int16_t* __restrict m, const int16_t* __restrict b,
                 int32_t* __restrict rest, int16_t* __restrict lo, int16_t* __restrict hi, int32_t n) {
  const int32_t length = Run ? Run : n;
  for (int32_t i = 0; i < length; ++i) {
    const int16_t v0 = a[i], v1 = b[i], v2 = a[i + 1], v3 = m[i + 1], v4 = b[i + 1], v5 = a[i + 2], v6 = m[i + 2],
                  v7 = b[i + 2];
    const int16_t h = larger(larger(larger(larger(v0, v1), larger(v2, v3)), larger(larger(v4, v5), larger(v6, v7))), 0);
    const int16_t l =
        smaller(smaller(smaller(smaller(v0, v1), smaller(v2, v3)), smaller(smaller(v4, v5), smaller(v6, v7))), 800);
    const int32_t sum = int32_t(v0) + v1 + v2 + v3 + v4 + v5 + v6 + v7;
    rest[i] = sum - h - l;
    lo[i] = l;
    hi[i] = h;
  }
}

// Sixteen at a time; the last sixteen may overlap the ones before, which only writes the same
// parts again.
constexpr int32_t GatherRun = 16;

void gather_parts(const line_triple& line, int32_t count, line_parts& parts) {
  const int16_t *a = line.side_a, *m = line.own, *b = line.side_b;
  if (count < GatherRun) return gather_span<0>(a, m, b, parts.rest, parts.lo, parts.hi, count);
  for (int32_t start = 0;; start += GatherRun) {
    if (start > count - GatherRun) start = count - GatherRun;
    gather_span<GatherRun>(a + start, m + start, b + start, parts.rest + start, parts.lo + start, parts.hi + start, 0);
    if (start == count - GatherRun) return;
  }
}

// A pass waits on each pixel before the next, so a long one is cut into Pieces that run side
// by side: every piece but the first starts from a guess of the value before it (that value
// as it was before the pass), and is then redone from the true value until a mean comes out
// as it did from the guess. From there on each step has the same inputs as before, so the
// rest of the piece was right. The means pull every start towards the same values within a
// few pixels, so little is redone; a piece that never meets is redone whole, which is what a
// single pass would have done.
constexpr int32_t Pieces = 4;  // as written out below
constexpr int32_t ShortestPiece = 16;

template <ptrdiff_t Along, ptrdiff_t Across>
void smooth_line(int16_t* p, int32_t count) {
  line_parts parts;
  if constexpr (Along == 1) {
    gather_parts({p - 1 - Across, p - 1, p - 1 + Across}, count, parts);
  } else {
    // A column's three lines are copied out side by side first.
    int16_t a[LongestLine + 2], m[LongestLine + 2], b[LongestLine + 2];
    const int16_t* q = p - Along;
    for (int32_t i = 0; i < count + 2; ++i, q += Along) {
      a[i] = q[-Across];
      m[i] = q[0];
      b[i] = q[Across];
    }
    gather_parts({a, m, b}, count, parts);
  }
  auto at = [p](int32_t i) -> int16_t& { return p[ptrdiff_t(i) * Along]; };
  auto step = [&parts](int32_t i, int before) { return mean_step(parts.rest[i], parts.lo[i], parts.hi[i], before); };

  const int32_t length = count / Pieces;
  if (length < ShortestPiece) {
    int before = p[-Along];
    for (int32_t i = 0; i < count; ++i) at(i) = int16_t(before = step(i, before));
    return;
  }
  // The pieces' steps written out side by side, so that each waits only on its own.
  int b0 = p[-Along], b1 = at(length - 1), b2 = at(2 * length - 1), b3 = at(3 * length - 1);
  for (int32_t t = 0; t < length; ++t) {
    at(t) = int16_t(b0 = step(t, b0));
    at(length + t) = int16_t(b1 = step(length + t, b1));
    at(2 * length + t) = int16_t(b2 = step(2 * length + t, b2));
    at(3 * length + t) = int16_t(b3 = step(3 * length + t, b3));
  }
  for (int32_t i = Pieces * length; i < count; ++i) at(i) = int16_t(b3 = step(i, b3));

  for (int32_t j = 1; j < Pieces; ++j) {
    const int32_t end = j + 1 < Pieces ? (j + 1) * length : count;
    int b = at(j * length - 1);
    for (int32_t i = j * length; i < end; ++i) {
      const int16_t mean = step(i, b);
      if (mean == at(i)) break;
      at(i) = mean;
      b = mean;
    }
  }
}

int16_t* row_of(int16_t* frame, int32_t r) { return frame + size_t(r) * FrameWidth; }

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

}  // namespace

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
