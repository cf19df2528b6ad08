#include "beamcam/clipboard_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The clipboard is one per session, so these tests run alone.
class Clipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window_);
  }
  void TearDown() override { DestroyWindow(window_); }

  static void put_unicode(const wchar_t* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL m = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(m), text, bytes);
    GlobalUnlock(m);
    SetClipboardData(CF_UNICODETEXT, m);
    CloseClipboard();
  }

  static std::string text_of(UINT format) {
    std::string out;
    if (!OpenClipboard(nullptr)) return "(not open)";
    if (HANDLE h = GetClipboardData(format)) {
      if (format == CF_UNICODETEXT) {
        const wchar_t* w = static_cast<const wchar_t*>(GlobalLock(h));
        for (; w && *w; ++w) out += char(*w);
      } else {
        out = static_cast<const char*>(GlobalLock(h));
      }
      GlobalUnlock(h);
    }
    CloseClipboard();
    return out;
  }

  HWND window_ = nullptr;
};

TEST_F(Clipboard, ReplacesEarlierTextInEveryTextFormat) {
  put_unicode(L"earlier");
  window_clipboard_c clipboard(window_);
  clipboard.CopyTextToClipboard("0 765 200 150 200 150 4 6");
  EXPECT_EQ(text_of(CF_TEXT), "0 765 200 150 200 150 4 6");
  EXPECT_EQ(text_of(CF_UNICODETEXT), "0 765 200 150 200 150 4 6");
}

DWORD WINAPI hold_clipboard(void* events) {
  HANDLE* e = static_cast<HANDLE*>(events);
  OpenClipboard(nullptr);
  SetEvent(e[0]);
  WaitForSingleObject(e[1], 10000);
  CloseClipboard();
  return 0;
}

TEST_F(Clipboard, LeavesAClipboardHeldElsewhereAlone) {
  put_unicode(L"earlier");
  HANDLE events[2] = {CreateEventW(nullptr, TRUE, FALSE, nullptr), CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  HANDLE holder = CreateThread(nullptr, 0, hold_clipboard, events, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(events[0], 10000), WAIT_OBJECT_0);
  window_clipboard_c clipboard(window_);
  clipboard.CopyTextToClipboard("1 2 3 4 5 6 7 8");
  SetEvent(events[1]);
  WaitForSingleObject(holder, 10000);
  CloseHandle(holder);
  CloseHandle(events[0]);
  CloseHandle(events[1]);
  EXPECT_EQ(text_of(CF_UNICODETEXT), "earlier");
}

}  // namespace
