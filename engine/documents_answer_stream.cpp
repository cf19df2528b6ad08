// The answer read one hardware element at a time. The levels above the hardware elements (the
// document, its root and "hardwares") are walked here by the parser's own rules, step for step
// as TiXmlDocument and TiXmlElement parse them; everything below, and every other node, is parsed
// by tinyxml on its own and freed when read. So the tree of a whole large answer is never held,
// and the devices end as a reading of the whole tree leaves them: a document that turns out not to
// parse further on changes nothing, and the config element counts wherever it stands.
#include <tinyxml.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/documents.h"
#include "engine/xml_guard.h"

namespace {

// The parser's own scanning rules, for the levels walked here.
struct xml_rules : TiXmlBase {
  using TiXmlBase::IsAlpha;
  using TiXmlBase::ReadName;
  using TiXmlBase::SkipWhiteSpace;
  using TiXmlBase::StringEqual;
};

enum class node_kind { none, declaration, comment, cdata, unknown, element };

// What the parser makes of the markup at p (as TiXmlNode::Identify decides).
node_kind identify(const char* p, TiXmlEncoding encoding) {
  p = xml_rules::SkipWhiteSpace(p, encoding);
  if (!p || *p != '<') return node_kind::none;
  if (xml_rules::StringEqual(p, "<?xml", true, encoding)) return node_kind::declaration;
  if (xml_rules::StringEqual(p, "<!--", false, encoding)) return node_kind::comment;
  if (xml_rules::StringEqual(p, "<![CDATA[", false, encoding)) return node_kind::cdata;
  if (xml_rules::StringEqual(p, "<!", false, encoding)) return node_kind::unknown;
  if (xml_rules::IsAlpha(static_cast<unsigned char>(p[1]), encoding) || p[1] == '_') return node_kind::element;
  return node_kind::unknown;
}

std::unique_ptr<TiXmlNode> new_node(node_kind kind) {
  switch (kind) {
    case node_kind::declaration: return std::make_unique<TiXmlDeclaration>();
    case node_kind::comment: return std::make_unique<TiXmlComment>();
    case node_kind::cdata: {
      auto text = std::make_unique<TiXmlText>("");
      text->SetCDATA(true);
      return text;
    }
    case node_kind::element: return std::make_unique<TiXmlElement>("");
    default: return std::make_unique<TiXmlUnknown>();
  }
}

// A node parsed on its own: without a document no error is recorded, but an element, and any
// node inside one, returns null exactly where the parser would record one.
const char* parse_node(TiXmlNode& node, const char* p, TiXmlEncoding encoding) {
  return static_cast<TiXmlBase&>(node).Parse(p, nullptr, encoding);
}

// The name TiXmlElement::Parse reads for the element that starts at p.
std::string element_name(const char* p, TiXmlEncoding encoding) {
  std::string name;
  xml_rules::ReadName(xml_rules::SkipWhiteSpace(p + 1, encoding), &name, encoding);
  return name;
}

// An element whose children are handed to child(p, kind) one at a time, which returns where
// the child ends or null when it does not parse (TiXmlElement::Parse and ReadValue). Null when
// the element does not parse.
template <typename Child>
const char* read_element(const char* p, TiXmlEncoding encoding, Child&& child) {
  p = xml_rules::SkipWhiteSpace(p, encoding);
  if (!p || *p != '<') return nullptr;
  std::string name;
  p = xml_rules::ReadName(xml_rules::SkipWhiteSpace(p + 1, encoding), &name, encoding);
  if (!p || !*p) return nullptr;
  const std::string end_tag = "</" + name;
  std::vector<std::string> attributes;  // a name given twice does not parse
  for (;;) {
    p = xml_rules::SkipWhiteSpace(p, encoding);
    if (!p || !*p) return nullptr;
    if (*p == '/') return p[1] == '>' ? p + 2 : nullptr;
    if (*p == '>') break;
    TiXmlAttribute attribute;
    p = attribute.Parse(p, nullptr, encoding);
    if (!p || !*p) return nullptr;
    for (const std::string& seen : attributes)
      if (seen == attribute.NameTStr()) return nullptr;
    attributes.push_back(attribute.NameTStr());
  }

  const char* with_space = ++p;
  p = xml_rules::SkipWhiteSpace(p, encoding);
  while (p && *p) {
    if (*p != '<') {
      TiXmlText text("");  // the element's own text: parsed, not kept
      p = parse_node(text, TiXmlBase::IsWhiteSpaceCondensed() ? p : with_space, encoding);
    } else if (xml_rules::StringEqual(p, "</", false, encoding)) {
      break;
    } else {
      p = child(p, identify(p, encoding));
    }
    with_space = p;
    p = xml_rules::SkipWhiteSpace(p, encoding);
  }
  if (!p || !*p || !xml_rules::StringEqual(p, end_tag.c_str(), false, encoding)) return nullptr;
  p = xml_rules::SkipWhiteSpace(p + end_tag.size(), encoding);
  return p && *p == '>' ? p + 1 : nullptr;
}

// What the reading found, and what it changed on the way.
struct answer_reading {
  explicit answer_reading(std::vector<device_info>& d) : devices(d), replaced(d.size()) {}

  std::vector<device_info>& devices;
  std::unique_ptr<TiXmlNode> config;  // the root's first "config" element
  bool hardwares_seen = false;        // the root's first "hardwares" element is being read
  int hardware_count = 0;
  bool id_missing = false;  // a hardware element without an id ended the reading of devices

  // The devices whose candidates were replaced, with what they held before.
  struct kept {
    device_info* device;
    std::vector<driver_candidate> candidates;
    const driver_candidate* best;
    const driver_candidate* latest;
  };
  std::vector<kept> before;
  std::vector<bool> replaced;

  void read_hardware(const TiXmlElement& hardware) {
    ++hardware_count;
    device_info* device;
    if (id_missing) return;
    if (!hardware_device(hardware, devices, device)) {
      id_missing = true;
      return;
    }
    if (!device) return;
    const size_t index = size_t(device - devices.data());
    if (!replaced[index]) {
      replaced[index] = true;
      // An empty array needs no keeping: the new candidates reuse its room.
      kept k{device, {}, device->best, device->latest};
      if (!device->candidates.empty()) k.candidates = std::move(device->candidates);
      before.push_back(std::move(k));
    }
    parse_candidate_items(hardware, *device);
  }

  void undo() {
    for (kept& k : before) {
      k.device->candidates = std::move(k.candidates);
      k.device->best = k.best;
      k.device->latest = k.latest;
    }
  }

  const char* hardwares_child(const char* p, node_kind kind, TiXmlEncoding encoding) {
    const std::unique_ptr<TiXmlNode> node = new_node(kind);
    const char* end = parse_node(*node, p, encoding);
    if (end && kind == node_kind::element && node->ValueStr() == "hardware") read_hardware(*node->ToElement());
    return end;
  }

  const char* root_child(const char* p, node_kind kind, TiXmlEncoding encoding) {
    if (kind == node_kind::element && !hardwares_seen && element_name(p, encoding) == "hardwares") {
      hardwares_seen = true;
      return read_element(p, encoding, [&](const char* q, node_kind k) { return hardwares_child(q, k, encoding); });
    }
    std::unique_ptr<TiXmlNode> node = new_node(kind);
    const char* end = parse_node(*node, p, encoding);
    if (end && !config && kind == node_kind::element && node->ValueStr() == "config") config = std::move(node);
    return end;
  }

  // TiXmlDocument::Parse: false when the document does not parse or has no root element.
  bool read_document(const char* p) {
    if (!p || !*p) return false;
    TiXmlEncoding encoding = TIXML_ENCODING_UNKNOWN;
    const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
    if (u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) encoding = TIXML_ENCODING_UTF8;
    p = xml_rules::SkipWhiteSpace(p, encoding);
    bool any_node = false, root_read = false;
    while (p && *p) {
      const node_kind kind = identify(p, encoding);
      if (kind == node_kind::none) break;
      any_node = true;
      if (kind == node_kind::element && !root_read) {
        root_read = true;
        p = read_element(p, encoding, [&](const char* q, node_kind k) { return root_child(q, k, encoding); });
        if (!p) return false;
      } else {
        const std::unique_ptr<TiXmlNode> node = new_node(kind);
        p = parse_node(*node, p, encoding);
        if (!p && kind == node_kind::element) return false;
        if (encoding == TIXML_ENCODING_UNKNOWN && kind == node_kind::declaration) {
          const char* named = node->ToDeclaration()->Encoding();
          const bool utf8 = *named == 0 || xml_rules::StringEqual(named, "UTF-8", true, TIXML_ENCODING_UNKNOWN) ||
                            xml_rules::StringEqual(named, "UTF8", true, TIXML_ENCODING_UNKNOWN);
          encoding = utf8 ? TIXML_ENCODING_UTF8 : TIXML_ENCODING_LEGACY;
        }
      }
      p = xml_rules::SkipWhiteSpace(p, encoding);
    }
    return any_node && root_read;
  }
};

}  // namespace

bool parse_driver_answer(const char* text, size_t length, std::vector<device_info>& devices,
                         const driver_config_target& config) {
  if (!text || xml_nests_too_deep(text, length)) return false;
  const std::unique_ptr<char[]> terminated = terminated_xml_text(text, length);
  answer_reading reading(devices);
  if (!reading.read_document(terminated.get())) {
    reading.undo();
    return false;
  }
  if (reading.config) parse_driver_config(*reading.config->ToElement(), config);
  return reading.hardware_count > 0 && !reading.id_missing;
}
