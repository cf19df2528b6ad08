// The uninstall page over a driver store of the test's own: its headers and rows, the row's
// buttons and menu commands, folding a group, and the uninstall job with the stand-in
// installer, one at a time.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <memory>

#include "app/uninstall_page_win.h"
#include "base/wide.h"
#include "engine/install_jobs.h"
#include "engine/thread.h"
#include "tests/engine/backup_fixture.h"
#include "tests/support/gui_driver.h"
#include "tests/support/windows_system.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/message_window.h"
#include "widgets/ui_fonts.h"

namespace {

namespace fs = std::filesystem;

// The job's message, seen on its thread and held open until the test lets it go.
struct job_message {
  void* owner = nullptr;
  std::u16string text;
};
std::vector<job_message>& job_messages() {
  static std::vector<job_message> m;
  return m;
}
std::atomic<int> messages_shown{0};
std::atomic<bool> hold_message{false};

int record_job_message(void* owner, int, const char16_t* text) {
  job_messages().push_back({owner, text});
  ++messages_shown;
  for (int i = 0; hold_message && i < 1000; ++i) Sleep(10);
  return 1;
}

void shot(HWND window, const char* name) {
  wchar_t dir[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"VANTORIL_SCREENSHOT_DIR", dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  gui::save_screen_bmp(window, (fs::path(dir) / (std::string(name) + ".bmp")).wstring());
}

// The open popup menu's items, read by a timer inside its modal loop, then closed.
struct menu_seen {
  std::vector<UINT> ids;
  std::vector<std::wstring> texts;
  std::vector<bool> greyed;
  RECT place = {};
  bool opened = false;
};
menu_seen* seen_menu = nullptr;

void CALLBACK read_open_menu(HWND, UINT, UINT_PTR id, DWORD) {
  // This thread's menu: other tests on the screen open menus of their own.
  HWND menu_window = gui::find_window(L"#32768");
  if (!menu_window || !seen_menu) return;
  KillTimer(nullptr, id);
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
  seen_menu->opened = true;
  GetWindowRect(menu_window, &seen_menu->place);
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, UINT(i), text, 64, MF_BYPOSITION);
    seen_menu->texts.push_back(text);
    seen_menu->ids.push_back(GetMenuItemID(menu, i));
    seen_menu->greyed.push_back((GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_GRAYED) != 0);
  }
  EndMenu();
}

// The details dialog's device list, read inside its modal loop, then closed with OK.
std::vector<int>* details_seen = nullptr;
HWND last_details = nullptr;

void CALLBACK read_details(HWND, UINT, UINT_PTR, DWORD) {
  HWND d = gui::find_window(L"#32770", L"Show Details");
  if (!d || d == last_details || !IsWindowVisible(d) || !details_seen) return;
  last_details = d;
  details_seen->push_back(int(SendMessageW(GetDlgItem(d, 102), LVM_GETITEMCOUNT, 0, 0)));
  PostMessageW(d, WM_COMMAND, IDOK, 0);
}

class UninstallPageWin : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    load_language(u"en");
    create_ui_fonts("en", 61);
    create_brushes();
    create_pens();
    log_ = store_.temp.path() / "standin.log";
    SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", log_.wstring().c_str());
    job_bindings b;
    b.show_message = record_job_message;
    set_job_bindings(b);
    job_messages().clear();
    messages_shown = 0;
    hold_message = false;
    // Two packages of their own (the first with two devices) and one that came with Windows.
    store_.package(u"cam_1a");
    store_.package(u"net_2b");
    store_.package(u"usb_3c");
    store_.device(u"USB\\VID_1\\1", u"oem5.inf", u"cam_1a");
    store_.device(u"USB\\VID_1\\2", u"oem5.inf", u"cam_1a");
    store_.device(u"PCI\\VEN_2\\1", u"oem9.inf", u"net_2b", u"Fake Network Driver", u"2.0");
    store_.device(u"USB\\ROOT\\1", u"usb.inf", u"usb_3c", u"USB Root Hub", u"6.1");
    const char16_t* names[] = {u"Fake Camera", u"Fake Camera (second)", u"Fake Network", u"USB Root Hub"};
    for (size_t i = 0; i < 4; ++i) copy_cut(the_device_store()->devices[i].name, names[i]);
    build_backup_list();
    host_ = std::make_unique<gui::recording_window>(613, 460);
    RECT r = gui::client_rect(host_->handle());
    ASSERT_TRUE(page_.create_page(host_->handle(), r));
    ShowWindow(page_.handle(), SW_SHOW);
    page_.rebuild();
    gui::pump_for(50);
  }
  void TearDown() override {
    hold_message = false;
    gui::pump_until([&] { return !page_.uninstall_running(); }, 20000);
    page_.destroy_window();
    host_.reset();
    SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", nullptr);
    set_job_bindings(job_bindings());
    delete_ui_objects();
    gui::drop_quit_message();
  }

  std::vector<uninstall_panel_c*> rows() {
    std::vector<uninstall_panel_c*> out;
    for (panel_c* p : page_.rows.stack().rows)
      if (auto* row = dynamic_cast<uninstall_panel_c*>(p)) out.push_back(row);
    return out;
  }
  std::vector<std::string> installer_lines() {
    std::vector<std::string> out;
    std::string text = read_file_bytes(log_);
    for (size_t at = 0; at < text.size();) {
      size_t nl = text.find('\n', at);
      if (nl == std::string::npos) break;
      std::string line = text.substr(at, nl - at);
      size_t a = line.find('\t'), b = line.rfind('\t');
      if (a != std::string::npos && b > a) out.push_back(line.substr(a + 1, b - a - 1));
      at = nl + 1;
    }
    return out;
  }
  static std::string expected_line(const char* inf) {
    wchar_t windows[MAX_PATH];
    ExpandEnvironmentStringsW(L"%SYSTEMROOT%", windows, MAX_PATH);
    std::u16string installer = installer_for_this_windows();
    return u16_to_utf8(installer) + " /U \"" + u16_to_utf8(as_u16(windows)) + "\\inf\\" + inf + "\"";
  }

  backup_test::files store_;
  fs::path log_;
  std::unique_ptr<gui::recording_window> host_;
  uninstall_window_c page_;
};

TEST_F(UninstallPageWin, TwoHeadersOverTheirRowsWithTheButtonsInPlace) {
  EXPECT_EQ(page_.available_count(), 2);
  EXPECT_EQ(page_.inbox_count(), 1);
  const auto& stack = page_.rows.stack().rows;
  ASSERT_EQ(stack.size(), 5u);
  std::vector<int32_t> ids;
  for (panel_c* p : stack) ids.push_back(p->group_id);
  EXPECT_EQ(ids, (std::vector<int32_t>{0, 3, 3, 1, 4}));
  EXPECT_EQ(rows()[0]->entry()->devices.size(), 2u);
  EXPECT_EQ(gui::rect_in_parent(page_.rows.handle()).top, 63);

  for (uninstall_panel_c* row : rows()) {
    RECT c = gui::client_rect(row->handle());
    RECT remove = gui::rect_in_parent(row->remove_button()), menu = gui::rect_in_parent(row->menu_button());
    EXPECT_EQ(remove.left, c.right - 132);
    EXPECT_EQ(remove.top, c.bottom - 31);
    EXPECT_EQ(menu.left, c.right - 23);
    EXPECT_EQ(menu.top, 8);
    EXPECT_EQ(gui::window_text(row->remove_button()), L"Remove");
  }
  // Each device adds a line: the row of two devices is taller by one line's step.
  EXPECT_GT(stack[1]->height, stack[2]->height);
  shot(host_->handle(), "uninstall-page");

  // Folding the installed group lifts the inbox header to the top.
  SendMessageW(page_.handle(), WM_APP_GROUP_TOGGLED, 0, 0);
  EXPECT_FALSE(IsWindowVisible(stack[1]->get_hwnd()));
  EXPECT_FALSE(IsWindowVisible(stack[2]->get_hwnd()));
  EXPECT_EQ(gui::rect_in_parent(stack[3]->get_hwnd()).top, stack[0]->height);
  SendMessageW(page_.handle(), WM_APP_GROUP_TOGGLED, 0, 1);
  EXPECT_TRUE(IsWindowVisible(stack[1]->get_hwnd()));
  EXPECT_EQ(gui::rect_in_parent(stack[3]->get_hwnd()).top, stack[0]->height + stack[1]->height + stack[2]->height);
}

TEST_F(UninstallPageWin, RemoveRunsTheInstallersUninstallAndRefusesASecondWhileItRuns) {
  hold_message = true;
  uninstall_panel_c* row = rows()[0];
  SendMessageW(row->handle(), WM_COMMAND, MAKEWPARAM(uninstall_panel_c::remove_id, BN_CLICKED),
               LPARAM(row->remove_button()));
  ASSERT_TRUE(gui::pump_until([] { return messages_shown == 1; }, 20000));
  EXPECT_TRUE(page_.uninstall_running());
  EXPECT_EQ(installer_lines(), (std::vector<std::string>{expected_line("oem5.inf")}));
  EXPECT_EQ(job_messages()[0].owner, static_cast<void*>(host_->handle()));
  EXPECT_EQ(job_messages()[0].text, get_text("uninstall_finished"));

  // Another remove meanwhile, by message and by the other row's menu: refused, the running
  // job's INF name untouched.
  PostMessageW(page_.handle(), WM_APP_UNINSTALL_DRIVER, WPARAM(rows()[1]->entry()), 0);
  SendMessageW(rows()[1]->handle(), WM_COMMAND, uninstall_panel_c::cmd_remove, 0);
  gui::pump_for(300);
  EXPECT_EQ(page_.job().inf_name, u"oem5.inf");
  hold_message = false;
  ASSERT_TRUE(gui::pump_until([&] { return !page_.uninstall_running(); }, 20000));
  EXPECT_EQ(installer_lines().size(), 1u);
  EXPECT_EQ(messages_shown, 1);

  // Once it has ended the menu's Remove starts the next one.
  SendMessageW(rows()[1]->handle(), WM_COMMAND, uninstall_panel_c::cmd_remove, 0);
  ASSERT_TRUE(gui::pump_until([&] { return !page_.uninstall_running() && messages_shown == 2; }, 20000));
  EXPECT_EQ(installer_lines(), (std::vector<std::string>{expected_line("oem5.inf"), expected_line("oem9.inf")}));

  // A request naming no entry of the list starts nothing.
  backup_entry stranger = backup_list[0];
  SendMessageW(page_.handle(), WM_APP_UNINSTALL_DRIVER, WPARAM(&stranger), 0);
  gui::pump_for(200);
  EXPECT_EQ(messages_shown, 2);
}

TEST_F(UninstallPageWin, DoubleClickAndTheMenusDetailsShowTheEntrysDevices) {
  uninstall_panel_c* row = rows()[0];
  std::vector<int> listed;  // the device list's length in each dialog
  details_seen = &listed;
  UINT_PTR timer = SetTimer(nullptr, 0, 30, read_details);
  SendMessageW(row->handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(60, 10));
  SendMessageW(row->handle(), WM_COMMAND, uninstall_panel_c::cmd_view_details, 0);
  KillTimer(nullptr, timer);
  details_seen = nullptr;
  EXPECT_EQ(listed, (std::vector<int>{2, 2}));

  // The right button's menu: Remove, a separator, Show Details, at the click.
  menu_seen seen;
  seen_menu = &seen;
  SetTimer(nullptr, 0, 50, read_open_menu);
  SendMessageW(row->handle(), WM_RBUTTONUP, 0, MAKELPARAM(40, 20));
  ASSERT_TRUE(gui::pump_until([&] { return seen.opened; }, 3000));
  seen_menu = nullptr;
  EXPECT_EQ(seen.ids, (std::vector<UINT>{40033, 0, 40034}));
  EXPECT_EQ(seen.texts, (std::vector<std::wstring>{L"Remove", L"", L"Show Details"}));
  POINT at = {40, 20};
  ClientToScreen(row->handle(), &at);
  EXPECT_EQ(seen.place.left, at.x);
  EXPECT_EQ(seen.place.top, at.y);
  EXPECT_EQ(messages_shown, 0);  // neither removes anything
  EXPECT_TRUE(installer_lines().empty());
  // A click selects the row: its background and only its.
  SendMessageW(row->handle(), WM_LBUTTONDOWN, 0, MAKELPARAM(60, 10));
  EXPECT_TRUE(row->selected());
  EXPECT_FALSE(rows()[1]->selected());
}

// The page's requests to uninstall, counted on their way in.
WNDPROC page_procedure = nullptr;
int uninstall_requests = 0;
LRESULT CALLBACK count_requests(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_APP_UNINSTALL_DRIVER) ++uninstall_requests;
  return CallWindowProcW(page_procedure, window, message, wparam, lparam);
}

TEST_F(UninstallPageWin, ADoubleClickOnRemoveAsksOnceAndRemoveIsGreyWhileItRuns) {
  hold_message = true;
  uninstall_requests = 0;
  page_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(page_.handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(count_requests)));
  uninstall_panel_c* row = rows()[0];
  gui::double_click_at(row->remove_button(), 20, 10);
  ASSERT_TRUE(gui::pump_until([] { return messages_shown == 1; }, 20000));
  gui::pump_for(100);
  EXPECT_EQ(uninstall_requests, 1);

  // While it runs every row's Remove, button and menu item, is grey.
  for (uninstall_panel_c* r : rows()) EXPECT_FALSE(IsWindowEnabled(r->remove_button()));
  shot(host_->handle(), "uninstall-removing");
  menu_seen seen;
  seen_menu = &seen;
  SetTimer(nullptr, 0, 50, read_open_menu);
  SendMessageW(rows()[1]->handle(), WM_RBUTTONUP, 0, MAKELPARAM(40, 20));
  ASSERT_TRUE(gui::pump_until([&] { return seen.opened; }, 3000));
  seen_menu = nullptr;
  ASSERT_EQ(seen.greyed.size(), 3u);
  EXPECT_TRUE(seen.greyed[0]);   // Remove
  EXPECT_FALSE(seen.greyed[2]);  // Show Details

  // A rebuild meanwhile keeps it grey; the end of the job brings it back.
  page_.rebuild();
  for (uninstall_panel_c* r : rows()) EXPECT_FALSE(IsWindowEnabled(r->remove_button()));
  hold_message = false;
  ASSERT_TRUE(gui::pump_until([&] { return !page_.uninstall_running(); }, 20000));
  ASSERT_TRUE(gui::pump_until([&] { return IsWindowEnabled(rows()[0]->remove_button()) != FALSE; }, 3000));
  for (uninstall_panel_c* r : rows()) EXPECT_TRUE(IsWindowEnabled(r->remove_button()));
  SetWindowLongPtrW(page_.handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(page_procedure));
}

thread_handle no_thread(thread_routine, void*) { return nullptr; }

TEST_F(UninstallPageWin, AnUninstallWhoseThreadDoesNotStartSaysSo) {
  worker_task_c::thread_starter = no_thread;
  {
    gui::dialog_answerer told(L"Vantoril", IDOK);
    SendMessageW(rows()[0]->handle(), WM_COMMAND, uninstall_panel_c::cmd_remove, 0);
    EXPECT_EQ(told.answered(), 1);
  }
  worker_task_c::thread_starter = start_thread;
  EXPECT_FALSE(page_.uninstall_running());
  EXPECT_TRUE(IsWindowEnabled(rows()[0]->remove_button()));
  EXPECT_TRUE(installer_lines().empty());
}

// The job's message, shown for real from a thread of its own over the main window.
std::atomic<DWORD> message_thread{0};
HWND message_owner = nullptr;
std::thread* message_runner = nullptr;
void CALLBACK open_message_then_close_details(HWND, UINT, UINT_PTR id, DWORD) {
  HWND details = gui::find_window(L"#32770", L"Show Details");
  if (!details || !IsWindowVisible(details)) return;
  KillTimer(nullptr, id);
  *message_runner = std::thread([] {
    message_thread = GetCurrentThreadId();
    show_message_window(message_owner, 0, u"uninstall finished");
    message_thread = 0;
  });
  gui::pump_until(
      [] {
        HWND m = message_thread ? gui::find_thread_window(message_thread, L"#32770") : nullptr;
        return m && IsWindowVisible(m);
      },
      5000);
  PostMessageW(details, WM_COMMAND, IDOK, 0);
}

TEST_F(UninstallPageWin, ClosingShowDetailsLeavesTheWindowDisabledUnderTheJobsMessage) {
  std::thread runner;
  message_runner = &runner;
  message_owner = host_->handle();
  message_thread = 0;
  SetTimer(nullptr, 0, 30, open_message_then_close_details);
  SendMessageW(rows()[0]->handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(60, 10));  // Show Details, modal
  ASSERT_TRUE(runner.joinable());
  HWND message = gui::find_thread_window(message_thread, L"#32770");
  EXPECT_TRUE(message && IsWindowVisible(message));
  EXPECT_FALSE(IsWindowEnabled(host_->handle()));  // the message is still open over it
  if (message) PostMessageW(message, WM_COMMAND, IDOK, 0);
  // Its end enables the window from its own thread: answered here while it ends.
  gui::pump_until([] { return message_thread == 0; }, 5000);
  runner.join();
  EXPECT_TRUE(IsWindowEnabled(host_->handle()));
}

}  // namespace
