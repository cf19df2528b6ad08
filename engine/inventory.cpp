// The scan over a device source: the class list, then every device entry in the system's
// order through the keep and drop rules into the store.
#include "engine/inventory.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "base/text.h"
#include "engine/engine_errors.h"

namespace {

void build_class_list(device_store& store, const std::vector<raw_class>& raw) {
  store.classes.reserve(raw.size());
  for (const raw_class& r : raw) {
    if (!r.name) continue;  // a class whose name cannot be read is left out
    device_class_info c{};
    c.guid = r.guid;
    copy_cut(c.guid_text, r.guid_text);
    copy_cut(c.description, r.description);
    copy_cut(c.class_name, *r.name);
    c.image_list = store.image_list.handle;
    c.image_index = r.image_index;
    store.classes.push_back(c);
  }
  std::stable_sort(store.classes.begin(), store.classes.end(),
                   [](const device_class_info& a, const device_class_info& b) {
                     return std::u16string_view(a.description) < std::u16string_view(b.description);
                   });
}

// The identifiers of an entry; false when the device cannot be kept for want of them.
bool read_device_properties(const raw_device& raw, device_info& d) {
  if (!raw.instance_id) return false;
  std::optional<std::u16string> id = cut_instance_id(*raw.instance_id);
  if (!id) return false;
  copy_cut(d.instance_id, *id);

  const std::u16string& name = !raw.friendly_name.empty() ? raw.friendly_name : raw.description;
  copy_cut(d.name, name.empty() ? unknown_device_text() : name);

  // Some systems do not answer the enumerator property; it is the instance ID's first part.
  if (raw.enumerator && !raw.enumerator->empty())
    copy_cut(d.enumerator, *raw.enumerator);
  else
    copy_cut(d.enumerator, std::u16string_view(*raw.instance_id).substr(0, raw.instance_id->find(u'\\')));
  if (!d.enumerator[0]) return false;

  copy_cut(d.class_name, raw.class_name);
  copy_cut(d.class_guid, raw.class_guid);

  if (!raw.hardware_ids) return false;
  d.hardware_ids = normalize_multi_string(*raw.hardware_ids);
  if (d.hardware_ids.empty()) return false;
  d.compatible_ids = normalize_multi_string(raw.compatible_ids);
  return true;
}

// Copies the driver values in their order, up to the first missing one of the first five.
bool read_driver_values(const raw_driver_values& v, device_info& d) {
  if (!v.key_opened) return false;
  for (int i = 0; i < 6; ++i) {
    if (!v.values[i]) {
      if (i < 5) return false;
      continue;  // ProviderName may be missing
    }
    const std::u16string& text = *v.values[i];
    switch (i) {
      case 0: copy_cut(d.DriverVersion, text); break;
      case 1: copy_cut(d.InfPath, text); break;
      case 2: copy_cut(d.DriverDate, rewrite_driver_date(text)); break;
      case 3: copy_cut(d.DriverDesc, text); break;
      case 4: copy_cut(d.MatchingDeviceId, text); break;
      case 5: copy_cut(d.ProviderName, text); break;
    }
  }
  return true;
}

bool is_ci(const char16_t* field, std::u16string_view text) { return equal_ci(field, text); }

// Devices with an installed driver that are part of the machine itself.
bool dropped_with_driver(const device_info& d) {
  const char16_t* e = d.enumerator;
  const char16_t* c = d.class_name;
  return is_ci(e, u"ISAPNP") || is_ci(e, u"ROOT") || is_ci(c, u"DiskDrive") ||
         (is_ci(e, u"ACPI_HAL") && is_ci(c, u"System")) ||
         (is_ci(e, u"STORAGE") && is_ci(c, u"Volume")) ||
         (is_ci(e, u"ACPI") && (is_ci(c, u"System") || is_ci(c, u"Processor")));
}

// Printers and imaging devices are offered drivers also when they are unplugged.
bool worth_keeping(const device_info& d, uint32_t scan_non_present) {
  const char16_t* c = d.class_name;
  return scan_non_present != 0 || d.present || is_ci(c, u"Image") || is_ci(c, u"Printer") ||
         is_ci(c, u"Dot4Printer") || is_ci(d.enumerator, u"USBPRINT");
}

constexpr uint32_t dn_has_problem = 0x400;

void publish_kept_name(scan_progress& progress, const char16_t* name) {
  if (progress.list) {
    std::lock_guard<scan_list_sink> hold(*progress.list);
    copy_cut(progress.last_name, name);
  } else {
    copy_cut(progress.last_name, name);
  }
}

// Closes the device list on every way out of the walk.
struct device_list_closer {
  device_source& source;
  ~device_list_closer() { source.close_devices(); }
};

int32_t enumerate_devices(device_store& store, scan_progress& progress, device_source& source) {
  if (!source.open_devices()) return engine_error::device_list;
  device_list_closer closer{source};
  progress.total = source.count_devices();

  // Room for every entry up front: the array never moves during the walk, and the pages of
  // the room that dropped entries leave unused are never touched.
  if (progress.total > 0) store.devices.reserve(size_t(progress.total));

  // Kept instance IDs are unique, so this finds what find_device would, without a walk.
  std::unordered_map<std::u16string, size_t> kept;
  for (int32_t index = 0;; ++index) {
    raw_device raw;
    entry_result r = source.read_device(index, raw);
    if (r == entry_result::end) return 0;
    if (r == entry_result::failure) return engine_error::device_walk;

    // Built in place at the end of the store and taken off again when it is dropped.
    device_info& d = store.devices.emplace_back();
    d.duplicates = 1;
    bool keep = false;
    bool properties = read_device_properties(raw, d);
    if (progress.list) progress.list->on_device_scanned(d.name);

    if (properties) {
      auto seen = kept.find(d.instance_id);
      if (seen != kept.end()) {
        ++store.devices[seen->second].duplicates;
      } else {
        bool legacy = false;
        if (d.class_name[0] && d.class_guid[0]) {
          legacy = std::u16string_view(d.class_name) == u"LegacyDriver";
          if (!legacy) d.has_driver = read_driver_values(source.read_driver_values(index), d);
        }
        d.present = raw.status_read;
        d.problem = raw.status_read && raw.problem && (raw.status & dn_has_problem)
                        ? int32_t(raw.problem) : 0;
        d.device_class = find_device_class(store, d);
        keep = !legacy && d.device_class && !(d.has_driver && dropped_with_driver(d)) &&
               worth_keeping(d, progress.scan_non_present);
        // The rank matters only for a kept device, and reading it is the slow part.
        if (keep && d.has_driver) d.driver_rank = source.read_driver_rank(index, d.InfPath);
      }
    }
    progress.current = index + 1;
    if (keep) {
      kept.emplace(d.instance_id, store.devices.size() - 1);
      publish_kept_name(progress, d.name);
    } else {
      store.devices.pop_back();
    }
  }
}

}  // namespace

int32_t scan_devices(device_store& store, scan_progress& progress, device_source& source) {
  clear_device_store(store);
  std::vector<raw_class> raw;
  if (!source.read_classes(raw)) return engine_error::class_list;
  build_class_list(store, raw);
  return enumerate_devices(store, progress, source);
}
