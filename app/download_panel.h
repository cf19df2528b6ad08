// The rules of a download row, apart from its window: which text stands for each device,
// which dates it shows, what its button and menu offer for the package's status, the order of
// the install step and when the install wait dialog is worth showing.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "engine/device_info.h"
#include "engine/driver_groups.h"
#include "engine/install_jobs.h"

// The device's candidate the group was built from: its best one for engine 0, else its latest.
const driver_candidate* group_candidate(const device_info& device, int32_t engine);

// The device's own name stands for a candidate whose text says nothing about the device.
bool shows_own_name(const driver_candidate& candidate, const device_info& device);
// The text of one device line; `server_desc` is the last answer's flag.
std::u16string device_line_text(const driver_group& group, const device_info& device, int32_t server_desc);

struct row_dates {
  std::u16string installed;  // empty for an unmatched group ("None" is shown)
  std::u16string available;
};
row_dates download_row_dates(const driver_group& group);

// The language key of the action for a session status; null for an unknown status.
const char* action_text_key(int32_t status);
// The status line's key (the speed line for a running download); null for an unknown status.
const char* status_text_key(int32_t status);

struct row_menu_state {
  bool delete_gray;
  bool exclude_gray;
};
// While a transfer still runs (also one paused but not yet ended) its files are in use.
row_menu_state download_menu_state(int32_t status, bool transfer_running);

// What the install step needs to know, and how it asks the user (1 Yes or OK, 2 No).
struct install_facts {
  bool job_running = false;
  bool administrator = true;
  bool up_to_date = false;
  bool first_has_driver = false;
  uint32_t auto_backup = 0;
};
struct install_decision {
  bool proceed = false;
  bool back_up = false;
  bool save_auto_backup = false;  // the setting changed and is to be saved
  uint32_t auto_backup = 0;
};
using install_question = std::function<int(int message_type, const char* key)>;
install_decision decide_install(const install_facts& facts, const install_question& ask);

// The job record for the group: the package, whether some device is absent, the INF path of
// each device's candidate by the group's engine.
void fill_install_job(install_job& job, const driver_group& group, const std::u16string& package_path);

// The wait dialog is shown for a program (".exe" in any case) and for a package above 1 MiB;
// `size` is empty when the file cannot be read.
bool shows_install_wait(std::u16string_view package_path, std::optional<uint64_t> size);
