#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <softpub.h>
#include <wintrust.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "base/wide.h"
#include "engine/helpers.h"
#include "engine/install_jobs.h"

namespace {

bool file_exists(const std::u16string& path) {
  DWORD a = GetFileAttributesW(as_wide(path));
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_directory(const std::u16string& path) {
  DWORD a = GetFileAttributesW(as_wide(path));
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Starts a program from its command line (found by the system's search, the program's own
// folder first) or by its path. The command-line buffer must be writable.
bool launch_process(const std::u16string* application, const std::u16string& command_line, bool hidden,
                    PROCESS_INFORMATION& pi) {
  std::vector<wchar_t> line(command_line.begin(), command_line.end());
  line.push_back(0);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  if (hidden) {
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
  }
  pi = {};
  return CreateProcessW(application ? as_wide(*application) : nullptr, command_line.empty() ? nullptr : line.data(),
                        nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
}

bool start_process(const std::u16string* application, const std::u16string& command_line, bool hidden,
                   bool wait, DWORD* exit_code) {
  PROCESS_INFORMATION pi;
  if (!launch_process(application, command_line, hidden, pi)) return false;
  if (wait) WaitForSingleObject(pi.hProcess, INFINITE);
  if (exit_code) GetExitCodeProcess(pi.hProcess, exit_code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

bool start_setup_program(const std::u16string& path) { return start_process(&path, u"", false, false, nullptr); }

// A setup program shipped in the package runs only when the package is the one the service
// offered (its MD5 matched) or the program's signature is trusted.
bool setup_program_allowed(const std::u16string& path, bool md5_verified) {
  return md5_verified || is_trusted_file(path) == 0;
}

bool running_under_wow64() {
  using is_wow64_fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  auto fn = kernel ? reinterpret_cast<is_wow64_fn>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))
                   : nullptr;
  BOOL wow64 = FALSE;
  return fn && fn(GetCurrentProcess(), &wow64) && wow64;
}

const char16_t* this_installer() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return installer_name(info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL, running_under_wow64());
}

// Removes a link (junction or symbolic link, to a folder or a file) itself, never what it
// points to.
bool remove_link(const std::u16string& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryW(as_wide(path)) != FALSE;
  return DeleteFileW(as_wide(path)) != FALSE;
}

// Removes everything inside the folder; a link inside is removed, never entered. False when
// something is left (a file in use).
bool empty_folder(const std::u16string& folder) {
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW(as_wide(path_join(folder, u"*")), &d);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  bool all = true;
  do {
    std::u16string name = as_u16(d.cFileName);
    if (name == u"." || name == u"..") continue;
    std::u16string path = path_join(folder, name);
    if (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      // No attribute is changed through a link: that could reach its target.
      all = remove_link(path, d.dwFileAttributes) && all;
      continue;
    }
    if (d.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
      SetFileAttributesW(as_wide(path), d.dwFileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      all = empty_folder(path) && all;
      all = RemoveDirectoryW(as_wide(path)) && all;
    } else {
      all = DeleteFileW(as_wide(path)) && all;
    }
  } while (FindNextFileW(h, &d));
  FindClose(h);
  return all;
}

// The extraction folder made empty and real: a link standing at its path is removed and a
// folder made in its place, so that neither the emptying nor the extractor reaches through it.
// False when no plain folder stands there afterwards, or an earlier extraction's file stays in
// it: "-aos" would keep that file, and the installer would take it for the archive's.
bool prepare_extract_folder(const std::u16string& folder) {
  DWORD a = GetFileAttributesW(as_wide(folder));
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT)) {
    remove_link(folder, a);
    CreateDirectoryW(as_wide(folder), nullptr);
    a = GetFileAttributesW(as_wide(folder));
  }
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY) || (a & FILE_ATTRIBUTE_REPARSE_POINT))
    return false;
  return empty_folder(folder);
}

void delete_web_pages(const std::u16string& folder) {
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW(as_wide(path_join(folder, u"*.htm")), &d);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW(as_wide(path_join(folder, as_u16(d.cFileName))));
  } while (FindNextFileW(h, &d));
  FindClose(h);
}

// An inner archive named like the missing folder is extracted into a folder of that name.
// -1 when there is none or its extraction failed; an ".exe" one is the setup program either way.
int extract_nested_archive(const std::u16string& path, std::u16string& setup_path, uint32_t limit_ms) {
  for (const char16_t* ext : {u".exe", u".zip", u".rar", u".cab"}) {
    std::u16string archive = path + ext;
    if (!file_exists(archive)) continue;
    if (equal_ci(ext, u".exe")) setup_path = archive;
    return run_extractor(archive, path, limit_ms);
  }
  return -1;
}

bool locate_inf(const std::u16string& folder, const std::u16string& inf, uint32_t limit_ms, std::u16string& inf_path,
                std::u16string& setup_path) {
  inf_path = path_join(folder, inf);
  if (file_exists(inf_path)) return true;
  std::u16string path = folder;
  for (size_t start = 0, end; (end = inf.find(u'\\', start)) != std::u16string::npos; start = end + 1) {
    path = path_join(path, inf.substr(start, end - start));
    // An INF of an inner archive that did not extract whole is not installed from.
    if (!is_directory(path) && extract_nested_archive(path, setup_path, limit_ms) != 0) return false;
    if (!is_directory(path)) break;
  }
  return file_exists(inf_path);
}

int show_message(void* owner, int type, const char* key) {
  std::u16string text = job_text(key);
  const job_bindings& b = current_job_bindings();
  if (b.show_message) return b.show_message(owner, type, text.c_str());
  UINT style = type == 3 ? MB_YESNO : type == 4 ? MB_RETRYCANCEL : MB_OK;
  int r = MessageBoxW(static_cast<HWND>(owner), as_wide(text), L"Vantoril", style | MB_TASKMODAL);
  return r == IDOK || r == IDYES || r == IDRETRY ? 1 : 2;
}

}  // namespace

long is_trusted_file(const std::u16string& path) {
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = as_wide(path);
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  return WinVerifyTrust(nullptr, &action, &data);
}

std::u16string make_extract_folder(const std::u16string& archive, const std::u16string& parent) {
  std::u16string name = extract_folder_name(archive);
  if (name.empty() || parent.empty()) return std::u16string();
  std::u16string folder = path_join(parent, name);
  SHCreateDirectoryExW(nullptr, as_wide(folder), nullptr);
  return folder;
}

int32_t run_extractor(const std::u16string& archive, const std::u16string& folder, uint32_t limit_ms) {
  std::u16string line = extractor_command_line(archive, folder);
  if (line.empty()) return -1;
  PROCESS_INFORMATION pi;
  if (!launch_process(nullptr, line, true, pi)) return -1;
  CloseHandle(pi.hThread);
  const bool ended = WaitForSingleObject(pi.hProcess, DWORD(limit_ms)) == WAIT_OBJECT_0;
  if (!ended) {
    // Hidden and hung: ended here, or nobody could. Its files are closed once it is gone.
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  DWORD exit_code = 1;
  const bool done = ended && GetExitCodeProcess(pi.hProcess, &exit_code) && exit_code == 0;
  CloseHandle(pi.hProcess);
  return done ? 0 : -1;
}

int32_t run_dpinst(int32_t not_all_present, const std::u16string& folder, int32_t force) {
  std::u16string line = install_command_line(this_installer(), folder, force != 0, not_all_present != 0);
  if (line.empty()) return -1;
  return start_process(nullptr, line, false, false, nullptr) ? 0 : -1;
}

int32_t run_setup_program(const std::u16string& folder) {
  std::vector<std::u16string> names;
  if (list_directory(folder.c_str(), names) < 0) return -1;
  std::u16string base = folder;
  if (names.size() == 1 && is_directory(path_join(folder, names[0]))) {
    base = path_join(folder, names[0]);
    if (list_directory(base.c_str(), names) < 0) return -1;
  }
  for (const std::u16string& name : names) {
    if (!is_setup_program_name(name)) continue;
    std::u16string path = path_join(base, name);
    if (is_trusted_file(path) != 0) continue;
    return start_setup_program(path) ? 0 : -1;
  }
  return -1;
}

int32_t install_driver_package(const install_job& job) {
  std::u16string folder = make_extract_folder(job.package_path, job_download_path());
  if (folder.empty()) return -1;
  // "-aos" keeps what is there: an older extraction of a same-named package must go first.
  if (!prepare_extract_folder(folder)) return -1;
  if (run_extractor(job.package_path, folder, job.extract_limit_ms) != 0) return -1;
  delete_web_pages(folder);
  std::set<std::u16string> handled;
  for (const std::u16string& inf : job.wanted_infs) {
    if (!is_safe_relative_path(inf)) continue;  // nothing outside the extraction folder
    std::u16string inf_path, setup_path;
    bool found = locate_inf(folder, inf, job.extract_limit_ms, inf_path, setup_path);
    std::u16string inf_dir(inf_folder_part(inf_path));
    if (handled.count(inf_dir)) continue;
    if (found) {
      // A folder counts only when its installer really started.
      if (run_dpinst(job.not_all_present, inf_dir, job.force) == 0) handled.insert(inf_dir);
    } else if (!setup_path.empty() && file_exists(setup_path) && setup_program_allowed(setup_path, job.md5_verified)) {
      if (start_setup_program(setup_path)) handled.insert(inf_dir);
    }
  }
  if (!handled.empty()) return 0;
  return run_setup_program(folder);
}

namespace {

// The manual way: the message, then Explorer with the package selected.
void show_manual_install(const install_job& job) {
  show_message(job.owner_window, 0, "manually_install_notify");
  const job_bindings& b = current_job_bindings();
  if (b.show_in_explorer) {
    b.show_in_explorer(job.owner_window, job.package_path.c_str());
    return;
  }
  std::u16string parameters = explorer_select_parameters(job.package_path);
  if (!parameters.empty())
    ShellExecuteW(static_cast<HWND>(job.owner_window), nullptr, L"explorer.exe", as_wide(parameters), nullptr,
                  SW_SHOW);
}

}  // namespace

int32_t install_entry(void* argument) {
  const install_steps steps{install_driver_package, [](const std::u16string& p) { return is_trusted_file(p) == 0; },
                            start_setup_program, show_manual_install};
  return run_install_job(*static_cast<const install_job*>(argument), steps);
}

int32_t restore_entry(void* argument) {
  const restore_job& job = *static_cast<const restore_job*>(argument);
  std::u16string backup = job_backup_path();
  if (!is_safe_relative_path(job.archive_name)) return -1;
  std::u16string folder = make_extract_folder(job.archive_name, backup);
  if (folder.empty() || !prepare_extract_folder(folder)) return -1;
  if (run_extractor(path_join(backup, job.archive_name), folder, job.extract_limit_ms) != 0) return -1;
  return run_dpinst(1, folder, 1);
}

int32_t uninstall_driver(void* argument) {
  const uninstall_job& job = *static_cast<const uninstall_job*>(argument);
  wchar_t inf_folder[MAX_PATH];
  DWORD n = ExpandEnvironmentStringsW(L"%SYSTEMROOT%\\inf", inf_folder, MAX_PATH);
  bool started = false;
  // Only a bare INF name: anything else would reach outside the inf folder.
  bool plain = !job.inf_name.empty() && job.inf_name.find_first_of(u"\\/:") == std::u16string::npos &&
               is_safe_relative_path(job.inf_name);
  if (n > 0 && n <= MAX_PATH && plain) {
    std::u16string line = uninstall_command_line(this_installer(), path_join(as_u16(inf_folder), job.inf_name));
    DWORD exit_code = 0;  // read, not used: the installer reports through its own window
    started = !line.empty() && start_process(nullptr, line, false, true, &exit_code);
  }
  show_message(job.owner_window, 0, "uninstall_finished");
  return started ? 0 : -1;
}
