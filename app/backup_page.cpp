#include "app/backup_page.h"

int32_t group_row_id(int32_t group) {
  switch (group) {
    case 0:
      return 3;
    case 1:
      return 4;
    default:
      return 5;
  }
}

std::vector<backup_plan_item> backup_group_plan(const std::vector<backup_entry>& entries) {
  std::vector<backup_plan_item> plan;
  for (int32_t group = 0; group < 2; ++group) {
    const bool inbox = group == 1;
    int32_t count = 0;
    for (const backup_entry& e : entries) count += (e.inbox != 0) == inbox ? 1 : 0;
    if (count == 0) continue;
    backup_plan_item header;
    header.header_id = group;
    header.count = count;
    plan.push_back(header);
    for (size_t i = 0; i < entries.size(); ++i) {
      if ((entries[i].inbox != 0) != inbox) continue;
      backup_plan_item row;
      row.entry = i;
      row.row_id = group_row_id(group);
      row.checked = !inbox;
      plan.push_back(row);
    }
  }
  return plan;
}

int32_t backup_row_height(size_t devices, int32_t line_height, int32_t title_height) {
  return int32_t(devices) * (line_height + 8) + 2 * title_height + 24;
}

backup_row_places backup_row_buttons(int32_t width, int32_t height, int32_t title_height) {
  return {6, title_height + 14, width - 132, height - 31, width - 23, 8};
}

bool row_checked_after(int which, bool inbox) {
  switch (which) {
    case select_recommended:
      return !inbox;
    case select_all:
      return true;
    default:
      return false;
  }
}

std::set<const backup_entry*> selection_after_link(const std::vector<backup_entry>& entries, int which) {
  std::set<const backup_entry*> selection;
  for (const backup_entry& e : entries)
    if (row_checked_after(which, e.inbox != 0)) selection.insert(&e);
  return selection;
}

std::vector<device_info*> selected_backup_devices(const std::set<const backup_entry*>& selection) {
  std::vector<device_info*> devices;
  for (const backup_entry* e : selection)
    if (e && !e->devices.empty()) devices.push_back(e->devices.front());
  return devices;
}

std::vector<device_info*> queued_backup_devices(const std::vector<device_info*>& queued,
                                                const std::vector<backup_entry>& entries) {
  std::vector<device_info*> kept;
  std::vector<bool> taken(entries.size(), false);
  for (device_info* d : queued) {
    if (!d) continue;
    for (size_t i = 0; i < entries.size(); ++i) {
      bool holds = false;
      for (const device_info* member : entries[i].devices) holds = holds || member == d;
      if (!holds) continue;
      if (!taken[i]) {
        taken[i] = true;
        kept.push_back(d);
      }
      break;
    }
  }
  return kept;
}

backup_message backup_result_message(int result, bool quiet) {
  if (quiet) return {};
  switch (result) {
    case run_succeeded:
      return {0, "backup_success"};
    case run_cancelled:
      return {};
    default:
      return {2, "backup_failed"};
  }
}

float backup_bar_fraction(int32_t progress, size_t devices, float previous) {
  if (devices == 0) return previous;
  float f = float(progress) / (float(devices) * 100.0f);
  if (f < 0) return 0;
  return f > 1 ? 1 : f;
}

backup_tick backup_dialog_tick(bool has_thread, bool thread_ended, bool task_running, int32_t result) {
  if (has_thread) {
    if (!thread_ended) return backup_tick::wait;
    return result < 0 ? backup_tick::end_failed : backup_tick::end_succeeded;
  }
  return task_running ? backup_tick::wait : backup_tick::end_failed;
}
