#include "tools/engine-probe/probe.h"

#include <cstdlib>
#include <string_view>

#include "base/text.h"
#include "engine/driver_groups.h"
#include "engine/engine_errors.h"
#include "engine/history.h"
#include "engine/matching_exchange.h"

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

void append_multi(std::u16string& multi, std::string_view text) {
  if (!multi.empty()) multi.pop_back();  // the list's closing NUL
  multi += utf8_to_u16(text);
  multi += u'\0';
  multi += u'\0';
}

bool set_field(device_info& d, std::string_view key, std::string_view value) {
  std::u16string v = utf8_to_u16(value);
  if (key == "instance") copy_cut(d.instance_id, v);
  else if (key == "name") copy_cut(d.name, v);
  else if (key == "class") copy_cut(d.class_name, v);
  else if (key == "hardware") append_multi(d.hardware_ids, value);
  else if (key == "compatible") append_multi(d.compatible_ids, value);
  else if (key == "inf") copy_cut(d.InfPath, v);
  else if (key == "driver_date") copy_cut(d.DriverDate, v);
  else if (key == "driver_desc") copy_cut(d.DriverDesc, v);
  else if (key == "driver_version") copy_cut(d.DriverVersion, v);
  else if (key == "provider") copy_cut(d.ProviderName, v);
  else if (key == "matching_id") copy_cut(d.MatchingDeviceId, v);
  else if (key == "rank") d.driver_rank = uint32_t(std::strtoul(std::string(value).c_str(), nullptr, 0));
  else if (key == "problem") d.problem = int32_t(std::strtol(std::string(value).c_str(), nullptr, 0));
  else return false;
  if (key == "driver_version" || key == "inf") d.has_driver = 1;
  return true;
}

std::string text(const char16_t* field) { return u16_to_utf8(field); }

void candidate_line(std::string& out, const char* what, size_t device, const device_info& d,
                    const driver_candidate* c, int32_t needs_update) {
  out += std::string(what) + " " + std::to_string(device);
  if (c) {
    out += " " + std::to_string(c - d.candidates.data()) + " id=" + std::to_string(c->id) +
           " ver=" + text(c->ver);
  } else {
    out += " none";
  }
  out += " needs_update=" + std::to_string(needs_update) + "\n";
}

}  // namespace

bool load_probe_devices(const std::string& input, std::vector<device_info>& devices, std::string& error) {
  devices.clear();
  size_t line_no = 0;
  std::string_view rest(input);
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = trim(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    ++line_no;
    if (line.empty() || line.front() == '#') continue;
    if (line == "device") {
      devices.emplace_back();
      devices.back().present = 1;
      continue;
    }
    size_t eq = line.find('=');
    if (devices.empty() || eq == std::string_view::npos ||
        !set_field(devices.back(), trim(line.substr(0, eq)), trim(line.substr(eq + 1)))) {
      error = "line " + std::to_string(line_no) + ": " + std::string(line);
      return false;
    }
  }
  for (size_t i = 0; i < devices.size(); ++i) {
    if (devices[i].hardware_ids.empty()) {
      error = "device " + std::to_string(i) + " has no hardware line";
      return false;
    }
  }
  return true;
}

std::string run_engine_probe(std::vector<device_info>& devices, const std::u16string& program_folder,
                             int os_version) {
  match_context context;
  int32_t server_desc_value = 0;
  uint32_t autorun = 0;
  char16_t link[uninstall_link_capacity] = {};
  matching_inputs inputs{&devices, {"WIN7", u"probe cpu", u"probe sn"},
                         {&server_desc_value, &autorun, link, nullptr}, &context, program_folder.c_str()};
  check_status status{os_version, 0, {}};
  last_error_code = 0;
  server_message[0] = 0;
  check_drivers_online(status, inputs);

  std::string out;
  out += "code " + std::to_string(last_error_code) + "\n";
  out += "message " + text(server_message) + "\n";
  out += "http " + std::to_string(status.http_status) + "\n";
  out += "error " + std::string(status.error_text) + "\n";
  for (size_t i = 0; i < devices.size(); ++i) {
    const device_info& d = devices[i];
    out += "device " + std::to_string(i) + " " + text(d.instance_id) + " candidates=" +
           std::to_string(d.candidates.size()) + "\n";
    for (size_t k = 0; k < d.candidates.size(); ++k) {
      const driver_candidate& c = d.candidates[k];
      out += "candidate " + std::to_string(i) + " " + std::to_string(k) + " id=" + std::to_string(c.id) +
             " ver=" + text(c.ver) + " date=" + text(c.date) + " url=" + c.remote_url + "\n";
    }
    candidate_line(out, "best", i, d, d.best, d.best_needs_update);
    candidate_line(out, "latest", i, d, d.latest, d.latest_needs_update);
  }
  driver_group_list_c groups;
  groups.build(devices.data(), uint32_t(devices.size()), match_engine_best);
  for (size_t g = 0; g < groups.groups.size(); ++g) {
    const driver_group& group = groups.groups[g];
    out += "group " + std::to_string(g) + " url=" + (group.key ? group.key : "") + " devices=";
    for (size_t m = 0; m < group.devices.size(); ++m)
      out += (m ? "," : "") + std::to_string(group.devices[m] - devices.data());
    out += " up_to_date=" + std::to_string(group.up_to_date) + " unmatched=" +
           std::to_string(group.unmatched) + "\n";
  }
  return out;
}
