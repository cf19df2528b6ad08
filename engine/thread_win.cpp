#include <windows.h>
#include <process.h>

#include "engine/thread.h"

// _beginthreadex rather than CreateThread: the routines use the C runtime.
thread_handle start_thread(thread_routine routine, void* parameter) {
  uintptr_t h = _beginthreadex(nullptr, 0, routine, parameter, 0, nullptr);
  return reinterpret_cast<thread_handle>(h);
}

bool thread_has_ended(thread_handle thread) {
  return WaitForSingleObject(static_cast<HANDLE>(thread), 0) == WAIT_OBJECT_0;
}

void wait_for_thread(thread_handle thread) { WaitForSingleObject(static_cast<HANDLE>(thread), INFINITE); }

void close_thread(thread_handle thread) { CloseHandle(static_cast<HANDLE>(thread)); }
