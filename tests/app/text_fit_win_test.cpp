// Every text of every window whole, in English and Japanese with the real fonts: each window
// is laid out with its rows, rendered, and every drawn text measured against the rectangle it
// is drawn into, its window's edges and what lies over it.
#include <gtest/gtest.h>

#include <functional>

#include "app/about_window.h"
#include "app/backup_progress_window_win.h"
#include "app/setup_progress_window_win.h"
#include "engine/thread.h"
#include "tests/app/settings_fixture.h"
#include "tests/app/ui_setup.h"
#include "tests/support/text_fit.h"
#include "widgets/message_window.h"

namespace {

const char16_t* const languages[] = {u"en", u"ja"};

std::string language_name(const char16_t* l) { return l[0] == u'j' ? "ja" : "en"; }
const char* code_of(const char16_t* l) { return l[0] == u'j' ? "ja" : "en"; }

HANDLE& release_event() {
  static HANDLE e = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return e;
}
int32_t wait_for_release(void*) {
  WaitForSingleObject(release_event(), 20000);
  return 0;
}

TEST(TextFit, PreferencesEveryPage) {
  text_fit::recorder record;
  for (const char16_t* language : languages) {
    settings_dialog_fixture f(language);
    f.open();
    for (int page = 0; page < 5; ++page) {
      f.tab(page);
      auto faults = text_fit::check_window(f.window);
      EXPECT_TRUE(faults.empty()) << language_name(language) << " page " << page << text_fit::describe(faults);
      if (const char* dir = std::getenv("TEXT_FIT_SHOTS"))
        gui::save_screen_bmp(f.window, shot_folder(dir) + L"\\prefs-" + std::wstring(language, language + 2) +
                                           L"-" + std::to_wstring(page) + L".bmp");
    }
  }
}

TEST(TextFit, MessageDialogEveryType) {
  text_fit::recorder record;
  for (const char16_t* language : languages) {
    ui_setup ui(code_of(language));
    gui::recording_window owner;
    for (const char* key : {"download_exclusion_confirm", "download_setup_require", "error_network_timeout",
                            "download_auto_backup_query", "error_invalid_data", "download_no_driver_selected",
                            "error_on_nothing", "uninstall_finished", "download_delete_confirm",
                            "settings_schedule_failed", "backup_failed"}) {
      for (int type = 0; type <= 4; ++type) {
        std::u16string text = get_text(key);
        if (std::string(key) == "backup_failed")  // a message longer than the dialog's box
          text = std::u16string(get_text("download_exclusion_confirm")) + u"\n\n" + get_text("error_network_timeout");
        if (text.empty()) continue;
        text_fit::options how;
        how.whole_texts.push_back(std::wstring(text.begin(), text.end()));
        text_fit::modal_check check(how, [](HWND d) { PostMessageW(d, WM_COMMAND, 2, 0); });
        show_message_window(owner.handle(), type, text.c_str());
        EXPECT_TRUE(check.seen);
        EXPECT_TRUE(check.faults.empty()) << language_name(language) << " " << key << " type " << type
                                          << text_fit::describe(check.faults);
      }
    }
  }
}

TEST(TextFit, WaitDialogs) {
  text_fit::recorder record;
  for (const char16_t* language : languages) {
    ui_setup ui(code_of(language));
    struct wait_case {
      const char* name;
      std::function<void(worker_task_c&, backup_job&)> run;
    } cases[] = {
        {"install", [](worker_task_c& t, backup_job&) { setup_progress_window_c(&t, u"Vantoril").DoModal(nullptr); }},
        {"restore", [](worker_task_c& t, backup_job&) { restore_progress_window_c(&t, u"Vantoril").DoModal(nullptr); }},
        {"backup", [](worker_task_c& t, backup_job& j) { backup_progress_window_c(&t, &j, u"Vantoril").DoModal(nullptr); }},
    };
    for (const auto& c : cases) {
      ResetEvent(release_event());
      backup_job job;
      worker_task_c task(wait_for_release, nullptr);
      ASSERT_TRUE(task.start());
      text_fit::modal_check check({}, [](HWND) { SetEvent(release_event()); });
      c.run(task, job);
      SetEvent(release_event());
      EXPECT_TRUE(check.seen) << c.name;
      EXPECT_TRUE(check.faults.empty()) << language_name(language) << " " << c.name << text_fit::describe(check.faults);
    }
  }
}

TEST(TextFit, AboutDialog) {
  text_fit::recorder record;
  for (const char16_t* language : languages) {
    ui_setup ui(code_of(language));
    gui::recording_window owner;
    text_fit::modal_check check({}, [](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
    show_about_dialog(owner.handle());
    EXPECT_TRUE(check.seen);
    EXPECT_TRUE(check.faults.empty()) << language_name(language) << text_fit::describe(check.faults);
  }
}

}  // namespace
