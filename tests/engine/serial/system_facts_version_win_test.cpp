// The Windows version of the Wine prefix is changed here (and put back), so these tests never
// run beside others. Each version is read by a child run of this program, since a process
// reads its version when it starts.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
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

std::string child_facts() {
  std::string out = run("set VANTORIL_PRINT_OS=1&& \"" + self_path() + "\" --gtest_list_tests");
  size_t at = out.find("OS=");
  return at == std::string::npos ? out : out.substr(at + 3, out.find_first_of("\r\n", at) - at - 3);
}

TEST(SystemFactsVersion, OsNameFollowsTheWindowsVersion) {
  ASSERT_FALSE(child_printed);
  if (!running_on_wine()) GTEST_SKIP() << "sets the version through winecfg";
  std::string saved = run("winecfg -v");
  ASSERT_FALSE(saved.empty());
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
  for (const row& r : rows) {
    run(std::string("winecfg -v ") + r.version);
    ASSERT_EQ(run("winecfg -v"), r.version);
    EXPECT_EQ(child_facts(), r.expected) << r.version;
  }
  run("winecfg -v " + saved);
  EXPECT_EQ(run("winecfg -v"), saved);
}

}  // namespace
