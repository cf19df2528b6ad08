// One answer read by parse_driver_answer and by parse_driver_answer_tree, each into its own
// fixture store whose first device already holds a candidate, and what each left behind.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "engine/documents.h"
#include "tests/engine/documents_fixture.h"

struct answer_outcome {
  bool read = false;
  std::vector<device_info> store;
  int32_t desc = 7;
  uint32_t autorun = 2;
  char16_t link[uninstall_link_capacity] = {};
  int saves = 0;
};

inline int& answer_saves() {
  static int saves = 0;
  return saves;
}
inline void count_answer_save() { ++answer_saves(); }

// The reading of the answer from the tree of the whole document, which the program's own
// reading must match on every text.
inline bool parse_driver_answer_tree(const char* text, size_t length, std::vector<device_info>& devices,
                                     const driver_config_target& config) {
  TiXmlDocument doc;
  if (!parse_network_xml(doc, text, length)) return false;
  const TiXmlElement* root = doc.RootElement();
  if (doc.Error() || !root) return false;

  if (const TiXmlElement* c = root->FirstChildElement("config")) parse_driver_config(*c, config);

  const TiXmlElement* hardwares = root->FirstChildElement("hardwares");
  if (!hardwares || !hardwares->FirstChildElement("hardware")) return false;
  for (const TiXmlElement* h = hardwares->FirstChildElement("hardware"); h; h = h->NextSiblingElement("hardware")) {
    device_info* device;
    if (!hardware_device(*h, devices, device)) return false;
    if (device) parse_candidate_items(*h, *device);
  }
  return true;
}

using answer_reader = bool (*)(const char*, size_t, std::vector<device_info>&, const driver_config_target&);

inline answer_outcome read_answer_with(answer_reader reader, const char* text, size_t length) {
  answer_outcome o;
  o.store = fixture_store();
  o.store[0].candidates.resize(1);
  copy_cut(o.store[0].candidates[0].hardid, u"OLD");
  o.store[0].best = o.store[0].latest = &o.store[0].candidates[0];
  answer_saves() = 0;
  o.read = reader(text, length, o.store, {&o.desc, &o.autorun, o.link, count_answer_save});
  o.saves = answer_saves();
  return o;
}

// Where a candidate pointer points: -1 for none, else its index (or the array size when it
// points elsewhere).
inline long candidate_index(const device_info& d, const driver_candidate* c) {
  if (!c) return -1;
  for (size_t i = 0; i < d.candidates.size(); ++i)
    if (&d.candidates[i] == c) return long(i);
  return long(d.candidates.size());
}

// Empty when both left the same; else what differs.
inline std::string answer_difference(const answer_outcome& a, const answer_outcome& b) {
  if (a.read != b.read) return "result";
  if (a.desc != b.desc || a.autorun != b.autorun || a.saves != b.saves ||
      std::memcmp(a.link, b.link, sizeof a.link) != 0)
    return "config";
  for (size_t i = 0; i < a.store.size(); ++i) {
    const device_info& x = a.store[i];
    const device_info& y = b.store[i];
    const std::string device = "device " + std::to_string(i) + ": ";
    if (x.candidates.size() != y.candidates.size()) return device + "candidate count";
    if (!x.candidates.empty() &&
        std::memcmp(x.candidates.data(), y.candidates.data(), x.candidates.size() * sizeof(driver_candidate)) != 0)
      return device + "candidates";
    if (candidate_index(x, x.best) != candidate_index(y, y.best) ||
        candidate_index(x, x.latest) != candidate_index(y, y.latest))
      return device + "best or latest";
  }
  return "";
}

// Empty when the answer is read alike both ways.
inline std::string answer_readers_differ(const char* text, size_t length) {
  return answer_difference(read_answer_with(parse_driver_answer, text, length),
                           read_answer_with(parse_driver_answer_tree, text, length));
}
