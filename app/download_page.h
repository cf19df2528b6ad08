// The update page's rules apart from its window: what it counts, which headers and rows a
// rebuild makes, which billboard it shows, what the selection links and check boxes do to the
// footer total, and what "Download All" does.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/driver_groups.h"
#include "engine/exclusion_list.h"

// A group is hidden when its package's MD5 sum keys an exclusion; a package without a sum
// never is.
bool group_excluded(const driver_group& group, const exclusion_map& exclusions);

struct download_selection {
  int32_t count = 0;  // devices in checked rows
  int64_t size = 0;   // bytes of the checked rows' packages
};

struct download_counts {
  int32_t missing = 0;
  int32_t out_of_date = 0;
  int32_t up_to_date = 0;
  download_selection selected;  // every row that needs an update starts checked
};
download_counts count_download_groups(const std::vector<driver_group>& groups, const exclusion_map& exclusions);

// Header ids and the row group of each header's rows.
enum : int32_t { header_missing = 0, header_out_of_date = 1, header_up_to_date = 2 };
int32_t rows_of_header(int32_t header_id);  // 0 gives 3, 1 gives 4, any other 5

// One line of the list a rebuild makes, in order.
struct download_plan_line {
  bool header = false;
  int32_t id = 0;      // header: 0, 1 or 2; row: its group id 3, 4 or 5
  int32_t count = 0;   // header: the count its title shows
  size_t group = 0;    // row: index into the groups
};
std::vector<download_plan_line> download_rebuild_plan(const std::vector<driver_group>& groups,
                                                      const exclusion_map& exclusions,
                                                      const download_counts& counts);

// The billboard by the number of devices to update.
struct download_billboard {
  int png;             // 199 none, 198 one to seven, 174 eight or more
  uint32_t colour;     // the title's colour as 0x00BBGGRR
  const char* key;     // the title's language text ("%d" filled with the number when > 0)
  int32_t updates;
};
download_billboard choose_download_billboard(const download_counts& counts);

// The selection links (WM_APP_SELECT_ROWS values) and the total after each.
enum : int32_t { select_recommended = 1, select_all = 2, select_none = 3 };
download_selection recount_selection(const std::vector<driver_group>& groups, const exclusion_map& exclusions,
                                     int32_t link);

// A row's check box changed: wParam carries the signed device count, lParam the package's
// unsigned 32-bit size; the size takes the sign of the count.
void apply_selection_change(download_selection& selection, intptr_t devices, uintptr_t size);

// What "Download All" does.
struct download_all_decision {
  bool ask = false;      // false: "download_no_driver_selected" with OK only
  int message_type = 1;  // 1 OK, 3 Yes/No
  const char* key = "download_no_driver_selected";
  int32_t files = 0;     // the "%d files" of the question: the checked rows
  int64_t size = 0;
};
download_all_decision decide_download_all(const download_selection& selection, int32_t checked_rows);

// Whether a rebuild sends the scan report: only the rebuild that shows a new scan, and only
// while no report has been accepted (DebugStatus 0). An exclusion or a change of the download
// folder lists the same scan again and reports nothing.
bool scan_report_due(uint32_t debug_status, bool after_scan);
