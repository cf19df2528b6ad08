// Windows only, tests: the preferences dialog opened modeless over a stand-in main window, so
// that the test's own loop drives it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/settings_window.h"
#include "engine/settings.h"
#include "framework/window.h"
#include "tests/support/gui_driver.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

// Counts what the dialog tells the main window.
struct stand_in_main : window_impl<stand_in_main> {
  int redraws = 0;
  int folder_changes = 0;
  bool process_window_message(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override {
    if (message == WM_APP_REDRAW_ALL) ++redraws;
    else if (message == WM_APP_DOWNLOAD_DIR_CHANGED) ++folder_changes;
    else return false;
    result = 0;
    return true;
  }
};

struct settings_dialog_fixture {
  stand_in_main main;
  preferences_report report;
  std::unique_ptr<settings_window_c> dialog;
  HWND window = nullptr;

  explicit settings_dialog_fixture(const char16_t* language = u"en") {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    load_language(language);
    create_ui_fonts(std::string(language[0] == u'j' ? "ja" : "en"), 61);
    create_brushes();
    RECT area = {200, 150, 1000, 750};
    main.create(nullptr, area, L"Vantoril", WS_POPUP | WS_VISIBLE);
  }
  ~settings_dialog_fixture() {
    close();
    main.destroy_window();
    gui::pump_for(10);
    delete_ui_objects();
  }
  void open() {
    dialog = std::make_unique<settings_window_c>(report);
    window = dialog->create_dialog(main, preferences_dialog_resource);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    gui::pump_for(30);
  }
  void close() {
    if (dialog && window && IsWindow(window)) DestroyWindow(window);
    gui::pump_for(10);
    dialog.reset();
    window = nullptr;
  }
  void click(const button_c<settings_window_c>* item) {
    RECT r = item->get_rect();
    gui::click_at(window, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    gui::pump_for(30);
  }
  void tab(int page) {
    gui::click_at(window, 15 + 60, 43 + 43 * page + 14);
    gui::pump_for(40);
  }
  button_c<settings_window_c>* item(pref_control id) { return dialog->drawn[static_cast<size_t>(id)]; }
  HWND control(int id) { return GetDlgItem(window, id); }
  // Screenshots to look at, taken from the screen (child windows included) into the folder
  // named by VANTORIL_SCREENSHOTS.
  void screenshot(const std::wstring& name) {
    const char* folder = std::getenv("VANTORIL_SCREENSHOTS");
    if (!folder) return;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    gui::pump_for(60);
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    int row = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + DWORD(row * h);
    std::string f(folder);
    std::wstring path = std::wstring(f.begin(), f.end()) + L"\\" + name + L".bmp";
    if (FILE* out = _wfopen(path.c_str(), L"wb")) {
      fwrite(&file, sizeof file, 1, out);
      fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
      fwrite(bits, 1, size_t(row * h), out);
      fclose(out);
    }
    DeleteObject(bitmap);
  }
};
