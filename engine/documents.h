// The matching request that lists the scanned devices, and the reader of the service's answer
// that offers driver packages per device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/device_info.h"

class TiXmlDocument;
class TiXmlElement;

// The program's own version, as the request and the version check name it.
constexpr char program_version[] = "8.5.1";

// What the request's "client" element says about the machine.
struct request_client_facts {
  std::string os;       // the operating-system name text, e.g. "WIN7", "WIN764"
  std::u16string cpu;   // processor name (sent as UTF-8)
  std::u16string sn;    // product UUID (sent as UTF-8)
};

// This machine's facts, from the system facts.
request_client_facts machine_client_facts();

// Selects which description rule the download rows use; set by the answer's config element.
extern int32_t server_desc;

// Where the answer's config element lands, and how it is kept.
struct driver_config_target {
  int32_t* server_desc;
  uint32_t* autorun;          // taken only while it reads 2 (not decided yet)
  char16_t* uninstall_link;   // capacity uninstall_link_capacity
  void (*save)();             // saves the settings; may be null
};
constexpr size_t uninstall_link_capacity = 1025;
// server_desc, and Autorun and UninstallLink of the settings, saved with save_settings.
driver_config_target settings_config_target();

// The request document, printed with a tab per level and "\n" line breaks, no terminator.
std::string build_driver_request(const std::vector<device_info>& devices,
                                 const request_client_facts& client);

// The document as the program writes its own: a tab per level, "\n" line breaks, no terminator.
std::string print_xml(const TiXmlDocument& doc);
// The strings of a multi-string with a line feed between them; empty when there are none.
std::u16string joined_lines(const std::u16string& multi);
// A child element holding the text as one CDATA section; as escaped text when the text holds
// the section's end marker.
void add_cdata_text(TiXmlElement* parent, const char* name, const std::string& text);

// Reads the answer (exactly `length` bytes, no terminator needed) into the devices' candidates
// and applies its config element. False when the document is not whole. Each hardware element
// is parsed, read and freed before the next; the devices end as a reading of the whole
// document's tree would leave them, for every text.
bool parse_driver_answer(const char* text, size_t length, std::vector<device_info>& devices,
                         const driver_config_target& config);
// The device a hardware element's candidates go to (null when its id names no device); false
// when the element has no id text.
bool hardware_device(const TiXmlElement& hardware, std::vector<device_info>& devices, device_info*& device);
void parse_driver_config(const TiXmlElement& config, const driver_config_target& target);
// Replaces the device's candidates with the first max_candidates_per_device items; the count.
int parse_candidate_items(const TiXmlElement& hardware, device_info& device);
driver_candidate parse_candidate_item(const TiXmlElement& item);

// Parses exactly `length` bytes of a text from the network (no terminator needed) into doc;
// false, with doc left empty, when the elements nest deeper than any service document does.
bool parse_network_xml(TiXmlDocument& doc, const char* text, size_t length);
// The same for a document whose texts are in the ANSI code page whatever its declaration
// says: every byte is read as one character, so that a byte the UTF-8 rules take for the
// start of a longer character cannot swallow the markup after it.
bool parse_ansi_xml(TiXmlDocument& doc, const char* text, size_t length);

// False and an all-zero field without a text; else the ANSI text in the field, cut, and true.
bool copy_answer_text(const char* text, char16_t* field, size_t size);
