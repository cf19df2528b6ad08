#include "engine/exclusion_list.h"

#include <tinyxml.h>

#include <cstring>

#include "base/text.h"
#include "engine/documents.h"
#include "engine/helpers.h"
#include "engine/settings.h"

namespace {

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Whether the parser gives a plain text back as it was printed: it drops leading and
// trailing spaces, joins runs of them and drops a text of nothing but white space. (The
// printer writes the other white-space characters as references, which come back whole.)
bool reads_back_plain(const std::string& s) {
  if (s.empty()) return true;
  if (s.front() == ' ' || s.back() == ' ' || s.find("  ") != std::string::npos) return false;
  for (char c : s)
    if (!is_space(c)) return true;
  return false;
}

// CDATA sections keep every byte; a section cannot hold its own end marker, so the text is
// split after each "]]" of one, and the reader joins the sections again.
void add_section(TiXmlElement* element, const std::string& text) {
  auto* section = new TiXmlText(text);
  section->SetCDATA(true);
  element->LinkEndChild(section);
}

void add_sections(TiXmlElement* parent, const char* name, const std::string& text) {
  auto* element = new TiXmlElement(name);
  parent->LinkEndChild(element);
  size_t from = 0;
  for (size_t at = text.find("]]>"); at != std::string::npos; at = text.find("]]>", at + 1)) {
    add_section(element, text.substr(from, at + 2 - from));
    from = at + 2;
  }
  add_section(element, text.substr(from));
}

void add_text(TiXmlElement* parent, const char* name, const char16_t* field) {
  const std::string ansi = u16_to_ansi(field);
  if (reads_back_plain(ansi))
    parent->LinkEndChild(xml_text_element(name, ansi.c_str(), false));
  else
    add_sections(parent, name, ansi);
}

// The texts and sections of the element, joined.
template <size_t N>
void read_text(const TiXmlElement& driver, const char* name, char16_t (&field)[N]) {
  const TiXmlElement* child = driver.FirstChildElement(name);
  if (!child) return;
  std::string text;
  for (const TiXmlNode* node = child->FirstChild(); node; node = node->NextSibling())
    if (const TiXmlText* part = node->ToText()) text += part->ValueStr();
  copy_cut(field, ansi_to_u16(text));
}

}  // namespace

exclusion_entry make_exclusion_entry(const driver_candidate& candidate) {
  exclusion_entry e{};
  copy_cut(e.hardid, candidate.hardid);
  copy_cut(e.md5hash, candidate.md5sum);
  copy_cut(e.desc, candidate.desc);
  copy_cut(e.version, candidate.ver);
  copy_cut(e.date, candidate.date);
  return e;
}

std::string write_exclusion_list(const exclusion_map& list) {
  TiXmlDocument doc;
  doc.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));
  auto* root = new TiXmlElement("Vantoril");
  doc.LinkEndChild(root);
  for (const auto& item : list) {
    const exclusion_entry& e = item.second;
    auto* driver = new TiXmlElement("driver");
    root->LinkEndChild(driver);
    add_sections(driver, "hardid", u16_to_ansi(e.hardid));
    add_text(driver, "md5hash", e.md5hash);
    add_text(driver, "desc", e.desc);
    add_text(driver, "version", e.version);
    add_text(driver, "date", e.date);
  }
  return print_xml(doc);
}

bool read_exclusion_list(const char* text, exclusion_map& list) {
  if (!text) return false;
  TiXmlDocument doc;
  // The file is read from disk, where anything may have replaced it.
  if (!parse_ansi_xml(doc, text, std::strlen(text)) || doc.Error()) return false;
  const TiXmlElement* root = doc.RootElement();
  if (!root) return false;
  const TiXmlElement* driver = root->FirstChildElement("driver");
  if (!driver) return false;
  for (; driver; driver = driver->NextSiblingElement("driver")) {
    exclusion_entry e{};
    read_text(*driver, "hardid", e.hardid);
    read_text(*driver, "md5hash", e.md5hash);
    read_text(*driver, "desc", e.desc);
    read_text(*driver, "version", e.version);
    read_text(*driver, "date", e.date);
    list[std::u16string(e.md5hash)] = e;
  }
  return true;
}

bool save_exclusion_list(const exclusion_map& list) {
  const std::string text = write_exclusion_list(list);
  return write_file_replacing(app_settings.exclusion_list_path, text.data(), text.size());
}

bool is_exclusion_key(const char16_t* md5sum) {
  if (!md5sum) return false;
  int n = 0;
  for (; md5sum[n]; ++n) {
    const char16_t c = md5sum[n];
    const bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    if (!hex || n >= 32) return false;
  }
  return n == 32;
}
