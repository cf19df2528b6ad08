#include <tinyxml.h>

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "engine/device_store.h"
#include "engine/documents.h"

int32_t server_desc = 0;

namespace {

const char* child_text(const TiXmlElement& parent, const char* name) {
  const TiXmlElement* child = parent.FirstChildElement(name);
  return child ? child->GetText() : nullptr;  // a CDATA section is text too
}

// Unsigned conversion that stops at the first character that is no digit of the base; the
// same result on every platform (saturates instead of wrapping on overflow).
uint32_t read_unsigned(const char* text, unsigned base) {
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2;
  uint64_t v = 0;
  for (;; ++p) {
    unsigned d;
    if (*p >= '0' && *p <= '9') d = unsigned(*p - '0');
    else if (base == 16 && *p >= 'a' && *p <= 'f') d = unsigned(*p - 'a' + 10);
    else if (base == 16 && *p >= 'A' && *p <= 'F') d = unsigned(*p - 'A' + 10);
    else break;
    v = std::min<uint64_t>(v * base + d, 0xFFFFFFFFull);
  }
  uint32_t r = uint32_t(v);
  return negative ? uint32_t(0u - r) : r;
}

}  // namespace

bool copy_answer_text(const char* text, char16_t* field, size_t size) {
  if (!field || size == 0) return false;
  if (!text) {
    std::memset(field, 0, size * sizeof(char16_t));
    return false;
  }
  copy_cut_ansi(field, size, text);
  return true;
}

namespace {

// The fields of a candidate item, in the order they are filled.
enum item_field { f_hardid, f_id, f_ver, f_size, f_class, f_remote_url, f_infpath, f_md5sum, f_cp, f_manu,
                  f_mark, f_sign, f_feature, f_targetos, f_date, f_desc, item_field_count };
const char* const item_field_names[item_field_count] = {
    "hardid", "id", "ver", "size", "class", "remote_url", "infpath", "md5sum",
    "cp", "manu", "mark", "sign", "feature", "targetos", "date", "desc"};

// The text of each field's first child element of that name (null when there is none or it
// holds no text), found in one walk over the item's children instead of one per field.
void item_texts(const TiXmlElement& item, const char* (&texts)[item_field_count]) {
  bool seen[item_field_count] = {};
  int left = item_field_count;
  for (const TiXmlElement* e = item.FirstChildElement(); e && left; e = e->NextSiblingElement()) {
    const char* name = e->Value();
    for (int f = 0; f < item_field_count; ++f) {
      if (!seen[f] && std::strcmp(name, item_field_names[f]) == 0) {
        seen[f] = true;
        texts[f] = e->GetText();  // a CDATA section is text too
        --left;
        break;
      }
    }
  }
}

template <size_t N>
void answer_field(const char* text, char16_t (&field)[N]) {
  copy_answer_text(text, field, N);
}

// Fills a zeroed record in place: the records are large, and an answer holds thousands.
void fill_candidate(const TiXmlElement& item, driver_candidate& c) {
  const char* t[item_field_count] = {};
  item_texts(item, t);
  answer_field(t[f_hardid], c.hardid);
  c.id = read_unsigned(t[f_id], 10);
  answer_field(t[f_ver], c.ver);
  c.size = read_unsigned(t[f_size], 10);
  answer_field(t[f_class], c.class_name);
  if (const char* url = t[f_remote_url]) copy_cut(c.remote_url, url);

  char16_t inf[260];
  const std::u16string_view path(inf, copy_cut_ansi(inf, 260, t[f_infpath] ? t[f_infpath] : ""));
  std::replace(inf, inf + path.size(), u'/', u'\\');
  const size_t first = path.find(u'\\');
  // Without a folder part there is no path inside the package: left empty.
  if (first != std::u16string_view::npos) copy_cut(c.infpath, path.substr(first + 1));

  answer_field(t[f_md5sum], c.md5sum);
  c.cp = read_unsigned(t[f_cp], 10);
  answer_field(t[f_manu], c.manu);
  answer_field(t[f_mark], c.mark);
  c.sign = read_unsigned(t[f_sign], 10);
  c.feature = read_unsigned(t[f_feature], 16);
  c.targetos = read_unsigned(t[f_targetos], 10);
  answer_field(t[f_date], c.date);
  answer_field(t[f_desc], c.desc);
}

}  // namespace

driver_candidate parse_candidate_item(const TiXmlElement& item) {
  driver_candidate c;
  std::memset(&c, 0, sizeof c);
  fill_candidate(item, c);
  return c;
}

int parse_candidate_items(const TiXmlElement& hardware, device_info& device) {
  device.best = nullptr;
  device.latest = nullptr;
  device.candidates.clear();
  int count = 0;
  for (const TiXmlElement* e = hardware.FirstChildElement("item"); e; e = e->NextSiblingElement("item")) {
    ++count;
  }
  if (count == 0) return 0;
  count = std::min(count, max_candidates_per_device);
  device.candidates.resize(size_t(count));  // zeroed records
  size_t i = 0;
  for (const TiXmlElement* e = hardware.FirstChildElement("item"); e && i < size_t(count);
       e = e->NextSiblingElement("item")) {
    fill_candidate(*e, device.candidates[i++]);
  }
  return device.candidate_count();
}

void parse_driver_config(const TiXmlElement& config, const driver_config_target& target) {
  int value;
  if (target.server_desc && config.QueryIntAttribute("server_desc", &value) == TIXML_SUCCESS) {
    *target.server_desc = value;
  }
  if (target.uninstall_link) {
    if (const char* link = config.Attribute("uninstall_link")) {
      copy_cut(target.uninstall_link, uninstall_link_capacity, ansi_to_u16(link));
    }
  }
  if (target.autorun && *target.autorun == 2 && config.QueryIntAttribute("autorun", &value) == TIXML_SUCCESS) {
    *target.autorun = uint32_t(value);
  }
  if (target.save) target.save();
}

bool hardware_device(const TiXmlElement& hardware, std::vector<device_info>& devices, device_info*& device) {
  const char* id = child_text(hardware, "id");
  device = id ? find_device(devices, ansi_to_u16(id).c_str()) : nullptr;
  return id != nullptr;
}
