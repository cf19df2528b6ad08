#include "app/scan_page.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/engine_errors.h"

namespace {

TEST(ScanPageTick, PhaseMachine) {
  const uint32_t ended = act_close_worker | act_arrow_cursor | act_kill_timer | act_stop_animation;
  const struct {
    const char* what;
    int32_t phase;
    bool worker_ended;
    int32_t result;
    scan_tick expected;
    bool devices_kept = true;
  } cases[] = {
      {"first tick starts the device scan", 0, false, 0, {1, act_start_device_scan}},
      {"device scan still running", 1, false, 0, {1, 0}},
      {"device scan done", 1, true, 0, {2, act_close_worker | act_add_checking_line | act_start_online_check}},
      {"device scan kept nothing: nothing to ask the service", 1, true, 0, {2, ended | act_post_scan_done}, false},
      {"device scan failed: timer and animation stopped before the dialog, back to idle", 1, true, -1,
       {0, act_close_worker | act_kill_timer | act_show_device_error | act_reset_progress |
               act_arrow_cursor | act_stop_animation | act_post_show_home}},
      {"online check still running", 2, false, 0, {2, 0}},
      {"online check done", 2, true, 0, {2, ended | act_post_scan_done}},
      {"online check failed", 2, true, -1, {2, ended | act_show_scan_error}},
      {"an unknown phase does nothing", 7, true, 0, {7, 0}},
  };
  for (const auto& c : cases) {
    scan_tick t = decide_scan_tick(c.phase, c.worker_ended, c.result, c.devices_kept);
    EXPECT_EQ(t.phase, c.expected.phase) << c.what;
    EXPECT_EQ(t.actions, c.expected.actions) << c.what;
  }
  // The dialog's answer: Cancel goes home from idle; Retry leaves the restart to the main window.
  scan_tick cancel = decide_after_scan_error(2, 2);
  EXPECT_EQ(cancel.phase, 0);
  EXPECT_EQ(cancel.actions, act_reset_progress | act_post_show_home);
  scan_tick retry = decide_after_scan_error(2, 1);
  EXPECT_EQ(retry.phase, 2);
  EXPECT_EQ(retry.actions, 0u);
}

TEST(ScanPageErrors, TextTable) {
  const struct {
    int32_t code;
    bool error_text_empty, server_message_empty;
    scan_error_kind kind;
    std::string key;
  } cases[] = {
      {2, true, true, scan_error_kind::key, "error_internal_error"},
      {engine_error::client_create, true, true, scan_error_kind::key, "error_internal_error"},
      {engine_error::network_timeout, true, true, scan_error_kind::key, "error_network_timeout"},
      {engine_error::network_error, false, true, scan_error_kind::error_text, ""},
      {engine_error::network_error, true, true, scan_error_kind::status_format, "error_network_error"},
      {engine_error::invalid_data, true, true, scan_error_kind::key, "error_invalid_data"},
      {engine_error::compress, true, true, scan_error_kind::key, "error_on_compress"},
      {engine_error::decompress, true, true, scan_error_kind::key, "error_on_decompress"},
      {engine_error::nothing, true, true, scan_error_kind::key, "error_on_nothing"},
      {engine_error::server_said, true, false, scan_error_kind::server_message, ""},
      {engine_error::server_said, true, true, scan_error_kind::none, ""},
      {0, true, true, scan_error_kind::none, ""},
      {engine_error::device_list, false, false, scan_error_kind::none, ""},
      {engine_error::download_write, true, true, scan_error_kind::none, ""},
  };
  for (const auto& c : cases) {
    scan_error_choice choice = choose_scan_error(c.code, c.error_text_empty, c.server_message_empty);
    EXPECT_EQ(choice.kind, c.kind) << c.code;
    EXPECT_EQ(std::string(choice.key ? choice.key : ""), c.key) << c.code;
  }
}

TEST(ScanPageErrors, StatusFormatReadsOnlyOneNumber) {
  const struct {
    std::u16string format;
    int32_t status;
    std::u16string expected;
  } cases[] = {
      {u"Network error.\nServer returns http code %d.", 500, u"Network error.\nServer returns http code 500."},
      {u"code %d", 0, u"code 0"},
      {u"%s %n %d %d 100%%", -1, u"%s %n -1 %d 100%"},
      {u"no number", 404, u"no number"},
      {u"trailing %", 1, u"trailing %"},
  };
  for (const auto& c : cases) EXPECT_EQ(format_status_text(c.format, c.status), c.expected);
  EXPECT_EQ(format_status_text(std::u16string(3000, u'x'), 1).size(), 1023u);
}

TEST(ScanListScroll, AppendWheelRequestsAndResize) {
  scan_list_scroll s;
  s.page_height = 100;  // four lines below the header
  for (int i = 0; i < 3; ++i) scroll_after_append(s);
  EXPECT_EQ(s.content_height, 100);
  EXPECT_FALSE(s.bar_needed());
  EXPECT_EQ(s.position, 1);  // content - page + 1
  scroll_after_append(s);
  EXPECT_EQ(s.content_height, 125);
  EXPECT_TRUE(s.bar_needed());
  EXPECT_EQ(s.position, 26);  // the newest line in view

  const struct {
    int request;
    int32_t track;
    int32_t raw, applied;
  } requests[] = {
      {scroll_request::line_up, 0, 16, 16},       {scroll_request::line_down, 0, 36, 26},
      {scroll_request::page_up, 0, -74, 0},       {scroll_request::page_down, 0, 126, 26},
      {scroll_request::thumb_track, 7, 7, 7},     {scroll_request::thumb_position, 400, 400, 26},
      {8 /* SB_ENDSCROLL */, 3, 26, 26},
  };
  for (const auto& r : requests) {
    int32_t raw = scroll_request_position(s, r.request, r.track);
    EXPECT_EQ(raw, r.raw) << r.request;
    EXPECT_EQ(clamp_scroll_position(s, raw), r.applied) << r.request;
  }

  s.position = 20;
  EXPECT_EQ(wheel_position(s, 120), 5);    // one notch up: 15 pixels
  EXPECT_EQ(wheel_position(s, -120), 35);  // and down
  EXPECT_EQ(wheel_position(s, 7), 20);     // toward zero
  scan_list_scroll fits;
  fits.page_height = 300;
  EXPECT_EQ(wheel_position(fits, -120), 0);  // nothing to scroll

  scroll_after_resize(s, 50);
  EXPECT_EQ(s.page_height, 50);
  EXPECT_EQ(s.position, 20);
  s.position = 70;
  scroll_after_resize(s, 100);  // taller: the position comes back inside the content
  EXPECT_EQ(s.position, 26);
  scroll_after_resize(s, 400);  // everything fits: no bar, position kept for the next append
  EXPECT_FALSE(s.bar_needed());
}

TEST(ScanPageTexts, ElapsedTimeAndBar) {
  const struct {
    int64_t seconds;
    std::u16string text;
  } times[] = {{0, u"00:00:00"}, {59, u"00:00:59"}, {61, u"00:01:01"}, {3600 * 23 + 59 * 60 + 59, u"23:59:59"},
               {86400 + 5, u"00:00:05"}, {-30, u"00:00:00"}};
  for (const auto& t : times) EXPECT_EQ(format_elapsed(t.seconds), t.text) << t.seconds;
  EXPECT_EQ(scan_fraction(0, 0), 0.0f);
  EXPECT_EQ(scan_fraction(5, 0), 0.0f);
  EXPECT_EQ(scan_fraction(5, 10), 0.5f);
  EXPECT_EQ(scan_fraction(12, 10), 1.0f);
}

}  // namespace
