// Windows only: a child window showing a picture of the program's resources; an animated GIF
// plays on a drawing thread of its own. Frames are cut out by the portable block walker
// (widgets/gif_blocks.h), decoded by the platform's picture loader and composed on an
// off-screen canvas; painting only copies the canvas. The canvas is guarded by a lock, so a
// paint never sees half a frame and the two threads never use its device context at once.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <vector>

#include "framework/window.h"

enum { scan_animation_resource = 127 };

class CPictureExWnd : public window_impl<CPictureExWnd> {
 public:
  struct frame_record {
    IPicture* picture = nullptr;
    int32_t width = 0, height = 0, left = 0, top = 0;
    uint32_t delay = 0xFFFFFFFFu;  // hundredths of a second; all bits: none given
    int32_t disposal = 0;
  };

  CPictureExWnd();
  ~CPictureExWnd() override;

  // The program's resource "GIF" 127. 1 when a picture is ready.
  BOOL load_from_resource();
  // Picture bytes in global memory, which stays the caller's. 1 when a picture is ready.
  BOOL load(HGLOBAL memory, DWORD length);
  // Draws a still picture (1) or starts the animation (0); nothing while it already runs.
  BOOL start();
  void stop();
  void unload();

  // Fills the whole canvas with the background colour (the owner's after setting it).
  void clear_canvas();

  COLORREF background = RGB(255, 255, 255);

  // State, for the owner and the tests.
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  bool is_gif() const { return is_gif_ != 0; }
  bool is_prepared() const { return prepared_ != 0; }
  bool has_thread() const { return thread_ != nullptr; }
  bool is_running() const { return running_ != 0; }
  size_t frame_count() const { return frames_.size(); }
  const frame_record& frame(size_t i) const { return frames_[i]; }
  int32_t current_frame() const { return current_frame_; }

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;

 private:
  static unsigned __stdcall thread_proc(void* self);
  void run_animation();
  bool load_still(HGLOBAL memory, DWORD length);
  void load_frames(const uint8_t* data, DWORD length);
  bool prepare_canvas();
  void dispose_frame(const frame_record& f);
  bool render(IPicture* picture, int x, int y, int w, int h);
  void fill(const RECT& area, COLORREF colour);
  void copy_canvas(HDC target);

  int32_t width_ = 0, height_ = 0;
  DWORD data_length_ = 0;
  int32_t current_frame_ = 0;
  int32_t colour_table_size_ = 0;
  volatile LONG is_gif_ = 0, running_ = 0, stop_requested_ = 0, prepared_ = 0;
  HDC canvas_dc_ = nullptr;
  HBITMAP canvas_bitmap_ = nullptr;
  HGDIOBJ canvas_previous_ = nullptr;
  HDC saved_dc_ = nullptr;
  HBITMAP saved_bitmap_ = nullptr;
  HGDIOBJ saved_previous_ = nullptr;
  HANDLE thread_ = nullptr;
  HANDLE stop_event_ = nullptr;
  IPicture* still_ = nullptr;
  std::vector<frame_record> frames_;
  CRITICAL_SECTION canvas_lock_;
};
