// Each Windows version is read by a child run of a copy of this program with a name of its
// own, for which Wine's per-program settings give that version; the prefix's own version,
// seen by every other test, is never changed.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/system_facts.h"
#include "tests/support/test_support.h"

namespace {

std::string run(const std::string& command) {
  std::string out;
  FILE* pipe = _popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  _pclose(pipe);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::string self_path() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

// The child's part, before any test: the start-up steps, then the facts on one line.
const bool child_printed = [] {
  if (!std::getenv("VANTORIL_PRINT_OS")) return false;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  query_wmi_facts();
  if (init_system_info())
    std::printf("OS=%s %u.%u\n", os_name_text(), unsigned(os_version_info.dwMajorVersion),
                unsigned(os_version_info.dwMinorVersion));
  std::fflush(stdout);
  std::_Exit(0);
}();

// Wine's per-program setting: HKCU\Software\Wine\AppDefaults\<name>.exe, value Version.
bool set_program_version(const std::wstring& exe_name, const char* version) {
  std::wstring key = L"Software\\Wine\\AppDefaults\\" + exe_name;
  if (!version) return RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str()) == ERROR_SUCCESS;
  HKEY h;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr))
    return false;
  std::wstring v(version, version + std::strlen(version));
  LONG rc = RegSetValueExW(h, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                           DWORD((v.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
  return rc == ERROR_SUCCESS;
}

std::string child_facts(const temp_folder& dir, const char* version) {
  std::string name = std::string("osver_") + version + ".exe";
  std::string copy = (dir / name).string();
  if (!CopyFileA(self_path().c_str(), copy.c_str(), FALSE)) return "cannot copy the program";
  std::wstring wname(name.begin(), name.end());
  if (!set_program_version(wname, version)) return "cannot set the version";
  std::string out = run("set VANTORIL_PRINT_OS=1&& \"" + copy + "\" --gtest_list_tests");
  set_program_version(wname, nullptr);
  size_t at = out.find("OS=");
  return at == std::string::npos ? out : out.substr(at + 3, out.find_first_of("\r\n", at) - at - 3);
}

TEST(SystemFactsVersion, OsNameFollowsTheWindowsVersion) {
  ASSERT_FALSE(child_printed);
  if (!running_on_wine()) GTEST_SKIP() << "sets the version through Wine's per-program settings";
  const bool is_64 = sizeof(void*) == 8 || process_is_wow64();
  struct row {
    const char* version;
    std::string expected;
  } rows[] = {
      // A 64-bit prefix offers Windows XP only as XP x64, which reports 5.2.
      {is_64 ? "winxp64" : "winxp", is_64 ? "WIN200364 5.2" : "WINXP 5.1"},
      {"win7", std::string(is_64 ? "WIN764" : "WIN7") + " 6.1"},
      {"win8", std::string(is_64 ? "WIN864" : "WIN8") + " 6.2"},
      {"win81", std::string(is_64 ? "WIN8164" : "WIN81") + " 6.3"},
      {"win10", std::string(is_64 ? "WIN1064" : "WIN10") + " 10.0"},
  };
  temp_folder dir;
  for (const row& r : rows) EXPECT_EQ(child_facts(dir, r.version), r.expected) << r.version;
}

}  // namespace
