#include "app/app_window_state.h"

#include <gtest/gtest.h>

namespace {

using ev = main_event;
using pg = main_page;

struct row {
  const char* what;
  int32_t state;            // before
  main_controller::input in;
  int32_t next_state;
  pg page;
  uint32_t actions;
};

constexpr uint32_t scan_start = act_disable_nav | act_start_page_scan;
constexpr uint32_t scan_end = act_reset_scan_phase | act_fill_results | act_enable_nav |
                              act_set_results_flag | act_select_mode;
constexpr uint32_t quit_asking = act_ask_quit | act_stop_work | act_destroy;

main_controller::input in(ev e, int32_t value = 0) {
  main_controller::input i;
  i.event = e;
  i.value = value;
  return i;
}
main_controller::input modal(main_controller::input i) {
  i.modal_open = true;
  return i;
}
main_controller::input phase(main_controller::input i, int32_t p) {
  i.scan_phase = p;
  return i;
}
main_controller::input to_tray(main_controller::input i) {
  i.close_to_tray = true;
  return i;
}
main_controller::input working(main_controller::input i) {
  i.work_running = true;
  return i;
}

}  // namespace

TEST(MainWindowState, TransitionTable) {
  const row rows[] = {
      {"scan from overview", main_overview, in(ev::start_scan), main_scanning, pg::scan, scan_start},
      {"scan from results", main_results, in(ev::start_scan), main_scanning, pg::scan, scan_start},
      {"retry while scanning", main_scanning, in(ev::start_scan), main_scanning, pg::scan, scan_start},
      {"scan done shows the mode's page", main_scanning, in(ev::scan_done), main_results, pg::download,
       scan_end},
      {"home ends a scan", main_scanning, in(ev::show_home), main_overview, pg::home, act_enable_nav},
      {"home keeps results", main_results, in(ev::show_home), main_results, pg::home, act_enable_nav},
      {"bar ignored while scanning", main_scanning, in(ev::sidebar, 2), main_scanning, pg::unchanged,
       act_none},
      {"bar 1 with results: home", main_results, in(ev::sidebar, 1), main_results, pg::home, act_none},
      {"bar 1 with a scan page phase", main_results, phase(in(ev::sidebar, 1), 2), main_results, pg::scan,
       act_none},
      {"bar 2 with results", main_results, in(ev::sidebar, 2), main_results, pg::download, act_none},
      {"bar 5 with results", main_results, in(ev::sidebar, 5), main_results, pg::uninstall, act_none},
      {"bar 3 without results scans", main_overview, in(ev::sidebar, 3), main_scanning, pg::scan,
       scan_start},
      {"bar 6", main_overview, in(ev::sidebar, 6), main_overview, pg::unchanged, act_preferences},
      {"bar 7", main_results, in(ev::sidebar, 7), main_results, pg::unchanged, act_open_support},
      {"bar 9", main_results, in(ev::sidebar, 9), main_results, pg::unchanged, act_none},
      {"activate", main_overview, in(ev::activate, 0), main_overview, pg::unchanged, act_show_window},
      {"activate with a scan", main_results, in(ev::activate, 1), main_results, pg::unchanged,
       act_show_window | act_send_start_scan},
      {"activate with a scan while scanning", main_scanning, in(ev::activate, 1), main_scanning,
       pg::unchanged, act_show_window},
      {"activate under a dialog", main_overview, modal(in(ev::activate, 1)), main_overview, pg::unchanged,
       act_front_modal},
      {"scan request under a dialog waits", main_results, modal(in(ev::start_scan)), main_results,
       pg::unchanged, act_none},
      {"tray", main_overview, in(ev::tray, 0x202), main_overview, pg::unchanged, act_run_tray},
      {"tray under a dialog", main_overview, modal(in(ev::tray, 0x205)), main_overview, pg::unchanged,
       act_front_modal},
      {"close to tray", main_results, to_tray(in(ev::close)), main_results, pg::unchanged, act_hide_window},
      {"close quits", main_results, in(ev::close), main_results, pg::unchanged, act_destroy},
      {"close quits with work running", main_scanning, working(in(ev::close)), main_scanning, pg::unchanged,
       quit_asking},
      {"close under a dialog", main_overview, modal(in(ev::close)), main_overview, pg::unchanged,
       act_front_modal},
      {"quit", main_overview, in(ev::quit), main_overview, pg::unchanged, act_destroy},
      {"quit with work running", main_results, working(in(ev::quit)), main_results, pg::unchanged,
       quit_asking},
      {"quit under a dialog", main_results, modal(working(in(ev::quit))), main_results, pg::unchanged,
       act_front_modal},
  };
  for (const row& r : rows) {
    main_controller c;
    c.state = r.state;
    main_step s = c.step(r.in);
    EXPECT_EQ(s.state, r.next_state) << r.what;
    EXPECT_EQ(c.state, r.next_state) << r.what;
    EXPECT_EQ(s.page, r.page) << r.what;
    EXPECT_EQ(s.actions, r.actions) << r.what;
  }
}

TEST(MainWindowState, ModeChosenOnTheBarPicksThePageAtTheScansEnd) {
  const struct {
    int32_t button;
    pg page;
  } rows[] = {{2, pg::download}, {3, pg::backup}, {4, pg::restore}, {5, pg::uninstall}, {1, pg::download}};
  for (const auto& r : rows) {
    main_controller c;
    c.mode = 2;
    c.step(in(ev::sidebar, r.button));
    c.state = main_scanning;
    EXPECT_EQ(c.step(in(ev::scan_done)).page, r.page) << r.button;
  }
}

TEST(MainWindowState, RequestsUnderADialogRunWhenItCloses) {
  main_controller c;
  EXPECT_EQ(c.step(modal(in(ev::activate, 1))).actions, act_front_modal);
  main_step m = c.step(modal(in(ev::menu_command, 6)));
  EXPECT_EQ(m.actions, act_front_modal);
  EXPECT_EQ(m.command, -1);
  // Another dialog still open: nothing yet.
  EXPECT_EQ(c.step(modal(in(ev::modal_closed))).actions, act_none);
  main_step s = c.step(in(ev::modal_closed));
  EXPECT_EQ(s.actions, act_run_menu_command | act_send_start_scan);
  EXPECT_EQ(s.command, 6);
  // Carried out once.
  EXPECT_EQ(c.step(in(ev::modal_closed)).actions, act_none);

  // A scan that started meanwhile is not started twice.
  c.step(modal(in(ev::start_scan)));
  c.state = main_scanning;
  EXPECT_EQ(c.step(in(ev::modal_closed)).actions, act_none);
  EXPECT_FALSE(c.pending_scan);

  main_step direct = c.step(in(ev::menu_command, 5));
  EXPECT_EQ(direct.actions, act_run_menu_command);
  EXPECT_EQ(direct.command, 5);
}

TEST(MainWindowState, VersionLineTakesOnlyTheFirstTextPlace) {
  const struct {
    std::u16string format, expected;
  } rows[] = {
      {u"Version %s", u"Version 8.5.1"},
      {u"%s %s", u"8.5.1 %s"},
      {u"100%% %d %s", u"100% %d 8.5.1"},
      {u"no place", u"no place"},
      {u"trailing %", u"trailing %"},
      {u"", u""},
  };
  for (const auto& r : rows) EXPECT_EQ(version_line(r.format, u"8.5.1"), r.expected);
  EXPECT_EQ(version_line(std::u16string(2000, u'x'), u"8.5.1").size(), 1023u);
}

TEST(MainWindowState, OnlyWebLinksAreOpened) {
  const struct {
    const char* link;
    bool openable;
  } rows[] = {
      {"http://example.com/setup.exe", true}, {"HTTPS://example.com/", true},
      {"file:///C:/x.exe", false},            {"C:\\x.exe", false},
      {"javascript:alert(1)", false},         {"http://", false},
      {"", false},                            {" http://example.com", false},
  };
  for (const auto& r : rows) EXPECT_EQ(is_openable_link(r.link), r.openable) << r.link;
}
