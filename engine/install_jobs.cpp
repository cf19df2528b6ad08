#include "engine/install_jobs.h"

#include "base/path.h"
#include "base/text.h"
#include "engine/settings.h"

namespace {

std::u16string quoted(std::u16string_view text) { return u"\"" + std::u16string(text) + u"\""; }

std::u16string fitting(std::u16string line, size_t limit) {
  return line.size() <= limit ? line : std::u16string();
}

std::u16string english_text(const char* key) {
  std::string_view k(key ? key : "");
  if (k == "manually_install_notify") return u"The current driver package requires manually installation.";
  if (k == "uninstall_finished")
    return u"If a device driver is uninstalled, you may need to restart your computer for the changes to take effect.";
  return std::u16string(k.begin(), k.end());
}

job_bindings& bindings() {
  static job_bindings b;
  return b;
}

}  // namespace

void set_job_bindings(const job_bindings& b) { bindings() = b; }
const job_bindings& current_job_bindings() { return bindings(); }

std::u16string job_text(const char* key) {
  if (bindings().text) {
    std::u16string t = bindings().text(key);
    if (!t.empty()) return t;
  }
  return english_text(key);
}

std::u16string job_download_path() {
  return bindings().download_path ? bindings().download_path() : std::u16string(app_settings.DownloadPath);
}

std::u16string job_backup_path() {
  return bindings().backup_path ? bindings().backup_path() : std::u16string(app_settings.BackupPath);
}

std::u16string get_file_extension(std::u16string_view path) {
  std::u16string_view name = path.substr(file_name_start(path));
  size_t dot = name.rfind(u'.');
  // A name whose only dot is its first character has no extension, as PathFindExtensionW
  // would also say for ".." and a trailing space after the dot.
  if (dot == std::u16string_view::npos) return std::u16string();
  std::u16string_view ext = name.substr(dot);
  if (ext.find(u' ') != std::u16string_view::npos) return std::u16string();
  return std::u16string(ext);
}

std::u16string extract_folder_name(std::u16string_view archive_path) {
  std::u16string_view name = archive_path.substr(file_name_start(archive_path));
  std::u16string ext = get_file_extension(name);
  name = name.substr(0, name.size() - ext.size());
  // Windows drops trailing dots and spaces: "..zip" or "... .zip" would name the download
  // folder itself or its parent, which the install then empties.
  if (name.find_first_not_of(u". ") == std::u16string_view::npos) return std::u16string();
  return std::u16string(name);
}

std::u16string extractor_command_line(std::u16string_view archive, std::u16string_view folder) {
  return fitting(u"extract.exe x " + quoted(archive) + u" -aos -o" + quoted(folder) + u" -r -y",
                 extractor_line_limit);
}

std::u16string install_command_line(std::u16string_view installer, std::u16string_view folder,
                                    bool force, bool not_all_present) {
  // A trailing backslash before the closing quote would escape it.
  if (!folder.empty() && folder.back() == u'\\') folder.remove_suffix(1);
  std::u16string line = quoted(installer);
  if (force) line += u" /F";
  if (!not_all_present) line += u" /SH";
  line += u" /PATH " + quoted(folder);
  return fitting(line, install_line_limit);
}

std::u16string uninstall_command_line(std::u16string_view installer, std::u16string_view inf_path) {
  return fitting(std::u16string(installer) + u" /U " + quoted(inf_path), uninstall_line_limit);
}

std::u16string explorer_select_parameters(std::u16string_view package_path) {
  return fitting(u"/select," + quoted(package_path), 1023);
}

const char16_t* installer_name(bool x86_processor, bool wow64) {
  return x86_processor && !wow64 ? u"DPInst32.exe" : u"DPInst64.exe";
}

bool is_safe_relative_path(std::u16string_view path) {
  if (path.empty() || is_path_separator(path[0]) || path.find(u':') != std::u16string_view::npos) return false;
  size_t i = 0;
  while (i <= path.size()) {
    size_t end = i;
    while (end < path.size() && !is_path_separator(path[end])) ++end;
    std::u16string_view part = path.substr(i, end - i);
    i = end + 1;
    if (part.empty()) continue;
    // Windows drops trailing dots and spaces of a path part, so ". ." or ".. " is "..".
    size_t keep = part.find_last_not_of(u". ");
    if (keep == std::u16string_view::npos && part != u".") return false;
  }
  return true;
}

std::u16string_view inf_folder_part(std::u16string_view inf_path) {
  return folder_part(inf_path);
}

int32_t run_install_job(const install_job& job, const install_steps& steps) {
  if (steps.install(job) >= 0) return 0;
  if (equal_ci(get_file_extension(job.package_path), u".exe") &&
      (job.md5_verified || steps.trusted(job.package_path)) && steps.start_program(job.package_path))
    return 0;
  // Nothing was installed: never silently, the user can still install the package by hand.
  steps.manual(job);
  return -1;
}

bool is_setup_program_name(std::u16string_view name) {
  return equal_ci(name, u"setup.exe") || equal_ci(name, u"autorun.exe") || equal_ci(name, u"install.exe");
}
