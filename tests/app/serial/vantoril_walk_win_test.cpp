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
#include "base/wide.h"
#include "engine/backup_catalog.h"
#include "engine/md5_hex.h"
#include "engine/settings.h"
#include "engine/zip/crc32.h"
#include "tests/support/device_fixture.h"
#include "tests/support/gui_driver.h"
#include "tests/support/service_launcher.h"
#include "tests/support/program_settings_win.h"
#include "tests/support/test_support.h"
#include "tests/support/windows_system.h"

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


bool wait_for(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= ms) return false;
    Sleep(100);
  }
  return true;
}

// The MD5 of bytes, through a file (they may hold zeros).
std::string md5_of(const std::string& bytes, const fs::path& scratch) {
  write_file_bytes(scratch, bytes);
  char out[33] = {};
  md5_file_hex(scratch.string().c_str(), out);
  std::error_code ec;
  fs::remove(scratch, ec);
  return out;
}

void put16(std::string& s, uint32_t v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void put32(std::string& s, uint32_t v) {
  put16(s, v & 0xFFFF);
  put16(s, v >> 16);
}

// A driver package: a zip of stored entries, the INF in a folder of the package's name.
std::string package_zip(const std::string& name, const std::string& hardware_id, int seed) {
  const std::vector<std::pair<std::string, std::string>> entries = {
      {name + "/" + name + ".inf",
       "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=USB\r\n"
       "ClassGUID={36FC9E60-C465-11CF-8056-444553540000}\r\nProvider=%Maker%\r\n"
       "DriverVer=02/02/2024,2.0.0.0\r\n\r\n[Manufacturer]\r\n%Maker%=Models,NTx86,NTamd64\r\n\r\n"
       "[Models.NTx86]\r\n%Desc%=Install," + hardware_id + "\r\n\r\n[Models.NTamd64]\r\n%Desc%=Install," +
           hardware_id + "\r\n\r\n[Install]\r\n\r\n[Strings]\r\nMaker=\"Acme\"\r\nDesc=\"" + name + "\"\r\n"},
      {name + "/" + name + ".sys", std::string(4000, char('a' + seed))}};
  std::string zip, directory;
  for (const auto& [entry, data] : entries) {
    const uint32_t offset = uint32_t(zip.size());
    std::string common;
    put16(common, 0);     // flags
    put16(common, 0);     // stored
    put16(common, 0);     // time
    put16(common, 0x21);  // date
    put32(common, crc32_update(0, data.data(), data.size()));
    put32(common, uint32_t(data.size()));
    put32(common, uint32_t(data.size()));
    put16(common, uint32_t(entry.size()));
    put16(common, 0);
    put32(zip, 0x04034b50);
    put16(zip, 20);
    zip += common + entry + data;
    put32(directory, 0x02014b50);
    put16(directory, 20);
    put16(directory, 20);
    directory += common;
    put16(directory, 0);
    put16(directory, 0);
    put16(directory, 0);
    put32(directory, 0);
    put32(directory, offset);
    directory += entry;
  }
  const uint32_t at = uint32_t(zip.size());
  zip += directory;
  put32(zip, 0x06054b50);
  put16(zip, 0);
  put16(zip, 0);
  put16(zip, uint32_t(entries.size()));
  put16(zip, uint32_t(entries.size()));
  put32(zip, uint32_t(directory.size()));
  put32(zip, at);
  put16(zip, 0);
  return zip;
}

// Letters only, so that the MD5 of the text is the MD5 of the bytes.
std::string letters(size_t n, int seed) {
  std::string s(n, 'a');
  for (size_t i = 0; i < n; ++i) s[i] = char('A' + (i * 7 + i / 13 + size_t(seed)) % 26);
  return s;
}

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


BOOL CALLBACK collect_download_row(HWND w, LPARAM out) {
  if (GetDlgItem(w, 2) && GetDlgItem(w, 3) && GetDlgItem(w, 1)) reinterpret_cast<std::vector<HWND>*>(out)->push_back(w);
  return TRUE;
}

struct message_search {
  DWORD process;
  HWND found;
};
BOOL CALLBACK find_message(HWND w, LPARAM data) {
  auto* s = reinterpret_cast<message_search*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  wchar_t name[16] = {};
  GetClassNameW(w, name, 16);
  if (pid != s->process || !IsWindowVisible(w) || std::wstring(name) != L"#32770" || !GetDlgItem(w, 1)) return TRUE;
  s->found = w;
  return FALSE;
}

struct row_search {
  int action;
  std::wstring text;
  std::vector<HWND> rows;
};
BOOL CALLBACK collect_row(HWND w, LPARAM data) {
  auto* s = reinterpret_cast<row_search*>(data);
  HWND button = GetDlgItem(w, s->action);
  if (button && gui::window_text(button) == s->text) s->rows.push_back(w);
  return TRUE;
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
    // Long enough to look at what the install did before it extracts.
    set_env("VANTORIL_EXTRACT_DELAY_MS", "1500");
  }
  void TearDown() override {
    if (process_) {
      if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
      CloseHandle(process_);
    }
    set_env("VANTORIL_STANDIN_LOG", "");
    set_env("VANTORIL_EXTRACT_DELAY_MS", "");
  }

  // The catalog: one newer package for each device, served by `packages`.
  std::string catalog(const std::vector<walk_device>& devices, const stand_in_service& packages) {
    std::string drivers;
    int id = 100;
    for (const walk_device& d : devices) {
      const std::string hardid = u16_to_utf8(d.hardware_id);
      const std::string stem = d.package.substr(0, d.package.rfind('.'));
      std::string escaped;
      for (char c : hardid) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
      char item[2048];
      std::snprintf(item, sizeof item,
                    R"("%s": [{"hardid": "%s", "id": %d, "ver": "2.0.0.0", "size": %u, "remote_url": "%s",
                    "infpath": "pkg\\%s\\%s.inf", "md5sum": "%s", "manu": "Acme", "date": "2024-02-02",
                    "desc": "Acme %s", "sign": 0, "cp": 1, "targetos": 51, "class": "USB"}])",
                    escaped.c_str(), escaped.c_str(), id++, unsigned(d.bytes.size()),
                    packages.url("/packages/" + d.package).c_str(), stem.c_str(), stem.c_str(),
                    md5_of(d.bytes, folder_.path() / "md5.tmp").c_str(), d.package.c_str());
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

  HWND page(const wchar_t* class_name) { return FindWindowExW(main_, nullptr, class_name, nullptr); }

  // The update page's rows: windows with a check box (1), an action button (2) and a menu
  // button (3), in window order.
  static std::vector<HWND> download_rows(HWND update_page) {
    std::vector<HWND> rows;
    EnumChildWindows(update_page, collect_download_row, reinterpret_cast<LPARAM>(&rows));
    return rows;
  }

  // A visible dialog of the program with buttons (a message, not a wait dialog), or null.
  HWND program_message() {
    message_search s = {GetProcessId(process_), nullptr};
    EnumWindows(find_message, reinterpret_cast<LPARAM>(&s));
    return s.found;
  }
  // Answers the program's next message with its first button; its text.
  std::wstring answer_message(DWORD ms = 15000) {
    HWND m = nullptr;
    if (!wait_for([&] { return (m = program_message()) != nullptr; }, ms)) return L"(none)";
    Sleep(200);
    std::wstring text = gui::window_text(m);
    PostMessageW(m, WM_COMMAND, 1, 0);
    wait_for([&] { return !IsWindow(m) || !IsWindowVisible(m); }, 5000);
    return text;
  }

  // Rows of a page: windows whose control `action` reads `text`, in window order.
  static std::vector<HWND> rows_with(HWND page, int action, const std::wstring& text) {
    row_search s = {action, text, {}};
    EnumChildWindows(page, collect_row, reinterpret_cast<LPARAM>(&s));
    return s.rows;
  }
  static void press(HWND row, int action) {
    PostMessageW(row, WM_COMMAND, MAKEWPARAM(action, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(row, action)));
  }

  std::string standin_log() { return read_file_bytes(folder_.path() / "standin.log"); }

  // A click on navigation button `number` (1-7): the bar's entries are buttons of their own.
  // (Its button reports the click to the bar as BN_CLICKED with the entry's number; the real
  // pointer, shared with other window tests, plays no part.)
  void click_bar(int number) {
    HWND bar = FindWindowExW(main_, nullptr, L"VantorilSidebar", nullptr);
    PostMessageW(bar, WM_COMMAND, MAKEWPARAM(number, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(bar, number)));
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
      {u"USB\\VID_7A0E&PID_0001", "acme-camera.zip", package_zip("acme-camera", "USB\\VID_7A0E&PID_0001", 1)},
      {u"USB\\VID_7A0F&PID_0002", "acme-scanner.zip", package_zip("acme-scanner", "USB\\VID_7A0F&PID_0002", 2)},
  };
  // The prefix as for a PC with Windows XP, whose driver store keeps each installed package in a
  // DRVSTORE folder beside the installed copy of its INF.
  program_version_guard xp(windows_is_64_bit() ? L"winxp64" : L"winxp");
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
  not_a_first_run installed;
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

  // The scan ends on the update page, one row for each device's package.
  ASSERT_TRUE(wait_for([&] { return shown_page() == L"VantorilDownload"; }, 60000))
      << "on " << u16_to_utf8(as_u16(shown_page().c_str()));
  HWND update = page(L"VantorilDownload");
  std::vector<HWND> rows;
  ASSERT_TRUE(wait_for([&] { return (rows = download_rows(update)).size() == devices.size(); }, 5000));
  for (HWND row : rows) EXPECT_EQ(gui::window_text(GetDlgItem(row, 2)), L"Download");
  shot("walk-1-update");
  EXPECT_EQ(posts(service), 1);

  // "Download All", confirmed: each package whole under the MD5 of its address.
  HWND download_all = GetDlgItem(update, 1);
  ASSERT_NE(download_all, nullptr);
  EXPECT_EQ(gui::window_text(download_all), L"Download All");
  gui::click_at(download_all, 20, 10);
  EXPECT_NE(answer_message(), L"(none)");  // "2 files total ... Are you sure?"
  for (const walk_device& d : devices) {
    char name[33];
    md5_text_hex(packages.url("/packages/" + d.package).c_str(), name);
    const fs::path file = program_ / "Download" / (std::string(name) + ".zip");
    EXPECT_TRUE(wait_for([&] { return fs::exists(file) && read_file_bytes(file) == d.bytes; }, 30000)) << d.package;
  }
  EXPECT_TRUE(wait_for([&] { return gui::window_text(GetDlgItem(rows[0], 2)) == L"Install"; }, 5000));
  EXPECT_TRUE(files_ending(".tmp").empty());
  shot("walk-2-downloaded");

  // Install of the first group: the extractor, then the installer, and its address in the
  // history.
  const HWND action = GetDlgItem(rows[0], 2);
  const std::wstring first_package = gui::window_text(rows[0]);
  PostMessageW(rows[0], WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), reinterpret_cast<LPARAM>(action));
  ASSERT_TRUE(wait_for([&] { return standin_log().find("extract.exe\t") != std::string::npos; }, 20000))
      << standin_log();
  // AutoBackup: the replaced package is saved before the (delayed) extractor starts.
  std::vector<fs::path> archives;
  for (const fs::path& p : files_ending(".zip"))
    if (p.parent_path() == program_ / "Backup") archives.push_back(p);
  EXPECT_EQ(archives.size(), 1u);
  const std::string catalog_text = read_file_bytes(program_ / "Backup.dat");
  ASSERT_FALSE(archives.empty());
  EXPECT_NE(catalog_text.find(archives[0].filename().string()), std::string::npos) << catalog_text;
  const std::string installer = u16_to_utf8(installer_for_this_windows()) + "\t";
  EXPECT_TRUE(wait_for([&] { return standin_log().find(installer) != std::string::npos; }, 20000)) << standin_log();
  // The history line follows the installer's end.
  std::string history;
  EXPECT_TRUE(wait_for(
      [&] {
        history = read_file_bytes(program_ / "history.dat");
        return history.find(packages.url("/packages/acme-camera.zip")) != std::string::npos ||
               history.find(packages.url("/packages/acme-scanner.zip")) != std::string::npos;
      },
      10000))
      << history;
  EXPECT_EQ(answer_message(1500), L"(none)");  // a package that installed ends without a message
  shot("walk-3-installed");
  EXPECT_EQ(posts(service), 1);

  // The backup page: the other package backed up from its row.
  click_bar(3);
  ASSERT_TRUE(wait_for([&] { return shown_page() == L"VantorilBackupPage"; }, 5000));
  std::vector<HWND> backup_rows;
  ASSERT_TRUE(wait_for([&] { return (backup_rows = rows_with(page(L"VantorilBackupPage"), 2, L"Back Up")).size() == 2; },
                       5000));
  shot("walk-4-backup");
  press(backup_rows[1], 2);
  EXPECT_NE(answer_message(20000), L"(none)");  // "backup_success"
  EXPECT_TRUE(wait_for(
      [&] {
        size_t n = 0;
        for (const fs::path& p : files_ending(".zip")) n += p.parent_path() == program_ / "Backup";
        return n == 2;
      },
      10000));

  // The restore page: an archive restored through the extractor and the installer.
  click_bar(4);
  ASSERT_TRUE(wait_for([&] { return shown_page() == L"VantorilRestorePage"; }, 5000))
      << "on " << u16_to_utf8(as_u16(shown_page().c_str())) << ", a message: " << (program_message() != nullptr);
  std::vector<HWND> restore_rows;
  ASSERT_TRUE(wait_for(
      [&] { return (restore_rows = rows_with(page(L"VantorilRestorePage"), 1, L"Restore")).size() == 2; }, 5000));
  shot("walk-5-restore");
  auto count = [&](const std::string& what) {
    const std::string log = standin_log();
    size_t n = 0;
    for (size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1)) ++n;
    return n;
  };
  const size_t extracts = count("extract.exe\t"), installs = count(installer);
  press(restore_rows[0], 1);
  EXPECT_TRUE(wait_for(
      [&] {
        if (HWND m = program_message()) PostMessageW(m, WM_COMMAND, 1, 0);  // asked or told
        return count("extract.exe\t") > extracts && count(installer) > installs;
      },
      30000))
      << standin_log();
  while (HWND m = (Sleep(1500), program_message())) PostMessageW(m, WM_COMMAND, 1, 0);

  // The uninstall page: the installer's /U line with the first device's INF.
  click_bar(5);
  ASSERT_TRUE(wait_for([&] { return shown_page() == L"VantorilUninstallPage"; }, 5000));
  std::vector<HWND> uninstall_rows;
  ASSERT_TRUE(wait_for(
      [&] { return (uninstall_rows = rows_with(page(L"VantorilUninstallPage"), 1, L"Remove")).size() == 2; }, 5000));
  shot("walk-6-uninstall");
  press(uninstall_rows[0], 1);
  EXPECT_TRUE(wait_for([&] { return standin_log().find(" /U ") != std::string::npos; }, 20000)) << standin_log();
  const std::string log = standin_log();
  const size_t u = log.find(" /U ");
  if (u != std::string::npos) {
    const std::string line = log.substr(u, log.find('\n', u) - u);
    EXPECT_NE(line.find("oem7a01.inf"), std::string::npos) << line;
  }
  answer_message(20000);  // "uninstall_finished"

  // Back to the update page: no scan asked for on the way.
  click_bar(2);
  EXPECT_TRUE(wait_for([&] { return shown_page() == L"VantorilDownload"; }, 5000));
  shot("walk-7-update");
  EXPECT_EQ(posts(service), 1);

  // Exit: the program ends with 0 and leaves no partial file.
  PostMessageW(main_, WM_COMMAND, 40018, 0);
  EXPECT_EQ(gui::pump_until_process_ends(process_, 20000), 0u);
  EXPECT_TRUE(files_ending(".tmp").empty());
  // The backup catalog reads back and lists both archives.
  copy_cut(app_settings.backup_catalog_path, (program_ / "Backup.dat").u16string());
  EXPECT_EQ(load_backup_catalog(), 0);
  backup_catalog.clear();
  app_settings.backup_catalog_path[0] = 0;
  const std::string final_catalog = read_file_bytes(program_ / "Backup.dat");
  int listed = 0;
  for (const fs::path& p : files_ending(".zip"))
    if (p.parent_path() == program_ / "Backup") {
      ++listed;
      EXPECT_NE(final_catalog.find(p.filename().string()), std::string::npos) << p.filename();
    }
  EXPECT_EQ(listed, 2);
}
