#include "app/download_panel.h"

#include "base/text.h"
#include "engine/download_sessions.h"

namespace {

bool begins_with_percent(const char16_t* text) { return text && text[0] == u'%'; }

}  // namespace

const driver_candidate* group_candidate(const device_info& device, int32_t engine) {
  return engine == match_engine_best ? device.best : device.latest;
}

bool shows_own_name(const driver_candidate& c, const device_info& d) {
  return begins_with_percent(c.desc) || equal_ci(c.desc, u"USB Video Device") ||
         equal_ci(c.desc, u"Intel MTP USB Device") || equal_ci(d.class_name, u"WPD") ||
         equal_ci(d.class_name, u"CDROM");
}

std::u16string device_line_text(const driver_group& g, const device_info& d, int32_t server_desc) {
  const driver_candidate* c = group_candidate(d, g.engine);
  if (!c || shows_own_name(*c, d)) return d.name;
  bool description;
  if (server_desc != 0)
    description = g.unmatched || (g.up_to_date && !d.has_driver);
  else if (g.unmatched)
    description = d.has_driver != 0;
  else
    description = g.up_to_date && !d.has_driver;
  return description ? c->desc : d.name;
}

row_dates download_row_dates(const driver_group& g) {
  row_dates dates;
  if (g.devices.empty()) return dates;
  const device_info& first = *g.devices[0];
  const driver_candidate* fc = group_candidate(first, g.engine);
  if (fc) dates.available = fc->date;
  if (g.unmatched) return dates;
  if (!g.up_to_date && first.has_driver)
    dates.installed = first.DriverDate;
  else if (fc)
    dates.installed = fc->date;
  if (g.up_to_date) return dates;
  for (const device_info* d : g.devices) {
    const driver_candidate* c = group_candidate(*d, g.engine);
    if (!c || !d->has_driver) continue;
    if (std::u16string_view(d->DriverDate) < std::u16string_view(c->date)) {
      dates.installed = d->DriverDate;
      dates.available = c->date;
      break;
    }
  }
  return dates;
}

const char* action_text_key(int32_t status) {
  switch (status) {
    case download_none:
      return "btn_download";
    case download_running:
      return "btn_pause";
    case download_partial:
    case download_failed:
      return "btn_resume";
    case download_done:
      return "btn_install";
    default:
      return nullptr;
  }
}

const char* status_text_key(int32_t status) {
  switch (status) {
    case download_none:
      return "download_not_download";
    case download_running:
      return "download_speed";
    case download_partial:
      return "download_paused";
    case download_failed:
      return "download_error";
    case download_done:
      return "download_completed";
    default:
      return nullptr;
  }
}

row_menu_state download_menu_state(int32_t status, bool transfer_running) {
  bool busy = status == download_running || transfer_running;
  return {busy || status == download_none, busy};
}

install_decision decide_install(const install_facts& f, const install_question& ask) {
  install_decision d;
  d.auto_backup = f.auto_backup;
  if (f.job_running) return d;
  if (!f.administrator) {
    ask(2, "download_setup_require");
    return d;
  }
  if (f.up_to_date && ask(3, "download_setup_warning") == 2) return d;
  if (f.first_has_driver) {
    if (f.auto_backup == 2) {
      bool yes = ask(3, "download_auto_backup_query") != 2;
      d.auto_backup = yes ? 1 : 0;
      d.save_auto_backup = true;
      d.back_up = yes;
    } else {
      d.back_up = f.auto_backup != 0;
    }
  }
  d.proceed = true;
  return d;
}

void fill_install_job(install_job& job, const driver_group& g, const std::u16string& package_path) {
  job.not_all_present = 0;
  job.force = 0;
  for (const device_info* d : g.devices)
    if (!d->present) job.not_all_present = 1;
  job.package_path = package_path;
  job.wanted_infs.clear();
  for (const device_info* d : g.devices)
    if (const driver_candidate* c = group_candidate(*d, g.engine)) job.wanted_infs.insert(c->infpath);
}

bool shows_install_wait(std::u16string_view package_path, std::optional<uint64_t> size) {
  if (equal_ci(get_file_extension(package_path), u".exe")) return true;
  return size && *size > 0x100000;
}
