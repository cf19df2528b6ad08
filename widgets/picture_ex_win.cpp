#include "widgets/picture_ex.h"

#include <process.h>

#include <cstring>

#include "widgets/gif_blocks.h"

namespace {

struct canvas_guard {
  explicit canvas_guard(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
  ~canvas_guard() { LeaveCriticalSection(&lock_); }
  CRITICAL_SECTION& lock_;
};

// A picture from bytes of global memory; the stream frees the memory when `owns` is set.
IPicture* picture_from(HGLOBAL memory, DWORD length, bool owns) {
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, owns ? TRUE : FALSE, &stream)) || !stream) {
    if (owns) GlobalFree(memory);
    return nullptr;
  }
  IPicture* picture = nullptr;
  HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(length), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(&picture));
  stream->Release();
  return SUCCEEDED(hr) ? picture : nullptr;
}

// Waits for the thread while serving messages other threads send to this one: the drawing
// thread's window calls may wait on this (the user-interface) thread.
void wait_serving_sent_messages(HANDLE thread) {
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) return;
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

CPictureExWnd::CPictureExWnd() {
  InitializeCriticalSection(&canvas_lock_);
  stop_event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

CPictureExWnd::~CPictureExWnd() {
  unload();
  if (stop_event_) CloseHandle(stop_event_);
  DeleteCriticalSection(&canvas_lock_);
}

BOOL CPictureExWnd::load_from_resource() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(scan_animation_resource), L"GIF");
  if (!found) return 0;
  DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || size == 0) return 0;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!memory) return 0;
  void* target = GlobalLock(memory);
  if (!target) {
    GlobalFree(memory);
    return 0;
  }
  std::memcpy(target, bytes, size);
  GlobalUnlock(memory);
  BOOL loaded_ok = load(memory, size);
  GlobalFree(memory);
  return loaded_ok;
}

BOOL CPictureExWnd::load(HGLOBAL memory, DWORD length) {
  unload();
  const auto* data = static_cast<const uint8_t*>(GlobalLock(memory));
  if (!data) return 0;
  data_length_ = length;
  if (!is_gif_data(data, length)) {
    GlobalUnlock(memory);
    if (!load_still(memory, length)) return 0;
    return prepare_canvas();
  }
  gif_screen screen;
  if (!read_gif_screen(data, length, screen)) {  // the head itself is cut
    GlobalUnlock(memory);
    return 0;
  }
  is_gif_ = 1;
  colour_table_size_ = screen.colour_table_size;
  if (screen.has_background) background = screen.background;
  width_ = screen.width;
  height_ = screen.height;
  int32_t blocks = count_gif_graphic_blocks(data, length, screen);
  if (blocks == 0) {
    GlobalUnlock(memory);
    return 0;
  }
  if (blocks == 1) {
    GlobalUnlock(memory);
    if (!load_still(memory, length)) return 0;
    return prepare_canvas();
  }
  load_frames(data, length);
  GlobalUnlock(memory);
  if (frames_.empty()) return 0;
  return prepare_canvas();
}

bool CPictureExWnd::load_still(HGLOBAL memory, DWORD length) {
  still_ = picture_from(memory, length, false);
  if (!still_) return false;
  if (!is_gif_) {  // a GIF keeps its logical screen
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    still_->get_Width(&w);
    still_->get_Height(&h);
    HDC screen = GetDC(nullptr);
    width_ = MulDiv(w, GetDeviceCaps(screen, LOGPIXELSX), 2540);
    height_ = MulDiv(h, GetDeviceCaps(screen, LOGPIXELSY), 2540);
    ReleaseDC(nullptr, screen);
  }
  return true;
}

void CPictureExWnd::load_frames(const uint8_t* data, DWORD length) {
  gif_screen screen;
  if (!read_gif_screen(data, length, screen)) return;
  for (gif_frame_cut& cut : cut_gif_frames(data, length, screen)) {
    HGLOBAL memory = GlobalAlloc(GMEM_FIXED, cut.gif.size());
    if (!memory) continue;
    std::memcpy(reinterpret_cast<void*>(memory), cut.gif.data(), cut.gif.size());
    IPicture* picture = picture_from(memory, static_cast<DWORD>(cut.gif.size()), true);
    if (!picture) continue;
    frames_.push_back({picture, cut.width, cut.height, cut.left, cut.top, cut.delay, cut.disposal});
  }
}

bool CPictureExWnd::prepare_canvas() {
  if (width_ <= 0 || height_ <= 0) return false;
  HWND window = handle();
  if (window)
    SetWindowPos(window, nullptr, 0, 0, width_, height_, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  HDC window_dc = GetDC(window);
  if (!window_dc) return false;
  HDC dc = CreateCompatibleDC(window_dc);
  HBITMAP bitmap = dc ? CreateCompatibleBitmap(window_dc, width_, height_) : nullptr;
  if (!dc || !bitmap) {
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    ReleaseDC(window, window_dc);
    return false;
  }
  {
    canvas_guard hold(canvas_lock_);
    canvas_dc_ = dc;
    canvas_bitmap_ = bitmap;
    canvas_previous_ = SelectObject(dc, bitmap);
    background = GetSysColor(COLOR_BTNFACE);
    RECT all{0, 0, width_, height_};
    FillRect(dc, &all, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1)));
  }
  ReleaseDC(window, window_dc);
  prepared_ = 1;
  return true;
}

BOOL CPictureExWnd::start() {
  if (!prepared_) return 0;
  if (is_gif_ && frames_.size() > 1) {
    if (thread_) return 0;  // already playing: one drawing thread at a time
    unsigned id = 0;
    auto made = _beginthreadex(nullptr, 0, &CPictureExWnd::thread_proc, this, CREATE_SUSPENDED, &id);
    if (!made) return 0;
    thread_ = reinterpret_cast<HANDLE>(made);
    ResumeThread(thread_);
    return 0;
  }
  if (!still_) return 0;
  if (!render(still_, 0, 0, width_, height_)) return 0;
  if (handle()) InvalidateRect(handle(), nullptr, FALSE);
  return 1;
}

unsigned __stdcall CPictureExWnd::thread_proc(void* self) {
  static_cast<CPictureExWnd*>(self)->run_animation();
  return 0;  // the handle is stop's to close, after the wait
}

void CPictureExWnd::run_animation() {
  running_ = 1;
  if (!frames_.empty()) dispose_frame(frames_[size_t(current_frame_)]);
  while (!stop_requested_) {
    const frame_record& f = frames_[size_t(current_frame_)];
    if (f.picture) {
      if (f.disposal == 3) {
        canvas_guard hold(canvas_lock_);
        saved_dc_ = CreateCompatibleDC(canvas_dc_);
        saved_bitmap_ = saved_dc_ ? CreateCompatibleBitmap(canvas_dc_, f.width, f.height) : nullptr;
        if (saved_bitmap_) {
          saved_previous_ = SelectObject(saved_dc_, saved_bitmap_);
          BitBlt(saved_dc_, 0, 0, f.width, f.height, canvas_dc_, f.left, f.top, SRCCOPY);
        } else if (saved_dc_) {
          DeleteDC(saved_dc_);
          saved_dc_ = nullptr;
        }
      }
      if (render(f.picture, f.left, f.top, f.width, f.height) && handle())
        InvalidateRect(handle(), nullptr, FALSE);
      if (stop_requested_) break;
      WaitForSingleObject(stop_event_, gif_frame_wait_ms(f.delay));
      if (stop_requested_) break;
      dispose_frame(f);
    }
    if (++current_frame_ >= static_cast<int32_t>(frames_.size())) {
      current_frame_ = 0;
      fill(RECT{0, 0, width_, height_}, background);
    }
  }
  running_ = 0;
}

void CPictureExWnd::dispose_frame(const frame_record& f) {
  if (f.disposal == 2) {
    fill(RECT{f.left, f.top, f.left + f.width, f.top + f.height}, background);
  } else if (f.disposal == 3) {
    canvas_guard hold(canvas_lock_);
    if (saved_dc_) {
      BitBlt(canvas_dc_, f.left, f.top, f.width, f.height, saved_dc_, 0, 0, SRCCOPY);
      SelectObject(saved_dc_, saved_previous_);
      DeleteObject(saved_bitmap_);
      DeleteDC(saved_dc_);
      saved_dc_ = nullptr;
      saved_bitmap_ = nullptr;
      saved_previous_ = nullptr;
    }
  }
}

bool CPictureExWnd::render(IPicture* picture, int x, int y, int w, int h) {
  OLE_XSIZE_HIMETRIC hw = 0;
  OLE_YSIZE_HIMETRIC hh = 0;
  picture->get_Width(&hw);
  picture->get_Height(&hh);
  canvas_guard hold(canvas_lock_);
  if (!canvas_dc_) return false;
  return SUCCEEDED(picture->Render(canvas_dc_, x, y, w, h, 0, hh, hw, -hh, nullptr));
}

void CPictureExWnd::fill(const RECT& area, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  if (!brush) return;
  {
    canvas_guard hold(canvas_lock_);
    if (canvas_dc_) FillRect(canvas_dc_, &area, brush);
  }
  DeleteObject(brush);
}

void CPictureExWnd::clear_canvas() {
  fill(RECT{0, 0, width_, height_}, background);
  if (handle()) InvalidateRect(handle(), nullptr, FALSE);
}

void CPictureExWnd::stop() {
  running_ = 0;
  stop_requested_ = 1;
  if (stop_event_) SetEvent(stop_event_);
  if (thread_) {
    // The thread leaves at once on the event; it must have ended before its frames can go.
    wait_serving_sent_messages(thread_);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  if (stop_event_) ResetEvent(stop_event_);
  stop_requested_ = 0;
}

void CPictureExWnd::unload() {
  stop();
  if (still_) {
    still_->Release();
    still_ = nullptr;
  }
  for (frame_record& f : frames_)
    if (f.picture) f.picture->Release();
  frames_.clear();
  {
    canvas_guard hold(canvas_lock_);
    if (canvas_dc_) {
      SelectObject(canvas_dc_, canvas_previous_);
      DeleteDC(canvas_dc_);
    }
    if (canvas_bitmap_) DeleteObject(canvas_bitmap_);
    if (saved_dc_) {
      SelectObject(saved_dc_, saved_previous_);
      DeleteDC(saved_dc_);
    }
    if (saved_bitmap_) DeleteObject(saved_bitmap_);
    canvas_dc_ = saved_dc_ = nullptr;
    canvas_bitmap_ = saved_bitmap_ = nullptr;
    canvas_previous_ = saved_previous_ = nullptr;
  }
  width_ = height_ = 0;
  data_length_ = 0;
  current_frame_ = 0;
  colour_table_size_ = 0;
  is_gif_ = running_ = stop_requested_ = prepared_ = 0;
  background = RGB(255, 255, 255);
}

void CPictureExWnd::copy_canvas(HDC target) {
  canvas_guard hold(canvas_lock_);
  if (canvas_dc_) BitBlt(target, 0, 0, width_, height_, canvas_dc_, 0, 0, SRCCOPY);
}

bool CPictureExWnd::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM,
                                           LRESULT& result) {
  switch (message) {
    case WM_DESTROY:
      stop();
      result = 0;
      return true;
    case WM_PAINT: {
      result = 0;
      if (!GetUpdateRect(window, nullptr, FALSE)) return true;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (!dc) {
        result = E_FAIL;
        return true;
      }
      copy_canvas(dc);
      EndPaint(window, &ps);
      return true;
    }
    case WM_PRINTCLIENT:  // the same picture into a given context (screenshots, tests)
      copy_canvas(reinterpret_cast<HDC>(wparam));
      result = 0;
      return true;
    default:
      return false;
  }
}
