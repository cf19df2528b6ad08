// The device inventory, the first phase of a scan: the setup classes and every device the
// system lists, with its identifiers and installed driver, without duplicates and without
// devices not worth offering drivers for, into the device store.
//
// The platform's reader (a device_source) yields raw records; everything decided about them
// (cuts, de-duplication, the date rewrite, the drop and keep rules, the class look-ups) is
// here, so that it runs without Windows.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/device_store.h"

// The scan page's list, as the scan sees it. Called on the scan thread.
class scan_list_sink {
 public:
  // Every device entry examined, kept or not; the name may be empty.
  virtual void on_device_scanned(const char16_t* name) = 0;
  // The list's mutex, held while the scan publishes last_name; the page holds it to read.
  virtual void lock() = 0;
  virtual void unlock() = 0;

 protected:
  ~scan_list_sink() = default;
};

// What the scan page hands to the scan thread.
struct scan_progress {
  uint32_t scan_non_present = 0;     // the page's copy of ScanNonPresent
  std::atomic<int32_t> total{0};     // written by the scan: entries the system lists
  std::atomic<int32_t> current{0};   // written by the scan: 1-based entry just examined
  // A copy of the name of the device last kept, written under the list's lock: the page
  // reads it on its timer while the scan goes on growing the store.
  char16_t last_name[1025] = {};
  scan_list_sink* list = nullptr;
};

// One setup class as the platform reads it.
struct raw_class {
  class_guid_t guid{};
  std::u16string guid_text;
  std::u16string description;        // empty when it cannot be read
  std::optional<std::u16string> name;  // none when it cannot be read
  int32_t image_index = 0;
};

// One device entry as the platform reads it. A missing property is an empty text (or none
// where empty and missing differ).
struct raw_device {
  std::optional<std::u16string> instance_id;  // whole, before the cut
  std::u16string friendly_name;
  std::u16string description;
  std::optional<std::u16string> enumerator;
  std::u16string class_name;
  std::u16string class_guid;
  std::optional<std::u16string> hardware_ids;  // the property's units, NULs included
  std::u16string compatible_ids;
  bool status_read = false;  // the configuration manager answered for the device node
  uint32_t status = 0;
  uint32_t problem = 0;
};

// The installed driver's values from the device's driver key.
struct raw_driver_values {
  bool key_opened = false;
  // DriverVersion, InfPath, DriverDate, DriverDesc, MatchingDeviceId, ProviderName.
  std::optional<std::u16string> values[6];
};

enum class entry_result { entry, end, failure };

// The platform's side of a scan.
class device_source {
 public:
  virtual ~device_source() = default;
  // The setup classes in the system's order; false when the list cannot be built.
  virtual bool read_classes(std::vector<raw_class>& out) = 0;
  // Opens the list of every device, present or not; false when it cannot be opened.
  virtual bool open_devices() = 0;
  virtual int32_t count_devices() = 0;
  // The entry at an index, or the end of the list, or another failure.
  virtual entry_result read_device(int32_t index, raw_device& out) = 0;
  virtual raw_driver_values read_driver_values(int32_t index) = 0;
  // The setup rank of the installed driver; 0 when it cannot be read.
  virtual uint32_t read_driver_rank(int32_t index, const char16_t* inf_path) = 0;
  // Releases the device list; also called after a failure.
  virtual void close_devices() = 0;
};

// The whole scan over a source into a store: 0, or the failure's code (engine_error::
// class_list, device_list or device_walk). The store keeps what was gathered before a failure.
int32_t scan_devices(device_store& store, scan_progress& progress, device_source& source);

// The scan of this machine into the process-wide store, on the scan thread. False on failure,
// with the code in last_error_code.
bool scan_devices(scan_progress& progress);
// The worker-task callback of the scan phase: 0 when the scan succeeded, else -1.
int32_t device_scan_entry(void* progress);

// --- Rules of the scan, apart so that they can be tested one by one.

// The instance ID before its last backslash; none without one or with it first.
std::optional<std::u16string> cut_instance_id(std::u16string_view id);
// A multi-string as the store keeps it: each text and a NUL, then a NUL; the texts up to the
// first empty one (or the end of the units).
std::u16string normalize_multi_string(std::u16string_view units);
// month-day-year as year-month-day ("11-5-2013" gives "2013-11-05"); a date already in
// year-month-day stays (padded); anything else gives the empty text.
std::u16string rewrite_driver_date(std::u16string_view date);
// The class of a device: by class name when it has a class name and GUID, else "Unknown".
device_class_info* find_device_class(device_store& store, const device_info& device);
// The device's name when it tells none: the language text "unknown_device".
std::u16string unknown_device_text();
