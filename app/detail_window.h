// The property table of the "Show Details" dialogs: thirteen labelled rows of a device's
// installed driver and, for a download row, the offered package beside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/backup_catalog.h"
#include "engine/device_info.h"
#include "engine/driver_groups.h"

constexpr int device_property_row_count = 13;

struct property_row {
  const char* label_key;
  std::u16string installed;
  std::u16string offered;  // download dialog only
};

// The rows for one device. `group` is the download row's group (its engine picks the
// candidate, the same one the row installs); null for the backup and uninstall dialogs, which
// show installed values only.
std::vector<property_row> device_property_rows(const device_info& device, const driver_group* group);

// The text the device list shows for a device: its name, or `unknown` when that is empty
// (download dialog).
std::u16string device_list_name(const device_info& device, const std::u16string& unknown);

// The eight rows of a restore row's device: what the catalog recorded of its driver, with
// the backup's date and archive name.
constexpr int restore_property_row_count = 8;
std::vector<property_row> restore_property_rows(const backup_device& device);
