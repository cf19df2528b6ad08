#include "beamcam/ring_sums.h"

#include <cassert>
#include <cstring>

namespace {

// The sums go block by block, small enough that a block of sums stays in the first-level
// cache while every slot adds its part, and of a fixed size so that each loop's length is
// known to the compiler. Many slots go slot by slot over the whole frame instead, as the
// block walk would read from too many places at once.
constexpr size_t SumBlock = 2880;
constexpr int MostSlotsByBlock = 16;

// The slots and the sums never overlap; saying so lets the compiler vectorise the loops.
void start_sum(int32_t* __restrict sum, const int16_t* __restrict in) {
  for (size_t i = 0; i < SumBlock; ++i) sum[i] = in[i];
}

void add_into(int32_t* __restrict sum, const int16_t* __restrict in) {
  for (size_t i = 0; i < SumBlock; ++i) sum[i] += in[i];
}

void replace_into(int32_t* __restrict sum, int16_t* __restrict dest, const int16_t* __restrict fresh) {
  for (size_t i = 0; i < SumBlock; ++i) {
    sum[i] += int32_t(fresh[i]) - dest[i];
    dest[i] = fresh[i];
  }
}

}  // namespace

ring_sums_c::ring_sums_c(size_t pixels) : sums_(pixels, 0) { assert(pixels % SumBlock == 0); }

void ring_sums_c::rebuild(const int16_t* ring, int slots) {
  const size_t pixels = sums_.size();
  int32_t* sums = sums_.data();
  if (slots <= MostSlotsByBlock) {
    for (size_t start = 0; start < pixels; start += SumBlock) {
      start_sum(sums + start, ring + start);
      for (int s = 1; s < slots; ++s) add_into(sums + start, ring + size_t(s) * pixels + start);
    }
  } else {
    for (size_t start = 0; start < pixels; start += SumBlock) start_sum(sums + start, ring + start);
    for (int s = 1; s < slots; ++s)
      for (size_t start = 0; start < pixels; start += SumBlock) add_into(sums + start, ring + size_t(s) * pixels + start);
  }
  slots_ = slots;
}

void ring_sums_c::replace(int slot, int16_t* dest, const int16_t* fresh) {
  const size_t pixels = sums_.size();
  if (dest == fresh) return;
  if (slot >= slots_) {
    std::memcpy(dest, fresh, sizeof(int16_t) * pixels);
    return;
  }
  for (size_t start = 0; start < pixels; start += SumBlock)
    replace_into(sums_.data() + start, dest + start, fresh + start);
}
