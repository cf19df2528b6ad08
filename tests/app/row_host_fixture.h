// Windows tests only: download rows in the row host over the stand-in service, with a
// download folder, a program folder and a stand-in log of their own.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <cstdio>

#include "base/text.h"
#include "engine/download_sessions.h"
#include "engine/helpers.h"
#include "engine/install_jobs.h"
#include "engine/net_client.h"
#include "engine/package_installs.h"
#include "engine/settings.h"
#include "engine/zip/crc32.h"
#include "tests/support/gui_driver.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"
#include "tools/row-host/row_host.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace row_test {

namespace fs = std::filesystem;

// One catalog item of the stand-in for every device of the file (all share its hardware ID).
struct offered_package {
  std::string name;   // under /packages/
  std::string bytes;  // served; empty: not served
  std::string md5;    // the catalog's sum ("" none)
  uint32_t size = 0;  // the catalog's size (0: the bytes' size)
};

// Letters only, so that MD5 of the text is MD5 of the bytes.
inline std::string letters(size_t n, int seed = 1) {
  std::string s(n, 'a');
  for (size_t i = 0; i < n; ++i) s[i] = char('A' + (i * 7 + i / 13 + size_t(seed)) % 26);
  return s;
}

inline std::string md5_of(const std::string& text) {
  char out[33];
  md5_text_hex(text.c_str(), out);
  return out;
}


inline int answer_yes(HWND, int, const char16_t*) { return 1; }
inline bool always_admin() { return true; }
inline void no_net_wait(uint32_t) {}

class row_host_fixture {
 public:
  row_host_fixture() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    keep_loopback_off_proxies();
    load_language(u"en");
    create_ui_fonts("en", 61);
    create_brushes();
    create_pens();
    fs::create_directories(temp.path() / "dl");
    fs::create_directories(temp.path() / "prog");
    copy_cut(app_settings.DownloadPath, (temp.path() / "dl").u16string());
    app_settings.AutoBackup = 0;
    saved_sleep = net_sleep;
    net_sleep = no_net_wait;
    set_env("VANTORIL_STANDIN_LOG", (temp.path() / "standin.log").string());
    job_bindings b;
    b.show_message = [](void*, int, const char16_t*) { return 1; };
    b.show_in_explorer = [](void*, const char16_t*) {};
    set_job_bindings(b);
    seams.is_administrator = always_admin;
    seams.show_message = [](HWND, int, const char16_t* text) {
      asked().push_back(u16_to_utf8(text));
      return answer();
    };
    seams.program_folder = (temp.path() / "prog").u16string();
    asked().clear();
    answer() = 1;
  }
  ~row_host_fixture() {
    host.reset();
    for (auto& s : download_sessions)
      if (s->task.thread()) {
        s->transfer.cancel = true;
        wait_for_thread(s->task.thread());
      }
    gui::pump_until([] { return !any_package_install_running(); }, 20000);
    download_sessions.clear();
    net_sleep = saved_sleep;
    set_job_bindings(job_bindings());
    delete_ui_objects();
    gui::drop_quit_message();
  }

  // Starts the service with the package offered for `devices` devices of the same hardware ID
  // (the first one with installed-driver values when asked) and opens the host.
  bool open(const offered_package& p, const std::vector<std::string>& args = {}, int devices = 1,
            bool first_has_driver = false);

  static std::vector<std::string>& asked() {
    static std::vector<std::string> a;
    return a;
  }
  static int& answer() {
    static int a = 1;
    return a;
  }

  download_panel_c* row() { return host->rows().empty() ? nullptr : host->rows()[0]; }
  std::wstring action_text() { return gui::window_text(row()->action_button()); }
  void press_action() { SendMessageW(row()->handle(), WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0); }
  std::string standin_log() { return read_file_bytes(temp / "standin.log"); }
  fs::path final_file() { return fs::path(row()->session()->final_path); }
  fs::path partial_file() { return fs::path(row()->session()->partial_path); }
  std::string history() {
    return read_file_bytes(fs::path(path_join((temp.path() / "prog").u16string(), u"history.dat")));
  }

  temp_folder temp;
  std::unique_ptr<stand_in_service> packages;  // serves the package
  std::unique_ptr<stand_in_service> service;   // the matching service
  std::vector<device_info> devices;
  download_row_seams seams;
  std::unique_ptr<row_host_c> host;
  std::string address;
  void (*saved_sleep)(uint32_t) = nullptr;
};

// Little-endian fields of the zip format.
namespace zip_bytes {

inline void put16(std::string& s, uint32_t v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
inline void put32(std::string& s, uint32_t v) {
  put16(s, v & 0xFFFF);
  put16(s, v >> 16);
}

}  // namespace zip_bytes

// A zip of stored entries: an INF at its root and padding that brings it to about `size` bytes.
inline std::string stored_zip(size_t size) {
  struct entry {
    std::string name, data;
    uint32_t offset = 0;
  };
  std::vector<entry> entries = {{"drv.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"},
                                {"pad.bin", letters(size > 300 ? size - 300 : 1, 5)}};
  std::string zip, directory;
  for (entry& e : entries) {
    e.offset = uint32_t(zip.size());
    uint32_t crc = crc32_update(0, e.data.data(), e.data.size());
    std::string common;
    zip_bytes::put16(common, 0);  // flags
    zip_bytes::put16(common, 0);  // stored
    zip_bytes::put16(common, 0);
    zip_bytes::put16(common, 0x21);  // time, date
    zip_bytes::put32(common, crc);
    zip_bytes::put32(common, uint32_t(e.data.size()));
    zip_bytes::put32(common, uint32_t(e.data.size()));
    zip_bytes::put16(common, uint32_t(e.name.size()));
    zip_bytes::put16(common, 0);
    zip_bytes::put32(zip, 0x04034b50);
    zip_bytes::put16(zip, 20);
    zip += common + e.name + e.data;
    zip_bytes::put32(directory, 0x02014b50);
    zip_bytes::put16(directory, 20);
    zip_bytes::put16(directory, 20);
    directory += common;
    zip_bytes::put16(directory, 0);
    zip_bytes::put16(directory, 0);
    zip_bytes::put16(directory, 0);
    zip_bytes::put32(directory, 0);
    zip_bytes::put32(directory, e.offset);
    directory += e.name;
  }
  uint32_t at = uint32_t(zip.size());
  zip += directory;
  zip_bytes::put32(zip, 0x06054b50);
  zip_bytes::put16(zip, 0);
  zip_bytes::put16(zip, 0);
  zip_bytes::put16(zip, uint32_t(entries.size()));
  zip_bytes::put16(zip, uint32_t(entries.size()));
  zip_bytes::put32(zip, uint32_t(directory.size()));
  zip_bytes::put32(zip, at);
  zip_bytes::put16(zip, 0);
  return zip;
}

inline bool row_host_fixture::open(const offered_package& p, const std::vector<std::string>& args, int count,
                            bool first_has_driver) {
  // The packages come from a service of their own (with the misbehaviour asked for), so that
  // the matching service's catalog can name their address.
  packages = std::make_unique<stand_in_service>(args, "{}");
  if (!packages->running()) return false;
  if (!p.bytes.empty()) packages->add_package(p.name, p.bytes);
  address = packages->url("/packages/" + p.name);
  uint32_t size = p.size ? p.size : uint32_t(p.bytes.size());
  char item[2048];
  std::snprintf(item, sizeof item,
                R"({"hardid": "PCI\\VEN_7A01&DEV_0001", "id": 9, "ver": "9.0.0.0", "size": %u,
                    "remote_url": "%s", "infpath": "pkg\\drv.inf", "md5sum": "%s", "manu": "Acme",
                    "date": "2024-02-02", "desc": "Acme Display Adapter", "sign": 0, "cp": 1,
                    "targetos": 61, "class": "Display"})",
                size, address.c_str(), p.md5.c_str());
  std::string catalog = std::string(R"({"drivers": {"PCI\\VEN_7A01&DEV_0001": [)") + item + "]}}";
  service = std::make_unique<stand_in_service>(std::vector<std::string>{}, catalog);
  if (!service->running()) return false;
  service->use_for_endpoints();
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += "device\ninstance = PCI\\VEN_7A01&DEV_0001\\" + std::to_string(i) + "\nname = Adapter " +
            std::to_string(i + 1) + "\nclass = Display\nhardware = PCI\\VEN_7A01&DEV_0001\n";
    if (i == 0 && first_has_driver)
      text += "inf = oem3.inf\ndriver_version = 1.0.0.0\ndriver_date = 2019-05-01\nprovider = Acme\n";
  }
  std::string error;
  if (!load_row_host_devices(text, devices, error)) return false;
  host = std::make_unique<row_host_c>();
  return host->create_host(devices, seams) != nullptr && row() != nullptr;
}

}  // namespace row_test
