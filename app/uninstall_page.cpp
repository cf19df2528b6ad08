#include "app/uninstall_page.h"

#include "app/download_page.h"
#include "engine/device_info.h"

installed_counts count_installed_packages(const std::vector<backup_entry>& entries) {
  installed_counts c;
  for (const backup_entry& e : entries) ++(e.inbox ? c.inbox : c.available);
  return c;
}

std::vector<installed_plan_line> installed_rebuild_plan(const std::vector<backup_entry>& entries) {
  const installed_counts counts = count_installed_packages(entries);
  std::vector<installed_plan_line> plan;
  const struct {
    int32_t header, count;
    uint8_t inbox;
  } groups[] = {{header_installed, counts.available, 0}, {header_inbox, counts.inbox, 1}};
  for (const auto& g : groups) {
    if (g.count <= 0) continue;
    plan.push_back({true, g.header, g.count, 0});
    for (size_t i = 0; i < entries.size(); ++i)
      if ((entries[i].inbox != 0) == (g.inbox != 0)) plan.push_back({false, rows_of_header(g.header), 0, i});
  }
  return plan;
}

int32_t installed_row_height(int32_t devices, int32_t line_height, int32_t title_height) {
  return devices * (line_height + 8) + 2 * title_height + 24;
}

installed_row_buttons installed_row_button_places(int32_t width, int32_t height) {
  return {{width - 132, height - 31}, {width - 23, 8}};
}

int32_t entry_index(const std::vector<backup_entry>& entries, const void* entry) {
  for (size_t i = 0; i < entries.size(); ++i)
    if (&entries[i] == entry) return int32_t(i);
  return -1;
}

bool may_start_uninstall(bool job_running, const backup_entry& entry) {
  if (job_running || entry.devices.empty() || !entry.devices[0]) return false;
  return entry.devices[0]->InfPath[0] != 0;
}
