// curl.h brings winsock2.h, which must come before windows.h.
#include <curl/curl.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "engine/documents.h"
#include "engine/net_client.h"
#include "engine/version_check.h"
#include "tests/support/gui_driver.h"
#include "tests/support/service_launcher.h"

namespace {

// The test window stands in for the main window: it reads the texts while the check waits.
UINT received_message = 0;
std::string received_version;

LRESULT CALLBACK test_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP_VERSION_RESULT || msg == WM_APP_SHOW_UPDATE_LINK) {
    received_message = msg;
    received_version = published_version;
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void no_sleep(uint32_t) {}

TEST(VersionCheckWindow, NewerVersionArrivesAsAMessageToTheWindow) {
  stand_in_service service({}, R"({"version": {"version": "8.5.2", "link": "http://dl.example/v.exe"}})");
  ASSERT_TRUE(service.running());
  service.use_for_endpoints();
  WNDCLASSW wc = {};
  wc.lpfnWndProc = test_window_proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VersionCheckTestWindow";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  curl_global_init(CURL_GLOBAL_ALL);
  auto saved = net_sleep;
  net_sleep = no_sleep;
  ASSERT_TRUE(start_version_check(1, window));
  // The message is sent from the check's thread: this thread must keep taking messages.
  gui::pump_until([] { return received_message != 0; }, 30000);
  net_sleep = saved;
  curl_global_cleanup();
  DestroyWindow(window);
  EXPECT_EQ(received_message, UINT(WM_APP_VERSION_RESULT));
  EXPECT_EQ(received_version, "8.5.2");
  EXPECT_TRUE(compare_versions(received_version.c_str(), program_version));
}

}  // namespace
