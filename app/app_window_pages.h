// Windows only: the pages the main window shows. Pages that are not built yet stand here as
// plain child windows with their name, so that the main window runs and can be tested.
#pragma once

#include <windows.h>

#include "framework/window.h"

// A page still to come: a white child window that names itself.
class page_stand_in_c : public window_impl<page_stand_in_c> {
 public:
  HWND owner = nullptr;  // the receiver of the page's messages
  const wchar_t* label = L"";

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
};

// Stand-ins with the interface the main window uses.
class sidebar_window_c : public page_stand_in_c {
 public:
  int results_available = 0;
  int selected = 1;
  int select(int number) {
    if (number == selected) return -1;
    selected = number;
    return 0;
  }
  int enable(BOOL flag) {
    EnableWindow(handle(), flag);
    return 7;
  }
};
class home_window_c : public page_stand_in_c {};
class scan_window_c : public page_stand_in_c {
 public:
  int phase = 0;
  void start_scan() {}
  bool work_running() { return false; }
  void stop_work() {}
};

#include <shellapi.h>

// The notification-area icon: added, removed, and a left click shows or hides the window.
template <class T>
class CTrayIconImpl {
 public:
  UINT tray_message = RegisterWindowMessageW(L"WM_TRAYICON");
  NOTIFYICONDATAW icon_data = {};
  bool installed = false;

  bool install_icon(HICON icon) {
    icon_data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    icon_data.hWnd = static_cast<T*>(this)->handle();
    icon_data.uID = 201;
    icon_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon_data.uCallbackMessage = tray_message;
    icon_data.hIcon = icon;
    lstrcpynW(icon_data.szTip, L"Vantoril", 128);
    installed = Shell_NotifyIconW(NIM_ADD, &icon_data) != FALSE;
    return installed;
  }
  void remove_icon() {
    if (!installed) return;
    icon_data.uFlags = 0;
    Shell_NotifyIconW(NIM_DELETE, &icon_data);
  }
  LRESULT on_tray_icon(WPARAM, LPARAM lparam) {
    HWND window = static_cast<T*>(this)->handle();
    if (lparam == WM_LBUTTONUP) {
      if (IsWindowVisible(window)) {
        ShowWindow(window, SW_HIDE);
      } else {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
      }
    }
    return 0;
  }
};
