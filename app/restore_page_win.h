// Windows only: the restore page of the main window: one row per archive of the backup
// catalog, read again every time the page is shown. From a row the user restores the
// archive's drivers under the wait dialog, deletes the archive, shows it in Explorer or
// opens its details.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "engine/backup_catalog.h"
#include "engine/install_jobs.h"
#include "engine/worker_task.h"
#include "framework/image.h"
#include "framework/window.h"

class panel_c;
class panel_list_c;

// What the page and its rows hand to the world outside; the real things unless a test says
// otherwise.
struct restore_page_seams {
  // The message dialog over the owner: 1 Yes or OK, 2 No.
  int (*show_message)(HWND owner, int type, const char16_t* text);
  // Explorer with the parameters ("/select,"<path>"").
  void (*open_explorer)(HWND owner, const char16_t* parameters);
  // The detail dialog of a record, modal over the owner.
  INT_PTR (*show_details)(HWND owner, const backup_record* record);
  restore_page_seams();
};

class restore_window_c : public window_impl<restore_window_c> {
  // The job's record, made before the task bound to it; a thread left running when the page
  // goes keeps it.
  std::unique_ptr<restore_job> job_;

 public:
  static const wchar_t* window_class_name() { return L"VantorilRestorePage"; }
  explicit restore_window_c(const restore_page_seams& seams = restore_page_seams());
  ~restore_window_c() override;

  // Made hidden under the main window.
  HWND create(HWND main_window, const RECT& rect);

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;

  // Lists the catalog read again: 0, or -1 (an empty list) when it cannot be read.
  int reload();
  // A row asks: the record must be one of the catalog's; ignored while a restore runs.
  void on_restore_backup(backup_record* record);
  void run_restore();

  panel_list_c& list() { return *list_; }
  worker_task_c restore_task;

 private:
  void on_create();
  void paint(HDC dc, const RECT& client);
  void on_group_toggled(WPARAM group, LPARAM shown);
  void on_row_removed(WPARAM row, LPARAM serial);

  std::unique_ptr<panel_list_c> list_;
  restore_page_seams seams_;
  HPEN line_pen_ = nullptr;
  image_c icon_;
};

// The page messages, typed.
void post_row_removed(HWND page, panel_c* row);
void send_restore_backup(HWND page, backup_record* record);
