// The live capture of the beam camera: finds the USB video grabber among the video input
// devices, builds and runs the DirectShow graph, and hands every frame grabbed on the capture
// thread to the main form.
//
// Portable part: the video modes, the device-name rule, the camera-message text and the grab
// buffer shared by the capture thread and the user-interface thread. The Windows part (the
// graph itself) is declared at the end, for the Windows build only.
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <mutex>

// Posted to the main form after each frame copied into the grab buffer; wParam carries the
// length of that copy in bytes, lParam is 0.
constexpr unsigned WM_APP_FRAME_READY = 0x8001;  // WM_APP + 1

// Result codes of the capture code (the Windows values, also in the portable part).
constexpr int32_t capture_ok = 0;
constexpr int32_t capture_e_pointer = int32_t(0x80004003u);
constexpr int32_t capture_e_outofmemory = int32_t(0x8007000Eu);
constexpr int32_t capture_e_invalidarg = int32_t(0x80070057u);

// One of the two video standards the grabber delivers (720 pixels of YUY2 per row).
struct video_mode {
  int32_t lines;              // VideoLines
  uint8_t frames_to_average;  // FramesToAverage
  int32_t brightness;         // processing-amplifier values set with the manual flag
  int32_t contrast;
};
// Set for both modes, with the manual flag.
constexpr int32_t ProcAmpHue = 128;
constexpr int32_t ProcAmpSaturation = 80;
constexpr int32_t ProcAmpSharpness = 0;

// The mode of a capture format's sample size: 829440 bytes (720 x 576 x 2) or 691200 bytes
// (720 x 480 x 2). False for any other size.
bool video_mode_for_sample_size(uint32_t sample_size, video_mode* mode);

// True when a device's friendly name (ANSI code page) is one of the grabber's names. Letter
// case counts.
bool is_capture_device_name(const char* name);

constexpr size_t CameraMessageChars = 1024;
// Formats a camera message into `out` (CameraMessageChars characters): a longer text is cut
// to CameraMessageChars - 1 characters and always terminated. Returns the length written.
size_t format_camera_message(char* out, const char* format, va_list args);

// The copy of the last grabbed video buffer (GrabBuffer, GrabBufferSize). The capture thread
// writes it in BufferCB; the user-interface thread reads it in `read` and frees it in
// `release`. One lock covers the acquisition test and the copy, the read and the free, so
// that no copy happens while a conversion reads or after the buffer is freed.
class grab_buffer_c {
 public:
  grab_buffer_c() = default;
  ~grab_buffer_c();
  grab_buffer_c(const grab_buffer_c&) = delete;
  grab_buffer_c& operator=(const grab_buffer_c&) = delete;

  // Frames are copied only while `*acq_state` is 1 (acquisition running, ring not full).
  // Until attached, and after `release`, nothing is copied.
  void attach(const std::atomic<int16_t>* acq_state);

  struct grab_result {
    int32_t code;  // capture_ok, capture_e_pointer, capture_e_outofmemory, capture_e_invalidarg
    bool copied;   // a frame was copied: post WM_APP_FRAME_READY
  };
  // The rules of BufferCB: skipped unless acquiring; a missing buffer is E_POINTER; the buffer
  // only grows (a shorter frame reuses it); an allocation failure leaves it empty.
  grab_result BufferCB(const uint8_t* buffer, long length);

  // Calls reader(bytes, length) under the lock with the last copy as it stands (bytes null
  // and length 0 when there is none); returns what the reader returns.
  template <class Reader>
  auto read(Reader&& reader) {
    std::lock_guard<std::mutex> hold(lock_);
    return reader(static_cast<const uint8_t*>(data_), data_ ? last_length_ : size_t(0));
  }

  // Detaches the acquisition state and frees the buffer (FormClose). Frames still arriving
  // afterwards are ignored.
  void release();

  int32_t size() const;  // GrabBufferSize
  size_t last_length() const;

 private:
  mutable std::mutex lock_;
  const std::atomic<int16_t>* acq_state_ = nullptr;
  uint8_t* data_ = nullptr;
  int32_t size_ = 0;
  size_t last_length_ = 0;
};

// The program's one grab buffer, filled by the capture graph's callback.
extern grab_buffer_c GrabBuffer;

#ifdef _WIN32
#include <windows.h>

struct IBaseFilter;
struct IGraphBuilder;
struct ISampleGrabber;

// What the capture build needs of the main form.
class capture_form_i {
 public:
  virtual HWND frame_window() = 0;    // receives WM_APP_FRAME_READY
  virtual HWND preview_owner() = 0;   // Panel1: owner of the live video window
  virtual const std::atomic<int16_t>& acq_state() = 0;  // AcqState, read on every frame
  // No camera: Timer1 off, StartupState 200, start_exit_timer on.
  virtual void camera_missing() = 0;
  // Wrong video mode or no null renderer: StartupState 200, start_exit_timer on.
  virtual void end_on_next_tick() = 0;
  // VideoLines and FramesToAverage of the mode; MaskEdit2 shows the frame count.
  virtual void set_video_mode(const video_mode& mode) = 0;
  // The references the form keeps from the build to its destruction.
  IGraphBuilder* FilterGraph = nullptr;
  ISampleGrabber* SampleGrabber = nullptr;

 protected:
  ~capture_form_i() = default;
};

// Builds and runs the capture graph (COM initialised on this thread, apartment model).
// Returns 0 on success and when the program ends anyway (wrong video mode, no null
// renderer); otherwise the failing result code or E_FAIL. Every failure is shown by
// ShowCameraMessage. Frames go to GrabBuffer and WM_APP_FRAME_READY to form.frame_window().
HRESULT BuildCaptureGraph(capture_form_i& form);

// Sets *filter to the capture filter of the first device named like the grabber, or leaves
// it empty. A matching device that cannot be bound is passed over.
void FindCaptureDevice(capture_form_i* form, IBaseFilter** filter);

// Shows a formatted error box, caption "Camera Message", with no owner window; returns the
// box's result. `form` is not used.
int ShowCameraMessage(capture_form_i* form, const char* format, ...);

// Stops the graph and gives up the live video window (hidden, no owner), so that the window
// that holds it can go; the references stay with the form.
void StopCaptureGraph(capture_form_i& form);

// Releases the form's references: SampleGrabber first, then FilterGraph (form destruction).
void ReleaseCaptureGraph(capture_form_i& form);

// Where ShowCameraMessage's box goes: the system message box unless a test replaces it.
using camera_message_box_fn = int (*)(const char* text, const char* caption);
void set_camera_message_box(camera_message_box_fn box);  // null restores the system box
#endif
