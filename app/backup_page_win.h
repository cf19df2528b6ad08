// Windows only: the backup page of the main window: the scanned devices' driver packages in
// two groups, checked for a backup into zip archives, the run behind the modal progress
// dialog, and the silent backup an install queues before it starts.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "app/backup_panel_win.h"
#include "engine/backup.h"
#include "engine/worker_task.h"
#include "framework/image.h"
#include "framework/window.h"
#include "widgets/bitmap_button.h"
#include "widgets/button.h"
#include "widgets/panel_list.h"
#include "widgets/ui_event.h"

// What the page shows outside itself; the real message dialog unless a test says otherwise.
struct backup_page_seams {
  int (*show_message)(void* owner, int type, const char16_t* text);
  backup_page_seams();
};

class backup_window_c : public window_impl<backup_window_c>, public ui_event_c<backup_window_c> {
 public:
  enum { backup_all_id = 1 };

  explicit backup_window_c(backup_page_seams seams = {});
  ~backup_window_c() override;

  static const wchar_t* window_class_name() { return L"VantorilBackupPage"; }
  static void adjust_window_class(WNDCLASSEXW& wc);

  // Created hidden under the main window in the pages' rectangle.
  HWND create_page(HWND parent, const RECT& rect);

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  void paint(HDC dc, const RECT& client);

  // After a scan: backup_list rebuilt, the rows made again, the outside packages selected.
  void reload();
  // "btn_backup_all": the checked packages.
  void backup_selected();
  void on_backup_driver(backup_entry* entry);
  // Runs the job on its thread behind the progress dialog: the dialog's 0, 1, 2, or
  // run_not_started; a message follows unless quiet.
  int run_backup(bool quiet);
  void on_queue_backup(device_info* device, LPARAM index);
  // 0 when a backup ran, -1 when nothing queued has a package or a run is on.
  LRESULT on_backup_queued();
  void on_row_checked(backup_entry* entry, bool checked);
  void on_group_toggled(int32_t group, bool shown);

  // The links.
  void select_recommended() { select_rows(1); }
  void select_all() { select_rows(2); }
  void select_none() { select_rows(3); }

  // A run is on: its thread runs or its dialog is open.
  bool busy();

  const std::set<const backup_entry*>& selection() const { return selected_entries_; }
  panel_list_c& list() { return list_; }
  std::vector<backup_panel_c*> rows() const;
  backup_job& job() { return job_; }
  worker_task_c& task() { return backup_task_; }
  HWND backup_all_button() const { return backup_all_button_.handle(); }
  int32_t inbox_count() const { return inbox_count_; }
  int32_t installed_count() const { return installed_count_; }

 private:
  LRESULT on_create(HWND window);
  void on_size(int width, int height);
  void create_buttons();
  void select_rows(int which);
  void show(int type, const char* key);

  backup_page_seams seams_;
  panel_list_c list_;
  backup_job job_;
  worker_task_c backup_task_;
  bitmap_button_c backup_all_button_;
  HPEN line_pen_ = nullptr;
  std::set<const backup_entry*> selected_entries_;
  std::vector<backup_entry>* entries_ = nullptr;
  image_c bullet_;
  image_c page_icon_;
  int32_t inbox_count_ = 0;
  int32_t installed_count_ = 0;
  std::u16string titles_[2];  // the headers keep pointers to them
  bool in_run_ = false;
};
