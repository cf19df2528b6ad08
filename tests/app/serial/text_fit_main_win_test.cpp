// Every text of the main window whole, in English and Japanese: the window at its smallest
// size (800 x 600) over results with rows on every page (updates, backups in the store, a
// backup in the catalog, drivers to uninstall), each page shown from the navigation bar and
// checked by the text-fit recorder. Serial: main windows must not meet the process tests'.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/wide.h"
#include "engine/backup.h"
#include "engine/backup_catalog.h"
#include "tests/app/main_window_fixture.h"
#include "tests/engine/backup_fixture.h"
#include "tests/support/text_fit.h"
#include "widgets/app_messages.h"
#include "widgets/panel_list.h"

namespace fs = std::filesystem;

namespace {

using namespace main_window_test;

class TextFitMain : public MainWindowTest {
 protected:
  void use_language(const char* code) {
    delete_ui_objects();
    load_language(std::u16string(code, code + 2));
    create_ui_fonts(code, 61);
    create_brushes();
    create_pens();
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    use_language("en");
  }

  // The window at 800 x 600 after a scan's end, with rows on the update, backup, restore and
  // uninstall pages.
  HWND make_results(backup_test::files& store, device_class_info& cls) {
    copy_cut(cls.description, u"Universal Serial Bus controllers");
    copy_cut(cls.class_name, u"USB");
    device(store, u"USB\\VID_1&PID_1\\1", u"Fake Camera & Microphone Array with a Very Long Name", u"cam.inf_x86_1", cls, 1);
    device(store, u"USB\\VID_2&PID_1\\1", u"Fake Network", u"net.inf_x86_2", cls, 2);
    device(store, u"USB\\VID_3&PID_1\\1", u"Fake Scanner & Copier", u"scan.inf_x86_3", cls, 3);
    // One backup in the catalog for the restore page.
    backup_job job;
    const std::u16string archive = path_join(store.backups, u"Fake Scanner.zip");
    EXPECT_EQ(zip_folder(store.package(u"scan.inf_x86_3").c_str(), archive.c_str(), job), 0);
    backup_entry entry{};
    entry.devices = {&the_device_store()->devices[2]};
    EXPECT_EQ(add_backup_record(archive.c_str(), entry), 0);
    HWND w = make();
    if (!w) return nullptr;
    SendMessageW(w, WM_APP_SCAN_DONE, 0, 0);
    gui::pump_for(100);
    return w;
  }
  void click_bar(int button) {
    SendMessageW(window_->sidebar.handle(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window_->sidebar.handle(), button)));
    gui::pump_for(100);
  }

  // A device of the store with an installed driver in its own store package and a newer one
  // offered.
  device_info& device(backup_test::files& store, const std::u16string& id, const std::u16string& name,
                      const std::u16string& package, device_class_info& cls, int n) {
    const std::u16string inf = u"oem" + std::u16string(1, char16_t(u'0' + n)) + u".inf";
    fs::path folder = fs::path(store.package(package));
    write_file_bytes(folder / fs::path(inf), "[Version]\r\n");
    write_file_bytes(folder / "driver.sys", std::string(3000 + 1000 * n, 'd'));
    device_info& d = store.device(id, inf, package, name + u" Driver", u"1.0.0." + std::u16string(1, u'0' + n));
    copy_cut(d.name, name);
    copy_cut(d.class_name, cls.class_name);
    d.device_class = &cls;
    d.present = 1;
    d.candidates.resize(1);
    driver_candidate& c = d.candidates[0];
    copy_cut(c.desc, name + u" Driver");
    copy_cut(c.date, u"2024-02-02");
    copy_cut(c.ver, u"12.4.1.7");
    copy_cut(c.infpath, u"pkg\\p.inf");
    copy_cut(c.hardid, id);
    copy_cut(c.manu, u"Acme");
    copy_cut(c.class_name, cls.class_name);
    c.size = 4200000u * uint32_t(n);
    const std::string url = "http://127.0.0.1:1/packages/p" + std::to_string(n) + ".zip";
    copy_cut(c.remote_url, url.c_str());
    copy_cut(c.md5sum, u"0123456789abcdef0123456789abcde" + std::u16string(1, char16_t(u'0' + n % 10)));
    d.best = d.latest = &d.candidates[0];
    d.best_needs_update = d.latest_needs_update = 1;
    return d;
  }
};

TEST_F(TextFitMain, EveryPageWithRowsInBothLanguages) {
  for (const char* code : {"en", "ja"}) {
    use_language(code);
    backup_test::files store;
    device_class_info cls{};
    HWND w = make_results(store, cls);
    ASSERT_NE(w, nullptr);
    text_fit::recorder record;
    for (int button = 1; button <= 5; ++button) {
      click_bar(button);
      // The header texts drawn word-wrapped must show every line.
      const char* header[] = {nullptr, nullptr, "download_billboard_text2", "backup_tips", "restore_tips",
                              "uninstall_tips"};
      text_fit::options how;
      if (header[button]) how.whole_texts.push_back(as_wide(get_text(header[button])));
      auto faults = text_fit::check_window(w, how);
      EXPECT_TRUE(faults.empty()) << code << " navigation button " << button << text_fit::describe(faults);
      shot(w, (std::string("textfit-main-") + code + "-" + std::to_string(button)).c_str());
      if (button >= 2) {
        // The page's first row's details, opened by a double click.
        panel_list_c* lists[] = {nullptr, nullptr, &window_->download_page.rows(), &window_->backup_page.list(),
                                 &window_->restore_page.list(), &window_->uninstall_page.rows};
        panel_c* row = nullptr;
        for (panel_c* p : lists[button]->stack().rows)
          if (!row && !dynamic_cast<header_panel_c*>(p)) row = p;
        ASSERT_NE(row, nullptr) << button;
        text_fit::modal_check check({}, [](HWND d) { PostMessageW(d, WM_COMMAND, IDOK, 0); });
        SendMessageW(row->get_hwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, 10));
        EXPECT_TRUE(check.seen) << code << " details of button " << button;
        EXPECT_TRUE(check.faults.empty()) << code << " details of button " << button
                                          << text_fit::describe(check.faults);
      }
    }
    // The scan page while a scan runs.
    SendMessageW(w, WM_APP_START_SCAN, 0, 0);
    gui::pump_for(300);
    EXPECT_EQ(window_->current_page(), window_->scan_page.handle());
    auto faults = text_fit::check_window(w);
    EXPECT_TRUE(faults.empty()) << code << " scan page" << text_fit::describe(faults);
    shot(w, (std::string("textfit-main-") + code + "-scan").c_str());
    gui::pump_until([&] { return window_->state() != main_scanning; }, 30000);
    window_.reset();
    gui::pump_for(50);
  }
}

// The page headers wrapped in Japanese, at the window's smallest width and a wider one: each
// breaks where Japanese readers expect, and the restore header's full stop ends its last line.
TEST_F(TextFitMain, JapaneseHeadersBreakWhereJapaneseReadersExpect) {
  use_language("ja");
  backup_test::files store;
  device_class_info cls{};
  HWND w = make_results(store, cls);
  ASSERT_NE(w, nullptr);
  text_fit::recorder record;
  const struct {
    int button;
    const char* key;
  } headers[] = {{2, "download_billboard_text2"}, {3, "backup_tips"}, {4, "restore_tips"}, {5, "uninstall_tips"}};
  for (int width : {800, 900, 1000}) {
    SetWindowPos(w, nullptr, 0, 0, width, 600, SWP_NOMOVE | SWP_NOZORDER);
    gui::pump_for(50);
    for (const auto& h : headers) {
      click_bar(h.button);
      const std::wstring text = as_wide(get_text(h.key));
      const auto lines = text_fit::lines_of(text_fit::texts_of(window_->current_page()), text);
      const std::string where = std::string(h.key) + " at " + std::to_string(width);
      ASSERT_FALSE(lines.empty()) << where;
      auto faults = text_fit::line_break_faults(lines);
      EXPECT_TRUE(faults.empty()) << where << text_fit::describe(faults);
      if (std::string(h.key) == "restore_tips" && width == 800) {
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines.back().back(), L'\u3002');
        EXPECT_GT(lines.back().size(), 1u);
      }
    }
  }
}

BOOL CALLBACK collect(HWND w, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

// Calls `use` with a memory DC of the window's client size filled with a marker colour.
template <class F>
LRESULT marked(HWND window, F use) {
  RECT c;
  GetClientRect(window, &c);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, std::max<LONG>(c.right, 1), std::max<LONG>(c.bottom, 1));
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  HBRUSH marker = CreateSolidBrush(RGB(1, 2, 3));
  FillRect(dc, &c, marker);
  DeleteObject(marker);
  LRESULT r = use(dc);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return r;
}

bool paints_whole(HWND window) {
  RECT c;
  GetClientRect(window, &c);
  if (c.right < 4 || c.bottom < 4) return false;
  return marked(window, [&](HDC dc) {
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const POINT points[] = {{1, 1}, {c.right - 2, 1}, {1, c.bottom - 2}, {c.right - 2, c.bottom - 2}, {c.right / 2, c.bottom / 2}};
    for (POINT p : points)
      if (GetPixel(dc, p.x, p.y) == RGB(1, 2, 3)) return LRESULT(0);
    return LRESULT(1);
  }) != 0;
}

// Every window of the program's own classes (pages, rows, headers, the bar) that paints its
// whole client area leaves WM_ERASEBKGND unpainted, so no plain ground flickers through.
TEST_F(TextFitMain, EveryPageAndRowLeavesItsBackgroundToItsPainting) {
  backup_test::files store;
  device_class_info cls{};
  HWND w = make_results(store, cls);
  ASSERT_NE(w, nullptr);
  for (int button = 1; button <= 5; ++button) {
    click_bar(button);
    std::vector<HWND> windows{w};
    EnumChildWindows(w, collect, reinterpret_cast<LPARAM>(&windows));
    for (HWND child : windows) {
      if (!IsWindowVisible(child)) continue;
      wchar_t name[128] = {};
      GetClassNameW(child, name, 128);
      const std::wstring c = name;
      if (c == L"Button" || c == L"Static" || c == L"Edit" || c.rfind(L"Sys", 0) == 0 || c == L"ScrollBar")
        continue;
      // Only a window whose painting covers its client area (a list that leaves its ground to
      // the class brush is not one).
      if (!paints_whole(child)) continue;
      COLORREF after = 0;
      marked(child, [&](HDC dc) {
        SendMessageW(child, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        after = GetPixel(dc, 1, 1);
        return LRESULT(0);
      });
      const std::string where = std::string(c.begin(), c.end()) + " #" + std::to_string(GetDlgCtrlID(child)) +
                                " on button " + std::to_string(button);
      EXPECT_EQ(after, RGB(1, 2, 3)) << where;
    }
  }
}

}  // namespace
