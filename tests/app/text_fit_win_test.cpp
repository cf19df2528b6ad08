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

// The Japanese texts that the dialogs wrap, at the dialogs' own widths: every message the
// message dialog shows, the wait dialogs' lines and the about box's text break where Japanese
// readers expect.
TEST(TextFit, JapaneseDialogTextsBreakWhereJapaneseReadersExpect) {
  text_fit::recorder record;
  ui_setup ui("ja");
  gui::recording_window owner;
  // Runs a dialog, takes the lines in which it drew `text` and checks them.
  auto check = [](const std::string& where, const std::u16string& text, const std::function<void()>& run,
                  const std::function<void(HWND)>& end) {
    std::vector<std::wstring> lines;
    text_fit::modal_check seen({}, [&](HWND d) {
      lines = text_fit::lines_of(text_fit::texts_of(d), std::wstring(text.begin(), text.end()));
      end(d);
    });
    run();
    ASSERT_TRUE(seen.seen) << where;
    ASSERT_FALSE(lines.empty()) << where << " drew no lines of its text";
    auto faults = text_fit::line_break_faults(lines);
    EXPECT_TRUE(faults.empty()) << where << text_fit::describe(faults);
  };
  for (const char* key :
       {"version_up_to_date", "uninstall_finished", "download_no_driver_selected", "backup_no_driver",
        "settings_invalid_download", "settings_invalid_backup", "download_setup_require", "backup_failed",
        "backup_success", "quit_confirm", "quit_confirm_scan", "quit_confirm_install", "quit_confirm_uninstall",
        "quit_confirm_restore", "quit_confirm_backup", "download_delete_confirm", "download_exclusion_confirm",
        "download_all_warning", "download_auto_backup_query", "download_setup_warning", "settings_remove_query",
        "settings_schedule_failed", "settings_download_warning", "restore_delete_confirm", "restore_delete_failed",
        "restore_failed", "version_new_version", "manually_install_notify", "uninstall_not_started",
        "download_folder_too_long", "download_not_started", "download_md5_mismatch",
        "download_install_not_started", "error_invalid_data", "error_network_error", "error_network_timeout",
        "error_internal_error", "error_on_compress", "error_on_decompress", "error_on_nothing"}) {
    const std::u16string text = get_text(key);
    ASSERT_FALSE(text.empty()) << key;
    check(std::string("message ") + key, text, [&] { show_message_window(owner.handle(), 3, text.c_str()); },
          [](HWND d) { PostMessageW(d, WM_COMMAND, 2, 0); });
  }
  struct wait_case {
    const char* name;
    const char* key;
    std::function<void(worker_task_c&, backup_job&)> run;
  } waits[] = {
      {"install", "progress_install_wait",
       [](worker_task_c& t, backup_job&) { setup_progress_window_c(&t, u"Vantoril").DoModal(nullptr); }},
      {"restore", "progress_restore_wait",
       [](worker_task_c& t, backup_job&) { restore_progress_window_c(&t, u"Vantoril").DoModal(nullptr); }},
      {"backup", "progress_backup_wait",
       [](worker_task_c& t, backup_job& j) { backup_progress_window_c(&t, &j, u"Vantoril").DoModal(nullptr); }},
  };
  for (const auto& c : waits) {
    ResetEvent(release_event());
    backup_job job;
    worker_task_c task(wait_for_release, nullptr);
    ASSERT_TRUE(task.start());
    check(std::string("wait dialog ") + c.name, get_text(c.key), [&] { c.run(task, job); },
          [](HWND) { SetEvent(release_event()); });
    SetEvent(release_event());
  }
  check("about box", get_text("about_text1"), [&] { show_about_dialog(owner.handle()); },
        [](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
}

BOOL CALLBACK add_child(HWND w, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

// The lines in which `window` or one of its children drew `text`.
std::vector<std::wstring> lines_in(HWND window, const std::u16string& text) {
  std::vector<HWND> windows{window};
  EnumChildWindows(window, add_child, reinterpret_cast<LPARAM>(&windows));
  for (HWND w : windows) {
    if (!IsWindowVisible(w)) continue;
    auto lines = text_fit::lines_of(text_fit::texts_of(w), std::wstring(text.begin(), text.end()));
    if (!lines.empty()) return lines;
  }
  return {};
}

// The preferences' check box and radio captions, which wrap when longer than their line.
TEST(TextFit, JapanesePreferenceCaptionsBreakWhereJapaneseReadersExpect) {
  text_fit::recorder record;
  settings_dialog_fixture f(u"ja");
  f.open();
  std::vector<std::string> keys = {"settings_setting1", "settings_setting2", "settings_setting3",
                                   "settings_setting4", "settings_setting5", "settings_setting6",
                                   "settings_setting7", "settings_no_proxy",  "settings_use_ie",
                                   "settings_use_http", "settings_use_socks5", "settings_enable_sche_scan"};
  for (int page = 0; page < 5 && !keys.empty(); ++page) {
    f.tab(page);
    for (auto k = keys.begin(); k != keys.end();) {
      auto lines = lines_in(f.window, get_text(k->c_str()));
      if (lines.empty()) {
        ++k;
        continue;
      }
      auto faults = text_fit::line_break_faults(lines);
      EXPECT_TRUE(faults.empty()) << *k << text_fit::describe(faults);
      k = keys.erase(k);
    }
  }
  for (const std::string& k : keys) ADD_FAILURE() << k << " was drawn on no page";
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
