// Windows only: Vantoril's start-up and shutdown around the main window, in the order
// wWinMain calls them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/command_line.h"

// The program's own command line, split as CommandLineToArgvW splits it.
std::vector<std::u16string> program_arguments();
start_switch program_start_switch();

// 0 to go on as the first instance; -1 when another instance runs (it has been activated).
int ensure_single_instance();
// Finds the running main window and sends it WM_APP_ACTIVATE with `wparam`, waiting at most
// `timeout_ms` for it; true when it answered.
bool activate_running_instance(WPARAM wparam, UINT timeout_ms = 5000);
// EnumWindows callback: the first top-level window of the main window's class with the
// product's title; `out` is a HWND*.
BOOL CALLBACK find_main_window_proc(HWND window, LPARAM out);

// The engine's process-wide state; 0, or -1 after the failure message.
int init_application();
// The same with the system-facts step and the failure message given.
int init_application(bool (*system_facts)(), int (*show_failure)(const wchar_t* text));
// The main window and the message loop; the loop's result, or -1 without a window.
int run_main_window(int show_command);
// Frees the engine's state and the HTTP library, unless a worker thread still runs (a quit's
// bounded wait left it): what it uses then stays for the process's end.
void shutdown_application();
// Whether shutdown_application would free them now.
bool may_free_engine_state();

// How long the second start waits for the running instance.
constexpr UINT activate_timeout_ms = 5000;
