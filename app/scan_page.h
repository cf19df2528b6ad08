// The scan page's decisions, without Windows: what each tick of the poll timer does, which
// text a failed exchange shows, the arithmetic of the device list's scrolling, and the texts
// of the elapsed time and the progress bar. app/scan_page_win.cpp carries them out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scan_phase {
constexpr int32_t idle = 0;          // no scan started, or it ended
constexpr int32_t device_scan = 1;   // worker 1 runs
constexpr int32_t online_check = 2;  // worker 2 runs
}  // namespace scan_phase

// What a tick does, carried out in this order.
enum scan_action : uint32_t {
  act_close_worker = 1u << 0,        // the ended worker's thread handle
  act_kill_timer = 1u << 1,          // before any dialog, so no tick runs underneath it
  act_arrow_cursor = 1u << 2,
  act_stop_animation = 1u << 3,
  act_show_device_error = 1u << 4,   // "Scan Devices Error"
  act_show_scan_error = 1u << 5,     // the exchange's text; its answer goes to decide_after_scan_error
  act_reset_progress = 1u << 6,
  act_post_show_home = 1u << 7,
  act_post_scan_done = 1u << 8,      // wParam: the device count
  act_start_device_scan = 1u << 9,
  act_add_checking_line = 1u << 10,  // "scan_text3"
  act_start_online_check = 1u << 11,
};

struct scan_tick {
  int32_t phase;
  uint32_t actions;
};

// One tick of the poll timer. `worker_ended`: the phase's worker has a thread handle and the
// thread has ended; `result` is its result then. `devices_kept`: the device scan kept at least
// one device (with none there is nothing to ask the service, and the scan is done).
scan_tick decide_scan_tick(int32_t phase, bool worker_ended, int32_t result, bool devices_kept = true);
// After the exchange's error dialog (1 Retry, 2 Cancel; no dialog counts as 2).
scan_tick decide_after_scan_error(int32_t phase, int dialog_result);

// The message for a failed exchange.
enum class scan_error_kind {
  none,            // no dialog: straight back home
  key,             // the language text of `key`
  error_text,      // the HTTP client's own text (ANSI code page)
  status_format,   // the language text of `key` with the HTTP status put in
  server_message,  // the service's status-499 text
};
struct scan_error_choice {
  scan_error_kind kind;
  const char* key;  // for key and status_format
};
scan_error_choice choose_scan_error(int32_t code, bool error_text_empty, bool server_message_empty);
// The language text with its first "%d" replaced by the status ("%%" reads "%"); no other
// directive is read, whatever the text holds. At most 1023 characters.
std::u16string format_status_text(std::u16string_view format, int32_t status);

// The device list's vertical scrolling, in pixels.
constexpr int32_t scan_line_height = 25;  // every line, and the header strip
struct scan_list_scroll {
  int32_t content_height = scan_line_height;
  int32_t position = 0;
  int32_t page_height = 0;
  bool bar_needed() const { return page_height < content_height; }
};
// The position kept inside the content: never past its end, never below 0.
int32_t clamp_scroll_position(const scan_list_scroll& s, int32_t position);
// A line appended: the content grows and the newest line comes into view.
void scroll_after_append(scan_list_scroll& s);
// Scroll bar requests (the platform's SB_* numbers) and the wheel: the new position, unclamped.
namespace scroll_request {
constexpr int line_up = 0, line_down = 1, page_up = 2, page_down = 3, thumb_position = 4,
              thumb_track = 5;
}
int32_t scroll_request_position(const scan_list_scroll& s, int request, int32_t track_position);
// One notch (120) moves 15 pixels; nothing when the content fits.
int32_t wheel_position(const scan_list_scroll& s, int16_t delta);
// The list was resized to a client height.
void scroll_after_resize(scan_list_scroll& s, int32_t client_height);

// The elapsed time as a duration "hh:mm:ss" (wrapping after a day; 0 when the clock went back).
std::u16string format_elapsed(int64_t seconds);
// The bar's share: current / total, 0 when nothing is counted yet, at most 1.
float scan_fraction(int32_t current, int32_t total);
