// The stand-ins beside the test program: where their log goes, what they logged, and how to
// make one missing for a while.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "base/wide.h"
#include "tests/support/test_support.h"

struct standin_start {
  std::u16string program, command_line, folder;
};

inline std::filesystem::path program_folder() {
  wchar_t module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  return std::filesystem::path(module).parent_path();
}

inline std::u16string u16_of(const std::filesystem::path& p) { return as_u16(p.wstring().c_str()); }

inline std::u16string current_folder() {
  wchar_t folder[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, folder);
  return as_u16(folder);
}

// Sets the stand-ins' log file and installer exit code for this process and its children.
class standin_log {
 public:
  explicit standin_log(const std::filesystem::path& file, const wchar_t* exit_code = nullptr) : file_(file) {
    SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", file.wstring().c_str());
    SetEnvironmentVariableW(L"VANTORIL_DPINST_EXIT", exit_code);
  }
  ~standin_log() {
    SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", nullptr);
    SetEnvironmentVariableW(L"VANTORIL_DPINST_EXIT", nullptr);
  }
  std::vector<standin_start> starts() const {
    std::vector<standin_start> out;
    std::string text = read_file_bytes(file_);
    size_t i = 0;
    while (i < text.size()) {
      size_t end = text.find('\n', i);
      if (end == std::string::npos) break;
      std::string line = text.substr(i, end - i);
      i = end + 1;
      size_t a = line.find('\t'), b = line.rfind('\t');
      if (a == std::string::npos || a == b) continue;
      out.push_back({utf8_to_u16(line.substr(0, a)), utf8_to_u16(line.substr(a + 1, b - a - 1)),
                     utf8_to_u16(line.substr(b + 1))});
    }
    return out;
  }
  // Installers are not waited for: give them time to log.
  std::vector<standin_start> wait_for(size_t count) const {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::vector<standin_start> s = starts();
    while (s.size() < count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      s = starts();
    }
    return s;
  }

 private:
  std::filesystem::path file_;
};

// Moves a stand-in away from the program's folder while the object lives.
class standin_missing {
 public:
  explicit standin_missing(const wchar_t* name)
      : path_(program_folder() / name), away_(program_folder() / (std::wstring(name) + L".away")) {
    MoveFileExW(path_.wstring().c_str(), away_.wstring().c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  ~standin_missing() { MoveFileExW(away_.wstring().c_str(), path_.wstring().c_str(), MOVEFILE_REPLACE_EXISTING); }

 private:
  std::filesystem::path path_, away_;
};

// The processes of this name that this process started and that still run.
inline size_t running_children(const wchar_t* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  size_t count = 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (entry.th32ParentProcessID == GetCurrentProcessId() && lstrcmpiW(entry.szExeFile, name) == 0) ++count;
  CloseHandle(snapshot);
  return count;
}

// Ends the processes of this name that this process started (a test's way out of a job that
// would wait for one for ever).
inline void end_children(const wchar_t* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID != GetCurrentProcessId() || lstrcmpiW(entry.szExeFile, name) != 0) continue;
    if (HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
      TerminateProcess(h, 1);
      CloseHandle(h);
    }
  }
  CloseHandle(snapshot);
}

// Makes the stand-in extractor hang (never end) while the object lives.
class extractor_hang {
 public:
  extractor_hang() { SetEnvironmentVariableW(L"VANTORIL_EXTRACT_HANG", L"1"); }
  ~extractor_hang() { SetEnvironmentVariableW(L"VANTORIL_EXTRACT_HANG", nullptr); }
  extractor_hang(const extractor_hang&) = delete;
  extractor_hang& operator=(const extractor_hang&) = delete;
};
