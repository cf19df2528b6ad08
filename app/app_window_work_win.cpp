// The main window's parts that meet worker threads: the version check's messages and the
// quit's wait for the work that runs.
#include "app/app_window.h"

#include "base/text.h"
#include "engine/download_sessions.h"
#include "engine/package_installs.h"
#include "engine/version_check.h"
#include "engine/worker_task.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int update_link_x = 300;

}  // namespace

// The window keeps its own copy of what the check found: the link's click never waits on the
// check's lock.
LRESULT main_window_c::on_version_result() {
  published_ = published_version_copy();
  if (compare_versions(published_.version.c_str(), program_version)) {
    if (seams_.show_message(handle(), 3, get_text("version_new_version")) != 2)
      open_published_link();
  } else {
    seams_.show_message(handle(), 0, get_text("version_up_to_date"));
  }
  return 0;
}

void main_window_c::open_published_link() {
  // The link comes from the network: only a web page may reach the shell.
  if (!is_openable_link(published_.link)) return;
  seams_.open_url(utf8_to_u16(published_.link).c_str(), handle());
}

void main_window_c::on_update_link() { open_published_link(); }

LRESULT main_window_c::on_show_update_link() {
  if (update_link_) return 0;
  version_info found = published_version_copy();
  if (!compare_versions(found.version.c_str(), program_version)) return 0;
  published_ = found;
  update_link_ = new reverse_link_button_c<main_window_c>;
  update_link_->create(this, 0, update_link_x, link_distance, get_text("version_download"), 0);
  update_link_->set_text_style(font_normal_8, RGB(255, 255, 255), 0);
  update_link_->set_text_style(font_underline_8, RGB(255, 255, 255), 1);
  update_link_->bind_click(&main_window_c::on_update_link);
  add_item(update_link_);
  if (check_link_) check_link_->set_visible(0, true);
  update_link_->redraw();
  return 0;
}

running_work main_window_c::work_running() {
  running_work w;
  w.install = any_package_install_running();
  w.uninstall = uninstall_page.uninstall_running();
  w.restore = restore_page.restore_task.is_running();
  w.backup = backup_page.task().is_running();
  w.scan = scan_page.workers_running();
  for (const auto& session : download_sessions)
    if (session && session->status == download_running) w.download = true;
  return w;
}

void main_window_c::stop_work() {
  // The program is going: nothing of it stays on the screen while the work winds down.
  ShowWindow(handle(), SW_HIDE);
  remove_tray_icon();
  for (const auto& session : download_sessions)
    if (session && session->is_running()) session->transfer.cancel = true;
  if (backup_page.task().is_running()) backup_page.job().cancel = 1;
  // The scan's workers, the version check and the report upload cannot be cut short: the
  // wait is bounded for them, and a thread still running is then left to the process's end
  // with everything it uses (work_left_running). A job that changes the machine is waited for
  // to its end, so that its history line and its last message are not lost. Messages sent by
  // workers are answered meanwhile, so none of them waits on this thread.
  const DWORD start = GetTickCount();
  for (;;) {
    const bool jobs = work_running().jobs();
    if (!jobs && (worker_task_c::live_threads() == 0 || GetTickCount() - start >= seams_.work_wait_ms)) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  work_left_running_ = worker_task_c::live_threads() > 0;
}

void main_window_c::remove_tray_icon() {
  remove_icon();
  installed = false;
}
