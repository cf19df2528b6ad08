#include "beamcam/capture_graph.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

grab_buffer_c GrabBuffer;

bool video_mode_for_sample_size(uint32_t sample_size, video_mode* mode) {
  static const struct {
    uint32_t sample_size;
    video_mode mode;
  } modes[] = {
      {720u * 576u * 2u, {576, 10, 64, 100}},
      {720u * 480u * 2u, {480, 5, 1, 127}},
  };
  for (const auto& m : modes) {
    if (m.sample_size == sample_size) {
      if (mode) *mode = m.mode;
      return true;
    }
  }
  return false;
}

bool is_capture_device_name(const char* name) {
  if (!name) return false;
  return std::strcmp(name, "AV TO USB2.0") == 0 || std::strcmp(name, "SMI Grabber Device") == 0;
}

size_t format_camera_message(char* out, const char* format, va_list args) {
  // Some runtimes leave a cut text unterminated and answer -1: terminate it here in every case.
  int n = std::vsnprintf(out, CameraMessageChars, format ? format : "", args);
  out[CameraMessageChars - 1] = '\0';
  if (n < 0) return std::strlen(out);
  return size_t(n) < CameraMessageChars ? size_t(n) : CameraMessageChars - 1;
}

grab_buffer_c::~grab_buffer_c() { std::free(data_); }

void grab_buffer_c::attach(const std::atomic<int16_t>* acq_state) {
  std::lock_guard<std::mutex> hold(lock_);
  acq_state_ = acq_state;
}

grab_buffer_c::grab_result grab_buffer_c::BufferCB(const uint8_t* buffer, long length) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!acq_state_ || acq_state_->load() != 1) return {capture_ok, false};
  if (!buffer) return {capture_e_pointer, false};
  if (length < 0) return {capture_e_invalidarg, false};
  if (length == 0) return {capture_ok, false};
  if (size_ < length) {
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    last_length_ = 0;
  }
  if (!data_) {
    data_ = static_cast<uint8_t*>(std::malloc(size_t(length)));
    if (!data_) {
      size_ = 0;
      return {capture_e_outofmemory, false};
    }
    size_ = int32_t(length);
  }
  std::memcpy(data_, buffer, size_t(length));
  last_length_ = size_t(length);
  return {capture_ok, true};
}

void grab_buffer_c::release() {
  std::lock_guard<std::mutex> hold(lock_);
  acq_state_ = nullptr;
  std::free(data_);
  data_ = nullptr;
  size_ = 0;
  last_length_ = 0;
}

int32_t grab_buffer_c::size() const {
  std::lock_guard<std::mutex> hold(lock_);
  return size_;
}

size_t grab_buffer_c::last_length() const {
  std::lock_guard<std::mutex> hold(lock_);
  return last_length_;
}
