// The platform's threads as the worker tasks use them: start, test without waiting, wait, close.
#pragma once

// Thread routines use the platform's calling convention for threads.
#if defined(_WIN32)
#define THREAD_CALL __stdcall
#else
#define THREAD_CALL
#endif

using thread_handle = void*;
using thread_routine = unsigned(THREAD_CALL*)(void* parameter);

// Starts a thread with the default stack size; null when it cannot be started.
thread_handle start_thread(thread_routine routine, void* parameter);
// True once the thread has ended (a zero time-out wait).
bool thread_has_ended(thread_handle thread);
void wait_for_thread(thread_handle thread);
void close_thread(thread_handle thread);
