// Vantoril.exe as processes: one instance at a time, what a second start hands over, the
// hidden start, and the way out through Exit and the close button.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/gui_driver.h"
#include "tests/support/program_settings_win.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"

namespace {

constexpr UINT activate_message = 0x8007;  // WM_APP_ACTIVATE
constexpr wchar_t main_class[] = L"Vantoril.MainWindow";

std::wstring program_path() {
  std::wstring path;
  for (const char* p = VANTORIL_EXE; *p; ++p) path += *p == '/' ? L'\\' : wchar_t(*p);
  return running_on_wine() && path[0] == L'\\' ? L"Z:" + path : path;
}

struct started {
  HANDLE process = nullptr;
  ~started() {
    if (process) {
      if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 99);
      CloseHandle(process);
    }
  }
};

bool start_program(const std::wstring& arguments, started& out) {
  std::wstring command = L"\"" + program_path() + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  out.process = pi.hProcess;
  return true;
}

HWND wait_main_window(DWORD ms = 20000) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    if (HWND w = FindWindowW(main_class, L"Vantoril")) return w;
    Sleep(50);
  }
  return nullptr;
}

int main_windows() {
  int n = 0;
  for (HWND w = FindWindowExW(nullptr, nullptr, main_class, nullptr); w;
       w = FindWindowExW(nullptr, w, main_class, nullptr))
    ++n;
  return n;
}

int posts(const stand_in_service& service) {
  int n = 0;
  for (const auto& r : service.requests())
    if (r.text("method") == "POST" && r.text("path") == "/service/") ++n;
  return n;
}

// A window titled "Vantoril" of another program (say, Explorer on a folder of that name).
int decoy_activations = 0;
LRESULT CALLBACK decoy_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == activate_message) ++decoy_activations;
  return DefWindowProcW(w, m, wp, lp);
}

class VantorilProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(main_windows(), 0) << "another Vantoril runs in this prefix";
    keep_loopback_off_proxies();
    ASSERT_TRUE(service_.running());
    service_.use_for_endpoints();
    set_close_to_tray(1);
  }
  // Ends the first instance through its Exit command; its exit code.
  DWORD exit_first(started& first) {
    HWND w = FindWindowW(main_class, L"Vantoril");
    if (w) PostMessageW(w, WM_COMMAND, 40018, 0);
    return gui::pump_until_process_ends(first.process, 15000);
  }
  static void set_close_to_tray(DWORD value) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantoril", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
      RegSetValueExW(key, L"CloseToTray", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                     sizeof(value));
      RegSetValueExW(key, L"CheckVersion", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero),
                     sizeof(zero));
      RegCloseKey(key);
    }
  }
  static constexpr DWORD zero = 0;
  not_a_first_run installed_;
  stand_in_service service_;
};

}  // namespace

namespace {
HANDLE hung_release = nullptr;
DWORD WINAPI hung_window_thread(void* ready) {
  WNDCLASSW c = {};
  c.lpfnWndProc = DefWindowProcW;
  c.lpszClassName = main_class;
  RegisterClassW(&c);
  HWND w = CreateWindowExW(0, main_class, L"Vantoril", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           nullptr, nullptr);
  SetEvent(static_cast<HANDLE>(ready));
  WaitForSingleObject(hung_release, INFINITE);  // answers no message meanwhile
  DestroyWindow(w);
  UnregisterClassW(main_class, nullptr);  // the program's own windows of this process use it
  return 0;
}
}  // namespace

TEST_F(VantorilProcess, AHungFirstInstanceDoesNotHangASecondStart) {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Vantoril");
  ASSERT_NE(mutex, nullptr);
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  hung_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, hung_window_thread, ready, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(ready, 5000), WAIT_OBJECT_0);
  started second;
  const DWORD before = GetTickCount();
  ASSERT_TRUE(start_program(L"", second));
  EXPECT_EQ(gui::pump_until_process_ends(second.process, 30000), 0xFFFFFFFFu);
  EXPECT_LT(GetTickCount() - before, 9000u);
  SetEvent(hung_release);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  CloseHandle(hung_release);
  CloseHandle(ready);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

TEST_F(VantorilProcess, AutorunStartsHiddenAndCloseQuitsWithoutTheTray) {
  started first;
  ASSERT_TRUE(start_program(L"--autorun", first));
  HWND w = wait_main_window();
  ASSERT_NE(w, nullptr);
  Sleep(300);
  EXPECT_FALSE(IsWindowVisible(w));
  // With CloseToTray on, closing only hides.
  PostMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_EQ(gui::pump_until_process_ends(first.process, 1000), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_TRUE(IsWindow(w));
  EXPECT_EQ(exit_first(first), 0u);

  set_close_to_tray(0);
  started again;
  ASSERT_TRUE(start_program(L"", again));
  w = wait_main_window();
  ASSERT_NE(w, nullptr);
  PostMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_EQ(gui::pump_until_process_ends(again.process, 15000), 0u);
}

TEST_F(VantorilProcess, ASecondStartActivatesTheFirstAndEnds) {
  started first;
  ASSERT_TRUE(start_program(L"", first));
  HWND w = wait_main_window();
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 100 && !IsWindowVisible(w); ++i) Sleep(50);
  EXPECT_TRUE(IsWindowVisible(w));
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 800);
  EXPECT_EQ(r.bottom - r.top, 600);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE)) & ~WS_VISIBLE, 0x860B0000u);

  // On top of the z-order, a window of another class with the same title.
  WNDCLASSW decoy_class = {};
  decoy_class.lpfnWndProc = decoy_proc;
  decoy_class.lpszClassName = L"DecoyFolderWindow";
  RegisterClassW(&decoy_class);
  HWND decoy = CreateWindowExW(0, L"DecoyFolderWindow", L"Vantoril", WS_POPUP | WS_VISIBLE, 0, 0,
                               100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(decoy, nullptr);
  ShowWindow(w, SW_HIDE);

  const struct {
    const wchar_t* arguments;
    bool scans;
  } rows[] = {{L"", false}, {L"--autorun", false}, {L"--autoscan extra", false}, {L"--AUTOSCAN", true}};
  int expected_posts = 0;
  for (const auto& row : rows) {
    started second;
    const DWORD before = GetTickCount();
    ASSERT_TRUE(start_program(row.arguments, second));
    EXPECT_EQ(gui::pump_until_process_ends(second.process, 10000), 0xFFFFFFFFu) << row.arguments;
    EXPECT_LT(GetTickCount() - before, 5000u) << row.arguments;
    EXPECT_EQ(main_windows(), 1) << row.arguments;
    EXPECT_TRUE(IsWindowVisible(w)) << row.arguments;
    if (row.scans) ++expected_posts;
    // The scan's request reaches the service within a few seconds when one was asked for.
    const DWORD wait_start = GetTickCount();
    while (posts(service_) < expected_posts && GetTickCount() - wait_start < 15000) Sleep(100);
    Sleep(row.scans ? 0 : 500);
    EXPECT_EQ(posts(service_), expected_posts) << row.arguments;
    ShowWindow(w, SW_HIDE);
  }
  EXPECT_EQ(decoy_activations, 0);
  DestroyWindow(decoy);
  EXPECT_EQ(exit_first(first), 0u);
}

// Exit while the version check at start-up is held by the service (one byte of its answer
// every few seconds): the window goes, the quit waits its bounded time and the process ends
// with 0, leaving the check's thread what it uses.
TEST_F(VantorilProcess, ExitDuringAHeldVersionCheckEndsWithZero) {
  stand_in_service held({"--mode", "slow", "--only", "/service/version.xml", "--chunk", "1", "--delay", "5"});
  ASSERT_TRUE(held.running());
  held.use_for_endpoints();
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantoril", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  const DWORD one = 1;
  RegSetValueExW(key, L"CheckVersion", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
  RegCloseKey(key);
  started first;
  ASSERT_TRUE(start_program(L"", first));
  HWND w = wait_main_window();
  ASSERT_NE(w, nullptr);
  auto asked = [&] {
    for (const auto& r : held.requests())
      if (r.text("path") == "/service/version.xml") return true;
    return false;
  };
  const DWORD start = GetTickCount();
  while (!asked() && GetTickCount() - start < 15000) Sleep(100);
  ASSERT_TRUE(asked());
  PostMessageW(w, WM_COMMAND, 40018, 0);
  EXPECT_EQ(gui::pump_until_process_ends(first.process, 30000), 0u);
  set_close_to_tray(1);  // CheckVersion back to 0
}
