// Windows tests only: a main window of this process against the stand-in service with an
// empty catalog, and the helpers to look into its modal dialogs and take screenshots.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/app_window.h"
#include "engine/device_store.h"
#include "engine/settings.h"
#include "tests/support/gui_driver.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace main_window_test {

// Calls `on_dialog` from a timer (modal loops run our timers too) with the first visible
// dialog of this thread titled `title`, until it returns true.
struct dialog_watch {
  static dialog_watch*& current() {
    static dialog_watch* w = nullptr;
    return w;
  }
  std::wstring title;
  std::function<bool(HWND)> on_dialog;
  bool done = false;
  bool busy = false;  // on_dialog may pump messages, this timer's among them
  UINT_PTR timer = 0;

  dialog_watch(const wchar_t* t, std::function<bool(HWND)> f) : title(t), on_dialog(std::move(f)) {
    current() = this;
    timer = SetTimer(nullptr, 0, 30, tick);
  }
  ~dialog_watch() {
    KillTimer(nullptr, timer);
    current() = nullptr;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    dialog_watch* w = current();
    if (!w || w->done || w->busy) return;
    HWND d = gui::find_window(L"#32770", w->title.c_str());
    if (!d || !IsWindowVisible(d)) return;
    w->busy = true;
    if (w->on_dialog(d)) w->done = true;
    w->busy = false;
  }
};

// A screenshot of the screen's part under `window` into VANTORIL_SCREENSHOT_DIR when set.
inline void shot(HWND window, const char* name) {
  wchar_t dir[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  gui::save_screen_bmp(window, (std::filesystem::path(dir) / (std::string(name) + ".bmp")).wstring());
}

inline void ignore_url(const char16_t*, void*) {}
inline int answer_ok(void*, int, const char16_t*) { return 1; }
inline int answer_cancel(void*, int, const char16_t*) { return 2; }
inline bool no_version_check(int, void*) { return true; }
inline bool no_autorun() { return true; }
// Seams that keep a main window from the network, the shell and the log-on entry; its questions
// are answered No.
// The program's defaults with the version check and the autorun question off.
inline void quiet_settings() {
  set_default_settings();
  app_settings.CheckVersion = 0;
  app_settings.Autorun = 0;
}

inline main_window_c::seams quiet_seams() {
  main_window_c::seams s;
  s.open_url = ignore_url;
  s.show_message = answer_cancel;
  s.start_version_check = no_version_check;
  s.apply_autorun = no_autorun;
  return s;
}

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    load_language(u"en");
    create_ui_fonts("en", 61);
    create_brushes();
    create_device_store();
    keep_loopback_off_proxies();
    service_ = new stand_in_service;  // an empty catalog: scans end with no drivers
  }
  static void TearDownTestSuite() {
    delete service_;
    service_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(service_->running());
    service_->use_for_endpoints();
    quiet_settings();
  }
  void TearDown() override {
    window_.reset();
    gui::drop_quit_message();
  }
  HWND make() {
    main_window_c::seams s = quiet_seams();
    s.show_message = answer_ok;
    s.scan.dialog = answer_cancel;
    if (device_scan_) s.scan.device_scan = device_scan_;
    s.work_wait_ms = 5000;
    window_ = std::make_unique<main_window_c>(s);
    HWND w = window_->create_window();
    if (w) {
      SetWindowPos(w, HWND_TOP, 200, 150, 0, 0, SWP_NOSIZE);
      ShowWindow(w, SW_SHOW);
    }
    gui::pump_for(50);
    return w;
  }

  std::unique_ptr<main_window_c> window_;
  task_callback device_scan_ = nullptr;  // the scan page's device scan when set
  static inline stand_in_service* service_ = nullptr;
};

}  // namespace main_window_test
