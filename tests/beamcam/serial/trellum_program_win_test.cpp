// Trellum.exe as a user starts it, with no camera in the prefix: its forms show, the
// no-camera box comes up, and the program ends with exit code 1 one tick after OK.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "beamcam/forms/forms.h"
#include "tests/beamcam/probe/forms_probe.h"

namespace {

std::wstring program_path() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring p = self;
  p.resize(p.find_last_of(L'\\'));
  p.resize(p.find_last_of(L'\\'));
  return p + L"\\beamcam\\Trellum.exe";
}

// The test build, which answers the probe's messages.
std::wstring probe_path() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring p = self;
  p.resize(p.find_last_of(L'\\') + 1);
  return p + L"TrellumProbe.exe";
}

HWND wait_for(const wchar_t* window_class, const wchar_t* title, DWORD ms) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
    if (HWND w = FindWindowW(window_class, title)) return w;
  return nullptr;
}

TEST(TrellumProgram, WithoutACameraShowsItsFormsAndEndsAfterTheBox) {
  const std::wstring exe = probe_path();
  if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no Trellum.exe beside the tests";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::wstring line = L"\"" + exe + L"\"";
  ASSERT_TRUE(CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  HWND box = wait_for(L"#32770", L"Camera Message", 15000);
  HWND main = FindWindowW(L"beamcam.form", L"Kestravue");
  EXPECT_TRUE(box);
  ASSERT_TRUE(main);
  EXPECT_TRUE(IsWindowVisible(main));
  RECT client{};
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, 966);
  EXPECT_EQ(client.bottom, 603);

  // The form's controls, as the program writes them on the registered message.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring file = std::wstring(temp) + L"trellum-program-dump.txt";
  ATOM atom = GlobalAddAtomW(file.c_str());
  EXPECT_EQ(SendMessageW(main, forms_probe::dump_message(), atom, 0), 1);
  GlobalDeleteAtom(atom);
  std::string narrow;
  for (wchar_t c : file) narrow += char(c);
  std::ifstream f(narrow, std::ios::binary);
  std::string dump((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  f.close();
  DeleteFileW(file.c_str());
  EXPECT_NE(dump.find("menu\tStop1\tS&top\t0\t0\t0"), std::string::npos) << dump;
  EXPECT_NE(dump.find("control\tMaskEdit2\t"), std::string::npos);
  EXPECT_EQ(dump.find("CCD Camera found"), std::string::npos);  // no camera was found
  EXPECT_TRUE(FindWindowW(L"beamcam.form", L"About Kestravue"));
  EXPECT_TRUE(FindWindowW(L"beamcam.form", L"Beam Position Window"));

  if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
  DWORD ok_at = GetTickCount();
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
  DWORD took = GetTickCount() - ok_at;
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 1u);
  EXPECT_LT(took, 5000u);  // one tick of the start-up timer after OK, and the box taken down
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

// The registered messages that tests use to read and drive the forms are answered only by the
// test build (TrellumProbe.exe): the shipped program ignores them.
TEST(TrellumProgram, ShippedProgramIgnoresTheTestMessages) {
  const std::wstring exe = program_path();
  if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no Trellum.exe beside the tests";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::wstring line = L"\"" + exe + L"\"";
  ASSERT_TRUE(CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  HWND box = wait_for(L"#32770", L"Camera Message", 15000);
  HWND main = FindWindowW(L"beamcam.form", L"Kestravue");
  ASSERT_TRUE(main);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring file = std::wstring(temp) + L"trellum-shipped-dump.txt";
  DeleteFileW(file.c_str());
  ATOM atom = GlobalAddAtomW(file.c_str());
  EXPECT_EQ(SendMessageW(main, RegisterWindowMessageW(L"beamcam.forms.dump"), atom, 0), 0);
  GlobalDeleteAtom(atom);
  EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
  atom = GlobalAddAtomW(L"About2");
  EXPECT_EQ(SendMessageW(main, RegisterWindowMessageW(L"beamcam.forms.command"), atom, 0), 0);
  GlobalDeleteAtom(atom);
  HWND about = FindWindowW(L"beamcam.form", L"About Kestravue");
  EXPECT_TRUE(about && !IsWindowVisible(about));
  if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
  DeleteFileW(file.c_str());
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

}  // namespace
