// Windows only: the notification-area icon of a window T (T derives from CTrayIconImpl<T> and
// from a window_object_c). A left click hides or shows T, a right click opens the tray menu,
// whose commands reach T as WM_COMMAND. T routes its tray message to on_tray_icon.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>

#include "base/wide.h"
#include "widgets/language.h"
#include "widgets/paint_win.h"

constexpr UINT tray_icon_id = 201;
// The owner's timer that tries again to add an icon the shell refused.
constexpr UINT_PTR tray_retry_timer = 0x7E1;
constexpr UINT tray_retry_ms = 3000;
constexpr int tray_menu_resource = 201;

// The tray menu's commands and the keys of their texts, set at every opening.
struct tray_menu_item {
  UINT command;
  const char* text_key;
};
constexpr tray_menu_item tray_menu_items[5] = {
    {40013, "menu_settings"}, {40019, "menu_check_for_updates"}, {40016, "menu_help"},
    {40018, "menu_exit"},     {40017, "menu_about"},
};

// The Windows XP layout (up to and with guidItem), which every shell since reads.
constexpr DWORD tray_icon_data_size = offsetof(NOTIFYICONDATAW, guidItem) + sizeof(GUID);
static_assert(sizeof(void*) != 4 || tray_icon_data_size == 952, "the XP layout of 32-bit Windows");

using shell_notify_icon_fn = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);

template <class T>
class CTrayIconImpl {
 public:
  UINT tray_message = 0;
  // Broadcast by a shell that (re)starts: every icon it had is gone.
  UINT taskbar_created_message = 0;
  NOTIFYICONDATAW icon_data;
  bool installed = false;
  bool wanted = false;  // install_icon was called and remove_icon not since
  // The shell's call; a test may hand its own to see what reaches the shell.
  shell_notify_icon_fn notify_icon = &Shell_NotifyIconW;

  CTrayIconImpl() {
    tray_message = RegisterWindowMessageW(L"WM_TRAYICON");
    taskbar_created_message = RegisterWindowMessageW(L"TaskbarCreated");
    std::memset(&icon_data, 0, sizeof icon_data);
    icon_data.cbSize = tray_icon_data_size;
  }
  virtual ~CTrayIconImpl() = default;

  // Adds the icon with the product's name as its tip; true when the shell took it.
  bool install_icon(HICON icon) {
    icon_data.hWnd = owner();
    icon_data.uID = tray_icon_id;
    icon_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon_data.uCallbackMessage = tray_message;
    icon_data.hIcon = icon;
    lstrcpynW(icon_data.szTip, L"Vantoril", ARRAYSIZE(icon_data.szTip));
    wanted = true;
    return add_again();
  }

  // The shell's restart and the retry timer: the icon is added anew. True when handled.
  bool process_tray_upkeep(UINT message, WPARAM wparam) {
    if (message == taskbar_created_message && taskbar_created_message != 0) {
      installed = false;
      if (wanted) add_again();
      return true;
    }
    if (message == WM_TIMER && wparam == tray_retry_timer) {
      if (wanted && !installed)
        add_again();
      else
        KillTimer(owner(), tray_retry_timer);
      return true;
    }
    return false;
  }

  void remove_icon() {
    wanted = false;
    if (HWND w = owner()) KillTimer(w, tray_retry_timer);
    if (!installed) return;
    icon_data.uFlags = 0;
    notify_icon(NIM_DELETE, &icon_data);
  }

  // lparam carries the mouse message over the icon.
  LRESULT on_tray_icon(WPARAM, LPARAM lparam) {
    switch (static_cast<UINT>(lparam)) {
      case WM_RBUTTONUP:
        open_menu();
        break;
      case WM_LBUTTONUP:
        if (IsWindowVisible(owner())) {
          ShowWindow(owner(), SW_HIDE);
        } else {
          // A window hidden while minimised would come back as a taskbar button only.
          ShowWindow(owner(), IsIconic(owner()) ? SW_RESTORE : SW_SHOW);
          SetForegroundWindow(owner());
        }
        break;
      default:
        break;
    }
    return 0;
  }

 private:
  HWND owner() { return static_cast<T*>(this)->handle(); }

  // A shell that refuses the icon (not started yet at a hidden start at log-on, busy) is
  // asked again on a timer: without the icon such a start could not be reached at all.
  bool add_again() {
    installed = notify_icon(NIM_ADD, &icon_data) != FALSE;
    if (installed)
      KillTimer(owner(), tray_retry_timer);
    else
      SetTimer(owner(), tray_retry_timer, tray_retry_ms, nullptr);
    return installed;
  }

  void open_menu() {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(tray_menu_resource));
    if (!menu) return;
    HMENU popup = GetSubMenu(menu, 0);
    if (popup) {
      POINT cursor = {0, 0};
      GetCursorPos(&cursor);
      for (const tray_menu_item& item : tray_menu_items)
        ModifyMenuW(popup, item.command, MF_BYCOMMAND | MF_STRING, item.command,
                    as_wide(get_text(item.text_key)));
      int x = clamp_to_monitor(cursor.x, cursor.y);
      HWND window = owner();
      // Without the owner in front the menu would not close when the user clicks elsewhere.
      SetForegroundWindow(window);
      TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, x, cursor.y, 0, window, nullptr);
      PostMessageW(window, WM_NULL, 0, 0);
    }
    DestroyMenu(menu);
  }
};
