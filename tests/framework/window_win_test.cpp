#include "framework/window.h"

#include <gtest/gtest.h>

#include <atomic>

#include "framework/dialog.h"
#include "framework/gdi.h"
#include "framework/message_loop.h"
#include "tests/framework/dialog_template.h"

namespace {

// A window whose map chains a base part first, then its own entries.
struct chained_base {
  int base_seen = 0;
  bool process_base(UINT message, LRESULT& result) {
    if (message != WM_APP + 1) return false;
    ++base_seen;
    result = 11;
    return true;
  }
};

struct test_window : window_impl<test_window>, chained_base {
  int own_seen = 0;
  int created = 0;
  bool* final_flag = nullptr;
  bool destroy_on_app2 = false;
  bool alive_after_destroy = false;
  bool delete_on_final = false;

  bool process_window_message(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override {
    if (process_base(message, result)) return true;
    switch (message) {
      case WM_CREATE:
        ++created;
        result = 0;
        return true;
      case WM_APP + 1:
        ++own_seen;  // never reached: the base part handles it
        return true;
      case WM_APP + 2:
        ++own_seen;
        if (destroy_on_app2) {
          DestroyWindow(handle());
          // Still here: the end of the window waits for this message to return.
          alive_after_destroy = final_flag && !*final_flag;
        }
        result = 22;
        return true;
      default:
        return false;
    }
  }
  void on_final_message(HWND) override {
    if (final_flag) *final_flag = true;
    if (delete_on_final) delete this;
  }
};

const RECT small_rect = {10, 10, 210, 110};

TEST(window_impl, map_chains_base_first_and_defaults_the_rest) {
  test_window w;
  ASSERT_TRUE(w.create(nullptr, small_rect, L"t", WS_POPUP));
  EXPECT_EQ(w.created, 1);
  EXPECT_EQ(SendMessageW(w, WM_APP + 1, 0, 0), 11);
  EXPECT_EQ(w.base_seen, 1);
  EXPECT_EQ(w.own_seen, 0);
  EXPECT_EQ(SendMessageW(w, WM_APP + 2, 0, 0), 22);
  // Not handled: the default procedure answers (WM_GETTEXTLENGTH of "t").
  EXPECT_EQ(SendMessageW(w, WM_GETTEXTLENGTH, 0, 0), 1);
  // The class has CS_DBLCLKS.
  EXPECT_TRUE(GetClassLongPtrW(w, GCL_STYLE) & CS_DBLCLKS);
}

TEST(window_impl, handler_may_destroy_its_window_and_final_message_may_delete_the_object) {
  bool ended = false;
  auto* w = new test_window;
  w->final_flag = &ended;
  w->destroy_on_app2 = true;
  w->delete_on_final = true;
  HWND h = w->create(nullptr, small_rect, L"t", WS_POPUP);
  ASSERT_TRUE(h);
  SendMessageW(h, WM_APP + 2, 0, 0);  // the object is deleted when this returns
  EXPECT_TRUE(ended);
  EXPECT_FALSE(IsWindow(h));
}

TEST(window_impl, final_message_waits_for_the_outermost_message) {
  bool ended = false;
  test_window w;
  w.final_flag = &ended;
  w.destroy_on_app2 = true;
  ASSERT_TRUE(w.create(nullptr, small_rect, L"t", WS_POPUP));
  SendMessageW(w, WM_APP + 2, 0, 0);
  EXPECT_TRUE(w.alive_after_destroy);
  EXPECT_TRUE(ended);
  EXPECT_EQ(w.handle(), nullptr);
}

TEST(window_impl, destroying_the_object_destroys_a_live_window) {
  HWND h;
  {
    test_window w;
    h = w.create(nullptr, small_rect, L"t", WS_POPUP);
    ASSERT_TRUE(IsWindow(h));
  }
  EXPECT_FALSE(IsWindow(h));
}

struct subclass_probe : window_object_c {
  int seen = 0;
  bool process_window_message(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override {
    if (message == WM_GETTEXTLENGTH) {
      ++seen;
      result = 99;
      return true;
    }
    return false;
  }
};

HWND make_edit(HWND parent) {
  return CreateWindowExW(0, L"EDIT", L"abc", WS_CHILD, 0, 0, 50, 20, parent, nullptr, nullptr,
                         nullptr);
}

TEST(window_impl, subclassing_takes_messages_first_and_gives_the_control_back) {
  test_window parent;
  ASSERT_TRUE(parent.create(nullptr, small_rect, L"p", WS_POPUP));
  HWND edit = make_edit(parent);
  ASSERT_TRUE(edit);
  WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC));
  {
    subclass_probe probe;
    ASSERT_TRUE(probe.subclass_window(edit));
    EXPECT_FALSE(subclass_probe().subclass_window(edit));  // one object per control
    EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 99);
    wchar_t text[10] = {};
    EXPECT_EQ(SendMessageW(edit, WM_GETTEXT, 10, reinterpret_cast<LPARAM>(text)), 3);
  }
  // The object is gone; the control lives on with its own procedure.
  EXPECT_TRUE(IsWindow(edit));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC)), own);
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 3);
}

WNDPROC later_previous = nullptr;
LRESULT CALLBACK later_subclass(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return CallWindowProcW(later_previous, w, m, wp, lp);
}

TEST(window_impl, control_subclassed_again_after_us_keeps_working_when_the_object_goes) {
  test_window parent;
  ASSERT_TRUE(parent.create(nullptr, small_rect, L"p", WS_POPUP));
  HWND edit = make_edit(parent);
  ASSERT_TRUE(edit);
  LRESULT limit = SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
  ASSERT_NE(limit, 0);
  {
    subclass_probe probe;
    ASSERT_TRUE(probe.subclass_window(edit));
    later_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(later_subclass)));
  }
  // Our procedure stays in the chain behind the later one and passes messages on to the edit's.
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), limit);
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 3);
  // A new object on that control would be handed its own messages back in a loop.
  EXPECT_FALSE(subclass_probe().subclass_window(edit));
  DestroyWindow(edit);
}

TEST(window_impl, send_to_descendants_reaches_every_level) {
  test_window top, child, grandchild;
  ASSERT_TRUE(top.create(nullptr, small_rect, L"", WS_POPUP));
  RECT r = {0, 0, 50, 50};
  ASSERT_TRUE(child.create(top, r, L"", WS_CHILD));
  ASSERT_TRUE(grandchild.create(child, r, L"", WS_CHILD));
  send_to_descendants(top, WM_APP + 1, 0, 0);
  EXPECT_EQ(top.base_seen, 0);
  EXPECT_EQ(child.base_seen, 1);
  EXPECT_EQ(grandchild.base_seen, 1);
  send_to_descendants(top, WM_APP + 1, 0, 0, false);
  EXPECT_EQ(child.base_seen, 2);
  EXPECT_EQ(grandchild.base_seen, 1);
}

struct test_dialog : dialog_impl<test_dialog> {
  int init_seen = 0;
  bool process_window_message(HWND window, UINT message, WPARAM, LPARAM, LRESULT& result) override {
    if (message == WM_INITDIALOG) {
      ++init_seen;
      MoveWindow(window, 0, 0, 300, 150, FALSE);
      centre_window();
      PostMessageW(window, WM_APP + 5, 0, 0);
      result = TRUE;
      return true;
    }
    if (message == WM_APP + 5) {
      end_dialog(42);
      return true;
    }
    return false;
  }
};

unsigned __stdcall run_dialog_thread(void* out) {
  dialog_template t(WS_POPUP | WS_VISIBLE, 100, 50);
  test_dialog d;
  *static_cast<INT_PTR*>(out) = d.do_modal_indirect(nullptr, t.get());
  return 0;
}

TEST(dialog_impl, modal_dialogs_run_on_several_threads_at_once) {
  INT_PTR results[3] = {0, 0, 0};
  HANDLE threads[2];
  for (int i = 0; i < 2; ++i)
    threads[i] = reinterpret_cast<HANDLE>(CreateThread(
        nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(run_dialog_thread), &results[i], 0,
        nullptr));
  run_dialog_thread(&results[2]);
  WaitForMultipleObjects(2, threads, TRUE, 10000);
  for (HANDLE t : threads) CloseHandle(t);
  EXPECT_EQ(results[0], 42);
  EXPECT_EQ(results[1], 42);
  EXPECT_EQ(results[2], 42);
}

TEST(dialog_impl, centred_over_the_work_area_without_an_owner) {
  struct probe : dialog_impl<probe> {
    RECT placed = {};
    bool process_window_message(HWND window, UINT message, WPARAM, LPARAM,
                                LRESULT& result) override {
      if (message != WM_INITDIALOG) return false;
      MoveWindow(window, 0, 0, 300, 150, FALSE);
      centre_window();
      GetWindowRect(window, &placed);
      end_dialog(1);
      result = TRUE;
      return true;
    }
  } d;
  dialog_template t(WS_POPUP, 100, 50);
  EXPECT_EQ(d.do_modal_indirect(nullptr, t.get()), 1);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(d.placed.left, work.left + (work.right - work.left - 300) / 2);
  EXPECT_EQ(d.placed.top, work.top + (work.bottom - work.top - 150) / 2);
}

struct counting_filter : message_filter_c {
  int seen = 0;
  bool swallow = false;
  bool pre_translate_message(MSG& m) override {
    if (m.message != WM_APP + 7) return false;
    ++seen;
    return swallow;
  }
};

// Wants idle time three times, then posts the test message and the end of the loop.
struct counting_idle : idle_handler_c {
  int calls = 0;
  HWND target = nullptr;
  bool on_idle() override {
    if (++calls < 3) return true;
    PostMessageW(target, WM_APP + 7, 0, 0);
    PostQuitMessage(5);
    return false;
  }
};

TEST(message_loop, filters_latest_first_then_idle_handlers_until_none_wants_more) {
  message_loop_c loop;
  counting_filter first, second;
  counting_idle idle;
  second.swallow = true;
  EXPECT_TRUE(loop.add_message_filter(&first));
  EXPECT_TRUE(loop.add_message_filter(&second));
  EXPECT_FALSE(loop.add_message_filter(&second));
  EXPECT_TRUE(loop.add_idle_handler(&idle));
  ASSERT_TRUE(app_module().add_message_loop(&loop));
  EXPECT_EQ(app_module().get_message_loop(), &loop);
  test_window w;
  ASSERT_TRUE(w.create(nullptr, small_rect, L"", WS_POPUP));
  idle.target = w;
  EXPECT_EQ(loop.run(), 5);
  EXPECT_EQ(second.seen, 1);
  EXPECT_EQ(first.seen, 0);  // the latest filter took it
  EXPECT_EQ(idle.calls, 3);  // ran until it wanted no more
  EXPECT_TRUE(loop.remove_message_filter(&first));
  EXPECT_FALSE(loop.remove_message_filter(&first));
  EXPECT_TRUE(app_module().remove_message_loop());
  EXPECT_EQ(app_module().get_message_loop(), nullptr);
}

TEST(gdi, print_client_renders_into_a_bitmap) {
  struct red_window : window_impl<red_window> {
    bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM,
                                LRESULT& result) override {
      if (message != WM_PRINTCLIENT) return false;
      RECT r;
      GetClientRect(window, &r);
      memory_dc_c memory(reinterpret_cast<HDC>(wparam), r);
      HBRUSH red = CreateSolidBrush(RGB(200, 10, 20));
      FillRect(memory, &r, red);
      DeleteObject(red);
      result = 0;
      return true;
    }
  } w;
  ASSERT_TRUE(w.create(nullptr, small_rect, L"", WS_POPUP));
  void* bits = nullptr;
  int width = 0, height = 0;
  HBITMAP b = print_client(w, &bits, &width, &height);
  ASSERT_TRUE(b);
  EXPECT_EQ(width, 200);
  EXPECT_EQ(height, 100);
  const auto* px = static_cast<const unsigned char*>(bits) + (50 * width + 100) * 4;
  EXPECT_EQ(px[0], 20);
  EXPECT_EQ(px[1], 10);
  EXPECT_EQ(px[2], 200);
  DeleteObject(b);
}

}  // namespace

TEST(startup, common_controls_and_the_module) {
  EXPECT_TRUE(init_activex_host());
  EXPECT_TRUE(init_common_controls(0x5));  // list-view and bar classes
  HWND list = CreateWindowExW(0, L"SysListView32", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
  EXPECT_TRUE(list);
  if (list) DestroyWindow(list);
  EXPECT_TRUE(app_module().init(nullptr));
  EXPECT_EQ(app_module().instance(), GetModuleHandleW(nullptr));
  app_module().term();
}
