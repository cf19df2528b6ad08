#include "app/app_window_state.h"

#include <gtest/gtest.h>

#include <string>

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
      {"home ends a scan", main_scanning, in(ev::show_home), main_overview, pg::home,
       act_enable_nav | act_select_home},
      {"home keeps results", main_results, in(ev::show_home), main_results, pg::home,
       act_enable_nav | act_select_home},
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
      {"tray left click under a dialog", main_overview, modal(in(ev::tray, 0x202)), main_overview,
       pg::unchanged, act_front_modal},
      {"tray double click under a dialog", main_overview, modal(in(ev::tray, 0x203)), main_overview,
       pg::unchanged, act_front_modal},
      {"tray mouse move under a dialog", main_overview, modal(in(ev::tray, 0x200)), main_overview,
       pg::unchanged, act_none},
      {"tray button down under a dialog", main_overview, modal(in(ev::tray, 0x201)), main_overview,
       pg::unchanged, act_none},
      {"tray right button down under a dialog", main_overview, modal(in(ev::tray, 0x204)), main_overview,
       pg::unchanged, act_none},
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

// Navigation buttons by state: 2-5 set the mode; with results they switch pages, otherwise
// they scan (or wait for the open dialog); nothing while a scan runs.
TEST(MainWindowState, NavigationByState) {
  const struct {
    int32_t state;
    int32_t button;
    bool modal;
    int32_t next_state;
    int32_t mode;  // afterwards; the controller starts in mode 2
    pg page;
    uint32_t actions;
    bool pending_scan;
  } rows[] = {
      {main_overview, 1, false, main_overview, 0, pg::home, act_none, false},
      {main_overview, 2, false, main_scanning, 0, pg::scan, scan_start, false},
      {main_overview, 3, false, main_scanning, 1, pg::scan, scan_start, false},
      {main_overview, 4, false, main_scanning, 2, pg::scan, scan_start, false},
      {main_overview, 5, false, main_scanning, 3, pg::scan, scan_start, false},
      {main_overview, 5, true, main_overview, 3, pg::unchanged, act_none, true},
      {main_overview, 6, false, main_overview, 2, pg::unchanged, act_preferences, false},
      {main_overview, 7, false, main_overview, 2, pg::unchanged, act_open_support, false},
      {main_scanning, 1, false, main_scanning, 2, pg::unchanged, act_none, false},
      {main_scanning, 3, false, main_scanning, 2, pg::unchanged, act_none, false},
      {main_scanning, 6, false, main_scanning, 2, pg::unchanged, act_none, false},
      {main_results, 1, false, main_results, 0, pg::home, act_none, false},
      {main_results, 2, false, main_results, 0, pg::download, act_none, false},
      {main_results, 3, false, main_results, 1, pg::backup, act_none, false},
      {main_results, 4, false, main_results, 2, pg::restore, act_none, false},
      {main_results, 5, false, main_results, 3, pg::uninstall, act_none, false},
      {main_results, 6, false, main_results, 2, pg::unchanged, act_preferences, false},
      {main_results, 8, false, main_results, 2, pg::unchanged, act_none, false},
  };
  for (const auto& r : rows) {
    main_controller c;
    c.state = r.state;
    c.mode = 2;
    main_controller::input i = in(ev::sidebar, r.button);
    i.modal_open = r.modal;
    main_step s = c.step(i);
    const std::string what = "state " + std::to_string(r.state) + " button " + std::to_string(r.button);
    EXPECT_EQ(s.state, r.next_state) << what;
    EXPECT_EQ(c.mode, r.mode) << what;
    EXPECT_EQ(s.page, r.page) << what;
    EXPECT_EQ(s.actions, r.actions) << what;
    EXPECT_EQ(c.pending_scan, r.pending_scan) << what;
  }
}

// A scan's end shows the mode's page after filling every result page.
TEST(MainWindowState, ScanDoneByMode) {
  const struct {
    int32_t mode;
    pg page;
  } rows[] = {{0, pg::download}, {1, pg::backup}, {2, pg::restore}, {3, pg::uninstall}};
  for (const auto& r : rows) {
    main_controller c;
    c.state = main_scanning;
    c.mode = r.mode;
    main_step s = c.step(in(ev::scan_done, 4));
    EXPECT_EQ(s.state, main_results) << r.mode;
    EXPECT_EQ(s.page, r.page) << r.mode;
    EXPECT_EQ(s.actions, scan_end) << r.mode;
  }
}

// A new download folder always moves the sessions; only shown results are rebuilt, and under
// an open dialog the rebuild waits for it. An exclusion removed in the preferences does the
// same without the sessions.
TEST(MainWindowState, FolderChangeAndRemovedExclusionByState) {
  const struct {
    ev event;
    int32_t state;
    bool modal;
    uint32_t now;
    uint32_t on_close;  // when the dialog closes
  } rows[] = {
      {ev::download_dir_changed, main_overview, false, act_refresh_sessions, act_none},
      {ev::download_dir_changed, main_scanning, false, act_refresh_sessions, act_none},
      {ev::download_dir_changed, main_results, false, act_refresh_sessions | act_rebuild_update, act_none},
      {ev::download_dir_changed, main_results, true, act_refresh_sessions, act_rebuild_update},
      {ev::download_dir_changed, main_overview, true, act_refresh_sessions, act_none},
      {ev::exclusions_removed, main_overview, false, act_none, act_none},
      {ev::exclusions_removed, main_scanning, false, act_none, act_none},
      {ev::exclusions_removed, main_results, false, act_rebuild_update, act_none},
      {ev::exclusions_removed, main_results, true, act_none, act_rebuild_update},
  };
  for (const auto& r : rows) {
    main_controller c;
    c.state = r.state;
    main_controller::input i = in(r.event);
    i.modal_open = r.modal;
    main_step s = c.step(i);
    const std::string what = std::to_string(int(r.event)) + " state " + std::to_string(r.state) +
                             (r.modal ? " under a dialog" : "");
    EXPECT_EQ(s.actions, r.now) << what;
    EXPECT_EQ(s.state, r.state) << what;
    EXPECT_EQ(c.step(in(ev::modal_closed)).actions, r.on_close) << what;
    EXPECT_EQ(c.step(in(ev::modal_closed)).actions, act_none) << what;
  }
}

// A scan that ends while a dialog is open leaves the dialog alone: no page is filled or shown
// until it closes, and then the end is handled once, with what else waited.
TEST(MainWindowState, AScansEndUnderADialogWaitsForItToClose) {
  main_controller c;
  c.state = main_scanning;
  c.mode = 1;
  main_step under = c.step(modal(in(ev::scan_done, 3)));
  EXPECT_EQ(under.actions, act_none);
  EXPECT_EQ(under.page, pg::unchanged);
  EXPECT_EQ(under.state, main_scanning);
  // A folder change meanwhile adds nothing: the fill rebuilds the update page anyway.
  EXPECT_EQ(c.step(modal(in(ev::download_dir_changed))).actions, act_refresh_sessions);
  c.step(modal(in(ev::menu_command, 4)));
  EXPECT_EQ(c.step(modal(in(ev::modal_closed))).actions, act_none);  // a second dialog still open
  main_step closed = c.step(in(ev::modal_closed));
  EXPECT_EQ(closed.state, main_results);
  EXPECT_EQ(closed.page, pg::backup);
  EXPECT_EQ(closed.actions, scan_end | act_run_menu_command);
  EXPECT_EQ(closed.command, 4);
  EXPECT_EQ(c.step(in(ev::modal_closed)).actions, act_none);

  // A failed scan's way home waits the same way; the later end wins.
  c.state = main_scanning;
  c.step(modal(in(ev::scan_done)));
  c.step(modal(in(ev::show_home)));
  main_step home = c.step(in(ev::modal_closed));
  EXPECT_EQ(home.page, pg::home);
  EXPECT_EQ(home.actions, act_enable_nav | act_select_home);
  EXPECT_EQ(home.state, main_overview);
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

// The quit question names the work; a job comes first, as the quit waits for it.
TEST(MainWindowState, TheQuitQuestionNamesTheWork) {
  auto work = [](std::initializer_list<bool running_work::*> on) {
    running_work w;
    for (auto field : on) w.*field = true;
    return w;
  };
  const struct {
    running_work work;
    const char* key;
    bool jobs;
  } rows[] = {
      {work({}), nullptr, false},
      {work({&running_work::download}), "quit_confirm", false},
      {work({&running_work::scan}), "quit_confirm_scan", false},
      {work({&running_work::backup, &running_work::download}), "quit_confirm_backup", false},
      {work({&running_work::install, &running_work::download, &running_work::scan}), "quit_confirm_install", true},
      {work({&running_work::uninstall, &running_work::scan}), "quit_confirm_uninstall", true},
      {work({&running_work::restore}), "quit_confirm_restore", true},
  };
  for (const auto& r : rows) {
    const char* key = quit_question_key(r.work);
    EXPECT_EQ(key ? std::string(key) : "", r.key ? std::string(r.key) : "") << (r.key ? r.key : "none");
    EXPECT_EQ(r.work.any(), r.key != nullptr);
    EXPECT_EQ(r.work.jobs(), r.jobs) << (r.key ? r.key : "none");
  }
}
