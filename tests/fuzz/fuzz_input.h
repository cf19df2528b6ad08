// Reading a fuzzer's bytes as the values a target needs: numbers taken from the front
// (zeros once the bytes run out) and whole frames drawn from what is left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "beamcam/frame_store.h"

class fuzz_input {
 public:
  fuzz_input(const uint8_t* data, size_t size) : p_(data), left_(size) {}

  template <typename T>
  T take() {
    T v{};
    size_t n = left_ < sizeof v ? left_ : sizeof v;
    std::memcpy(&v, p_, n);
    p_ += n;
    left_ -= n;
    return v;
  }

  // Fills a 720 x 576 frame with runs of (length, value) read from the rest of the bytes,
  // starting over from the first run until the frame is full: a few bytes describe a whole
  // frame with flat areas, edges and any int16 value. No bytes left: an all-zero frame.
  void fill_frame(int16_t* frame) const { fill_values(frame, FramePixels); }

  // The same for `count` values.
  void fill_values(int16_t* out, size_t count) const {
    if (left_ < 4) {
      std::memset(out, 0, sizeof(int16_t) * count);
      return;
    }
    size_t at = 0, pos = 0;
    while (at < count) {
      if (pos + 4 > left_) pos = 0;
      uint16_t length;
      int16_t value;
      std::memcpy(&length, p_ + pos, 2);
      std::memcpy(&value, p_ + pos + 2, 2);
      pos += 4;
      size_t n = size_t(length) + 1;
      if (n > count - at) n = count - at;
      for (size_t i = 0; i < n; ++i) out[at + i] = value;
      at += n;
    }
  }

  const uint8_t* rest() const { return p_; }
  size_t left() const { return left_; }

 private:
  const uint8_t* p_;
  size_t left_;
};
