// Vantoril's start-up and shutdown: one instance at a time, the engine's process-wide state,
// the main window and its message loop.
#include "app/process_entry.h"

#include <shellapi.h>

#include <memory>

#include "app/app_window.h"
#include "base/text.h"
#include "base/wide.h"
#include "engine/device_store.h"
#include "engine/driver_store.h"
#include "engine/job_ui_bindings.h"
#include "engine/settings.h"
#include "engine/system_facts.h"
#include "engine/worker_task.h"
#include "framework/message_loop.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace {

// Set when a quit left a worker running past its wait: the engine state it uses stays.
bool engine_state_in_use = false;

// A thread's timer message comes only when none of the thread's windows waits for its paint:
// the machine's facts are read from then on, so that their read never delays the first paint.
void CALLBACK start_facts_after_paint(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  start_wmi_facts();
}

}  // namespace

std::vector<std::u16string> program_arguments() {
  std::vector<std::u16string> out;
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!list) return out;
  for (int i = 0; i < count; ++i) out.emplace_back(as_u16(list[i]));
  LocalFree(list);
  return out;
}

start_switch program_start_switch() { return read_start_switch(program_arguments()); }

BOOL CALLBACK find_main_window_proc(HWND window, LPARAM out) {
  // The class first: any other window may bear the product's name as its title (a folder of
  // that name in Explorer, one of our own message dialogs).
  wchar_t class_name[64] = {};
  GetClassNameW(window, class_name, 64);
  if (lstrcmpW(class_name, main_window_class) != 0) return TRUE;
  wchar_t title[260] = {};
  GetWindowTextW(window, title, 260);
  if (!equal_ci(as_u16(title), as_u16(product_title))) return TRUE;
  *reinterpret_cast<HWND*>(out) = window;
  return FALSE;
}

bool activate_running_instance(WPARAM wparam, UINT timeout_ms) {
  HWND found = nullptr;
  EnumWindows(find_main_window_proc, reinterpret_cast<LPARAM>(&found));
  if (!found) return false;
  // The running instance may take the foreground from this one, which the user just started.
  DWORD process = 0;
  GetWindowThreadProcessId(found, &process);
  if (process) AllowSetForegroundWindow(process);
  // A hung first instance must not hang every later start.
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(found, WM_APP_ACTIVATE, wparam, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             timeout_ms, &answer) != 0;
}

int ensure_single_instance() {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, product_title);
  if (!mutex || GetLastError() != ERROR_ALREADY_EXISTS) return 0;  // kept open for the process
  activate_running_instance(program_start_switch() == start_switch::autoscan ? 1 : 0,
                            activate_timeout_ms);
  ReleaseMutex(mutex);
  return -1;
}

int init_application(bool (*system_facts)(), int (*show_failure)(const wchar_t* text)) {
  wchar_t path[260] = {};
  DWORD length = GetModuleFileNameW(nullptr, path, 260);
  if (length > 0 && length < 260) {
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash) {
      *slash = 0;
      SetCurrentDirectoryW(path);
    }
  }
  // The WMI facts come later, once the main window has painted (run_main_window).
  if (!system_facts()) {
    wchar_t text[256];
    wsprintfW(text, L"Application initialization failed, error code: %d.", 1);
    show_failure(text);
    return -1;
  }
  load_settings();
  load_language(app_settings.Language);
  // The faces follow the language the texts were loaded in, whatever the stored value's case.
  create_ui_fonts(static_cast<int>(os_version_number()));
  // The jobs' messages: the program's own dialog, in the loaded language.
  bind_job_ui();
  create_brushes();
  create_pens();
  create_device_store();
  init_driver_store();
  return 0;
}

int show_init_failure(const wchar_t* text) {
  return MessageBoxW(nullptr, text, product_title, MB_ICONERROR);
}

int init_application() { return init_application(init_system_info, show_init_failure); }

int run_main_window(int show_command) {
  auto loop = std::make_unique<message_loop_c>();
  app_module().add_message_loop(loop.get());
  // The WMI facts (a second's work on some systems) are read on a worker once the window has
  // painted; from here on their readers wait for them, or show none meanwhile.
  wmi_facts_begin();
  auto main = std::make_unique<main_window_c>();
  start_switch start = program_start_switch();
  if (!main->create_window(start)) {
    main.reset();
    app_module().remove_message_loop();
    wmi_facts_end();
    return -1;
  }
  if (start != start_switch::autorun) ShowWindow(main->handle(), show_command);
  if (!SetTimer(nullptr, 0, 0, start_facts_after_paint)) start_wmi_facts();
  int result = loop->run();
  app_module().remove_message_loop();
  engine_state_in_use = main->work_left_running() || worker_task_c::live_threads() > 0;
  // A worker still running writes into the pages' records: they stay for the process's end.
  if (engine_state_in_use)
    static_cast<void>(main.release());
  else
    main.reset();
  return result;
}

bool may_free_engine_state() { return !engine_state_in_use && worker_task_c::live_threads() == 0; }

void shutdown_application() {
  // A worker still running after the quit's wait keeps the store and the HTTP library; the
  // system frees them with the process.
  if (may_free_engine_state()) destroy_device_store();
  CoUninitialize();
}
