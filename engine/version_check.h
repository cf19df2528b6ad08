// The check for a newer published version of the program: the version file on service host 1
// names the newest version and its download link; the main window is told by a message.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "engine/version_compare.h"
#include "widgets/app_messages.h"

struct version_info {
  std::string version;
  std::string link;
};

// Set by the last successful check, under published_version_lock. A reader takes the lock only
// to copy them (the main window keeps its own copy); no one holds it across a message.
extern std::string& published_version;
extern std::string& published_version_link;
extern std::mutex& published_version_lock;
// Both texts as they stand, copied under the lock.
version_info published_version_copy();

// True when both "version" and "link" were read and the link is an http:// or https:// one;
// the version is filled even when the link is missing.
bool parse_version_info(const char* text, version_info& info);

// One check's work, apart from the window it reports to.
struct version_check_job {
  int flag = 0;                 // 0 at start-up, 1 when the user asked
  void* window = nullptr;       // the main window (HWND)
  // Delivers the message synchronously; the platform's SendMessageW.
  void (*notify)(void* window, unsigned message) = nullptr;
};
// Waits 3000 ms, fetches and reads the version file, publishes it and sends
// WM_APP_VERSION_RESULT (flag 1) or WM_APP_SHOW_UPDATE_LINK (flag 0), wParam and lParam 0.
// 0 after a message was sent, -1 otherwise.
int32_t run_version_check(const version_check_job& job);

// Starts a check on its own worker task and lets it go; true.
bool start_version_job(int flag, void* window, void (*notify)(void* window, unsigned message));
// The same, reporting to the main window with SendMessageW (Windows).
bool start_version_check(int flag, void* main_window);
int32_t version_check_thread(void* job);
