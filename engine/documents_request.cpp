#include <tinyxml.h>

#include "base/text.h"
#include "engine/documents.h"
#include "engine/helpers.h"

std::u16string joined_lines(const std::u16string& multi) {
  std::u16string out;
  for (const auto& s : split_multi_string(multi)) {
    if (!out.empty()) out += u'\n';
    out += s;
  }
  return out;
}

void add_cdata_text(TiXmlElement* parent, const char* name, const std::string& text) {
  // A CDATA section cannot hold its own end marker (a device's serial number may): such a
  // text goes as escaped text, which reads back the same.
  const bool cdata = text.find("]]>") == std::string::npos;
  parent->LinkEndChild(xml_text_element(name, text.c_str(), cdata));
}

namespace {

// The service reads the identifiers in the ANSI page, whatever the declaration says.
void add_cdata(TiXmlElement* parent, const char* name, const std::u16string& text) {
  add_cdata_text(parent, name, u16_to_ansi(text));
}

}  // namespace

std::string build_driver_request(const std::vector<device_info>& devices,
                                 const request_client_facts& facts) {
  TiXmlDocument doc;
  doc.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));
  auto* root = new TiXmlElement("drivercb");
  doc.LinkEndChild(root);

  auto* client = new TiXmlElement("client");
  client->SetAttribute("version", program_version);
  client->SetAttribute("os", facts.os.c_str());
  client->SetAttribute("cpu", u16_to_utf8(facts.cpu).c_str());
  client->SetAttribute("sn", u16_to_utf8(facts.sn).c_str());
  root->LinkEndChild(client);

  auto* hardwares = new TiXmlElement("hardwares");
  root->LinkEndChild(hardwares);
  for (const auto& device : devices) {
    auto* hardware = new TiXmlElement("hardware");
    hardwares->LinkEndChild(hardware);
    add_cdata(hardware, "id", device.instance_id);
    add_cdata(hardware, "matchid", device.MatchingDeviceId);
    const std::u16string hardids = joined_lines(device.hardware_ids);
    if (!hardids.empty()) add_cdata(hardware, "hardids", hardids);
    const std::u16string compids = joined_lines(device.compatible_ids);
    if (!compids.empty()) add_cdata(hardware, "compids", compids);
  }

  return print_xml(doc);
}
