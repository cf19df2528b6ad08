#include "app/download_page.h"

#include <string>

bool group_excluded(const driver_group& group, const exclusion_map& exclusions) {
  if (!group.candidate || !is_exclusion_key(group.candidate->md5sum)) return false;
  return exclusions.count(std::u16string(group.candidate->md5sum)) != 0;
}

namespace {

bool needs_update(const driver_group& g) { return !g.up_to_date; }

int32_t device_count(const driver_group& g) { return static_cast<int32_t>(g.devices.size()); }

int64_t package_size(const driver_group& g) { return g.candidate ? int64_t(g.candidate->size) : 0; }

}  // namespace

download_counts count_download_groups(const std::vector<driver_group>& groups, const exclusion_map& exclusions) {
  download_counts c;
  for (const driver_group& g : groups) {
    if (group_excluded(g, exclusions)) continue;
    if (!needs_update(g)) {
      c.up_to_date += device_count(g);
      continue;
    }
    (g.unmatched ? c.missing : c.out_of_date) += device_count(g);
    c.selected.count += device_count(g);
    c.selected.size += package_size(g);
  }
  return c;
}

int32_t rows_of_header(int32_t header_id) {
  if (header_id == header_missing) return 3;
  if (header_id == header_out_of_date) return 4;
  return 5;
}

std::vector<download_plan_line> download_rebuild_plan(const std::vector<driver_group>& groups,
                                                      const exclusion_map& exclusions,
                                                      const download_counts& counts) {
  std::vector<download_plan_line> plan;
  auto section = [&](int32_t header, int32_t count, auto belongs) {
    if (count <= 0) return;
    plan.push_back({true, header, count, 0});
    for (size_t i = 0; i < groups.size(); ++i)
      if (!group_excluded(groups[i], exclusions) && belongs(groups[i]))
        plan.push_back({false, rows_of_header(header), 0, i});
  };
  section(header_missing, counts.missing, [](const driver_group& g) { return needs_update(g) && g.unmatched; });
  section(header_out_of_date, counts.out_of_date,
          [](const driver_group& g) { return needs_update(g) && !g.unmatched; });
  section(header_up_to_date, counts.up_to_date, [](const driver_group& g) { return !needs_update(g); });
  return plan;
}

download_billboard choose_download_billboard(const download_counts& counts) {
  const int32_t n = counts.missing + counts.out_of_date;
  if (n <= 0) return {199, 0x0018721Au, "download_billboard_text3", 0};  // RGB(26,114,24)
  if (n < 8) return {198, 0x000B64EAu, "download_billboard_text1", n};   // RGB(234,100,11)
  return {174, 0x002322E9u, "download_billboard_text1", n};              // RGB(233,34,35)
}

download_selection recount_selection(const std::vector<driver_group>& groups, const exclusion_map& exclusions,
                                     int32_t link) {
  download_selection s;
  if (link != select_recommended && link != select_all) return s;
  for (const driver_group& g : groups) {
    if (group_excluded(g, exclusions)) continue;
    if (link == select_recommended && !needs_update(g)) continue;
    s.count += device_count(g);
    s.size += package_size(g);
  }
  return s;
}

void apply_selection_change(download_selection& selection, intptr_t devices, uintptr_t size) {
  const int64_t bytes = int64_t(uint32_t(size));
  selection.count += static_cast<int32_t>(devices);
  selection.size += devices < 0 ? -bytes : bytes;
}

download_all_decision decide_download_all(const download_selection& selection, int32_t checked_rows) {
  download_all_decision d;
  if (selection.count <= 0 || checked_rows <= 0) return d;
  d.ask = true;
  d.message_type = 3;
  d.key = "download_all_warning";
  d.files = checked_rows;
  d.size = selection.size;
  return d;
}

bool scan_report_due(uint32_t debug_status, bool after_scan) { return after_scan && debug_status == 0; }
