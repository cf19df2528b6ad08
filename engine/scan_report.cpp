#include "engine/scan_report.h"

#include <tinyxml.h>

#include <cstdio>

#include "base/text.h"
#include "engine/device_store.h"
#include "engine/documents.h"
#include "engine/driver_groups.h"
#include "engine/helpers.h"
#include "engine/system_facts.h"

namespace {

void add_text(TiXmlElement* parent, const char* name, const std::string& text) {
  parent->LinkEndChild(xml_text_element(name, text.c_str(), false));
}

void add_utf8(TiXmlElement* parent, const char* name, const char16_t* field) {
  add_text(parent, name, u16_to_utf8(field));
}

// The device's identifiers and its installed driver.
TiXmlElement* local_element(const device_info& d) {
  auto* local = new TiXmlElement("local");
  add_cdata_text(local, "id", u16_to_utf8(d.instance_id));
  add_utf8(local, "desc", d.name);
  add_utf8(local, "class", d.class_name);
  add_utf8(local, "enumerator", d.enumerator);
  // The service reads the ID lists in the ANSI page, as in the matching request.
  const std::u16string hids = joined_lines(d.hardware_ids);
  if (!hids.empty()) add_cdata_text(local, "hids", u16_to_ansi(hids));
  const std::u16string cids = joined_lines(d.compatible_ids);
  if (!cids.empty()) add_cdata_text(local, "cids", u16_to_ansi(cids));
  add_cdata_text(local, "mid", u16_to_utf8(d.MatchingDeviceId));
  add_utf8(local, "date", d.DriverDate);
  add_utf8(local, "version", d.DriverVersion);
  add_utf8(local, "manu", d.ProviderName);
  add_utf8(local, "inf", d.InfPath);
  return local;
}

TiXmlElement* server_element(const driver_candidate& c) {
  auto* server = new TiXmlElement("server");
  add_utf8(server, "desc", c.desc);
  add_cdata_text(server, "mid", u16_to_utf8(c.hardid));
  add_utf8(server, "date", c.date);
  add_utf8(server, "version", c.ver);
  add_utf8(server, "manu", c.manu);
  add_utf8(server, "inf", c.infpath);
  add_text(server, "size", std::to_string(int32_t(c.size)));
  return server;
}

TiXmlElement* driver_element(const driver_group& g) {
  auto* driver = new TiXmlElement("driver");
  add_text(driver, "driver_id", std::to_string(g.candidate->id));
  add_text(driver, "link", g.candidate->remote_url);
  for (const device_info* d : g.devices) {
    auto* device = new TiXmlElement("device");
    driver->LinkEndChild(device);
    device->LinkEndChild(local_element(*d));
    // The best candidate whichever engine built the groups; a grouped device has one.
    if (d->best) device->LinkEndChild(server_element(*d->best));
  }
  return driver;
}

TiXmlElement* machine_element(const report_machine_facts& m) {
  auto* machine = new TiXmlElement("machine");
  machine->SetAttribute("os", u16_to_utf8(m.os).c_str());
  machine->SetAttribute("arch", m.is_64_bit ? "64" : "32");
  machine->SetAttribute("manu", u16_to_utf8(m.maker).c_str());
  machine->SetAttribute("model", u16_to_utf8(m.model).c_str());
  machine->SetAttribute("cpu", u16_to_utf8(m.cpu).c_str());
  machine->SetAttribute("memory", u16_to_utf8(m.memory).c_str());
  char lang[8];
  std::snprintf(lang, sizeof lang, "%X", unsigned(m.language));
  machine->SetAttribute("lang", lang);
  machine->SetAttribute("sn", u16_to_utf8(m.uuid).c_str());
  machine->SetAttribute("version", program_version);
  return machine;
}

}  // namespace

report_machine_facts machine_report_facts() {
  wait_for_wmi_facts();  // the start-up read may still run
  report_machine_facts m;
  m.os = os_caption;
  m.is_64_bit = system_is_64_bit();
  m.maker = system_maker;
  m.model = system_model;
  m.cpu = processor_name;
  m.memory = memory_text;
  m.language = ui_language;
  m.uuid = system_uuid;
  return m;
}

std::string build_scan_report(const driver_group_list_c& groups, const report_counts& counts,
                              const std::vector<device_info>& store_devices,
                              const report_machine_facts& machine) {
  TiXmlDocument doc;
  doc.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));
  auto* root = new TiXmlElement("drivercb");
  doc.LinkEndChild(root);
  root->LinkEndChild(machine_element(machine));

  auto* summary = new TiXmlElement("summary");
  summary->SetAttribute("outdated", counts.outdated);
  summary->SetAttribute("updated", counts.updated);
  summary->SetAttribute("notfound", counts.notfound);
  root->LinkEndChild(summary);

  auto* outdated = new TiXmlElement("outdated");
  auto* updated = new TiXmlElement("updated");
  root->LinkEndChild(outdated);
  root->LinkEndChild(updated);
  for (const driver_group& g : groups.groups)
    (g.up_to_date == 0 ? outdated : updated)->LinkEndChild(driver_element(g));

  auto* notfound = new TiXmlElement("notfound");
  root->LinkEndChild(notfound);
  for (const device_info& d : store_devices)
    if (d.candidates.empty()) notfound->LinkEndChild(local_element(d));

  return print_xml(doc);
}

std::string build_scan_report(const driver_group_list_c& groups, const report_counts& counts) {
  static const std::vector<device_info> none;
  const device_store* store = the_device_store();
  return build_scan_report(groups, counts, store ? store->devices : none, machine_report_facts());
}
