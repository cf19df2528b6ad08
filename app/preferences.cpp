#include "app/preferences.h"

#include <cstdio>

#include "base/text.h"

namespace {

using k = pref_kind;
using c = pref_control;

// x, y and the extent as the pages are drawn; EDITs hold one character fewer than their field.
const std::vector<pref_layout> layout = {
    {c::box1, page_general, k::check_box, 180, 68, 500, 0, 0, 0, "settings_setting1"},
    {c::box2, page_general, k::check_box, 180, 94, 600, 0, 0, 0, "settings_setting2"},
    {c::box3, page_general, k::check_box, 180, 120, 500, 0, 0, 0, "settings_setting3"},
    {c::language, page_general, k::drop_down, 180, 185, 255, 0, 0, 0, nullptr},
    {c::box4, page_location, k::check_box, 177, 68, 500, 0, 0, 0, "settings_setting4"},
    {c::box5, page_location, k::check_box, 177, 94, 600, 0, 0, 0, "settings_setting5"},
    {c::match0, page_location, k::radio, 180, 149, 500, 0, 0, 0, "settings_setting6"},
    {c::match1, page_location, k::radio, 180, 173, 500, 0, 0, 0, "settings_setting7"},
    {c::browse_download, page_location, k::image_button, 537, 224, 0, 0, 0, 0, nullptr},
    {c::browse_backup, page_location, k::image_button, 537, 282, 0, 0, 0, 0, nullptr},
    {c::edit_download, page_location, k::edit, 180, 229, 338, 15, 1001, 259, nullptr},
    {c::edit_backup, page_location, k::edit, 180, 287, 338, 15, 1002, 259, nullptr},
    {c::edit_host, page_network, k::edit, 238, 200, 153, 15, 1003, 1024, nullptr},
    {c::edit_port, page_network, k::edit, 460, 200, 46, 15, 1004, 5, nullptr},
    {c::edit_user, page_network, k::edit, 238, 239, 153, 15, 1005, 63, nullptr},
    {c::edit_pass, page_network, k::edit, 238, 278, 153, 15, 1006, 63, nullptr},
    {c::proxy0, page_network, k::radio, 180, 78, 500, 0, 0, 0, "settings_no_proxy"},
    {c::proxy1, page_network, k::radio, 180, 104, 500, 0, 0, 0, "settings_use_ie"},
    {c::proxy2, page_network, k::radio, 180, 130, 500, 0, 0, 0, "settings_use_http"},
    {c::proxy3, page_network, k::radio, 180, 156, 500, 0, 0, 0, "settings_use_socks5"},
    {c::remove, page_exclusion, k::image_button, 483, 270, 0, 0, 0, 0, "btn_remove"},
    {c::exclusion_list, page_exclusion, k::list_view, 175, 70, 405, 190, 1007, 0, nullptr},
    {c::enable, page_scheduler, k::check_box, 165, 80, 500, 0, 0, 0, "settings_enable_sche_scan"},
    {c::period, page_scheduler, k::drop_down, 180, 130, 260, 0, 0, 0, nullptr},
    {c::hour, page_scheduler, k::drop_down, 180, 186, 260, 208, 0, 0, nullptr},
    {c::weekday, page_scheduler, k::drop_down, 180, 242, 260, 0, 0, 0, nullptr},
    {c::month_day, page_scheduler, k::drop_down, 180, 242, 260, 208, 0, 0, nullptr},
};

int in_list(uint32_t value, int count) { return value < static_cast<uint32_t>(count) ? static_cast<int>(value) : -1; }

}  // namespace

const std::vector<pref_layout>& preferences_layout() { return layout; }

const pref_layout& layout_of(pref_control id) { return layout[static_cast<size_t>(id)]; }

std::vector<pref_control> page_controls(int page, int period_selection) {
  switch (page) {
    case page_general: return {c::box1, c::box2, c::box3, c::language};
    case page_location:
      return {c::match0, c::match1, c::box4, c::box5, c::browse_download, c::browse_backup,
              c::edit_backup, c::edit_download};
    case page_network:
      return {c::edit_host, c::edit_port, c::edit_user, c::edit_pass,
              c::proxy0, c::proxy1, c::proxy2, c::proxy3};
    case page_exclusion: return {c::remove, c::exclusion_list};
    case page_scheduler: {
      std::vector<pref_control> shown = {c::enable, c::period};
      if (period_selection == 1) shown.push_back(c::weekday);
      if (period_selection == 2) shown.push_back(c::month_day);
      shown.push_back(c::hour);
      return shown;
    }
    default: return {};
  }
}

preferences_controls starting_values(const app_settings_record& s, int current_language_index,
                                     int language_count) {
  preferences_controls v;
  v.autorun = s.Autorun;
  v.close_to_tray = s.CloseToTray;
  v.check_version = s.CheckVersion;
  v.scan_non_present = s.ScanNonPresent;
  v.auto_backup = s.AutoBackup;
  v.language_index =
      current_language_index >= 0 && current_language_index < language_count ? current_language_index : -1;
  v.match = in_list(s.MatchEngine, 2);
  v.download_path = s.DownloadPath;
  v.backup_path = s.BackupPath;
  v.proxy = in_list(s.ProxyType, 4);
  v.proxy_host = s.ProxyHost;
  if (s.ProxyPort) v.proxy_port = utf8_to_u16(std::to_string(s.ProxyPort));
  v.proxy_user = s.ProxyUser;
  v.proxy_pass = s.ProxyPass;
  v.scheduler_enabled = s.EnableScheduler;
  v.period = in_list(s.SchedulePeriod, 3);
  v.hour = in_list(s.ScheduleStart, 24);
  v.weekday = s.SchedulePeriod == 1 ? in_list(s.ScheduleWhen, 7) : 0;
  v.month_day = s.SchedulePeriod == 2 ? in_list(s.ScheduleWhen, 30) : 0;
  return v;
}

std::vector<std::u16string> hour_rows() {
  std::vector<std::u16string> rows;
  for (int h = 0; h < 24; ++h) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:00", h);
    rows.push_back(utf8_to_u16(text));
  }
  return rows;
}

std::vector<std::u16string> month_day_rows() {
  std::vector<std::u16string> rows;
  for (int d = 1; d <= 30; ++d) rows.push_back(utf8_to_u16(std::to_string(d)));
  return rows;
}

uint32_t read_proxy_port(const std::u16string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  if (i < text.size() && text[i] == u'+') ++i;
  uint32_t value = 0;
  bool digits = false;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    digits = true;
    value = value * 10 + static_cast<uint32_t>(text[i] - u'0');
    if (value > 65535) return 0;
  }
  return digits && value >= 1 ? value : 0;
}

preferences_outcome apply_preferences(const app_settings_record& stored,
                                      const preferences_controls& v, int current_language_index,
                                      bool anything_running,
                                      const std::function<bool(const std::u16string&)>& folder_ready) {
  preferences_outcome out;
  // Folders first: a refused folder changes nothing.
  if (v.download_path != stored.DownloadPath) {
    if (anything_running) {
      out.refusal = "settings_download_warning";
      return out;
    }
    if (!folder_ready || !folder_ready(v.download_path)) {
      out.refusal = "settings_invalid_download";
      return out;
    }
    out.download_folder_changed = true;
  }
  if (v.backup_path != stored.BackupPath && (!folder_ready || !folder_ready(v.backup_path))) {
    out.refusal = "settings_invalid_backup";
    out.download_folder_changed = false;
    return out;
  }

  app_settings_record& s = out.settings;
  s = stored;
  s.Autorun = v.autorun;
  s.CloseToTray = v.close_to_tray;
  s.CheckVersion = v.check_version;
  // A list or radio set with nothing selected keeps what was stored.
  if (v.language_index >= 0 && !v.language_code.empty()) copy_cut(s.Language, v.language_code);
  if (v.match >= 0) s.MatchEngine = static_cast<uint32_t>(v.match);
  s.AutoBackup = v.auto_backup;
  s.ScanNonPresent = v.scan_non_present;
  copy_cut(s.DownloadPath, v.download_path);
  copy_cut(s.BackupPath, v.backup_path);

  if (v.proxy == 0 || v.proxy == 1) {
    s.ProxyType = static_cast<uint32_t>(v.proxy);
  } else if ((v.proxy == 2 || v.proxy == 3) && !v.proxy_host.empty() && !v.proxy_port.empty()) {
    // An HTTP or SOCKS5 proxy without host or port is dropped: the old proxy stays.
    s.ProxyType = static_cast<uint32_t>(v.proxy);
    copy_cut(s.ProxyHost, v.proxy_host);
    if (uint32_t port = read_proxy_port(v.proxy_port)) s.ProxyPort = port;
    copy_cut(s.ProxyUser, v.proxy_user);
    copy_cut(s.ProxyPass, v.proxy_pass);
  }

  const uint32_t enabled = v.scheduler_enabled;
  const uint32_t period = v.period >= 0 ? static_cast<uint32_t>(v.period) : stored.SchedulePeriod;
  const uint32_t hour = v.hour >= 0 ? static_cast<uint32_t>(v.hour) : stored.ScheduleStart;
  int chosen_when = period == 1 ? v.weekday : period == 2 ? v.month_day : -1;
  const uint32_t when = chosen_when >= 0 ? static_cast<uint32_t>(chosen_when) : stored.ScheduleWhen;
  if (enabled && (enabled != stored.EnableScheduler || period != stored.SchedulePeriod ||
                  when != stored.ScheduleWhen || hour != stored.ScheduleStart)) {
    s.SchedulePeriod = period;
    s.ScheduleWhen = when;
    s.ScheduleStart = hour;
    out.scheduler = scheduler_action::schedule;
    out.request = scheduled_scan_from_settings(period, hour, when);
  } else if (!enabled && stored.EnableScheduler) {
    out.scheduler = scheduler_action::remove;
  }
  s.EnableScheduler = enabled;

  out.reparse_language = v.language_index >= 0 && !v.language_code.empty() &&
                         v.language_index != current_language_index;
  return out;
}

void keep_scheduler_values(preferences_outcome& outcome, const app_settings_record& stored) {
  outcome.settings.EnableScheduler = stored.EnableScheduler;
  outcome.settings.SchedulePeriod = stored.SchedulePeriod;
  outcome.settings.ScheduleWhen = stored.ScheduleWhen;
  outcome.settings.ScheduleStart = stored.ScheduleStart;
}

void take_dialog_fields(app_settings_record& into, const app_settings_record& from) {
  into.Autorun = from.Autorun;
  into.CloseToTray = from.CloseToTray;
  into.CheckVersion = from.CheckVersion;
  copy_cut(into.Language, from.Language);
  into.MatchEngine = from.MatchEngine;
  into.ScanNonPresent = from.ScanNonPresent;
  into.AutoBackup = from.AutoBackup;
  copy_cut(into.DownloadPath, from.DownloadPath);
  copy_cut(into.BackupPath, from.BackupPath);
  into.ProxyType = from.ProxyType;
  copy_cut(into.ProxyHost, from.ProxyHost);
  into.ProxyPort = from.ProxyPort;
  copy_cut(into.ProxyUser, from.ProxyUser);
  copy_cut(into.ProxyPass, from.ProxyPass);
  into.EnableScheduler = from.EnableScheduler;
  into.SchedulePeriod = from.SchedulePeriod;
  into.ScheduleWhen = from.ScheduleWhen;
  into.ScheduleStart = from.ScheduleStart;
}

bool scheduler_change_done(scheduler_action action, bool worked, bool scheduler_available) {
  return worked || (action == scheduler_action::remove && !scheduler_available);
}
