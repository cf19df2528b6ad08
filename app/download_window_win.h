// Windows only: the update page. After a scan it lists the driver groups under up to three
// headers (missing or corrupt, out of date, up to date), one download row each, with a
// billboard of the updates found, the selection total, "Download All", the selection links and
// a rescan button. It keeps the exclusion list and writes Exclusion.dat when a package is
// hidden, and sends the scan report while none has been accepted. Its rules are
// download_page.h's; this file carries them out.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/download_page.h"
#include "engine/driver_groups.h"
#include "engine/exclusion_list.h"
#include "framework/image.h"
#include "framework/window.h"
#include "widgets/bitmap_button.h"
#include "widgets/ui_event.h"

// The list and the rows stay out of this header: the main window's pages include it beside
// the scan page, whose own scroll names would meet the list's.
class download_session_c;
class download_panel_c;
class panel_c;
class panel_list_c;
struct download_row_seams;

// What the page hands outside; the real things unless a test says otherwise.
struct download_page_seams {
  // The message dialog over the owner: 1 Yes or OK, 2 No.
  int (*show_message)(HWND owner, int type, const char16_t* text);
  const download_row_seams* rows = nullptr;  // handed to every row; null: the real ones
  download_page_seams();
};

class download_window_c : public window_impl<download_window_c>, public ui_event_c<download_window_c> {
 public:
  enum { download_all_id = 1, rows_id = 10, orphan_timer = 1 };

  explicit download_window_c(download_page_seams seams = {});
  ~download_window_c() override;

  static const wchar_t* window_class_name() { return L"VantorilDownload"; }
  static void adjust_window_class(WNDCLASSEXW& wc);

  // What the page hands outside; a test may change it before the page is made.
  download_page_seams& seams() { return seams_; }

  // Makes the page as a hidden child of the main window, which hears its rescan requests.
  HWND create_page(HWND main_window, const RECT& rect);

  // The groups the page lists; the main window rebuilds them after a scan.
  driver_group_list_c& groups() { return groups_; }
  // Regroups the devices of the last scan (the settings' match engine).
  void regroup();
  // The exclusion map from Exclusion.dat; empty when the file is missing or unreadable.
  void load_exclusions();
  // The counts, the headers and rows anew. `after_scan`: this rebuild shows a new scan, which
  // is then reported while no report has been accepted.
  void rebuild(bool after_scan = false);
  // Hides the row's package for good (its MD5 sum into Exclusion.dat), then lists anew.
  void exclude_driver(panel_c* row);
  // "Download All": asks, then starts every checked row.
  void download_selected();
  // A selection link: 1 recommended, 2 all, 3 none.
  void select_rows(int32_t link);

  // Read by the main window and the tests.
  HWND rows_window() const;
  panel_list_c& rows() { return *rows_; }
  std::vector<download_panel_c*> download_rows() const;
  const download_counts& counts() const { return counts_; }
  const download_selection& selection() const { return counts_.selected; }
  const exclusion_map& exclusions() const { return exclusions_; }
  HWND download_all_button() const { return download_all_.handle(); }
  // The drawn links and rescan button, in creation order; for clicks in tests.
  RECT item_rect(size_t index) const;
  // Sessions the page follows itself because no row shows them any more.
  size_t orphans_followed() const { return orphans_.size(); }

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  void paint(HDC dc, const RECT& client);

 private:
  void on_create();
  void on_size(int width, int height);
  void on_selection_changed(WPARAM devices, LPARAM size);
  void on_group_toggled(int32_t header, bool shown);
  void on_select_recommended() { select_rows(select_recommended); }
  void on_select_all() { select_rows(select_all); }
  void on_select_none() { select_rows(select_none); }
  void on_rescan();
  void send_to_rows(UINT message, WPARAM wparam);
  void follow_orphaned_sessions();
  void on_orphan_timer();
  void redraw_page();

  download_page_seams seams_;
  HWND main_window_ = nullptr;
  std::unique_ptr<panel_list_c> rows_;
  driver_group_list_c groups_;
  bitmap_button_c download_all_;
  image_c billboard_many_;  // PNG 174
  image_c billboard_some_;  // PNG 198
  image_c billboard_none_;  // PNG 199
  image_c bullet_;          // PNG 178
  HPEN line_pen_ = nullptr;
  download_counts counts_;
  exclusion_map exclusions_;
  button_c<download_window_c>* rescan_button_ = nullptr;
  // The header titles: the headers keep a pointer to their format.
  std::u16string titles_[3];
  // Running sessions left without a row by a rebuild, ended here when their transfers end.
  std::vector<std::shared_ptr<download_session_c>> orphans_;
  bool orphan_timer_on_ = false;
};
