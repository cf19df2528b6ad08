// The jobs that change the machine's drivers: install a downloaded package, restore one from
// a backup archive, uninstall an installed one. Each runs on its own worker task; none installs
// anything itself: they start the extractor (extract.exe) and the driver-package installer
// (DPInst32.exe / DPInst64.exe) from the program's folder, or a package's own setup program.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

// How long a job waits for the hidden extractor before it ends it and fails as "cannot
// extract": nobody sees an extractor that hangs, and the job (and the quit that waits for it)
// must not wait for it for ever. A large package on a slow disk takes a minute or two.
constexpr uint32_t default_extract_limit_ms = 10 * 60 * 1000;

// Filled by the download row and handed to the install job; it outlives the thread.
struct install_job {
  std::u16string package_path;  // the downloaded package
  int32_t not_all_present = 0;  // 1: some device of the group is not present
  int32_t force = 0;            // 1 adds /F to the installer's command line
  std::set<std::u16string> wanted_infs;  // INF paths relative to the package's root
  // The package's own setup program (an ".exe" package itself, or a setup program inside it)
  // is started only when this is set or the program's signature is trusted. The download
  // sets it when the finished file's MD5 equals the one the service gave for the candidate;
  // a package that was never checked keeps false. A refused program leaves the user the
  // manual way: the "manually_install_notify" message and Explorer showing the package.
  bool md5_verified = false;
  // The service's MD5 of the package. When it is a real sum the job checks the package
  // against it on its own thread before anything else (a package of several hundred MB must
  // not freeze the windows) and sets md5_verified; a package that differs is removed and the
  // job ends with -1 and md5_refused, having installed nothing.
  std::u16string expected_md5;
  bool md5_refused = false;  // written by the job's thread
  // The top-level window, taken on the user-interface thread: a worker thread has no active
  // window, so the job's messages would otherwise not be modal to the main window.
  void* owner_window = nullptr;
  uint32_t extract_limit_ms = default_extract_limit_ms;
};

struct restore_job {
  std::u16string archive_name;  // the backup archive's file name inside the backup folder
  uint32_t extract_limit_ms = default_extract_limit_ms;
};

struct uninstall_job {
  std::u16string inf_name;  // the installed driver's INF name, e.g. oem12.inf
  void* owner_window = nullptr;
};

// What the jobs take from the rest of the program; set once at start-up.
struct job_bindings {
  // The settings' DownloadPath and BackupPath when unbound.
  std::u16string (*download_path)() = nullptr;
  std::u16string (*backup_path)() = nullptr;
  // A language text by key; the English text when unbound.
  std::u16string (*text)(const char* key) = nullptr;
  // The message dialog, modal over the owner; 1 (OK, Yes, Retry) or 2 (No, Cancel, close).
  int (*show_message)(void* owner, int type, const char16_t* text) = nullptr;
  // Opens Explorer with the package selected.
  void (*show_in_explorer)(void* owner, const char16_t* path) = nullptr;
};
void set_job_bindings(const job_bindings& bindings);
const job_bindings& current_job_bindings();
std::u16string job_text(const char* key);
std::u16string job_download_path();
std::u16string job_backup_path();

// Worker-task callbacks: the argument is the job record; 0 or -1.
int32_t install_entry(void* job);    // install_job*
int32_t restore_entry(void* job);    // restore_job*
int32_t uninstall_driver(void* job);  // uninstall_job*

int32_t install_driver_package(const install_job& job);

// The steps of install_entry, so its decisions can be followed without Windows.
struct install_steps {
  int32_t (*install)(const install_job&);           // extract and install; 0 or more when done
  bool (*trusted)(const std::u16string& program);   // the program's signature is trusted
  bool (*start_program)(const std::u16string& program);
  void (*manual)(const install_job&);              // the message, then Explorer on the package
};
// Installs the package; when that fails, starts an ".exe" package itself if it may run, and
// otherwise (or when it cannot start) tells the user to install it by hand. 0 or -1.
int32_t run_install_job(const install_job& job, const install_steps& steps);
// Extracts the archive into the folder: 0 only when the extractor ended within the limit with
// exit code 0. One that fails leaves a folder that may lack files, so nothing is installed from
// it; one that outlives the limit is ended.
int32_t run_extractor(const std::u16string& archive, const std::u16string& folder,
                      uint32_t limit_ms = default_extract_limit_ms);
int32_t run_dpinst(int32_t not_all_present, const std::u16string& folder, int32_t force);
int32_t run_setup_program(const std::u16string& folder);
long is_trusted_file(const std::u16string& path);
// The folder named after the archive inside the parent, made with its parents; empty when the
// archive's name has nothing left without its extension.
std::u16string make_extract_folder(const std::u16string& archive, const std::u16string& parent);

// --- Portable parts -------------------------------------------------------------------

// The extension of the path's file name with its dot ("" when none), as PathFindExtensionW.
std::u16string get_file_extension(std::u16string_view path);
// The file name without its extension; what the extraction folder is named after.
std::u16string extract_folder_name(std::u16string_view archive_path);

// Command lines. Empty when the result would not fit its limit: a cut command line would
// name another path.
constexpr size_t extractor_line_limit = 1023, install_line_limit = 1023, uninstall_line_limit = 511;
std::u16string extractor_command_line(std::u16string_view archive, std::u16string_view folder);
std::u16string install_command_line(std::u16string_view installer, std::u16string_view folder,
                                    bool force, bool not_all_present);
std::u16string uninstall_command_line(std::u16string_view installer, std::u16string_view inf_path);
std::u16string explorer_select_parameters(std::u16string_view package_path);

// "DPInst32.exe" only on an x86 processor outside WOW64 (32-bit Windows).
const char16_t* installer_name(bool x86_processor, bool wow64);

// An INF path from the service made safe to join to the extraction folder: false for an
// absolute path, a drive or stream colon, or a ".." part (also with trailing dots or spaces).
bool is_safe_relative_path(std::u16string_view path);
// The folder part of an INF path: the text before its last '\' or '/' (empty when none).
std::u16string_view inf_folder_part(std::u16string_view inf_path);
// The names a package's own setup program may have.
bool is_setup_program_name(std::u16string_view name);
