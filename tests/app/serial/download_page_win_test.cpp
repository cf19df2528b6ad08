// The update page in the main window, after scans against the stand-in service: its groups and
// rows, the billboard, the selection links and "Download All", the exclusions, the scan report,
// a change of the download folder and a transfer left without its row. Serial: an accepted
// scan report saves the settings.
#include "app/app_window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/download_panel_win.h"
#include "base/text.h"
#include "base/wide.h"
#include "engine/device_store.h"
#include "engine/download_sessions.h"
#include "engine/helpers.h"
#include "engine/net_client.h"
#include "engine/settings.h"
#include "engine/thread.h"
#include "framework/gdi.h"
#include "tests/support/gui_driver.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"
#include "tests/app/main_window_fixture.h"
#include "tools/engine-probe/probe.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/panel_list.h"
#include "widgets/ui_fonts.h"

namespace {

namespace fs = std::filesystem;

// One offered package and the devices it is offered for.
struct offer {
  std::string name;     // served under /packages/<name>
  std::string hardid;   // the devices' hardware ID
  std::string device_lines;  // the installed driver's lines of each device ("" none)
  int devices = 1;
  std::string ver, date, cls;
  bool with_md5 = true;
  size_t bytes = 30000;
  int seed = 1;
};

// The three kinds of the list: missing (no driver), out of date (an older one), up to date.
offer missing_offer() {
  return {"a.zip", "PCI\\VEN_7A01&DEV_0001", "", 1, "2.0.0.0", "2024-02-02", "MEDIA", true, 30000, 1};
}
offer outdated_offer(int devices = 1) {
  return {"b.zip", "PCI\\VEN_7A02&DEV_0002",
          "inf = oem3.inf\ndriver_version = 1.0.0.0\ndriver_date = 2019-05-01\nprovider = Acme\n"
          "matching_id = PCI\\VEN_7A02&DEV_0002\n",
          devices, "9.0.0.0", "2024-02-02", "Display", true, 40000, 2};
}
// Without an MD5 sum in the catalog.
offer current_offer() {
  return {"c.zip", "PCI\\VEN_7A03&DEV_0003",
          "inf = oem4.inf\ndriver_version = 3.0.0.0\ndriver_date = 2020-01-01\nprovider = Acme\n"
          "matching_id = PCI\\VEN_7A03&DEV_0003\n",
          1, "3.0.0.0", "2020-01-01", "Net", false, 20000, 3};
}

std::string letters(size_t n, int seed) {
  std::string s(n, 'a');
  for (size_t i = 0; i < n; ++i) s[i] = char('A' + (i * 7 + i / 13 + size_t(seed)) % 26);
  return s;
}
std::string md5_of(const std::string& text) {
  char out[33];
  md5_text_hex(text.c_str(), out);
  return out;
}
std::string json_escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// The devices the next scan finds (the scan's own thread reads them).
std::string& scanned_devices() {
  static std::string text;
  return text;
}
int32_t fake_device_scan(void*) {
  std::vector<device_info> devices;
  std::string error;
  if (!load_probe_devices(scanned_devices(), devices, error)) return -1;
  device_store* store = the_device_store();
  clear_device_store(*store);
  store->devices = std::move(devices);
  return 0;
}

struct message_seen {
  int type;
  std::string text;
};
std::vector<message_seen>& messages() {
  static std::vector<message_seen> m;
  return m;
}
int& answer() {
  static int a = 1;
  return a;
}
int record_message(void*, int type, const char16_t* text) {
  messages().push_back({type, u16_to_utf8(text)});
  return answer();
}
int record_page_message(HWND owner, int type, const char16_t* text) { return record_message(owner, type, text); }
int record_row_message(HWND owner, int type, const char16_t* text) { return record_message(owner, type, text); }
int cancel_scan_dialog(void*, int, const char16_t*) { return 2; }
bool no_autorun() { return true; }
bool no_version_check(int, void*) { return true; }
void no_net_wait(uint32_t) {}
bool always_admin() { return true; }

class DownloadPageWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    load_language(u"en");
    create_ui_fonts("en", 61);
    create_brushes();
    create_pens();
    create_device_store();
    keep_loopback_off_proxies();
  }
  static void TearDownTestSuite() { delete_ui_objects(); }

  void SetUp() override {
    main_window_test::quiet_settings();
    app_settings.AutoBackup = 0;
    app_settings.DebugStatus = 1;
    fs::create_directories(temp.path() / "dl");
    fs::create_directories(temp.path() / "prog");
    copy_cut(app_settings.DownloadPath, (temp.path() / "dl").u16string());
    copy_cut(app_settings.exclusion_list_path, exclusion_file().u16string());
    saved_sleep = net_sleep;
    net_sleep = no_net_wait;
    messages().clear();
    answer() = 1;
    row_seams.is_administrator = always_admin;
    row_seams.show_message = record_row_message;
    row_seams.program_folder = (temp.path() / "prog").u16string();
  }
  void TearDown() override {
    window_.reset();
    for (auto& s : download_sessions)
      if (s->task.thread()) {
        s->transfer.cancel = true;
        wait_for_thread(s->task.thread());
      }
    download_sessions.clear();
    gui::drop_quit_message();
    net_sleep = saved_sleep;
  }

  fs::path exclusion_file() const { return temp / "Exclusion.dat"; }

  // Serves the packages (with the service options given) and a matching service whose catalog
  // offers them; the devices of the next scan are theirs.
  void serve(const std::vector<offer>& offers, const std::vector<std::string>& package_args = {},
             const std::vector<std::string>& service_args = {}) {
    packages = std::make_unique<stand_in_service>(package_args, "{}");
    ASSERT_TRUE(packages->running());
    for (const offer& o : offers) packages->add_package(o.name, letters(o.bytes, o.seed));
    service = start_catalog(offers, service_args);
    ASSERT_TRUE(service && service->running());
    service->use_for_endpoints();
    std::string devices;
    for (const offer& o : offers)
      for (int i = 0; i < o.devices; ++i)
        devices += "device\ninstance = " + o.hardid + "\\" + std::to_string(i) + "\nname = " + o.cls + " " +
                   std::to_string(i + 1) + "\nclass = " + o.cls + "\nhardware = " + o.hardid + "\n" + o.device_lines;
    scanned_devices() = devices;
  }
  std::unique_ptr<stand_in_service> start_catalog(const std::vector<offer>& offers,
                                                  const std::vector<std::string>& args = {}) {
    std::string drivers;
    int id = 10;
    for (const offer& o : offers) {
      std::string bytes = letters(o.bytes, o.seed);
      char item[2048];
      std::snprintf(item, sizeof item,
                    R"("%s": [{"hardid": "%s", "id": %d, "ver": "%s", "size": %u, "remote_url": "%s",
                    "infpath": "pkg\\drv.inf", "md5sum": "%s", "manu": "Acme", "date": "%s",
                    "desc": "Acme %s driver", "sign": 0, "cp": 1, "targetos": 61, "class": "%s"}])",
                    json_escaped(o.hardid).c_str(), json_escaped(o.hardid).c_str(), ++id, o.ver.c_str(),
                    unsigned(bytes.size()), address(o).c_str(), o.with_md5 ? md5_of(bytes).c_str() : "",
                    o.date.c_str(), o.cls.c_str(), o.cls.c_str());
      drivers += (drivers.empty() ? "" : ", ") + std::string(item);
    }
    return std::make_unique<stand_in_service>(args, "{\"drivers\": {" + drivers + "}}");
  }
  std::string address(const offer& o) const { return packages->url("/packages/" + o.name); }

  HWND make() {
    main_window_c::seams s;
    s.show_message = record_message;
    s.start_version_check = no_version_check;
    s.apply_autorun = no_autorun;
    s.scan.device_scan = fake_device_scan;
    s.scan.dialog = cancel_scan_dialog;
    s.work_wait_ms = 5000;
    window_ = std::make_unique<main_window_c>(s);
    window_->download_page.seams().show_message = record_page_message;
    window_->download_page.seams().rows = &row_seams;
    HWND w = window_->create_window();
    if (w) {
      SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
      ShowWindow(w, SW_SHOWNOACTIVATE);
    }
    gui::pump_for(50);
    return w;
  }
  download_window_c& page() { return window_->download_page; }

  // A scan to its end: the results shown.
  bool scan() {
    SendMessageW(window_->handle(), WM_APP_START_SCAN, 0, 0);
    return gui::pump_until([&] { return window_->state() == main_results; }, 30000);
  }

  download_panel_c* row_of_package(const offer& o) {
    for (download_panel_c* r : page().download_rows())
      if (r->group() && r->group()->candidate && address(o) == r->group()->candidate->remote_url) return r;
    return nullptr;
  }
  std::wstring action_text(download_panel_c* row) { return gui::window_text(row->action_button()); }

  size_t report_posts(const stand_in_service& s) {
    size_t n = 0;
    for (const service_request& r : s.requests())
      if (r.text("path") == "/service/debug.php") ++n;
    return n;
  }

  void click_item(size_t index) {
    RECT r = page().item_rect(index);
    gui::click_at(page().handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    gui::pump_for(50);
  }
  void exclude(download_panel_c* row) {
    row->on_menu_command(download_panel_c::cmd_exclude - download_panel_c::cmd_action);
    gui::pump_for(100);
  }

  void shot(const char* name) {
    wchar_t dir[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    RedrawWindow(window_->handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    gui::pump_for(100);
    gui::save_screen_bmp(window_->handle(), (fs::path(dir) / (std::string(name) + ".bmp")).wstring());
  }

  temp_folder temp;
  download_row_seams row_seams;
  std::unique_ptr<stand_in_service> packages;
  std::unique_ptr<stand_in_service> service;
  std::unique_ptr<main_window_c> window_;
  void (*saved_sleep)(uint32_t) = nullptr;
};

// The list's lines as (header or row, id), top to bottom.
std::vector<std::pair<bool, int32_t>> lines_of(download_window_c& page) {
  std::vector<std::pair<bool, int32_t>> out;
  for (panel_c* p : page.rows().stack().rows)
    out.push_back({dynamic_cast<header_panel_c*>(p) != nullptr, p->group_id});
  return out;
}

// Whether the page shows a pixel of exactly this colour inside the rectangle.
bool shows_colour(HWND window, const RECT& area, COLORREF colour) {
  void* bits = nullptr;
  int w = 0, h = 0;
  HBITMAP bitmap = print_client(window, &bits, &w, &h);
  if (!bitmap) return false;
  bool found = false;
  const auto* pixels = static_cast<const uint8_t*>(bits);
  for (int y = area.top; y < area.bottom && y < h && !found; ++y)
    for (int x = area.left; x < area.right && x < w && !found; ++x) {
      const uint8_t* p = pixels + (size_t(y) * size_t(w) + size_t(x)) * 4;
      found = RGB(p[2], p[1], p[0]) == colour;
    }
  DeleteObject(bitmap);
  return found;
}

}  // namespace

TEST_F(DownloadPageWindow, AScanShowsTheThreeGroupsUnderTheirHeaders) {
  serve({outdated_offer(), missing_offer(), current_offer()});
  ASSERT_NE(make(), nullptr);
  ASSERT_TRUE(scan());
  EXPECT_EQ(window_->current_page(), page().handle());
  EXPECT_TRUE(IsWindowVisible(page().handle()));
  EXPECT_EQ(window_->sidebar.selected, 2);
  EXPECT_EQ(GetFocus(), page().rows_window());

  RECT client = gui::client_rect(page().handle());
  RECT list = gui::rect_in_parent(page().rows_window());
  EXPECT_EQ(list.left, 0);
  EXPECT_EQ(list.top, 63);
  EXPECT_EQ(list.right - list.left, client.right);
  EXPECT_EQ(list.bottom - list.top, client.bottom - 93);

  using line = std::pair<bool, int32_t>;
  EXPECT_EQ(lines_of(page()),
            (std::vector<line>{{true, 0}, {false, 3}, {true, 1}, {false, 4}, {true, 2}, {false, 5}}));
  EXPECT_EQ(page().counts().missing, 1);
  EXPECT_EQ(page().counts().out_of_date, 1);
  EXPECT_EQ(page().counts().up_to_date, 1);
  // One to seven updates: an orange title.
  EXPECT_TRUE(shows_colour(page().handle(), RECT{75, 5, 400, 35}, RGB(234, 100, 11)));
  shot("update-page-three-groups");

  // The footer total follows a check box at once: the out-of-date row unchecked.
  download_panel_c* outdated = row_of_package(outdated_offer());
  ASSERT_NE(outdated, nullptr);
  download_selection before = page().selection();
  SendMessageW(outdated->handle(), WM_COMMAND, MAKEWPARAM(download_panel_c::check_id, BN_CLICKED), 0);
  EXPECT_EQ(page().selection().count, before.count - 1);
  EXPECT_EQ(page().selection().size, before.size - 40000);

  // A header double-clicked: its rows go and the rows below move up by their height; again: back.
  std::vector<panel_c*> lines = page().rows().stack().rows;
  ASSERT_EQ(lines.size(), 6u);
  const int32_t row_height = lines[1]->height;
  const int32_t out_of_date_header_y = lines[2]->y;
  gui::double_click_at(lines[0]->get_hwnd(), 5, 5);
  gui::pump_for(50);
  EXPECT_FALSE(IsWindowVisible(lines[1]->get_hwnd()));
  EXPECT_EQ(lines[2]->y, out_of_date_header_y - row_height);
  EXPECT_EQ(gui::rect_in_parent(lines[2]->get_hwnd()).top, out_of_date_header_y - row_height);
  gui::double_click_at(lines[0]->get_hwnd(), 5, 5);
  gui::pump_for(50);
  EXPECT_TRUE(IsWindowVisible(lines[1]->get_hwnd()));
  EXPECT_EQ(lines[2]->y, out_of_date_header_y);

  // Navigation button 2 with results: the page again, without a scan.
  const size_t asked = service->requests().size();
  SendMessageW(window_->handle(), WM_APP_SIDEBAR_COMMAND, 1, 0);
  EXPECT_EQ(window_->current_page(), window_->home_page.handle());
  SendMessageW(window_->handle(), WM_APP_SIDEBAR_COMMAND, 2, 0);
  EXPECT_EQ(window_->current_page(), page().handle());
  EXPECT_EQ(service->requests().size(), asked);

  // The rescan button beside the title: a new scan, then the page again.
  click_item(3);
  EXPECT_EQ(window_->state(), main_scanning);
  ASSERT_TRUE(gui::pump_until([&] { return window_->state() == main_results; }, 30000));
  EXPECT_EQ(window_->current_page(), page().handle());
  EXPECT_GT(service->requests().size(), asked);
}

TEST_F(DownloadPageWindow, TheBillboardFollowsTheNumberOfUpdates) {
  struct row {
    const char* name;
    std::vector<offer> offers;
    int png;
    COLORREF colour;
  } rows[] = {
      {"update-page-up-to-date", {current_offer()}, 199, RGB(26, 114, 24)},
      {"update-page-one", {missing_offer(), current_offer()}, 198, RGB(234, 100, 11)},
      {"update-page-eight", {outdated_offer(8), missing_offer()}, 174, RGB(233, 34, 35)},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    serve(r.offers);
    ASSERT_NE(make(), nullptr);
    ASSERT_TRUE(scan());
    download_billboard b = choose_download_billboard(page().counts());
    EXPECT_EQ(b.png, r.png);
    EXPECT_TRUE(shows_colour(page().handle(), RECT{75, 5, 500, 35}, r.colour));
    shot(r.name);
    window_.reset();
  }
  // Nothing to update: only the up-to-date header.
  serve({current_offer()});
  ASSERT_NE(make(), nullptr);
  ASSERT_TRUE(scan());
  EXPECT_EQ(lines_of(page()), (std::vector<std::pair<bool, int32_t>>{{true, 2}, {false, 5}}));
}

TEST_F(DownloadPageWindow, DownloadAllAsksAboutTheCheckedRowsThenDownloadsThem) {
  serve({outdated_offer(2), missing_offer(), current_offer()});
  ASSERT_NE(make(), nullptr);
  ASSERT_TRUE(scan());
  click_item(2);  // "Select None"
  EXPECT_EQ(page().selection().count, 0);
  for (download_panel_c* r : page().download_rows()) EXPECT_FALSE(r->checked());
  SendMessageW(page().handle(), WM_COMMAND, MAKEWPARAM(download_window_c::download_all_id, BN_CLICKED), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].type, 1);
  EXPECT_EQ(messages()[0].text, "Please check the checkboxes in front of the drivers you want to download.");
  EXPECT_TRUE(packages->requests().empty());

  click_item(0);  // "Recommended": the two that need an update
  EXPECT_EQ(page().selection().count, 3);
  EXPECT_EQ(page().selection().size, 70000);
  click_item(1);  // "Select All"
  EXPECT_EQ(page().selection().count, 4);
  EXPECT_EQ(page().selection().size, 90000);
  for (download_panel_c* r : page().download_rows()) EXPECT_TRUE(r->checked());
  shot("update-page-all-selected");

  messages().clear();
  answer() = 2;  // No: nothing starts
  SendMessageW(page().handle(), WM_COMMAND, MAKEWPARAM(download_window_c::download_all_id, BN_CLICKED), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].type, 3);
  // Three files (the checked rows), though four devices are served by them.
  EXPECT_EQ(messages()[0].text, "3 files total 87.89KB will be downloaded.\nAre you sure?");
  gui::pump_for(200);
  EXPECT_TRUE(packages->requests().empty());

  answer() = 1;
  SendMessageW(page().handle(), WM_COMMAND, MAKEWPARAM(download_window_c::download_all_id, BN_CLICKED), 0);
  for (download_panel_c* r : page().download_rows()) {
    std::wstring text = action_text(r);
    EXPECT_TRUE(text == L"Pause" || text == L"Install") << r->group()->candidate->remote_url;
  }
  ASSERT_TRUE(gui::pump_until(
      [&] {
        for (download_panel_c* r : page().download_rows())
          if (action_text(r) != L"Install") return false;
        return true;
      },
      30000));
  EXPECT_EQ(packages->requests().size(), 3u);
  for (const offer& o : {outdated_offer(), missing_offer(), current_offer()}) {
    size_t gets = 0;
    for (const service_request& r : packages->requests()) gets += r.text("path") == "/packages/" + o.name;
    EXPECT_EQ(gets, 1u) << o.name;
  }
  shot("update-page-downloaded");
}

TEST_F(DownloadPageWindow, DoubleClicksActOnceAndOnlyTheCheckedRowsStart) {
  serve({outdated_offer(2), missing_offer(), current_offer()});
  ASSERT_NE(make(), nullptr);
  ASSERT_TRUE(scan());
  click_item(1);  // "Select All"
  click_item(0);  // "Recommended": exactly the rows whose group is not up to date
  for (download_panel_c* r : page().download_rows()) EXPECT_EQ(r->checked(), !r->group()->up_to_date);
  click_item(1);

  // A double click on a check box turns it once.
  download_panel_c* left_out = row_of_package(missing_offer());
  ASSERT_NE(left_out, nullptr);
  gui::double_click_at(left_out->check_box(), 5, 5);
  gui::pump_for(100);
  EXPECT_FALSE(left_out->checked());
  EXPECT_EQ(page().selection().count, 3);

  // A double click on "Download All" asks once; Yes starts the checked rows only.
  messages().clear();
  answer() = 1;
  gui::double_click_at(GetDlgItem(page().handle(), download_window_c::download_all_id), 10, 10);
  gui::pump_for(200);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].type, 3);
  ASSERT_TRUE(gui::pump_until(
      [&] {
        for (download_panel_c* r : page().download_rows())
          if (r != left_out && action_text(r) != L"Install") return false;
        return true;
      },
      30000));
  EXPECT_EQ(action_text(left_out), L"Download");
  for (const service_request& r : packages->requests()) EXPECT_NE(r.text("path"), "/packages/" + missing_offer().name);
  EXPECT_EQ(packages->requests().size(), 2u);
}

TEST_F(DownloadPageWindow, AnExcludedPackageStaysHiddenAndAFailedWriteKeepsTheFile) {
  serve({outdated_offer(), missing_offer(), current_offer()});
  ASSERT_NE(make(), nullptr);
  ASSERT_TRUE(scan());

  // A request whose row is no longer listed (gone with a rebuild) changes nothing.
  const size_t listed = page().download_rows().size();
  int not_a_row = 0;
  SendMessageW(page().handle(), WM_APP_EXCLUDE_DRIVER, WPARAM(&not_a_row), LPARAM(&not_a_row));
  EXPECT_EQ(page().download_rows().size(), listed);
  EXPECT_FALSE(fs::exists(exclusion_file()));

  // A package without an MD5 sum cannot be hidden: it has no key of its own.
  exclude(row_of_package(current_offer()));
  EXPECT_TRUE(messages().empty());
  EXPECT_NE(row_of_package(current_offer()), nullptr);
  EXPECT_FALSE(fs::exists(exclusion_file()));

  // Exclusion.dat cannot be replaced while a folder holds its temporary name: the file stays as
  // it was and the package stays listed.
  const std::string before =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Vantoril>\n\t<driver>\n\t\t<hardid><![CDATA[X]]></hardid>\n"
      "\t\t<md5hash>dddddddddddddddddddddddddddddddd</md5hash>\n\t</driver>\n</Vantoril>\n";
  write_file_bytes(exclusion_file(), before);
  fs::create_directories(temp / "Exclusion.dat.tmp");
  exclude(row_of_package(outdated_offer()));
  EXPECT_EQ(read_file_bytes(exclusion_file()), before);
  EXPECT_NE(row_of_package(outdated_offer()), nullptr);
  EXPECT_EQ(page().counts().out_of_date, 1);
  // The user answered Yes: the row that stays says why.
  ASSERT_FALSE(messages().empty());
  EXPECT_EQ(messages().back().type, 2);
  EXPECT_EQ(messages().back().text, "The driver package could not be hidden: the exclusion list could not be "
                                    "saved. The file may be read-only or in use.");
  fs::remove(temp / "Exclusion.dat.tmp");
  {
    // Held open without sharing by another program, in Japanese.
    HANDLE held = CreateFileW(exclusion_file().wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    load_language(u"ja");
    messages().clear();
    exclude(row_of_package(outdated_offer()));
    load_language(u"en");
    CloseHandle(held);
    EXPECT_NE(row_of_package(outdated_offer()), nullptr);
    ASSERT_EQ(messages().size(), 2u);  // the question, then why the answer did nothing
    EXPECT_EQ(messages()[1].text, u16_to_utf8(u"このドライバー パッケージを非表示にできませんでした。除外リストを保存できませ"
                                              u"んでした。ファイルが読み取り専用か、使用中の可能性があります。"));
    EXPECT_EQ(read_file_bytes(exclusion_file()), before);
  }

  // Hidden: the row and its count go at once, the file holds its sum, a rescan keeps it hidden.
  const std::string md5 = md5_of(letters(outdated_offer().bytes, outdated_offer().seed));
  exclude(row_of_package(outdated_offer()));
  EXPECT_EQ(row_of_package(outdated_offer()), nullptr);
  EXPECT_EQ(page().counts().out_of_date, 0);
  EXPECT_EQ(lines_of(page()), (std::vector<std::pair<bool, int32_t>>{{true, 0}, {false, 3}, {true, 2}, {false, 5}}));
  std::string file = read_file_bytes(exclusion_file());
  EXPECT_NE(file.find(md5), std::string::npos);
  EXPECT_NE(file.find(std::string(32, 'd')), std::string::npos);
  EXPECT_EQ(page().exclusions().size(), 2u);
  ASSERT_TRUE(scan());
  EXPECT_EQ(row_of_package(outdated_offer()), nullptr);
  EXPECT_NE(row_of_package(missing_offer()), nullptr);
  shot("update-page-excluded");
}

TEST_F(DownloadPageWindow, AnExclusionFileThatCannotBeReadKeepsEveryPackageHidden) {
  serve({outdated_offer(), missing_offer(), current_offer()});
  ASSERT_NE(make(), nullptr);
  ASSERT_TRUE(scan());
  exclude(row_of_package(outdated_offer()));
  ASSERT_EQ(row_of_package(outdated_offer()), nullptr);
  const std::string on_disk = read_file_bytes(exclusion_file());

  // Held open without sharing (a scanner, a backup tool): it can be neither read nor replaced.
  HANDLE held = CreateFileW(exclusion_file().wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  exclude(row_of_package(missing_offer()));
  EXPECT_EQ(row_of_package(outdated_offer()), nullptr);
  EXPECT_NE(row_of_package(missing_offer()), nullptr);  // not written: stays listed
  EXPECT_EQ(page().exclusions().size(), 1u);
  ASSERT_TRUE(scan());
  EXPECT_EQ(row_of_package(outdated_offer()), nullptr);
  CloseHandle(held);
  EXPECT_EQ(read_file_bytes(exclusion_file()), on_disk);

  // Readable again: the next exclusion writes both.
  exclude(row_of_package(missing_offer()));
  EXPECT_EQ(row_of_package(missing_offer()), nullptr);
  EXPECT_EQ(row_of_package(outdated_offer()), nullptr);
  EXPECT_EQ(page().exclusions().size(), 2u);
}

TEST_F(DownloadPageWindow, OneReportPerScanUntilOneIsAccepted) {
  app_settings.DebugStatus = 0;
  // The report host refuses at first: the report is due again at the next scan only.
  serve({outdated_offer(), missing_offer(), current_offer()}, {},
        {"--mode", "500", "--only", "/service/debug.php"});
  ASSERT_NE(make(), nullptr);
  ASSERT_TRUE(scan());
  ASSERT_TRUE(gui::pump_until([&] { return report_posts(*service) == 1; }, 10000));
  gui::pump_for(300);
  EXPECT_EQ(app_settings.DebugStatus, 0u);

  // Neither an exclusion nor a change of the download folder sends the same scan again.
  exclude(row_of_package(outdated_offer()));
  ASSERT_EQ(row_of_package(outdated_offer()), nullptr);
  fs::create_directories(temp / "dl2");
  copy_cut(app_settings.DownloadPath, (temp / "dl2").u16string());
  SendMessageW(window_->handle(), WM_APP_DOWNLOAD_DIR_CHANGED, 0, 0);
  gui::pump_for(500);
  EXPECT_EQ(report_posts(*service), 1u);

  ASSERT_TRUE(scan());
  ASSERT_TRUE(gui::pump_until([&] { return report_posts(*service) == 2; }, 10000));

  // Accepted: DebugStatus 1, and the next scan sends nothing.
  std::unique_ptr<stand_in_service> accepting = start_catalog({outdated_offer(), missing_offer(), current_offer()});
  ASSERT_TRUE(accepting->running());
  accepting->use_for_endpoints();
  ASSERT_TRUE(scan());
  ASSERT_TRUE(gui::pump_until([&] { return app_settings.DebugStatus == 1; }, 10000));
  EXPECT_EQ(report_posts(*accepting), 1u);
  ASSERT_TRUE(scan());
  gui::pump_for(500);
  EXPECT_EQ(report_posts(*accepting), 1u);
  EXPECT_EQ(report_posts(*service), 2u);
}

TEST_F(DownloadPageWindow, AChangedDownloadFolderRefreshesTheSessionsAndOnTheResultsTheRows) {
  serve({outdated_offer(), missing_offer()});
  ASSERT_NE(make(), nullptr);
  const offer b = outdated_offer();
  const std::string bytes = letters(b.bytes, b.seed);
  fs::path moved = temp / "moved";
  fs::create_directories(moved);
  write_file_bytes(moved / fs::path(download_file_name(address(b).c_str())), bytes);

  // On the home page: the sessions only.
  download_session_c* session = find_download_session(address(b).c_str(), uint32_t(bytes.size()));
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->status, download_none);
  copy_cut(app_settings.DownloadPath, moved.u16string());
  SendMessageW(window_->handle(), WM_APP_DOWNLOAD_DIR_CHANGED, 0, 0);
  EXPECT_EQ(session->status, download_done);
  EXPECT_EQ(window_->current_page(), window_->home_page.handle());
  EXPECT_TRUE(page().download_rows().empty());

  // On the update page: the rows anew, with the state of the new folder.
  ASSERT_TRUE(scan());
  ASSERT_NE(row_of_package(b), nullptr);
  EXPECT_EQ(action_text(row_of_package(b)), L"Install");
  copy_cut(app_settings.DownloadPath, (temp / "dl").u16string());
  SendMessageW(window_->handle(), WM_APP_DOWNLOAD_DIR_CHANGED, 0, 0);
  ASSERT_NE(row_of_package(b), nullptr);
  EXPECT_EQ(action_text(row_of_package(b)), L"Download");
  EXPECT_EQ(window_->current_page(), page().handle());
  EXPECT_EQ(GetFocus(), page().rows_window());
}

TEST_F(DownloadPageWindow, ATransferWhosePackageIsNoLongerOfferedStillEnds) {
  // About four seconds of transfer: 200 pieces of 2 KiB, 20 ms apart.
  offer b = outdated_offer();
  b.bytes = 400000;
  serve({b, missing_offer()}, {"--mode", "slow", "--delay", "0.02", "--chunk", "2048"});
  ASSERT_NE(make(), nullptr);
  ASSERT_TRUE(scan());
  download_panel_c* row = row_of_package(b);
  ASSERT_NE(row, nullptr);
  SendMessageW(row->handle(), WM_COMMAND, MAKEWPARAM(download_panel_c::action_id, BN_CLICKED), 0);
  download_session_c* session = row->session();
  ASSERT_TRUE(gui::pump_until([&] { return session->transfer.bytes_on_disk > 2048; }, 10000));

  // The next answer no longer offers it: its row goes while the transfer runs on.
  std::unique_ptr<stand_in_service> without = start_catalog({missing_offer()});
  ASSERT_TRUE(without->running());
  without->use_for_endpoints();
  ASSERT_TRUE(scan());
  EXPECT_EQ(row_of_package(b), nullptr);
  EXPECT_EQ(page().orphans_followed(), 1u);
  ASSERT_TRUE(gui::pump_until([&] { return session->status == download_done; }, 30000));
  EXPECT_TRUE(fs::exists(fs::path(session->final_path)));
  EXPECT_FALSE(fs::exists(fs::path(session->partial_path)));
  gui::pump_for(300);
  EXPECT_EQ(page().orphans_followed(), 0u);

  // Exit asks nothing: no work is left.
  messages().clear();
  window_->quit();
  EXPECT_TRUE(messages().empty());
  EXPECT_FALSE(IsWindow(window_->handle()));
}
