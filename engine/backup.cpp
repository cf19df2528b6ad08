#include "engine/backup.h"

#include <string>
#include <string_view>

#include "base/path.h"
#include "base/text.h"
#include "engine/backup_catalog.h"
#include "engine/device_store.h"
#include "engine/dir_walker.h"
#include "engine/download_sessions.h"
#include "engine/driver_store.h"
#include "engine/helpers.h"
#include "engine/net_client.h"
#include "engine/settings.h"
#include "engine/system_facts.h"
#include "engine/zip/zip_writer.h"

// Never destroyed: a backup still running at exit reads it.
std::vector<backup_entry>& backup_list = *new std::vector<backup_entry>;

namespace {

constexpr size_t max_path = 260;
constexpr size_t max_name_bytes = 259;  // what a catalog record holds of the file name

// The characters iswspace counts as white space.
bool is_wide_space(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// A character the ANSI code page cannot hold would be written to the catalog as another one,
// and the record would then name a file that does not exist.
bool survives_ansi(char16_t c) {
  char16_t one[2] = {c, 0};
  return ansi_to_u16(u16_to_ansi(one)) == one;
}

// Characters a file name cannot hold, and those the ANSI page would turn into another one
// (the catalog would then name a file that does not exist), become '-'.
std::u16string clean_name_part(std::u16string part) {
  for (char16_t& c : part)
    if (std::u16string_view(u" \\/:*?<>|\"").find(c) != std::u16string_view::npos || !survives_ansi(c)) c = u'-';
  return part;
}

std::u16string trim_end(std::u16string s) {
  while (!s.empty() && is_wide_space(s.back())) s.pop_back();
  return s;
}

// True when the name, with ".zip" and ".tmp", fits the path limit under the folder and the
// catalog holds the whole file name.
bool name_fits(const std::u16string& name, const std::u16string& folder) {
  const size_t suffix = 8;  // ".zip" and ".tmp"
  return path_join(folder, name).size() + suffix < max_path && u16_to_ansi(name + u".zip").size() <= max_name_bytes;
}

// A short mark of the package folder, the same on every run: what tells two packages apart
// whose descriptions and versions give one name.
std::u16string package_mark(const char16_t* folder_name) {
  uint32_t h = 2166136261u;
  for (const char16_t* p = folder_name; *p; ++p) {
    char16_t c = (*p >= u'A' && *p <= u'Z') ? char16_t(*p + 32) : *p;
    h = (h ^ uint32_t(c)) * 16777619u;
  }
  static const char16_t digits[] = u"0123456789abcdef";
  std::u16string mark;
  for (int shift = 28; shift >= 0; shift -= 4) mark += digits[(h >> shift) & 0xF];
  return mark;
}

// The archive name of the entry's `attempt`: the plain name, then the name with the package's
// mark, then with the mark and a number. A name too long is cut in its description, so that
// the version and the mark stay.
std::u16string archive_name(const backup_entry& entry, int attempt, const std::u16string& folder) {
  std::u16string name, tail;
  if (!entry.devices.empty()) {
    const device_info& first = *entry.devices.front();
    name = first.DriverDesc;
    while (!name.empty() && std::u16string_view(u"\r\n\t \v").find(name.back()) != std::u16string_view::npos)
      name.pop_back();
    tail = trim_end(u"-" + std::u16string(first.DriverVersion));
    name += u'-';
    name += first.DriverVersion;
  }
  size_t b = 0, e = name.size();
  while (b < e && is_wide_space(name[b])) ++b;
  while (e > b && is_wide_space(name[e - 1])) --e;
  name = name.substr(b, e - b);
  std::u16string head = name;
  if (!tail.empty() && name.size() >= tail.size() && name.compare(name.size() - tail.size(), tail.size(), tail) == 0)
    head = name.substr(0, name.size() - tail.size());
  else
    tail.clear();
  head = clean_name_part(head);
  tail = clean_name_part(tail);
  if (attempt >= 1) tail += u"-" + package_mark(entry.folder_name);
  if (attempt >= 2) tail += u"-" + utf8_to_u16(std::to_string(attempt));
  while (!head.empty() && !name_fits(head + tail, folder)) head.pop_back();
  while (!tail.empty() && !name_fits(head + tail, folder)) tail.pop_back();
  return head + tail;
}

// The catalog's record of the file names a device of the entry: the archive is the entry's own.
bool recorded_for_entry(const std::u16string& file_name, const backup_entry& entry) {
  const std::string file = u16_to_ansi(file_name);
  for (const backup_record& r : backup_catalog) {
    if (file != r.file) continue;
    for (const backup_device& d : r.devices)
      for (const device_info* mine : entry.devices)
        if (mine && equal_ci(d.name, mine->InfPath)) return true;
  }
  return false;
}

constexpr int name_attempts = 100;

}  // namespace

int build_backup_list() {
  backup_list.clear();
  const bool before_6 = os_version_number() < 60;
  if (device_store* store = the_device_store()) {
    for (device_info& d : store->devices) {
      if (!d.has_driver) continue;
      const bool inbox = !equal_ci(std::u16string_view(d.InfPath).substr(0, 3), u"oem");
      if (before_6 && inbox) continue;
      char16_t location[max_path] = {};
      if (!inf_store_location(d.InfPath, nullptr, nullptr, location, max_path, nullptr)) continue;
      location[max_path - 1] = 0;
      char16_t folder[max_path];
      if (package_folder_name(folder, location) < 0) continue;
      backup_entry* same = nullptr;
      for (backup_entry& e : backup_list)
        if (equal_ci(e.folder_name, folder)) {
          same = &e;
          break;
        }
      if (same) {
        same->devices.push_back(&d);
        continue;
      }
      backup_entry e{};
      e.inbox = inbox ? 1 : 0;
      copy_cut(e.folder_name, folder);
      e.devices.push_back(&d);
      backup_list.push_back(std::move(e));
    }
  }
  return load_backup_catalog();
}

int find_backup_entry(const device_info* device) {
  if (!device) return -1;
  for (size_t i = 0; i < backup_list.size(); ++i)
    for (const device_info* d : backup_list[i].devices)
      if (d == device) return int(i);
  return -1;
}

std::u16string backup_file_name(const backup_entry& entry) {
  const std::u16string folder(app_settings.BackupPath);
  std::u16string first;
  for (int attempt = 0; attempt < name_attempts; ++attempt) {
    std::u16string path = path_join(folder, archive_name(entry, attempt, folder)) + u".zip";
    if (attempt == 0) first = path;
    // A file of another package, or one the catalog does not know, is never taken for this
    // package's backup nor replaced by it.
    if (!download_file_exists(path.c_str()) ||
        recorded_for_entry(path.substr(last_path_separator(path) + 1), entry))
      return path;
  }
  return first;
}

bool is_own_archive(const backup_entry& entry, const std::u16string& archive_path) {
  if (!download_file_exists(archive_path.c_str())) return false;
  return recorded_for_entry(archive_path.substr(last_path_separator(archive_path) + 1), entry);
}

int zip_folder(const char16_t* folder, const char16_t* archive_path, backup_job& job) {
  // A package folder that is gone would give an empty archive that reads as a backup.
  std::vector<std::u16string> names;
  if (!folder || list_directory(folder, names) < 0) return -1;
  zip_archive* archive = zip_create(archive_path);
  if (!archive) return -1;
  std::vector<std::u16string> files;
  dir_walker walker;
  if (dir_walker_open(walker, folder))
    while (const char16_t* p = dir_walker_next(walker)) files.push_back(p);
  dir_walker_close(walker);

  const uint32_t base = uint32_t(job.progress.load());
  const uint32_t n = uint32_t(files.size());
  for (uint32_t i = 0; i < n; ++i) {
    const char16_t* relative = nullptr;
    if (job.cancel.load() || package_relative_path(files[i].c_str(), &relative) < 0) {
      zip_close(archive);
      return -1;
    }
    // A file that cannot be read is left out; a failed write leaves an archive that cannot
    // be trusted, so the package fails.
    uint32_t added = zip_add_file(archive, relative, files[i].c_str());
    if (added != zip_ok && added != zip_error_open && added != zip_error_argument) {
      zip_close(archive);
      return -1;
    }
    job.progress = int32_t(base + (100 * (i + 1)) / n);
  }
  job.progress = int32_t(base + 100);
  // The central directory is written on closing: without it the archive is no archive.
  return zip_close(archive) == zip_ok ? 0 : -1;
}

int backup_package(int index, backup_job& job) {
  if (index < 0 || size_t(index) >= backup_list.size()) return -1;
  const backup_entry& entry = backup_list[size_t(index)];
  std::u16string folder = path_join(driver_store_root, entry.folder_name);
  std::u16string archive = backup_file_name(entry);
  // Only the package's own archive counts as its backup; a name still taken after every
  // attempt fails the package rather than report it saved.
  if (download_file_exists(archive.c_str())) return is_own_archive(entry, archive) ? 0 : -1;
  std::u16string temporary = archive + u".tmp";
  if (zip_folder(folder.c_str(), temporary.c_str(), job) < 0) {
    remove_file_u16(temporary.c_str());
    return -1;
  }
  // An archive that did not reach its name is not recorded.
  if (!move_download_file(temporary.c_str(), archive.c_str())) {
    remove_file_u16(temporary.c_str());
    return -1;
  }
  return add_backup_record(archive.c_str(), entry);
}

int32_t backup_worker(backup_job& job) {
  for (device_info* d : job.devices) {
    if (job.cancel.load()) return -1;
    int index = find_backup_entry(d);
    if (index < 0 || backup_package(index, job) < 0) return -1;
  }
  return 0;
}

int32_t backup_job_entry(void* job) { return job ? backup_worker(*static_cast<backup_job*>(job)) : -1; }
