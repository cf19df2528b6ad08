// Windows only: the pages the main window shows. Pages that are not built yet stand here as
// plain child windows with their name, so that the main window runs and can be tested.
#pragma once

#include <windows.h>

#include "app/home_page.h"
#include "app/sidebar.h"
#include "framework/window.h"
#include "widgets/tray_icon.h"

// A page still to come: a white child window that names itself.
class page_stand_in_c : public window_impl<page_stand_in_c> {
 public:
  HWND owner = nullptr;  // the receiver of the page's messages
  const wchar_t* label = L"";

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
};

// The scan page still to come, with the interface the main window uses.
class scan_page_stand_in_c : public page_stand_in_c {
 public:
  int phase = 0;
  void start_scan() {}
  bool work_running() { return false; }
  void stop_work() {}
};

