// Per-pixel sums of the first slots of the frame ring, kept between combinations: a frame
// that replaces a slot adds itself and takes the frame it replaces away, exactly, in 32-bit
// integers (100 slots of 16-bit values cannot overflow them), so that an average needs no
// pass over the whole ring while only frames come and go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ring_sums_c {
 public:
  explicit ring_sums_c(size_t pixels);

  // True when the sums are those of slots 0..slots-1.
  bool holds(int slots) const { return slots_ == slots; }
  // Sums slots 0..slots-1 of `ring` (frames of `pixels` values one after the other) afresh.
  void rebuild(const int16_t* ring, int slots);
  // Copies `fresh` over `dest`, the frame of ring slot `slot`, and keeps the sums right.
  void replace(int slot, int16_t* dest, const int16_t* fresh);
  // The sums no longer follow the ring: the next use rebuilds them.
  void forget() { slots_ = 0; }

  const int32_t* data() const { return sums_.data(); }

 private:
  std::vector<int32_t> sums_;
  int slots_ = 0;  // 0: nothing held
};
