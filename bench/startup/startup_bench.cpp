// startup_bench: the time from a program's process creation to its main window's first paint,
// observed from outside the program (nothing in the program is hooked or changed).
//   startup_bench RUNS PROGRAM.exe [PROGRAM.exe ...]
// Each program is started RUNS times with CreateProcessW in its own folder, the programs in
// turn (run 1 of each, then run 2 of each, ...), so that they share the machine's load. A run's
// clock starts at the process's creation time (GetProcessTimes, which under Wine is taken by
// the server when the process is made, before any of its code runs) and stops when the first
// visible top-level window of the process, with all its visible child windows, has no update
// region left (GetUpdateRect polled every millisecond): every window of it has been painted
// once. The run then ends the program through its menu's Exit command (WM_COMMAND 40018, which
// startup_blank takes too) and waits for it to end and for the single-instance mutex "Vantoril"
// to go before the next start.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr WPARAM exit_command = 40018;
constexpr DWORD window_timeout_ms = 30000;
constexpr DWORD exit_timeout_ms = 30000;

using precise_time_fn = void(WINAPI*)(FILETIME*);

ULONGLONG ticks_of(const FILETIME& t) {
  return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// The system time in 100 ns units, as precise as the system gives it.
ULONGLONG now_ticks() {
  static precise_time_fn precise = reinterpret_cast<precise_time_fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  FILETIME t;
  if (precise)
    precise(&t);
  else
    GetSystemTimeAsFileTime(&t);
  return ticks_of(t);
}

double ms_between(ULONGLONG from, ULONGLONG to) { return to > from ? (to - from) / 10000.0 : 0.0; }

struct window_search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK find_visible_window(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<window_search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

// The first visible top-level window of the process, or null.
HWND visible_window_of(DWORD process) {
  window_search search = {process, nullptr};
  EnumWindows(find_visible_window, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK find_unpainted_child(HWND child, LPARAM param) {
  if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(param) = true;
    return FALSE;
  }
  return TRUE;
}

// The window and every visible window inside it have been painted since they were last
// invalidated.
bool fully_painted(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE)) return false;
  bool unpainted = false;
  EnumChildWindows(window, find_unpainted_child, reinterpret_cast<LPARAM>(&unpainted));
  return !unpainted;
}

// Waits until no instance holds the single-instance mutex; false after the timeout.
bool wait_for_no_instance(DWORD timeout_ms) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 10) {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Vantoril");
    if (!mutex) return true;
    CloseHandle(mutex);
    Sleep(10);
  }
  return false;
}

struct run_result {
  bool ok = false;
  double visible_ms = 0;  // creation to the window's showing
  double painted_ms = 0;  // creation to the first paint of the window and its children
  double call_ms = 0;     // the same from just before the CreateProcessW call
};

run_result run_once(const std::wstring& program) {
  run_result r;
  std::wstring folder = program.substr(0, program.find_last_of(L"\\/") + 1);
  std::wstring command = L"\"" + program + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ULONGLONG before_call = now_ticks();
  if (!CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
    std::fprintf(stderr, "startup_bench: cannot start %ls (error %lu)\n", program.c_str(),
                 GetLastError());
    return r;
  }
  FILETIME created, exited, kernel, user;
  GetProcessTimes(pi.hProcess, &created, &exited, &kernel, &user);
  ULONGLONG start = ticks_of(created);

  HWND window = nullptr;
  ULONGLONG visible_at = 0, painted_at = 0;
  ULONGLONG deadline = now_ticks() + window_timeout_ms * 10000ULL;
  while (!painted_at && now_ticks() < deadline) {
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    if (!window) {
      window = visible_window_of(pi.dwProcessId);
      if (window) visible_at = now_ticks();
    }
    if (window && fully_painted(window)) painted_at = now_ticks();
    if (!painted_at) Sleep(1);
  }
  if (painted_at) {
    r.ok = true;
    r.visible_ms = ms_between(start, visible_at);
    r.painted_ms = ms_between(start, painted_at);
    r.call_ms = ms_between(before_call, painted_at);
  } else {
    std::fprintf(stderr, "startup_bench: %ls showed no painted window\n", program.c_str());
  }

  if (window) PostMessageW(window, WM_COMMAND, exit_command, 0);
  if (WaitForSingleObject(pi.hProcess, exit_timeout_ms) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "startup_bench: %ls did not end after Exit; terminated\n", program.c_str());
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, exit_timeout_ms);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  wait_for_no_instance(exit_timeout_ms);
  return r;
}

double median_of(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double min_of(const std::vector<double>& v) {
  return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

double max_of(const std::vector<double>& v) {
  return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_bench RUNS PROGRAM.exe [PROGRAM.exe ...]\n");
    return 2;
  }
  int runs = std::max(1, _wtoi(argv[1]));
  std::vector<std::wstring> programs(argv + 2, argv + argc);
  struct figures {
    std::vector<double> visible, painted, call;
    int failed = 0;
  };
  std::vector<figures> all(programs.size());
  if (!wait_for_no_instance(exit_timeout_ms)) {
    std::fprintf(stderr, "startup_bench: another instance keeps running\n");
    return 1;
  }
  for (int run = 1; run <= runs; ++run) {
    for (size_t p = 0; p < programs.size(); ++p) {
      run_result r = run_once(programs[p]);
      if (!r.ok) {
        ++all[p].failed;
        continue;
      }
      all[p].visible.push_back(r.visible_ms);
      all[p].painted.push_back(r.painted_ms);
      all[p].call.push_back(r.call_ms);
      std::printf("run %2d  program %zu  shown %7.1f ms  painted %7.1f ms  (from the call %7.1f ms)\n",
                  run, p + 1, r.visible_ms, r.painted_ms, r.call_ms);
      std::fflush(stdout);
    }
  }
  std::printf("\nprocess creation to first paint, %d runs each, interleaved\n", runs);
  for (size_t p = 0; p < programs.size(); ++p) {
    const figures& f = all[p];
    std::printf("program %zu  %ls\n", p + 1, programs[p].c_str());
    std::printf("  painted: median %7.1f ms  min %7.1f ms  max %7.1f ms\n", median_of(f.painted),
                min_of(f.painted), max_of(f.painted));
    std::printf("  shown:   median %7.1f ms  min %7.1f ms;  from the call: median %7.1f ms\n",
                median_of(f.visible), min_of(f.visible), median_of(f.call));
    if (f.failed) std::printf("  %d run(s) failed\n", f.failed);
  }
  int failed = 0;
  for (const figures& f : all) failed += f.failed;
  return failed ? 1 : 0;
}
