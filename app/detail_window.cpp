#include "app/detail_window.h"

#include <cstdio>

#include "app/download_panel.h"
#include "base/text.h"

namespace {

const char16_t none_text[] = u"(none)";

// The file name part of an INF path: after its last backslash, the whole text when none.
std::u16string after_last_backslash(const char16_t* path) {
  std::u16string_view p(path);
  size_t slash = p.find_last_of(u'\\');
  return std::u16string(slash == std::u16string_view::npos ? p : p.substr(slash + 1));
}

std::u16string first_string(const std::u16string& multi) {
  return std::u16string(multi.c_str());  // up to the first NUL
}

std::u16string rank_text(uint32_t rank) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", rank);
  return std::u16string(text, text + 8);
}

}  // namespace

std::vector<property_row> device_property_rows(const device_info& d, const driver_group* group) {
  std::vector<property_row> rows = {
      {"device_detail_list_device_id", {}, {}},
      {"device_detail_list_device_desc", {}, {}},
      {"device_detail_list_matching_device_id", {}, {}},
      {"device_detail_list_hardware_ids", {}, {}},
      {"device_detail_list_compatible_ids", {}, {}},
      {"device_detail_list_manufacturer", {}, {}},
      {"device_detail_list_inf_name", {}, {}},
      {"device_detail_list_inf_date", {}, {}},
      {"device_detail_list_inf_version", {}, {}},
      {"device_detail_list_class_name", {}, {}},
      {"device_detail_list_class_desc", {}, {}},
      {"device_detail_list_enumerator", {}, {}},
      {"device_detail_list_rank_of_installed_driver", {}, {}},
  };
  rows[0].installed = d.instance_id;
  if (d.has_driver && !(group && group->unmatched)) {
    rows[1].installed = d.DriverDesc;
    rows[2].installed = d.MatchingDeviceId;
    rows[3].installed = first_string(d.hardware_ids);
    rows[4].installed = first_string(d.compatible_ids);
    rows[5].installed = d.ProviderName;
    rows[6].installed = d.InfPath;
    rows[7].installed = d.DriverDate;
    rows[8].installed = d.DriverVersion;
    if (d.device_class) {
      rows[9].installed = d.device_class->class_name;
      rows[10].installed = d.device_class->description;
    }
    rows[11].installed = d.enumerator;
    rows[12].installed = rank_text(d.driver_rank);
  }
  if (!group) return rows;
  for (int i : {0, 3, 4, 10, 11, 12}) rows[size_t(i)].offered = none_text;
  if (const driver_candidate* c = group_candidate(d, group->engine)) {
    rows[1].offered = c->desc;
    rows[2].offered = c->hardid;
    rows[5].offered = c->manu;
    rows[6].offered = after_last_backslash(c->infpath);
    rows[7].offered = c->date;
    rows[8].offered = c->ver;
    rows[9].offered = c->class_name;
  }
  return rows;
}

std::u16string device_list_name(const device_info& d, const std::u16string& unknown) {
  return d.name[0] ? std::u16string(d.name) : unknown;
}

std::vector<property_row> restore_property_rows(const backup_device& d) {
  return {
      {"device_detail_list_device_id", d.id, {}},
      {"device_detail_list_device_desc", d.desc, {}},
      {"device_detail_list_manufacturer", d.manu, {}},
      {"device_detail_list_inf_name", d.name, {}},
      {"device_detail_list_inf_date", d.date, {}},
      {"device_detail_list_inf_version", d.version, {}},
      {"device_detail_backup_date", d.backup_date, {}},
      {"device_detail_backup_file", d.backup_file, {}},
  };
}
