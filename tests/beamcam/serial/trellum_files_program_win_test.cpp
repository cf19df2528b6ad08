// Trellum (its test build) with the stand-in camera and a calibration of 6.5 µm, started in a folder of the
// test's own: the measurement in micrometres, raw and JPEG files through the real dialogs,
// the opened raw file measured as beam-probe measures it, and a logging run with a drifting
// beam whose lines all reach the file, "&Exit" mid-run included.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "beamcam/forms/forms.h"
#include "tests/beamcam/probe/forms_probe.h"
#include "beamcam/frame_files.h"
#include "beamcam/frame_store.h"
#include "tests/support/gui_driver.h"
#include "tests/support/test_support.h"
#include "tools/beam-probe/probe.h"

namespace {

const wchar_t* const device_key =
    L"Software\\Classes\\CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance\\test-trellum-files";

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

HWND wait_top_window(const wchar_t* title, const wchar_t* containing, DWORD ms) {
  for (DWORD t = GetTickCount(); GetTickCount() - t < ms; Sleep(20)) {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, L"#32770", title))) {
      if (!IsWindowVisible(w)) continue;
      if (!containing) return w;
      for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (gui::window_text(c).find(containing) != std::wstring::npos) return w;
    }
  }
  return nullptr;
}

// Types a name into the file dialog titled `title` and presses its button, from another
// thread; then answers the question about replacing a file when `replace` is given.
class dialog_user {
 public:
  dialog_user(std::wstring title, std::wstring name, int replace = 0)
      : thread_([this, title, name, replace] { run(title, name, replace); }) {}
  ~dialog_user() { join(); }
  void join() {
    if (thread_.joinable()) thread_.join();
  }
  bool answered = false, asked_replace = false;

 private:
  void run(const std::wstring& title, const std::wstring& name, int replace) {
    HWND dlg = wait_top_window(title.c_str(), nullptr, 30000);
    if (!dlg) return;
    HWND edit = GetDlgItem(dlg, 0x47c);
    if (!edit) edit = GetDlgItem(dlg, 0x480);
    if (!edit) return;
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
    for (DWORD t = GetTickCount(); IsWindow(dlg) && GetTickCount() - t < 10000;) Sleep(20);
    answered = !IsWindow(dlg);
    if (!replace) return;
    HWND box = wait_top_window(title.c_str(), L"already exists", 10000);
    if (!box) return;
    asked_replace = true;
    PostMessageW(box, WM_COMMAND, replace, 0);
  }
  std::thread thread_;
};

std::string clipboard_text() {
  std::string line;
  if (!OpenClipboard(nullptr)) return line;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (const char* text = static_cast<const char*>(GlobalLock(h))) line = text;
    GlobalUnlock(h);
  }
  CloseClipboard();
  return line;
}

void empty_clipboard() {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

std::vector<long> numbers(const std::string& line) {
  std::istringstream in(line);
  std::vector<long> v;
  for (long n; in >> n;) v.push_back(n);
  return v;
}

struct child_search {
  const wchar_t* cls;
  const wchar_t* text;
  HWND found;
};

BOOL CALLBACK find_child(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<child_search*>(p);
  wchar_t cls[64] = L"";
  GetClassNameW(w, cls, 64);
  if (_wcsicmp(cls, s->cls) != 0) return TRUE;
  if (s->text) {
    // WM_GETTEXT: GetWindowText does not ask a control of another process for its text.
    wchar_t text[256] = L"";
    DWORD_PTR n = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &n);
    if (wcscmp(text, s->text) != 0) return TRUE;
  }
  s->found = w;
  return FALSE;
}

class TrellumFilesProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    empty_clipboard();
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
    FILE* f = _wfopen((dir_ / "calibration").wstring().c_str(), L"wb");
    ASSERT_TRUE(f);
    fputs("65000 65000", f);
    fclose(f);
  }
  void TearDown() override {
    if (pi_.hProcess) finish(1000);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, device_key);
    if (module_) {
      auto unreg =
          reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module_, "DllUnregisterServer")));
      if (unreg) unreg();
      FreeLibrary(module_);
    }
  }
  void set_drift(const wchar_t* pixels) {
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, device_key, 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
    set_value(k, L"Drift", pixels);
    RegCloseKey(k);
  }
  // Starts the program in the test's folder and waits for READY.
  bool start() {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::wstring exe = program_path(), line = L"\"" + exe + L"\"", cwd = dir_.path().wstring();
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(), &si, &pi_))
      return false;
    for (DWORD t = GetTickCount(); GetTickCount() - t < 60000 && !main_; Sleep(20))
      main_ = FindWindowW(L"beamcam.form", L"Kestravue");
    return main_ && wait_dump("\tREADY\n", 90000);
  }
  long finish(DWORD ms) {
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0)
      GetExitCodeProcess(pi_.hProcess, &code);
    else
      TerminateProcess(pi_.hProcess, 99);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
    pi_ = {};
    main_ = nullptr;
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
  // Chooses a menu item by name; returns when its handler (and any dialog it shows) is done.
  void command(const wchar_t* item) {
    ATOM atom = GlobalAddAtomW(item);
    DWORD_PTR ok = 0;
    SendMessageTimeoutW(main_, forms_probe::command_message(), atom, 0, SMTO_NORMAL, 60000, &ok);
    GlobalDeleteAtom(atom);
  }
  // A control inside the main form by class and text.
  HWND child(const wchar_t* cls, const wchar_t* text) {
    child_search s{cls, text, nullptr};
    EnumChildWindows(main_, find_child, reinterpret_cast<LPARAM>(&s));
    return s.found;
  }
  void press(const wchar_t* caption) {
    HWND b = child(L"Button", caption);
    ASSERT_TRUE(b) << "no button";
    SendMessageTimeoutW(GetParent(b), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(b), BN_CLICKED), LPARAM(b), SMTO_NORMAL,
                        10000, nullptr);
  }
  std::string log_text() { return read_file_bytes(dir_ / "beam_position.txt"); }
  size_t log_lines() {
    std::string t = log_text();
    return size_t(std::count(t.begin(), t.end(), '\n'));
  }

  temp_folder dir_;
  HMODULE module_ = nullptr;
  PROCESS_INFORMATION pi_ = {};
  HWND main_ = nullptr;
};

TEST_F(TrellumFilesProgram, MeasuresInMicrometresAndSavesAndOpensItsFiles) {
  ASSERT_TRUE(start()) << dump();
  command(L"Start1");
  command(L"calculate");
  std::string line;
  for (DWORD t = GetTickCount(); GetTickCount() - t < 30000 && line.empty(); Sleep(200)) line = clipboard_text();
  // The beam at pixel (300, 250) with 1/e² widths of 80 and 50 pixels, at 6.5 µm a pixel.
  std::vector<long> v = numbers(line);
  ASSERT_EQ(v.size(), 8u) << line;
  EXPECT_EQ(v[2], 1950) << line;
  EXPECT_EQ(v[4], 1950) << line;
  EXPECT_EQ(v[5], 1625) << line;
  EXPECT_EQ(v[6], 520) << line;
  EXPECT_EQ(v[7], 325) << line;

  const std::wstring beam = (dir_ / "beam").wstring();
  {
    dialog_user user(L"Save rawdata to...", beam);
    command(L"Rawdata1");
    user.join();
    EXPECT_TRUE(user.answered);
  }
  std::string raw = read_file_bytes(dir_ / "beam.raw");
  ASSERT_EQ(raw.size(), size_t(576) * 2882);
  for (size_t r = 0; r < 576; ++r) ASSERT_EQ(raw.substr(r * 2882 + 2880, 2), "\r\n") << r;
  std::vector<int16_t> frame(FramePixels, -1);
  EXPECT_EQ(read_raw_frame_text(raw, frame.data()), FramePixels);
  EXPECT_EQ(*std::max_element(frame.begin(), frame.end()), v[1]);  // the measured peak

  // With beam.raw there, "beam" is asked about before it is replaced; No keeps it.
  {
    dialog_user user(L"Save rawdata to...", beam, IDNO);
    command(L"Rawdata1");
    user.join();
    EXPECT_TRUE(user.asked_replace);
  }
  EXPECT_TRUE(read_file_bytes(dir_ / "beam.raw") == raw);

  {
    dialog_user user(L"Save picuture to...", (dir_ / "x").wstring());
    command(L"picture1");
  }
  std::string jpeg = read_file_bytes(dir_ / "x.jpg");
  ASSERT_GT(jpeg.size(), 1000u);
  EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");

  // "&Open..." stops acquisition and measures the file as beam-probe does.
  empty_clipboard();
  {
    dialog_user user(L"Please select a file", (dir_ / "beam.raw").wstring());
    command(L"Open1");
  }
  EXPECT_TRUE(wait_dump("menu\tStop1\tS&top\t0\t0\t", 5000));
  std::ostringstream out, err;
  std::string raw_path = (dir_ / "beam.raw").string();
  ASSERT_EQ(run_beam_probe({"--raw", "--pitch", "6.5", "6.5", raw_path}, out, err), 0) << err.str();
  std::string probe = out.str();
  size_t at = probe.find("Clipboard: ");
  ASSERT_NE(at, std::string::npos) << probe;
  std::string expected = probe.substr(at + 11);
  expected.resize(expected.find('\n'));
  EXPECT_EQ(clipboard_text(), expected);

  // Logging a little, then "&Exit" mid-run: every line is in the file.
  HWND minutes = child(L"Edit", L"120");
  ASSERT_TRUE(minutes);
  SendMessageW(minutes, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"));
  press(L"START");
  for (DWORD t = GetTickCount(); GetTickCount() - t < 30000 && log_lines() < 3; Sleep(100)) {
  }
  command(L"Exit1");
  EXPECT_EQ(finish(30000), 1);
  std::string log = log_text();
  EXPECT_GE(std::count(log.begin(), log.end(), '\n'), 3);
  EXPECT_TRUE(std::regex_match(log, std::regex("([^\r\n]+      \\d{3}      \\d{3} \r\n)+"))) << log;
}

TEST_F(TrellumFilesProgram, LoggingADriftingBeamForTwoMinutes) {
  set_drift(L"30");
  ASSERT_TRUE(start()) << dump();
  command(L"Start1");
  HWND minutes = child(L"Edit", L"120");
  ASSERT_TRUE(minutes);
  SendMessageW(minutes, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"));
  press(L"START");
  EXPECT_TRUE(wait_dump("\tpause_pos\t", 1000));
  for (DWORD t = GetTickCount(); GetTickCount() - t < 60000 && log_lines() < 20; Sleep(100)) {
  }
  press(L"PAUSE");
  std::string form = dump();
  // The span of the logged positions, at 6.5 µm a pixel.
  std::string log = log_text();
  long min_x = 9999, max_x = -1, min_y = 9999, max_y = -1;
  std::regex entry("      (\\d{3})      (\\d{3}) \r\n");
  for (auto i = std::sregex_iterator(log.begin(), log.end(), entry); i != std::sregex_iterator(); ++i) {
    long x = std::stol((*i)[1]), y = std::stol((*i)[2]);
    min_x = std::min(min_x, x), max_x = std::max(max_x, x), min_y = std::min(min_y, y), max_y = std::max(max_y, y);
  }
  ASSERT_GT(max_x, min_x) << log;  // the beam drifted
  std::string title = "   shift_x: " + std::to_string(long((max_x - min_x) * 6.5)) +
                      " um     shift_y: " + std::to_string(long((max_y - min_y) * 6.5)) + " um";
  EXPECT_NE(form.find("control\tChart2\t735,189,229,235\t1\t1\t-1\t" + title + "\n"), std::string::npos) << form;
  EXPECT_NE(form.find("\tRESUME\n"), std::string::npos);
  size_t paused_at = log_lines();
  Sleep(2000);
  EXPECT_EQ(log_lines(), paused_at);  // paused: no lines
  press(L"RESUME");
  // The run ends by itself on its 61st point.
  EXPECT_TRUE(wait_dump("\tstart_pos\t6,188,60,20\t1\t1\t", 120000)) << dump();
  EXPECT_EQ(log_lines(), 61u);
  std::string done = dump();
  EXPECT_NE(done.find("\tMaskEdit3\t"), std::string::npos);
  EXPECT_TRUE(std::regex_search(done, std::regex("control\tMaskEdit3\t[^\n]*\t2\n"))) << done;

  if (const char* shots = std::getenv("TRELLUM_SHOTS")) {
    press(L"STOP");  // the span of the whole run in the title
    Sleep(500);
    gui::save_screen_bmp(main_, (std::filesystem::path(shots) / "program-main.bmp").wstring());
  }
  command(L"Exit1");
  EXPECT_EQ(finish(30000), 1);
}

}  // namespace
