// The stand-ins of outside programs write one line per start to the file named by
// VANTORIL_STANDIN_LOG: program name, command line and working folder, tab-separated, UTF-8.
// Tests read these lines as the evidence of what the program started.
#pragma once

#include <windows.h>

#include <string>

inline std::string standin_utf8(const wchar_t* text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(size_t(n - 1));
  return out;
}

inline void standin_log_start() {
  wchar_t log_path[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", log_path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  wchar_t module[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const wchar_t* name = module;
  for (const wchar_t* p = module; *p; ++p)
    if (*p == L'\\' || *p == L'/') name = p + 1;
  wchar_t folder[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, folder);
  std::string line = standin_utf8(name) + "\t" + standin_utf8(GetCommandLineW()) + "\t" +
                     standin_utf8(folder) + "\n";
  // Several installers may start at once: one appending write per line keeps lines whole.
  for (int attempt = 0; attempt < 50; ++attempt) {
    HANDLE h = CreateFileW(log_path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(h, line.data(), DWORD(line.size()), &written, nullptr);
      CloseHandle(h);
      return;
    }
    Sleep(20);
  }
}
