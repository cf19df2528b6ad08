#include "framework/message_loop.h"

#include <commctrl.h>

#include <algorithm>

namespace {

template <class T>
bool add_once(std::vector<T*>& list, T* item) {
  if (!item || std::find(list.begin(), list.end(), item) != list.end()) return false;
  list.push_back(item);
  return true;
}

template <class T>
bool remove_item(std::vector<T*>& list, T* item) {
  auto at = std::find(list.begin(), list.end(), item);
  if (at == list.end()) return false;
  list.erase(at);
  return true;
}

// Messages that do not end an idle period: timers and mouse moves would keep idle work running
// forever.
bool starts_idle_period(const MSG& message) {
  switch (message.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case WM_TIMER:
    case 0x0118:  // the caret's blink timer
      return false;
    default:
      return true;
  }
}

}  // namespace

bool message_loop_c::add_message_filter(message_filter_c* filter) {
  return add_once(filters_, filter);
}
bool message_loop_c::remove_message_filter(message_filter_c* filter) {
  return remove_item(filters_, filter);
}
bool message_loop_c::add_idle_handler(idle_handler_c* handler) {
  return add_once(idle_handlers_, handler);
}
bool message_loop_c::remove_idle_handler(idle_handler_c* handler) {
  return remove_item(idle_handlers_, handler);
}

bool message_loop_c::pre_translate(MSG& message) {
  // A filter may remove itself (its window closing): walk a copy.
  std::vector<message_filter_c*> filters = filters_;
  for (auto at = filters.rbegin(); at != filters.rend(); ++at)
    if (std::find(filters_.begin(), filters_.end(), *at) != filters_.end() &&
        (*at)->pre_translate_message(message))
      return true;
  return false;
}

bool message_loop_c::idle() {
  std::vector<idle_handler_c*> handlers = idle_handlers_;
  bool more = false;
  for (idle_handler_c* handler : handlers)
    if (std::find(idle_handlers_.begin(), idle_handlers_.end(), handler) != idle_handlers_.end() &&
        handler->on_idle())
      more = true;
  return more;
}

int message_loop_c::run() {
  bool do_idle = true;
  MSG message;
  for (;;) {
    while (do_idle && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE))
      do_idle = idle();
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) continue;
    if (!got) break;
    if (!pre_translate(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (starts_idle_period(message)) do_idle = true;
  }
  return static_cast<int>(message.wParam);
}

bool app_module_c::init(HINSTANCE instance) {
  instance_ = instance ? instance : GetModuleHandleW(nullptr);
  return true;
}

void app_module_c::term() {
  std::lock_guard<std::mutex> lock(mutex_);
  loops_.clear();
}

bool app_module_c::add_message_loop(message_loop_c* loop) {
  std::lock_guard<std::mutex> lock(mutex_);
  DWORD id = GetCurrentThreadId();
  for (const entry& e : loops_)
    if (e.thread_id == id) return false;
  loops_.push_back({id, loop});
  return true;
}

bool app_module_c::remove_message_loop() {
  std::lock_guard<std::mutex> lock(mutex_);
  DWORD id = GetCurrentThreadId();
  for (auto at = loops_.begin(); at != loops_.end(); ++at)
    if (at->thread_id == id) {
      loops_.erase(at);
      return true;
    }
  return false;
}

message_loop_c* app_module_c::get_message_loop(DWORD thread_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const entry& e : loops_)
    if (e.thread_id == thread_id) return e.loop;
  return nullptr;
}

app_module_c& app_module() {
  static app_module_c module;
  return module;
}

bool init_activex_host() { return true; }

bool init_common_controls(DWORD classes) {
  INITCOMMONCONTROLSEX init = {sizeof(init), classes};
  return InitCommonControlsEx(&init) != FALSE;
}
