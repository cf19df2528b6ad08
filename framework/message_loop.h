// Windows only: the thread's message loop with message filters and idle handlers, and the
// application module that knows each thread's loop.
#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

class message_filter_c {
 public:
  virtual ~message_filter_c() = default;
  // True when the message was handled and must not be translated and dispatched.
  virtual bool pre_translate_message(MSG& message) = 0;
};

class idle_handler_c {
 public:
  virtual ~idle_handler_c() = default;
  // True while the handler wants more idle time.
  virtual bool on_idle() = 0;
};

class message_loop_c {
 public:
  bool add_message_filter(message_filter_c* filter);
  bool remove_message_filter(message_filter_c* filter);
  bool add_idle_handler(idle_handler_c* handler);
  bool remove_idle_handler(idle_handler_c* handler);

  // Runs until WM_QUIT; its exit code. While the queue is empty the idle handlers run until
  // none wants more; each message is offered to the filters (latest first) before it is
  // translated and dispatched.
  int run();

 private:
  bool pre_translate(MSG& message);
  bool idle();

  std::vector<message_filter_c*> filters_;
  std::vector<idle_handler_c*> idle_handlers_;
};

class app_module_c {
 public:
  bool init(HINSTANCE instance);
  void term();
  HINSTANCE instance() const { return instance_; }

  // One loop per thread; the loop of the calling thread unless another id is given.
  bool add_message_loop(message_loop_c* loop);
  bool remove_message_loop();
  message_loop_c* get_message_loop(DWORD thread_id = GetCurrentThreadId());

 private:
  struct entry {
    DWORD thread_id;
    message_loop_c* loop;
  };
  HINSTANCE instance_ = nullptr;
  std::mutex mutex_;
  std::vector<entry> loops_;
};

// The process's application module.
app_module_c& app_module();

// Start-up counterparts: the ActiveX host classes are used by no window, so their
// initialisation only reports success; the common controls are registered for `classes`.
bool init_activex_host();
bool init_common_controls(DWORD classes);
