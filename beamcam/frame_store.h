// The frame store of the beam camera: converts grabbed video buffers into 16-bit intensity
// frames, keeps the last frames in a ring and combines the ring into the processed frame.
// Plain arithmetic on buffers, run on the user-interface thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "beamcam/peak_smoothing.h"
#include "beamcam/ring_sums.h"

constexpr int32_t FrameWidth = 720;
constexpr int32_t FrameHeight = 576;
constexpr size_t FramePixels = size_t(FrameWidth) * FrameHeight;
constexpr int RingSlots = 100;
// Every pixel of the processed frame lies in 0..765 after combination.
constexpr int CombinedMax = 765;

// 720 x 576 values, row-major, row 0 at the top; pixel (c, r) is element r * 720 + c.
using frame_buffer = std::vector<int16_t>;

enum acq_state : int16_t { acq_stopped = 0, acq_collecting = 1, acq_ring_full = 2 };
enum acq_mode : int16_t { acq_average = 0, acq_peak_hold = 1 };

// Bytes of one grabbed buffer: rows of 720 RGB24 pixels, the last row the top of the picture.
inline size_t video_buffer_bytes(int32_t video_lines) { return size_t(FrameWidth) * 3 * size_t(video_lines); }

// The last frames, RingSlots of them one after the other. The store keeps what it needs of
// them between combinations (the average's sums); a writable pointer taken from outside
// (tests fill slots directly) makes the next combination read the ring afresh, so write
// through it before that combination, not after.
class frame_ring_c {
 public:
  frame_ring_c() : values_(FramePixels * RingSlots, 0) {}
  const int16_t* data() const { return values_.data(); }
  int16_t* data() {
    written_ = true;
    return values_.data();
  }
  size_t size() const { return values_.size(); }

 private:
  friend class frame_store_c;
  std::vector<int16_t> values_;
  bool written_ = false;
};

// The gain of the last combination step as a table of all 65536 values, made by the gain
// itself whenever the gain changes: one look-up per pixel instead of a product, a cap and a
// conversion (which a processor without SSE2 pays dearly for).
class gain_table_c {
 public:
  gain_table_c();
  // What apply_gain(frame, gain) does.
  void apply(int16_t* frame, double gain);

 private:
  std::vector<int16_t> gained_;  // by the value's 16 bits
  double gain_ = 0;
  bool built_ = false;
};

class frame_store_c {
 public:
  frame_store_c();  // every buffer allocated once, filled with zeros

  // Converts one grabbed buffer into the next ring slot. A buffer shorter than the video
  // size is dropped, as is any frame while collection is not running. Always 0.
  int ConvertFrame(const uint8_t* bytes, size_t length);
  // Puts an already converted 720 x 576 frame into the next ring slot (steps shared with
  // ConvertFrame: the slot advances and a full ring asks for a combination).
  void store_in_ring(const int16_t* frame);
  // Combines the ring into ProcessedFrame, smooths around the peak and applies the gain.
  void CombineFrames();

  // The number of slots a combination reads: FramesToAverage kept inside 1..100.
  int slots_to_combine() const;

  int32_t VideoLines = 576;  // 576, or 480 once the capture format says so
  std::atomic<int16_t> AcqState{acq_stopped};  // also read by the capture thread
  int16_t AcqMode = acq_average;
  uint8_t RingPos = 0;
  uint8_t FramesToAverage = 10;
  double PixelGain = 1.0;

  frame_ring_c FrameRing;
  frame_buffer RawFrame;
  frame_buffer LineInterpBuffer;
  frame_buffer ProcessedFrame;

  // The peak that the last combination smoothed around.
  int32_t peak_x = 0, peak_y = 0;

 private:
  // Peak hold: the largest of the slots into ProcessedFrame, and its peak.
  template <size_t Block>
  void hold_peaks(int slots, int& best, size_t& at);
  // Average: the running sums divided into ProcessedFrame, and its peak.
  void average(int slots, int& best, size_t& at);
  ring_sums_c sums_;  // followed only while averaging
  gain_table_c gain_;
};

// Stretches the first 480 rows of `source` to 576 rows in `dest`: one interpolated row after
// every five source rows.
void stretch_480_to_576(const int16_t* source, int16_t* dest);
// v = trunc(v * gain), capped at 765.
void apply_gain(int16_t* frame, double gain);
