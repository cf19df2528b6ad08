#include "engine/backup.h"

#include <string_view>

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

std::vector<backup_entry> backup_list;

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

// The name is cut so that the temporary path fits the path limit and the catalog holds the
// whole file name: a longer one could not be created, or would be dropped as missing.
void cut_to_fit(std::u16string& name, const std::u16string& folder) {
  const size_t suffix = 8;  // ".zip" and ".tmp"
  while (!name.empty() && (path_join(folder, name).size() + suffix >= max_path ||
                           u16_to_ansi(name + u".zip").size() > max_name_bytes))
    name.pop_back();
}

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
  std::u16string name;
  if (!entry.devices.empty()) {
    const device_info& first = *entry.devices.front();
    name = first.DriverDesc;
    while (!name.empty() && std::u16string_view(u"\r\n\t \v").find(name.back()) != std::u16string_view::npos)
      name.pop_back();
    name += u'-';
    name += first.DriverVersion;
  }
  size_t b = 0, e = name.size();
  while (b < e && is_wide_space(name[b])) ++b;
  while (e > b && is_wide_space(name[e - 1])) --e;
  name = name.substr(b, e - b);
  for (char16_t& c : name)
    if (std::u16string_view(u" \\/:*?<>|").find(c) != std::u16string_view::npos || !survives_ansi(c)) c = u'-';
  std::u16string folder(app_settings.BackupPath);
  cut_to_fit(name, folder);
  return path_join(folder, name) + u".zip";
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
  if (download_file_exists(archive.c_str())) return 0;
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
