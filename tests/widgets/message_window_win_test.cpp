#include "widgets/message_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/gui_driver.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace {

struct ui_for_test {
  ui_for_test() {
    load_language(u"en");
    create_ui_fonts("en", 61);
    create_brushes();
  }
  ~ui_for_test() { delete_ui_objects(); }
};

// A top-level window of this (the user-interface) thread.
struct owner_window {
  owner_window() {
    window = CreateWindowExW(0, L"STATIC", L"Owner", WS_POPUP | WS_VISIBLE, 600, 500, 300, 200,
                             nullptr, nullptr, nullptr, nullptr);
  }
  ~owner_window() { DestroyWindow(window); }
  HWND window;
};

struct seen_dialog {
  bool found = false;
  bool owner_disabled = false;
  HWND owner_of_dialog = nullptr;
  bool second_visible = false;
  std::wstring first_caption, second_caption;
  bool icon_drawn = false;
};

// Runs the dialog on a worker thread over `owner`, which this thread keeps serving; once the
// dialog shows, records what it shows and lets `act` end it. The dialog's result.
int run_on_worker(HWND owner, int type, const char16_t* text, seen_dialog& seen,
                  const std::function<void(HWND dialog)>& act) {
  std::atomic<int> result{0};
  std::atomic<DWORD> worker_id{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    worker_id = GetCurrentThreadId();
    result = show_message_window(owner, type, text);
    done = true;
  });
  HWND dialog = nullptr;
  const bool shown = gui::pump_until([&] {
    if (worker_id) dialog = gui::find_thread_window(worker_id, L"#32770");
    return dialog && IsWindowVisible(dialog);
  });
  if (shown) {
    gui::pump_for(100);
    seen.found = true;
    seen.owner_disabled = !IsWindowEnabled(owner);
    seen.owner_of_dialog = GetWindow(dialog, GW_OWNER);
    seen.first_caption = gui::window_text(GetDlgItem(dialog, 1));
    seen.second_caption = gui::window_text(GetDlgItem(dialog, 2));
    seen.second_visible = IsWindowVisible(GetDlgItem(dialog, 2)) != FALSE;
    {
      rendered r(dialog);
      // The band's gradient is the same along a row: any other colour in the icon's
      // square is the icon.
      for (int y = 50; y < 90; ++y)
        for (int x = 20; x < 60; ++x)
          if (r.at(x, y) != r.at(70, y)) seen.icon_drawn = true;
    }
    if (const char* hold = std::getenv("VANTORIL_MESSAGE_HOLD_MS")) gui::pump_for(DWORD(std::atoi(hold)));
    act(dialog);
  }
  // The worker's dialog sends to the owner (enabling it again), so this thread keeps serving.
  gui::pump_until([&] { return done.load(); }, 60000);
  worker.join();
  return result;
}

void click_control(HWND dialog, int id) { gui::click_at(GetDlgItem(dialog, id), 5, 5); }

void click_close(HWND dialog) { gui::click_at(dialog, gui::client_rect(dialog).right - 6, 6); }

// Keys go to the first button, which has the focus.
void press_key(HWND dialog, UINT key) { gui::press_key(GetDlgItem(dialog, 1), key); }

// Each type's buttons and icon, and what clicking each button, the close button and the keys
// give, with the dialog on a worker thread modal to this thread's window.
TEST(message_window, each_type_shows_its_buttons_and_each_way_out_gives_its_result) {
  ui_for_test ui;
  owner_window owner;
  struct type_row {
    int type;
    const wchar_t *first, *second;  // second null: hidden
    bool icon;
  } types[] = {
      {0, L"OK", nullptr, true},  {1, L"OK", nullptr, true},  {2, L"OK", nullptr, true},
      {3, L"Yes", L"No", true},   {4, L"Retry", L"Cancel", true}, {7, L"OK", nullptr, false},
  };
  struct way_row {
    const char* name;
    std::function<void(HWND)> act;
    int result;
    bool needs_second;
  } ways[] = {
      {"first button", [](HWND d) { click_control(d, 1); }, 1, false},
      {"second button", [](HWND d) { click_control(d, 2); }, 2, true},
      {"close button", click_close, 2, false},
      {"Enter", [](HWND d) { press_key(d, VK_RETURN); }, 1, false},
      {"Escape", [](HWND d) { press_key(d, VK_ESCAPE); }, 2, false},
  };
  for (const type_row& t : types) {
    for (const way_row& w : ways) {
      if (w.needs_second && !t.second) continue;
      SCOPED_TRACE(testing::Message() << "type " << t.type << ", " << w.name);
      seen_dialog seen;
      int r = run_on_worker(owner.window, t.type, u"Something to tell", seen, w.act);
      ASSERT_TRUE(seen.found);
      EXPECT_EQ(r, w.result);
      EXPECT_TRUE(seen.owner_disabled);
      EXPECT_EQ(seen.owner_of_dialog, owner.window);
      EXPECT_EQ(seen.first_caption, t.first);
      EXPECT_EQ(seen.second_visible, t.second != nullptr);
      if (t.second) {
        EXPECT_EQ(seen.second_caption, t.second);
      }
      EXPECT_EQ(seen.icon_drawn, t.icon);
      EXPECT_TRUE(IsWindowEnabled(owner.window));
    }
  }
}

}  // namespace
