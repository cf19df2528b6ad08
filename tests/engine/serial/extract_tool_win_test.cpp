// The stand-in extractor: what the install jobs rely on it for.
#include <gtest/gtest.h>

#include "tests/engine/serial/standins.h"
#include "tests/engine/serial/zip_fixture.h"

namespace fs = std::filesystem;

namespace {

DWORD run_extract(const std::wstring& arguments) {
  std::wstring line = L"extract.exe " + arguments;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    // Seen once in a full run under load and not since: say why, should it come again.
    ADD_FAILURE() << "extract.exe did not start: error " << GetLastError();
    return 999;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

std::wstring quoted(const fs::path& p) { return L"\"" + p.wstring() + L"\""; }

TEST(ExtractTool, ExtractsStoredAndDeflatedEntriesWithTheirFolders) {
  temp_folder t;
  std::string big(200000, 'x');
  for (size_t i = 0; i < big.size(); i += 7) big[i] = char('a' + i % 26);
  write_zip(t / "p.zip", {{"drv/", "", false},
                          {"drv/x64/a.inf", "[Version]\r\n", true},
                          {"drv/x64/a.sys", big, true},
                          {"stored.txt", "as is", false},
                          {"empty.txt", "", true}});
  standin_log log(t / "log.txt");
  ASSERT_EQ(run_extract(L"x " + quoted(t / "p.zip") + L" -aos -o" + quoted(t / "out") + L" -r -y"), 0u);
  EXPECT_EQ(read_file_bytes(t / "out" / "drv" / "x64" / "a.inf"), "[Version]\r\n");
  EXPECT_EQ(read_file_bytes(t / "out" / "drv" / "x64" / "a.sys"), big);
  EXPECT_EQ(read_file_bytes(t / "out" / "stored.txt"), "as is");
  EXPECT_TRUE(fs::exists(t / "out" / "empty.txt"));
  auto starts = log.starts();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].program, u"extract.exe");
}

TEST(ExtractTool, SkipsExistingFilesOnlyWithAos) {
  temp_folder t;
  write_zip(t / "p.zip", {{"a.txt", "new", true}});
  fs::create_directory(t / "out");
  write_file_bytes(t / "out" / "a.txt", "old");
  EXPECT_EQ(run_extract(L"x " + quoted(t / "p.zip") + L" -aos -o" + quoted(t / "out") + L" -r -y"), 0u);
  EXPECT_EQ(read_file_bytes(t / "out" / "a.txt"), "old");
  EXPECT_EQ(run_extract(L"x " + quoted(t / "p.zip") + L" -o" + quoted(t / "out") + L" -y"), 0u);
  EXPECT_EQ(read_file_bytes(t / "out" / "a.txt"), "new");
}

TEST(ExtractTool, RefusesNamesThatLeaveTheTargetFolder) {
  temp_folder t;
  fs::create_directory(t / "out");
  std::string drive_path = "C:/vt-extract-escape.txt";
  write_zip(t / "p.zip", {{"../escape.txt", "no", true},
                          {"a/../../escape2.txt", "no", true},
                          {"a/.. /escape3.txt", "no", true},
                          {"/rooted.txt", "no", true},
                          {drive_path, "no", true},
                          {"ok/kept.txt", "yes", true}});
  EXPECT_EQ(run_extract(L"x " + quoted(t / "p.zip") + L" -aos -o" + quoted(t / "out") + L" -r -y"), 2u);
  EXPECT_EQ(read_file_bytes(t / "out" / "ok" / "kept.txt"), "yes");
  EXPECT_FALSE(fs::exists(t / "escape.txt"));
  EXPECT_FALSE(fs::exists(t / "escape2.txt"));
  EXPECT_FALSE(fs::exists(t / "escape3.txt"));
  EXPECT_FALSE(fs::exists("C:/rooted.txt"));
  EXPECT_FALSE(fs::exists(drive_path));
}

TEST(ExtractTool, DamagedEntriesLeaveNoFileAndBadInputFails) {
  temp_folder t;
  std::string zip = make_zip_bytes({{"a.txt", std::string(1000, 'q'), false}});
  zip[40] ^= 1;  // inside a.txt's stored data: the CRC no longer matches
  write_file_bytes(t / "p.zip", zip);
  EXPECT_EQ(run_extract(L"x " + quoted(t / "p.zip") + L" -o" + quoted(t / "out") + L" -y"), 2u);
  EXPECT_FALSE(fs::exists(t / "out" / "a.txt"));
  write_file_bytes(t / "not.zip", "Rar!\x1a\x07");
  EXPECT_EQ(run_extract(L"x " + quoted(t / "not.zip") + L" -o" + quoted(t / "out2") + L" -y"), 2u);
  EXPECT_EQ(run_extract(L"x " + quoted(t / "missing.zip") + L" -y"), 2u);
  EXPECT_EQ(run_extract(L"l " + quoted(t / "p.zip")), 7u);
}

TEST(ExtractTool, ReadsAZipAppendedToAProgram) {
  temp_folder t;
  write_file_bytes(t / "setup.exe", make_zip_bytes({{"x64/a.inf", "inf", true}}, std::string(5000, 'M')));
  EXPECT_EQ(run_extract(L"x " + quoted(t / "setup.exe") + L" -aos -o" + quoted(t / "setup") + L" -r -y"), 0u);
  EXPECT_EQ(read_file_bytes(t / "setup" / "x64" / "a.inf"), "inf");
}

}  // namespace
