#include <windows.h>

#include "tests/support/service_launcher.h"

namespace {

using unix_name_fn = char*(CDECL*)(const WCHAR*);

unix_name_fn wine_unix_name() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  FARPROC proc = kernel ? GetProcAddress(kernel, "wine_get_unix_file_name") : nullptr;
  return reinterpret_cast<unix_name_fn>(reinterpret_cast<void*>(proc));
}

std::wstring quoted(const std::string& arg) {
  std::wstring w(arg.begin(), arg.end());
  return L"\"" + w + L"\"";
}

}  // namespace

// Under Wine the service is a program of the host system and needs its paths; on Windows it
// runs as a Windows program and takes the paths as they are.
std::string service_side_path(const std::filesystem::path& path) {
  if (unix_name_fn f = wine_unix_name()) {
    char* name = f(path.wstring().c_str());
    if (name) {
      std::string s(name);
      HeapFree(GetProcessHeap(), 0, name);
      return s;
    }
  }
  return path.string();
}

long long start_service_process(const std::vector<std::string>& args) {
  std::wstring command = wine_unix_name() ? L"\"Z:\\usr\\bin\\python3\"" : L"python";
  for (const auto& a : args) command += L" " + quoted(a);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 0;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // Under Wine a host program gives no handle to wait on; the service ends by its stop file.
  return 1;
}

void wait_service_process(long long) { Sleep(100); }
