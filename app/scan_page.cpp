#include "app/scan_page.h"

#include <string>

#include "engine/engine_errors.h"

scan_tick decide_scan_tick(int32_t phase, bool worker_ended, int32_t result, bool devices_kept) {
  switch (phase) {
    case scan_phase::idle:
      return {scan_phase::device_scan, act_start_device_scan};
    case scan_phase::device_scan:
      if (!worker_ended) return {phase, 0};
      // Back to idle, so that the page is never left stopped halfway, and with the animation
      // stopped: the page is hidden when the main window goes home.
      if (result != 0)
        return {scan_phase::idle, act_close_worker | act_kill_timer | act_show_device_error |
                                      act_reset_progress | act_arrow_cursor | act_stop_animation |
                                      act_post_show_home};
      if (!devices_kept)
        return {scan_phase::online_check, act_close_worker | act_arrow_cursor | act_kill_timer |
                                              act_stop_animation | act_post_scan_done};
      return {scan_phase::online_check, act_close_worker | act_add_checking_line | act_start_online_check};
    case scan_phase::online_check: {
      if (!worker_ended) return {phase, 0};
      uint32_t ended = act_close_worker | act_arrow_cursor | act_kill_timer | act_stop_animation;
      if (result != 0) return {phase, ended | act_show_scan_error};
      return {phase, ended | act_post_scan_done};
    }
    default:
      return {phase, 0};
  }
}

scan_tick decide_after_scan_error(int32_t phase, int dialog_result) {
  if (dialog_result == 2) return {scan_phase::idle, act_reset_progress | act_post_show_home};
  return {phase, 0};  // Retry: the main window starts the scan again
}

scan_error_choice choose_scan_error(int32_t code, bool error_text_empty, bool server_message_empty) {
  switch (code) {
    case 2:
    case engine_error::client_create: return {scan_error_kind::key, "error_internal_error"};
    case engine_error::network_timeout: return {scan_error_kind::key, "error_network_timeout"};
    case engine_error::network_error:
      if (!error_text_empty) return {scan_error_kind::error_text, nullptr};
      return {scan_error_kind::status_format, "error_network_error"};
    case engine_error::invalid_data: return {scan_error_kind::key, "error_invalid_data"};
    case engine_error::compress: return {scan_error_kind::key, "error_on_compress"};
    case engine_error::decompress: return {scan_error_kind::key, "error_on_decompress"};
    case engine_error::nothing: return {scan_error_kind::key, "error_on_nothing"};
    case engine_error::server_said:
      if (!server_message_empty) return {scan_error_kind::server_message, nullptr};
      return {scan_error_kind::none, nullptr};
    default: return {scan_error_kind::none, nullptr};
  }
}

std::u16string format_status_text(std::u16string_view format, int32_t status) {
  std::u16string out;
  bool placed = false;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size()) {
      char16_t next = format[i + 1];
      if (next == u'%') {
        out += u'%';
        ++i;
        continue;
      }
      if (next == u'd' && !placed) {
        for (char c : std::to_string(status)) out += static_cast<char16_t>(c);
        placed = true;
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  if (out.size() > 1023) out.resize(1023);
  return out;
}

int32_t clamp_scroll_position(const scan_list_scroll& s, int32_t position) {
  int32_t last = s.content_height - s.page_height + 1;
  if (position > 0 && last < position) position = last;
  return position <= 0 ? 0 : position;
}

void scroll_after_append(scan_list_scroll& s) {
  s.content_height += scan_line_height;
  s.position = clamp_scroll_position(s, s.content_height - s.page_height + 1);
}

int32_t scroll_request_position(const scan_list_scroll& s, int request, int32_t track_position) {
  switch (request) {
    case scroll_request::line_up: return s.position - 10;
    case scroll_request::line_down: return s.position + 10;
    case scroll_request::page_up: return s.position - s.page_height;
    case scroll_request::page_down: return s.position + s.page_height;
    case scroll_request::thumb_position:
    case scroll_request::thumb_track: return track_position;
    default: return s.position;
  }
}

int32_t wheel_position(const scan_list_scroll& s, int16_t delta) {
  if (!s.bar_needed()) return s.position;
  return s.position + delta / -8;
}

void scroll_after_resize(scan_list_scroll& s, int32_t client_height) {
  s.page_height = client_height;
  if (s.bar_needed()) s.position = clamp_scroll_position(s, s.position);
}

std::u16string format_elapsed(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  seconds %= 86400;
  int h = static_cast<int>(seconds / 3600), m = static_cast<int>(seconds / 60 % 60),
      sec = static_cast<int>(seconds % 60);
  std::u16string out;
  for (int part : {h, m, sec}) {
    if (!out.empty()) out += u':';
    out += static_cast<char16_t>(u'0' + part / 10);
    out += static_cast<char16_t>(u'0' + part % 10);
  }
  return out;
}

float scan_fraction(int32_t current, int32_t total) {
  if (total <= 0 || current <= 0) return 0.0f;
  if (current >= total) return 1.0f;
  return static_cast<float>(current) / static_cast<float>(total);
}
