#include "engine/backup_catalog.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "base/path.h"
#include "base/text.h"
#include "engine/backup.h"
#include "engine/device_info.h"
#include "engine/device_store.h"
#include "engine/documents.h"
#include "engine/download_sessions.h"
#include "engine/helpers.h"
#include "engine/net_client.h"
#include "engine/settings.h"

// Never destroyed: a backup still running at exit records into it.
std::vector<backup_record>& backup_catalog = *new std::vector<backup_record>;

namespace {

// An element holding a text of the ANSI page: a CDATA section, unless the text holds the
// section's own end marker, which only escaped text can carry.
TiXmlElement* ansi_element(const char* name, const std::u16string& text) {
  const std::string ansi = u16_to_ansi(text);
  return xml_text_element(name, ansi.c_str(), ansi.find("]]>") == std::string::npos);
}

TiXmlElement* device_element(const backup_device& d) {
  auto* e = new TiXmlElement("device");
  e->LinkEndChild(ansi_element("id", d.id));
  e->LinkEndChild(ansi_element("desc", d.desc));
  e->LinkEndChild(ansi_element("class", d.class_desc));
  e->LinkEndChild(ansi_element("class_image", d.class_image));
  e->LinkEndChild(ansi_element("manu", d.manu));
  e->LinkEndChild(ansi_element("name", d.name));
  e->LinkEndChild(ansi_element("version", d.version));
  e->LinkEndChild(ansi_element("date", d.date));
  return e;
}

// The text of a child element. An element without any child is an empty text (what an empty
// value is written as); a missing element, or one whose first child is no text, has none.
const char* child_text(const TiXmlElement& parent, const char* name) {
  const TiXmlElement* e = parent.FirstChildElement(name);
  if (!e) return nullptr;
  if (!e->FirstChild()) return "";
  return e->GetText();
}

// A record names a file inside the backup folder, never a path that leaves it.
bool is_plain_file_name(const std::string& name) {
  return !name.empty() && name.find_first_of("\\/:") == std::string::npos && name != "." && name != "..";
}

}  // namespace

int save_backup_catalog() {
  TiXmlDocument doc;
  doc.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));
  auto* root = new TiXmlElement("Vantoril");
  doc.LinkEndChild(root);
  for (const backup_record& r : backup_catalog) {
    auto* driver = new TiXmlElement("driver");
    driver->LinkEndChild(xml_text_element("file", r.file, r.file[0] && !std::strstr(r.file, "]]>")));
    driver->LinkEndChild(xml_text_element("date", r.date, false));
    auto* devices = new TiXmlElement("devices");
    for (const backup_device& d : r.devices) devices->LinkEndChild(device_element(d));
    driver->LinkEndChild(devices);
    root->LinkEndChild(driver);
  }
  TiXmlPrinter printer;
  printer.SetIndent("\t");
  printer.SetLineBreak("\n");
  doc.Accept(&printer);
  return write_file_replacing(app_settings.backup_catalog_path, printer.CStr(), printer.Size()) ? 0 : -1;
}

int load_backup_catalog() {
  std::vector<char> bytes;
  if (!download_file_exists(app_settings.backup_catalog_path) ||
      !read_whole_file(app_settings.backup_catalog_path, bytes))
    return -1;
  TiXmlDocument doc;
  // The texts are in the ANSI page whatever the declaration says: read byte by byte.
  if (!parse_ansi_xml(doc, bytes.data(), bytes.size() - 1) || doc.Error()) return -1;
  const TiXmlElement* root = doc.RootElement();
  if (!root || !root->FirstChildElement("driver")) return -1;
  std::vector<backup_record> records;
  for (const TiXmlElement* e = root->FirstChildElement("driver"); e; e = e->NextSiblingElement("driver")) {
    backup_record r{};
    // Two records for one file would be one archive listed twice: the first one holds.
    if (read_backup_record(*e, r) < 0) continue;
    bool seen = false;
    for (const backup_record& k : records) seen = seen || std::strcmp(k.file, r.file) == 0;
    if (!seen) records.push_back(std::move(r));
  }
  backup_catalog.swap(records);
  return 0;
}

int read_backup_record(const TiXmlElement& driver, backup_record& record) {
  record = backup_record{};
  const char* file = child_text(driver, "file");
  const char* date = child_text(driver, "date");
  if (!file || !date) return -1;
  copy_cut(record.file, file);
  if (!is_plain_file_name(record.file)) return -1;
  std::u16string archive = path_join(app_settings.BackupPath, ansi_to_u16(record.file));
  if (!download_file_exists(archive.c_str())) return -1;
  copy_cut(record.date, date);

  const TiXmlElement* devices = driver.FirstChildElement("devices");
  const TiXmlElement* device = devices ? devices->FirstChildElement("device") : nullptr;
  const std::u16string wide_date = ansi_to_u16(record.date), wide_file = ansi_to_u16(record.file);
  for (; device; device = device->NextSiblingElement("device")) {
    backup_device d;
    if (read_backup_device(*device, d) < 0) break;
    copy_cut(d.backup_date, wide_date);
    copy_cut(d.backup_file, wide_file);
    record.devices.push_back(d);
  }
  return record.devices.empty() ? -1 : 0;
}

int read_backup_device(const TiXmlElement& device, backup_device& out) {
  std::memset(&out, 0, sizeof out);
  struct field {
    const char* name;
    char16_t* target;
    size_t size;
  };
  const field fields[] = {
      {"id", out.id, std::size(out.id)},
      {"desc", out.desc, std::size(out.desc)},
      {"class_image", out.class_image, std::size(out.class_image)},
      {"class", out.class_desc, std::size(out.class_desc)},
      {"manu", out.manu, std::size(out.manu)},
      {"name", out.name, std::size(out.name)},
      {"version", out.version, std::size(out.version)},
      {"date", out.date, std::size(out.date)},
  };
  for (const field& f : fields) {
    const char* text = child_text(device, f.name);
    if (!text) {
      std::memset(&out, 0, sizeof out);
      return -1;
    }
    copy_cut(f.target, f.size, ansi_to_u16(text));
  }
  out.device = find_device(out.id);
  return 0;
}

int add_backup_record(const char16_t* archive_path, const backup_entry& entry) {
  backup_record r{};
  local_time_parts now = local_time_now();
  std::snprintf(r.date, sizeof r.date, "%04u-%02u-%02u", unsigned(now.year) % 10000, unsigned(now.month) % 100,
                unsigned(now.day) % 100);
  std::u16string_view path(archive_path ? archive_path : u"");
  copy_cut(r.file, u16_to_ansi(path.substr(last_path_separator(path) + 1)));  // npos + 1 == 0
  for (device_info* info : entry.devices) {
    backup_device d;
    std::memset(&d, 0, sizeof d);
    d.device = info;
    copy_cut(d.id, info->instance_id);
    copy_cut(d.desc, info->DriverDesc);
    // A device without a class record has no class texts; it still goes into the record.
    if (const device_class_info* c = info->device_class) {
      copy_cut(d.class_image, utf8_to_u16(std::to_string(c->image_index)));
      copy_cut(d.class_desc, c->description);
    }
    copy_cut(d.manu, info->ProviderName);
    copy_cut(d.name, info->InfPath);
    copy_cut(d.version, info->DriverVersion);
    copy_cut(d.date, info->DriverDate);
    r.devices.push_back(d);
  }
  backup_record* same = nullptr;
  for (backup_record& k : backup_catalog)
    if (std::strcmp(k.file, r.file) == 0) {
      same = &k;
      break;
    }
  if (same) {
    std::memcpy(same->date, r.date, sizeof r.date);
    same->devices = std::move(r.devices);
  } else {
    backup_catalog.push_back(std::move(r));
  }
  return save_backup_catalog();
}
