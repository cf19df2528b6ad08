// Windows only: the scan page. It runs the device scan and then the online check on worker
// threads, follows them on a 200 ms timer, shows the scanned devices, the elapsed time, the
// count, a bar and the scanning animation, and tells the main window how the scan ended
// (WM_APP_SCAN_DONE, WM_APP_SHOW_HOME, or WM_APP_START_SCAN for a retry).
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/scan_page.h"
#include "engine/inventory.h"
#include "engine/matching_exchange.h"
#include "engine/worker_task.h"
#include "framework/window.h"
#include "widgets/message_window.h"
#include "widgets/paint_win.h"
#include "widgets/picture_ex.h"
#include "widgets/ui_window.h"

// The header strip over the list: "Date" and "Status".
class scan_header_c : public window_impl<scan_header_c>, public ui_window_c<scan_header_c> {
 public:
  scan_header_c() { corner_radius = 0; }
  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  void paint(HDC dc, const RECT& client);
  void paint_frame(HDC, const RECT&) {}
};

// The list of scanned devices. The scan thread only appends under the list's mutex and posts
// a notice; the content height, the scroll bar and the position are the user-interface
// thread's alone.
class scan_list_c : public window_impl<scan_list_c>,
                    public ui_window_c<scan_list_c>,
                    public scan_list_sink {
 public:
  scan_list_c() { corner_radius = 0; }

  // The scan thread's callback: "scan_text2" and the name, with the local time.
  void on_device_scanned(const char16_t* name) override;
  void lock() override { mutex_.lock(); }
  void unlock() override { mutex_.unlock(); }
  // A line from the user-interface thread.
  void add_line(const std::u16string& text);
  void clear();

  const scan_list_scroll& scroll() const { return scroll_; }
  // The status texts so far (copied under the mutex).
  std::vector<std::u16string> status_texts();

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  void paint(HDC dc, const RECT& client);
  void paint_frame(HDC, const RECT&) {}

 private:
  void append(const std::u16string& status);
  void catch_up();  // the lines appended since the last notice: scroll to the newest
  void apply_position(int32_t position);
  void show_bar(bool shown);

  scan_list_scroll scroll_;
  size_t lines_shown_ = 0;  // lines the scroll arithmetic has taken in
  std::vector<std::u16string> status_texts_;
  std::vector<std::u16string> time_texts_;
  std::mutex mutex_;  // guards the two text vectors and the progress record's last name
  scan_header_c header_;
};

// What the page runs and shows; the program's own unless a test hands in others.
struct scan_page_seams {
  task_callback device_scan = device_scan_entry;
  task_callback online_check = online_check_entry;
  // The message dialog: 1 for OK or Retry, 2 for Cancel.
  int (*dialog)(void* owner, int type, const char16_t* text) = show_message_window;
};

class scan_window_c : public window_impl<scan_window_c>, public ui_window_c<scan_window_c> {
 public:
  static const wchar_t* window_class_name() { return L"VantorilScan"; }
  enum { scan_poll_timer = 1 };

  explicit scan_window_c(scan_page_seams seams = {});
  ~scan_window_c() override;

  // Makes the page as a hidden child of the main window, which receives its messages.
  HWND create(HWND main_window, const RECT& rect);

  void start_scan();
  void on_timer(UINT_PTR id);
  void reset_device_progress();
  void start_device_scan();
  void start_online_check();
  // The exchange's failure as a dialog: 1 Retry, 2 Cancel (2 also when there is no text).
  int show_scan_error();

  // The main window sets the phase to idle on WM_APP_SCAN_DONE and reads it for its button 1.
  int32_t phase = scan_phase::idle;

  // For the main window and the tests.
  int32_t devices_scanned() const { return progress_.current; }
  int32_t device_total() const { return progress_.total; }
  float progress_fraction() const { return painter_.fraction; }
  std::u16string elapsed_text() const;
  scan_list_c& list() { return list_; }
  CPictureExWnd& picture() { return picture_; }
  bool workers_running();

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  void paint(HDC dc, const RECT& client);
  void paint_frame(HDC, const RECT&) {}

 private:
  // The online check's record and its own outcome, read on this thread once it has ended.
  struct online_run {
    check_status status{};
    int32_t code = 0;
    task_callback entry = nullptr;
  };
  static int32_t online_run_entry(void* run);

  void on_create();
  void on_size();
  void redraw(UINT flags);
  bool worker_ended(worker_task_c& worker, bool start_failed);

  scan_page_seams seams_;
  HWND main_window_ = nullptr;
  int64_t start_time_ = 0;
  scan_progress progress_;
  online_run online_;
  worker_task_c device_worker_;
  worker_task_c online_worker_;
  bool device_start_failed_ = false;
  bool online_start_failed_ = false;
  progress_painter_c painter_;
  CPictureExWnd picture_;
  scan_list_c list_;
  HCURSOR wait_cursor_ = nullptr;
  HCURSOR arrow_cursor_ = nullptr;
};
