#include "app/app_window_state.h"

main_page page_of_mode(int32_t mode) {
  switch (mode) {
    case 1:
      return main_page::backup;
    case 2:
      return main_page::restore;
    case 3:
      return main_page::uninstall;
    default:
      return main_page::download;
  }
}

namespace {

// The switch to the scan page with a new scan on it.
void begin_scan(int32_t& state, main_step& s) {
  state = main_scanning;
  s.page = main_page::scan;
  s.actions |= act_disable_nav | act_start_page_scan;
}

}  // namespace

void main_controller::end_scan(main_step& s) {
  state = main_results;
  s.page = page_of_mode(mode);
  s.actions |= act_reset_scan_phase | act_fill_results | act_enable_nav | act_set_results_flag |
               act_select_mode;
}

void main_controller::go_home(main_step& s) {
  s.actions |= act_enable_nav | act_select_home;
  if (state == main_scanning) state = main_overview;
  s.page = main_page::home;
}

main_step main_controller::step(const input& in) {
  main_step s;
  switch (in.event) {
    case main_event::start_scan:
      // A scan must not rebuild the pages under an open dialog: it starts when the dialog
      // closes.
      if (in.modal_open)
        pending_scan = true;
      else
        begin_scan(state, s);
      break;

    case main_event::scan_done:
      if (in.modal_open) {
        pending_scan_done = true;
        pending_show_home = false;
        break;
      }
      end_scan(s);
      break;

    case main_event::show_home:
      if (in.modal_open) {
        pending_show_home = true;
        pending_scan_done = false;
        break;
      }
      go_home(s);
      break;

    case main_event::sidebar:
      if (state == main_scanning) break;  // the bar is disabled while a scan runs
      switch (in.value) {
        case 1:
          mode = 0;
          s.page = in.scan_phase != 0 ? main_page::scan : main_page::home;
          break;
        case 2:
        case 3:
        case 4:
        case 5:
          mode = in.value - 2;
          if (state == main_results) {
            s.page = page_of_mode(mode);
          } else if (in.modal_open) {
            pending_scan = true;
          } else {
            begin_scan(state, s);
          }
          break;
        case 6:
          s.actions |= act_preferences;
          break;
        case 7:
          s.actions |= act_open_support;
          break;
        default:
          break;
      }
      break;

    case main_event::activate:
      if (in.modal_open) {
        // Only the dialog comes to the front; a scan asked for waits until it closes.
        s.actions |= act_front_modal;
        if (in.value != 0 && state != main_scanning) pending_scan = true;
        break;
      }
      s.actions |= act_show_window;
      if (in.value != 0 && state != main_scanning) s.actions |= act_send_start_scan;
      break;

    case main_event::tray:
      // Under a dialog only a click brings it forward; a mouse move over the icon, or a
      // button going down, changes nothing.
      if (!in.modal_open)
        s.actions |= act_run_tray;
      else if (in.value == tray_left_button_up || in.value == tray_right_button_up ||
               in.value == tray_left_double_click)
        s.actions |= act_front_modal;
      break;

    case main_event::menu_command:
      if (in.modal_open) {
        pending_command = in.value;
        s.actions |= act_front_modal;
      } else {
        s.actions |= act_run_menu_command;
        s.command = in.value;
      }
      break;

    case main_event::modal_closed:
      if (in.modal_open) break;  // another dialog is still open
      if (pending_scan_done) {
        end_scan(s);  // its fill covers a rebuild that waited too
      } else {
        if (pending_show_home) go_home(s);
        if (pending_update_rebuild && state == main_results) s.actions |= act_rebuild_update;
      }
      pending_scan_done = pending_show_home = pending_update_rebuild = false;
      if (pending_command >= 0) {
        s.actions |= act_run_menu_command;
        s.command = pending_command;
        pending_command = -1;
      }
      if (pending_scan) {
        pending_scan = false;
        if (state != main_scanning) s.actions |= act_send_start_scan;
      }
      break;

    case main_event::close:
      if (in.modal_open) {
        s.actions |= act_front_modal;
      } else if (in.close_to_tray) {
        s.actions |= act_hide_window;
      } else {
        s.actions |= in.work_running ? act_ask_quit | act_stop_work | act_destroy : act_destroy;
      }
      break;

    case main_event::download_dir_changed:
    case main_event::exclusions_removed:
      if (in.event == main_event::download_dir_changed) s.actions |= act_refresh_sessions;
      // Only shown results follow; a scan's end fills the page anew anyway.
      if (state != main_results) break;
      if (in.modal_open)
        pending_update_rebuild = true;
      else
        s.actions |= act_rebuild_update;
      break;

    case main_event::quit:
      if (in.modal_open) {
        s.actions |= act_front_modal;
        break;
      }
      s.actions |= in.work_running ? act_ask_quit | act_stop_work | act_destroy : act_destroy;
      break;
  }
  s.state = state;
  return s;
}

const char* quit_question_key(const running_work& w) {
  if (w.install) return "quit_confirm_install";
  if (w.uninstall) return "quit_confirm_uninstall";
  if (w.restore) return "quit_confirm_restore";
  if (w.backup) return "quit_confirm_backup";
  if (w.download) return "quit_confirm";
  if (w.scan) return "quit_confirm_scan";
  return nullptr;
}

std::u16string version_line(std::u16string_view format, std::u16string_view version) {
  std::u16string out;
  bool replaced = false;
  for (size_t i = 0; i < format.size(); ++i) {
    char16_t c = format[i];
    if (c == u'%' && i + 1 < format.size()) {
      char16_t next = format[i + 1];
      if (next == u'%') {
        out += u'%';
        ++i;
        continue;
      }
      if (next == u's' && !replaced) {
        out += version;
        replaced = true;
        ++i;
        continue;
      }
    }
    out += c;
  }
  if (out.size() > 1023) out.resize(1023);
  return out;
}

bool is_openable_link(std::string_view link) {
  auto starts = [&](std::string_view prefix) {
    if (link.size() <= prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
      char c = link[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != prefix[i]) return false;
    }
    return true;
  };
  return starts("http://") || starts("https://");
}
