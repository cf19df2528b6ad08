// Vantoril.exe as the user runs it on Windows XP (Wine's version for the program), over two
// driver packages of the older driver store and fixture devices using them, with the stand-in
// installer beside it and a scan against the stand-in service: the uninstall page lists both
// packages, and "Remove" runs the installer's uninstall once however often it is pressed
// while the job runs. Serial: it changes the prefix's registry and Windows folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/wide.h"
#include "tests/support/device_fixture.h"
#include "tests/support/gui_driver.h"
#include "tests/support/program_settings_win.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"
#include "tests/support/windows_system.h"

namespace fs = std::filesystem;

namespace {

constexpr UINT sidebar_command = 0x800D;  // WM_APP_SIDEBAR_COMMAND
constexpr wchar_t main_class[] = L"Vantoril.MainWindow";
const std::u16string usb_guid = u"{36FC9E60-C465-11CF-8056-444553540000}";

fs::path windows_folder() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"SYSTEMROOT", buffer, MAX_PATH);
  return n && n < MAX_PATH ? fs::path(buffer) : fs::path();
}

fs::path test_folder() {
  wchar_t module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  return fs::path(module).parent_path();
}

fs::path program_file() {
  std::wstring path;
  for (const char* p = VANTORIL_EXE; *p; ++p) path += *p == '/' ? L'\\' : wchar_t(*p);
  return fs::path(running_on_wine() && path[0] == L'\\' ? L"Z:" + path : path);
}

void set_dword(const wchar_t* name, DWORD value) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantoril", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

// Wine reports Windows XP to the program while the object lives.
class program_runs_as_xp {
 public:
  program_runs_as_xp() {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return;
    const wchar_t* version = sizeof(void*) == 8 ? L"winxp64" : L"winxp";
    RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   DWORD((wcslen(version) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  ~program_runs_as_xp() { RegDeleteKeyW(HKEY_CURRENT_USER, key_path); }

 private:
  static constexpr const wchar_t* key_path = L"Software\\Wine\\AppDefaults\\Vantoril.exe";
};

// A package of the older store and the installed copy of its INF (the same bytes).
struct installed_package {
  fs::path package, inf;
  installed_package(const std::string& folder, const std::string& oem, const std::string& marker)
      : package(windows_folder() / "system32" / "DRVSTORE" / folder), inf(windows_folder() / "inf" / oem) {
    const std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=USB\r\n; " + marker + "\r\n";
    fs::create_directories(package);
    write_file_bytes(package / "driver.inf", text);
    write_file_bytes(package / "driver.sys", std::string(4000, 'S'));
    write_file_bytes(inf, text);
  }
  ~installed_package() {
    std::error_code ec;
    fs::remove_all(package, ec);
    fs::remove(inf, ec);
  }
};

struct child_search {
  std::vector<HWND> found;
};

BOOL CALLBACK collect_remove_buttons(HWND window, LPARAM data) {
  wchar_t cls[32] = L"";
  GetClassNameW(window, cls, 32);
  if (_wcsicmp(cls, L"Button") == 0 && IsWindowVisible(window) && gui::window_text(window) == L"Remove")
    reinterpret_cast<child_search*>(data)->found.push_back(window);
  return TRUE;
}

std::vector<HWND> remove_buttons(HWND main) {
  child_search s;
  if (main) EnumChildWindows(main, collect_remove_buttons, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

struct owned_search {
  HWND owner;
  HWND found = nullptr;
};

BOOL CALLBACK find_owned_dialog(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<owned_search*>(data);
  wchar_t cls[16] = L"";
  GetClassNameW(window, cls, 16);
  if (GetWindow(window, GW_OWNER) == s->owner && IsWindowVisible(window) && wcscmp(cls, L"#32770") == 0) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND owned_dialog(HWND owner) {
  owned_search s{owner};
  EnumWindows(find_owned_dialog, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

bool wait_for(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(50);
  }
  return true;
}

std::vector<std::string> log_lines(const fs::path& log) {
  std::vector<std::string> out;
  std::string text = read_file_bytes(log);
  for (size_t at = 0; at < text.size();) {
    size_t nl = text.find('\n', at);
    if (nl == std::string::npos) break;
    out.push_back(text.substr(at, nl - at));
    at = nl + 1;
  }
  return out;
}

TEST(UninstallProcess, RemoveOnXpLogsTheInstallersUninstallOnceAndTellsOverTheMainWindow) {
  ASSERT_EQ(FindWindowW(main_class, nullptr), nullptr) << "another Vantoril runs in this prefix";
  keep_loopback_off_proxies();
  stand_in_service service;
  ASSERT_TRUE(service.running());
  service.use_for_endpoints();
  not_a_first_run installed;
  set_dword(L"CheckVersion", 0);
  set_dword(L"CloseToTray", 0);

  // The program and its stand-ins in a folder of their own.
  temp_folder temp;
  const fs::path folder = temp.path() / "prog";
  fs::create_directories(folder);
  fs::copy_file(program_file(), folder / "Vantoril.exe");
  for (const char* name : {"DPInst32.exe", "DPInst64.exe", "extract.exe"})
    fs::copy_file(test_folder() / name, folder / name);
  const fs::path log = temp.path() / "standin.log";
  SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", log.wstring().c_str());

  installed_package camera("fakecam_7b01a1", "oem7b01.inf", "fake camera 7b01");
  installed_package meter("fakemeter_7b02b2", "oem7b02.inf", "fake meter 7b02");
  device_fixture fx;
  fx.add_class(usb_guid, u"USB", u"Universal Serial Bus controllers");
  const struct {
    const char16_t *id, *hardware, *name, *inf, *version;
  } devices[] = {{u"USB\\VID_7B01&PID_0001\\1", u"USB\\VID_7B01&PID_0001", u"Fake Camera", u"oem7b01.inf", u"2.3.4.5"},
                 {u"USB\\VID_7B02&PID_0002\\1", u"USB\\VID_7B02&PID_0002", u"Fake Meter", u"oem7b02.inf", u"1.0.0.7"}};
  for (const auto& d : devices) {
    fixture_device f;
    f.instance_id = d.id;
    f.class_name = u"USB";
    f.class_guid = usb_guid;
    f.device_desc = d.name;
    f.hardware_ids = {d.hardware};
    f.driver_values = {{u"InfPath", d.inf},
                       {u"DriverDesc", std::u16string(d.name) + u" Driver"},
                       {u"DriverVersion", d.version},
                       {u"DriverDate", u"3-14-2019"},
                       {u"MatchingDeviceId", d.hardware},
                       {u"ProviderName", u"FakeVendor"}};
    fx.add_device(f);
  }
  program_runs_as_xp xp;

  std::wstring command = L"\"" + (folder / "Vantoril.exe").wstring() + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.wstring().c_str(), &si,
                             &pi));
  CloseHandle(pi.hThread);
  struct ending {
    HANDLE process;
    ~ending() {
      if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        if (HWND w = FindWindowW(main_class, nullptr)) PostMessageW(w, WM_COMMAND, 40018, 0);
        if (WaitForSingleObject(process, 15000) == WAIT_TIMEOUT) TerminateProcess(process, 99);
      }
      CloseHandle(process);
    }
  } end{pi.hProcess};

  HWND main = nullptr;
  ASSERT_TRUE(wait_for([&] { return (main = FindWindowW(main_class, L"Vantoril")) != nullptr; }, 20000));
  ASSERT_TRUE(wait_for([&] { return IsWindowVisible(main) != FALSE; }, 10000));
  PostMessageW(main, sidebar_command, 5, 0);  // mode 3 and a scan
  std::vector<HWND> buttons;
  bool listed = wait_for([&] { return (buttons = remove_buttons(main)).size() >= 2; }, 60000);
  wchar_t dir[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
  if (n && n < MAX_PATH) {
    SetForegroundWindow(main);
    Sleep(300);
    gui::save_screen_bmp(main, std::wstring(dir) + L"\\uninstall-xp.bmp");
  }
  ASSERT_TRUE(listed) << buttons.size() << " buttons";
  Sleep(300);
  buttons = remove_buttons(main);
  ASSERT_EQ(buttons.size(), 2u);  // only the two packages of their own
  for (HWND b : buttons) {
    HWND row = GetParent(b);
    RECT c = gui::client_rect(row), at = gui::rect_in_parent(b);
    EXPECT_EQ(at.left, c.right - 132);
    EXPECT_EQ(at.top, c.bottom - 31);
  }
  HWND first_row = GetParent(buttons[0]);
  PostMessageW(first_row, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), LPARAM(buttons[0]));
  HWND dialog = nullptr;
  ASSERT_TRUE(wait_for([&] { return (dialog = owned_dialog(main)) != nullptr; }, 20000));
  // The program's own message dialog, in the program's language, not the system's message box.
  RECT box;
  GetWindowRect(dialog, &box);
  EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & WS_CAPTION, 0);
  EXPECT_EQ(box.right - box.left, 400);
  EXPECT_EQ(box.bottom - box.top, 200);
  // The job waits for the user's OK: a remove meanwhile, on either row, starts nothing.
  PostMessageW(GetParent(buttons[1]), WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), LPARAM(buttons[1]));
  PostMessageW(first_row, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), LPARAM(buttons[0]));
  Sleep(1500);
  std::vector<std::string> lines = log_lines(log);
  std::vector<std::string> installer;
  for (const std::string& l : lines)
    if (l.rfind("DPInst", 0) == 0) installer.push_back(l);
  ASSERT_EQ(installer.size(), 1u);
  const std::string expected_program = u16_to_utf8(installer_for_this_windows());
  EXPECT_EQ(installer[0].rfind(expected_program + "\t" + expected_program + " /U \"", 0), 0u) << installer[0];
  std::string inf_path = u16_to_utf8(as_u16((windows_folder() / "inf").wstring().c_str()));
  EXPECT_TRUE(installer[0].find(inf_path + "\\oem7b01.inf\"") != std::string::npos ||
              installer[0].find(inf_path + "\\oem7b02.inf\"") != std::string::npos)
      << installer[0];
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(wait_for([&] { return owned_dialog(main) == nullptr; }, 10000));
  Sleep(500);
  EXPECT_EQ(log_lines(log).size(), lines.size());

  PostMessageW(main, WM_COMMAND, 40018, 0);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
  SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", nullptr);
}

}  // namespace
