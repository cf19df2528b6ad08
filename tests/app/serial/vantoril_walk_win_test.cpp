// Vantoril end to end: the program started as a process from a folder of its own beside the
// stand-ins of the outside programs, against the stand-in service with newer packages for two
// devices of the prefix, driven by clicks and posted commands as a user would, and checked by
// the service's log, the stand-ins' log, the files and the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <filesystem>
#include <string>
#include <vector>

#include "base/text.h"
#include "engine/md5_hex.h"
#include "tests/support/device_fixture.h"
#include "tests/support/gui_driver.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

constexpr wchar_t main_class[] = L"Vantoril.MainWindow";
const std::u16string usb_guid = u"{36FC9E60-C465-11CF-8056-444553540000}";

fs::path program_path() {
  std::wstring path;
  for (const char* p = VANTORIL_EXE; *p; ++p) path += *p == '/' ? L'\\' : wchar_t(*p);
  return fs::path(running_on_wine() && path[0] == L'\\' ? L"Z:" + path : path);
}

fs::path tests_folder() {
  wchar_t module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  return fs::path(module).parent_path();
}

// Dispatches this thread's messages until the process ends or `ms` pass; its exit code, or
// STILL_ACTIVE.
DWORD wait_pumping(HANDLE process, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD spent = GetTickCount() - start;
    DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, spent >= ms ? 0 : ms - spent, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) break;
    if (r == WAIT_TIMEOUT) return STILL_ACTIVE;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process, &code);
  return code;
}

bool wait_for(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= ms) return false;
    Sleep(100);
  }
  return true;
}

std::string md5_of(const std::string& letters_only) {
  char out[33];
  md5_text_hex(letters_only.c_str(), out);
  return out;
}

// Letters only, so that the MD5 of the text is the MD5 of the bytes.
std::string letters(size_t n, int seed) {
  std::string s(n, 'a');
  for (size_t i = 0; i < n; ++i) s[i] = char('A' + (i * 7 + i / 13 + size_t(seed)) % 26);
  return s;
}

// A registry value of the program's key set for the walk and put back afterwards.
class setting_guard {
 public:
  setting_guard(const wchar_t* name, DWORD number) : name_(name) {
    save();
    RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  }
  setting_guard(const wchar_t* name, const std::wstring& text) : name_(name) {
    save();
    RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   DWORD((text.size() + 1) * sizeof(wchar_t)));
  }
  ~setting_guard() {
    if (had_)
      RegSetValueExW(key_, name_.c_str(), 0, type_, old_.data(), DWORD(old_.size()));
    else
      RegDeleteValueW(key_, name_.c_str());
    RegCloseKey(key_);
  }

 private:
  void save() {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantoril", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    DWORD size = 0;
    had_ = RegQueryValueExW(key_, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
    old_.resize(size);
    if (had_) RegQueryValueExW(key_, name_.c_str(), nullptr, &type_, old_.data(), &size);
  }
  std::wstring name_;
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> old_;
};

// Wine's per-program Windows version for the program's file name, removed afterwards.
class program_version_guard {
 public:
  explicit program_version_guard(const wchar_t* version) {
    RegCreateKeyExW(HKEY_CURRENT_USER, key_, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   DWORD((wcslen(version) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  ~program_version_guard() { RegDeleteKeyW(HKEY_CURRENT_USER, key_); }

 private:
  static constexpr const wchar_t* key_ = L"Software\\Wine\\AppDefaults\\Vantoril.exe";
  HKEY key = nullptr;
};

// Files made in the Windows folder for the walk, removed afterwards.
struct windows_files {
  std::vector<fs::path> made;
  ~windows_files() {
    std::error_code ec;
    for (auto it = made.rbegin(); it != made.rend(); ++it) fs::remove_all(*it, ec);
  }
};

fs::path windows_folder() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"SYSTEMROOT", buffer, MAX_PATH);
  return n && n < MAX_PATH ? fs::path(buffer) : fs::path(L"C:\\windows");
}

bool process_is_64_or_wow64() {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  return sizeof(void*) == 8 || wow64;
}

struct walk_device {
  std::u16string hardware_id;  // also the instance ID's first two parts
  std::string package;         // the package's name under /packages/
  std::string bytes;
};

class VantorilWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FindWindowW(main_class, nullptr), nullptr) << "another Vantoril runs in this prefix";
    keep_loopback_off_proxies();
    program_ = folder_.path() / "program";
    fs::create_directories(program_);
    std::error_code ec;
    fs::copy_file(program_path(), program_ / "Vantoril.exe", ec);
    ASSERT_FALSE(ec) << ec.message();
    for (const char* tool : {"extract.exe", "DPInst32.exe", "DPInst64.exe"}) {
      fs::copy_file(tests_folder() / tool, program_ / tool, ec);
      ASSERT_FALSE(ec) << tool << ": " << ec.message();
    }
    set_env("VANTORIL_STANDIN_LOG", (folder_.path() / "standin.log").string());
  }
  void TearDown() override {
    if (process_) {
      if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
      CloseHandle(process_);
    }
    set_env("VANTORIL_STANDIN_LOG", "");
  }

  // The catalog: one newer package for each device, served by `packages`.
  std::string catalog(const std::vector<walk_device>& devices, const stand_in_service& packages) {
    std::string drivers;
    int id = 100;
    for (const walk_device& d : devices) {
      const std::string hardid = u16_to_utf8(d.hardware_id);
      std::string escaped;
      for (char c : hardid) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
      char item[2048];
      std::snprintf(item, sizeof item,
                    R"("%s": [{"hardid": "%s", "id": %d, "ver": "2.0.0.0", "size": %u, "remote_url": "%s",
                    "infpath": "%s\\%s.inf", "md5sum": "%s", "manu": "Acme", "date": "2024-02-02",
                    "desc": "Acme %s", "sign": 0, "cp": 1, "targetos": 51, "class": "USB"}])",
                    escaped.c_str(), escaped.c_str(), id++, unsigned(d.bytes.size()),
                    packages.url("/packages/" + d.package).c_str(), d.package.c_str(), d.package.c_str(),
                    md5_of(d.bytes).c_str(), d.package.c_str());
      drivers += (drivers.empty() ? "" : ", ") + std::string(item);
    }
    return "{\"drivers\": {" + drivers + "}}";
  }

  bool start(const std::wstring& arguments) {
    std::wstring command = L"\"" + (program_ / "Vantoril.exe").wstring() + L"\" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const std::wstring folder = program_.wstring();
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
      return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    return wait_for([&] { return (main_ = FindWindowW(main_class, L"Vantoril")) != nullptr; }, 30000);
  }

  static int posts(const stand_in_service& service) {
    int n = 0;
    for (const auto& r : service.requests())
      if (r.text("method") == "POST" && r.text("path") == "/service/") ++n;
    return n;
  }

  // The visible page of the main window (a child at the page's place), and its class.
  std::wstring shown_page() {
    for (HWND child = GetWindow(main_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!IsWindowVisible(child)) continue;
      wchar_t name[64] = {};
      GetClassNameW(child, name, 64);
      if (std::wstring(name) != L"VantorilSidebar") {
        RECT r = gui::rect_in_parent(child);
        if (r.top == 100 && r.left >= 187) return name;
      }
    }
    return L"";
  }

  // A click on navigation button `number` (1-7): the bar's entries are buttons of their own.
  void click_bar(int number) {
    POINT p = {90, 100 + 45 * (number - 1) + 22};
    HWND bar = ChildWindowFromPoint(main_, p);
    MapWindowPoints(main_, bar, &p, 1);
    HWND button = ChildWindowFromPoint(bar, p);
    MapWindowPoints(bar, button, &p, 1);
    gui::click_at(button, p.x, p.y);
  }

  void shot(const char* name) {
    wchar_t dir[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    SetForegroundWindow(main_);
    Sleep(300);
    gui::save_screen_bmp(main_, (fs::path(dir) / (std::string(name) + ".bmp")).wstring());
  }

  // Files anywhere under the program's folder whose name ends so.
  std::vector<fs::path> files_ending(const std::string& ending) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(program_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
        found.push_back(it->path());
    }
    return found;
  }

  temp_folder folder_;
  fs::path program_;
  HANDLE process_ = nullptr;
  HWND main_ = nullptr;
};

}  // namespace

TEST_F(VantorilWalk, FromAnAutoscanThroughThePagesToExit) {
  const std::vector<walk_device> devices = {
      {u"USB\\VID_7A0E&PID_0001", "acme-camera.zip", letters(30000, 1)},
      {u"USB\\VID_7A0F&PID_0002", "acme-scanner.zip", letters(20000, 2)},
  };
  // The prefix as for a PC with Windows XP, whose driver store keeps each installed package in a
  // DRVSTORE folder beside the installed copy of its INF.
  program_version_guard xp(process_is_64_or_wow64() ? L"winxp64" : L"winxp");
  windows_files seeded;
  for (int k = 1; k <= int(devices.size()); ++k) {
    const std::string name = "acme" + std::to_string(k);
    const fs::path package = windows_folder() / "system32" / "DRVSTORE" / (name + "_7a0e0" + std::to_string(k) + "c3");
    const fs::path installed = windows_folder() / "inf" / ("oem7a0" + std::to_string(k) + ".inf");
    const std::string inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=USB\r\n; acme device " +
                            std::to_string(k) + "\r\n";
    seeded.made.push_back(package);
    seeded.made.push_back(installed);
    fs::create_directories(package);
    write_file_bytes(package / (name + ".inf"), inf);
    write_file_bytes(package / (name + ".sys"), letters(5000, k));
    write_file_bytes(installed, inf);
  }
  device_fixture fx;
  fx.add_class(usb_guid, u"USB", u"Universal Serial Bus controllers");
  int n = 0;
  for (const walk_device& d : devices) {
    fixture_device f;
    f.instance_id = d.hardware_id + u"\\" + utf8_to_u16(std::to_string(++n));
    f.class_name = u"USB";
    f.class_guid = usb_guid;
    f.device_desc = u"Acme device " + utf8_to_u16(std::to_string(n));
    f.hardware_ids = {d.hardware_id};
    f.driver_values = {{u"InfPath", u"oem7a0" + utf8_to_u16(std::to_string(n)) + u".inf"},
                       {u"DriverDesc", f.device_desc},
                       {u"DriverVersion", u"1.0.0.0"},
                       {u"DriverDate", u"3-14-2019"},
                       {u"MatchingDeviceId", d.hardware_id},
                       {u"ProviderName", u"Acme"}};
    fx.add_device(f);
  }
  stand_in_service packages;
  ASSERT_TRUE(packages.running());
  for (const walk_device& d : devices) packages.add_package(d.package, d.bytes);
  stand_in_service service({}, catalog(devices, packages));
  ASSERT_TRUE(service.running());
  service.use_for_endpoints();
  setting_guard close_to_tray(L"CloseToTray", 0);
  setting_guard check_version(L"CheckVersion", 0);
  setting_guard autorun(L"Autorun", 0);
  setting_guard auto_backup(L"AutoBackup", 1);
  setting_guard download(L"DownloadPath", (program_ / "Download").wstring());
  setting_guard backup(L"BackupPath", (program_ / "Backup").wstring());

  // "--autoscan": one request to the service, with the devices' hardware IDs.
  ASSERT_TRUE(start(L"--autoscan"));
  ASSERT_TRUE(wait_for([&] { return posts(service) >= 1; }, 30000));
  std::string document;
  for (const auto& r : service.requests())
    if (r.text("method") == "POST") document = r.text("document");
  EXPECT_NE(document.find("VID_7A0E"), std::string::npos) << document.substr(0, 2000);
  EXPECT_NE(document.find("VID_7A0F"), std::string::npos);

  // The scan ends on the page of mode 0.
  ASSERT_TRUE(wait_for([&] { return shown_page() != L"VantorilScan" && !shown_page().empty(); }, 60000))
      << "still on " << std::string(shown_page().begin(), shown_page().end());
  shot("walk-1-after-scan");
  EXPECT_EQ(posts(service), 1);

  // With results the navigation switches pages and asks the service nothing.
  const char* names[] = {"", "", "walk-2-update", "walk-3-backup", "walk-4-restore", "walk-5-uninstall"};
  for (int button : {3, 4, 5, 2}) {
    click_bar(button);
    Sleep(500);
    shot(names[button]);
    EXPECT_NE(shown_page(), L"VantorilScan") << button;
  }
  EXPECT_EQ(posts(service), 1);

  // Exit: the program ends with 0 and leaves no partial file.
  PostMessageW(main_, WM_COMMAND, 40018, 0);
  EXPECT_EQ(wait_pumping(process_, 20000), 0u);
  EXPECT_TRUE(files_ending(".tmp").empty());
}
