// Trellum (its test build) with the stand-in grabber registered in the prefix, as the run script does: the
// graph is built with the grabber's settings, "READY" comes, "&Exit" ends the program, and
// closing it while frames arrive never hangs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "beamcam/forms/forms.h"
#include "tests/beamcam/probe/forms_probe.h"
#include "tests/support/test_support.h"

namespace {

const wchar_t* const device_key =
    L"Software\\Classes\\CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance\\test-trellum";

std::wstring beside_tests(const wchar_t* name) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring p = self;
  p.resize(p.find_last_of(L'\\') + 1);
  return p + name;
}

// The test build of the program, which answers the probe's messages.
std::wstring program_path() { return beside_tests(L"TrellumProbe.exe"); }

void set_value(HKEY k, const wchar_t* name, const wchar_t* value) {
  RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD((wcslen(value) + 1) * 2));
}

BOOL CALLBACK find_video_window(HWND w, LPARAM found) {
  wchar_t name[64] = L"";
  GetClassNameW(w, name, 64);
  if (wcscmp(name, L"wine_quartz_window") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

class TrellumWithGrabber : public ::testing::Test {
 protected:
  void SetUp() override {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
    if (GetFileAttributesW(program_path().c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no TrellumProbe.exe";
    module_ = LoadLibraryW(beside_tests(L"grabber.dll").c_str());
    ASSERT_TRUE(module_);
    auto reg = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module_, "DllRegisterServer")));
    ASSERT_TRUE(reg);
    ASSERT_EQ(reg(), S_OK);
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, device_key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    set_value(k, L"FriendlyName", L"AV TO USB2.0");
    set_value(k, L"CLSID", L"{A3DE818A-9F03-411D-BA5C-2BA48BEAF4CA}");
    set_value(k, L"Beam", L"133 300 250 40 25");
    RegCloseKey(k);
    log_ = dir_ / "standin.log";
    SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", log_.wstring().c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", nullptr);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, device_key);
    if (module_) {
      auto unreg =
          reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module_, "DllUnregisterServer")));
      if (unreg) unreg();
      FreeLibrary(module_);
    }
  }

  bool start() {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::wstring exe = program_path(), line = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) return false;
    for (DWORD t = GetTickCount(); GetTickCount() - t < 60000; Sleep(20))
      if ((main_ = FindWindowW(L"beamcam.form", L"Kestravue"))) return true;
    return false;
  }
  // Waits for the program's end; its exit code, or -1 when it did not end in time.
  long finish(DWORD ms) {
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0)
      GetExitCodeProcess(pi_.hProcess, &code);
    else
      TerminateProcess(pi_.hProcess, 99);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
    return code == DWORD(-1) ? -1 : long(code);
  }
  std::string dump() {
    std::wstring file = (dir_ / "dump.txt").wstring();
    ATOM atom = GlobalAddAtomW(file.c_str());
    DWORD_PTR ok = 0;
    SendMessageTimeoutW(main_, forms_probe::dump_message(), atom, 0, SMTO_ABORTIFHUNG, 5000, &ok);
    GlobalDeleteAtom(atom);
    return ok ? read_file_bytes(dir_ / "dump.txt") : std::string();
  }
  bool wait_dump(const std::string& text, DWORD ms) {
    for (DWORD t = GetTickCount(); GetTickCount() - t < ms; Sleep(100))
      if (dump().find(text) != std::string::npos) return true;
    return false;
  }
  bool wait_log(const std::string& text, DWORD ms) {
    for (DWORD t = GetTickCount(); GetTickCount() - t < ms; Sleep(50))
      if (read_file_bytes(log_).find(text) != std::string::npos) return true;
    return false;
  }
  // Chooses a menu command by its mnemonics, as the keyboard does (menus are the program's own).
  void choose(const wchar_t* mnemonics) {
    PostMessageW(main_, WM_SYSCOMMAND, SC_KEYMENU, LPARAM(mnemonics[0]));
    for (const wchar_t* m = mnemonics + 1; *m; ++m) {
      Sleep(300);
      PostMessageW(main_, WM_CHAR, WPARAM(*m), 1);
    }
  }

  void start_and_exit(const char* frames, const char* brightness, const char* contrast, const char* result);

  temp_folder dir_;
  std::filesystem::path log_;
  HMODULE module_ = nullptr;
  PROCESS_INFORMATION pi_ = {};
  HWND main_ = nullptr;
};

TEST_F(TrellumWithGrabber, BuildsTheGraphComesReadyAndEndsOnExit) {
  struct row {
    const wchar_t* lines;
    const char *frames, *brightness, *contrast, *result;
  } rows[] = {{L"576", "\t10\n", "Brightness\t64\tmanual", "Contrast\t100\tmanual", "0 598 300 249 300 250 80 50"},
              {L"480", "\t5\n", "Brightness\t1\tmanual", "Contrast\t127\tmanual", "0 401 300 299 300 300 80 60"}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.result);
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, device_key, 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
    set_value(k, L"Lines", r.lines);
    RegCloseKey(k);
    std::error_code ignored;
    std::filesystem::remove(log_, ignored);
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
    start_and_exit(r.frames, r.brightness, r.contrast, r.result);
  }
}

void TrellumWithGrabber::start_and_exit(const char* frames, const char* brightness, const char* contrast,
                                        const char* result) {
  ASSERT_TRUE(start());
  EXPECT_TRUE(wait_dump("\tREADY\n", 60000)) << dump();
  std::string form = dump();
  EXPECT_NE(form.find("control\tMaskEdit2\t"), std::string::npos);
  EXPECT_NE(form.find(frames, form.find("control\tMaskEdit2\t")), std::string::npos) << form;
  EXPECT_EQ(FindWindowW(nullptr, L"Camera Message"), nullptr);
  std::string log = read_file_bytes(log_);
  for (const char* line : {"Device\tAV TO USB2.0", "TVFormat\t0x10", brightness, contrast,
                           "Hue\t128\tmanual", "Saturation\t80\tmanual", "Sharpness\t0\tmanual", "Run"})
    EXPECT_NE(log.find(std::string("grabber\t") + line + "\n"), std::string::npos) << line << "\n" << log;
  // The live video is a child window inside the main form (in Panel1).
  HWND video = nullptr;
  EnumChildWindows(main_, find_video_window, LPARAM(&video));
  EXPECT_TRUE(video && IsWindowVisible(video));

  // Acquisition with analysis: the results reach the clipboard.
  choose(L"s");
  Sleep(700);
  choose(L"vc");
  std::string line;
  for (DWORD t = GetTickCount(); GetTickCount() - t < 30000 && line.empty(); Sleep(200)) {
    if (!OpenClipboard(nullptr)) continue;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
      if (const char* text = static_cast<const char*>(GlobalLock(h))) line = text;
      GlobalUnlock(h);
    }
    CloseClipboard();
  }
  EXPECT_EQ(line, result);

  DWORD exit_at = GetTickCount();
  choose(L"fe");
  EXPECT_EQ(finish(20000), 1);
  std::printf("exit took %lu ms after the command (300 ms of it choosing)\n", GetTickCount() - exit_at);
}

std::string clipboard_line() {
  std::string line;
  if (!OpenClipboard(nullptr)) return line;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (const char* text = static_cast<const char*>(GlobalLock(h))) line = text;
    GlobalUnlock(h);
  }
  CloseClipboard();
  return line;
}

// An exception from a handler (the test build's trigger, posted so that it comes through the
// message loop) is shown in the program's box; the program goes on measuring.
TEST_F(TrellumWithGrabber, AnExceptionFromAHandlerIsShownAndMeasuringGoesOn) {
  ASSERT_TRUE(start());
  ASSERT_TRUE(wait_dump("\tREADY\n", 60000)) << dump();
  choose(L"s");
  Sleep(700);
  choose(L"vc");
  ATOM atom = GlobalAddAtomW(L"handler failed");
  PostMessageW(main_, forms_probe::throw_message(), atom, 0);
  HWND box = nullptr;
  for (DWORD t = GetTickCount(); GetTickCount() - t < 10000 && !box; Sleep(50)) box = FindWindowW(L"#32770", L"Trellum");
  ASSERT_TRUE(box);
  bool has_text = false;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t text[64] = L"";
    SendMessageTimeoutW(c, WM_GETTEXT, 64, LPARAM(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    if (wcscmp(text, L"handler failed") == 0) has_text = true;
  }
  EXPECT_TRUE(has_text);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  for (DWORD t = GetTickCount(); GetTickCount() - t < 5000 && IsWindow(box); Sleep(20)) {
  }
  // Still there, and measuring: a fresh result reaches the clipboard.
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  EXPECT_EQ(code, STILL_ACTIVE);
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  std::string line;
  for (DWORD t = GetTickCount(); GetTickCount() - t < 20000 && line.empty(); Sleep(200)) line = clipboard_line();
  EXPECT_EQ(line, "0 598 300 249 300 250 80 50");
  choose(L"fe");
  EXPECT_EQ(finish(20000), 1);
}

// Closing the main form while frames arrive stops acquisition, frees the buffer and ends with
// exit code 0, every time.
TEST_F(TrellumWithGrabber, ClosingWhileFramesArriveEndsEveryTime) {
  for (int run = 0; run < 20; ++run) {
    std::error_code ignored;
    std::filesystem::remove(log_, ignored);
    ASSERT_TRUE(start()) << run;
    ASSERT_TRUE(wait_log("grabber\tRun\n", 60000)) << run;
    choose(L"s");  // "&Start"
    EXPECT_TRUE(wait_dump("menu\tStop1\tS&top\t0\t1\t", 5000)) << run;
    Sleep(300 + 100 * (run % 4));
    PostMessageW(main_, WM_CLOSE, 0, 0);
    ASSERT_EQ(finish(60000), 0) << "run " << run;
  }
}

}  // namespace
