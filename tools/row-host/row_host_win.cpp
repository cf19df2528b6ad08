#include "tools/row-host/row_host.h"

#include <cstdlib>

#include "base/text.h"
#include "tools/engine-probe/probe.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"

bool load_row_host_devices(const std::string& text, std::vector<device_info>& devices, std::string& error) {
  if (!load_probe_devices(text, devices, error)) return false;
  run_engine_probe(devices, u".", 61);
  return true;
}

row_host_c::~row_host_c() { list_.clear(); }

HWND row_host_c::create_host(std::vector<device_info>& devices, download_row_seams seams, int width, int height) {
  groups_.build(devices.data(), uint32_t(devices.size()), match_engine_best);
  RECT r = {0, 0, width, height};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  RECT at = {100, 80, 100 + r.right - r.left, 80 + r.bottom - r.top};
  if (!create(nullptr, at, L"Row host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE)) return nullptr;
  RECT client;
  GetClientRect(handle(), &client);
  list_.create_list(handle(), client, 10);
  SendMessageW(list_.handle(), WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
  build_rows(seams);
  return handle();
}

void row_host_c::build_rows(const download_row_seams& seams) {
  // Headers as the update page has them: missing or corrupt, out of date, up to date.
  const char* keys[3] = {"download_missing", "download_out_of_date", "download_up_to_date"};
  for (int32_t header = 0; header < 3; ++header) {
    std::vector<driver_group*> members;
    for (driver_group& g : groups_.groups) {
      int32_t kind = g.unmatched ? 0 : g.up_to_date ? 2 : 1;
      if (kind == header) members.push_back(&g);
    }
    if (members.empty()) continue;
    titles_.push_back(get_text(keys[header]));
    list_.add(new header_panel_c(header, titles_.back().c_str(), int32_t(members.size())));
    for (driver_group* g : members) list_.add(new download_panel_c(header + 3, g, seams));
  }
}

std::vector<download_panel_c*> row_host_c::rows() const {
  std::vector<download_panel_c*> out;
  for (panel_c* p : list_.stack().rows)
    if (auto* row = dynamic_cast<download_panel_c*>(p)) out.push_back(row);
  return out;
}

void row_host_c::delete_row(panel_c* row) { list_.remove(row); }

void row_host_c::note(const std::string& line) {
  log_.push_back(line);
  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("VANTORIL_ROW_HOST_LOG", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  if (FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

bool row_host_c::process_window_message(HWND, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_SIZE:
      if (list_.handle()) MoveWindow(list_.handle(), 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
      return true;
    case WM_DESTROY:
      if (GetEnvironmentVariableW(L"VANTORIL_ROW_HOST_QUIT", nullptr, 0)) PostQuitMessage(0);
      return false;
    default:
      break;
  }
  if (message == WM_APP_SELECTION_CHANGED) {
    note("selection " + std::to_string(intptr_t(wparam)) + " " + std::to_string(intptr_t(lparam)));
    return true;
  }
  if (message == WM_APP_EXCLUDE_DRIVER) {
    note("exclude");
    delete_row(row_of(wparam));
    return true;
  }
  if (message == WM_APP_QUEUE_BACKUP) {
    note("queue_backup " + std::to_string(intptr_t(lparam)));
    return true;
  }
  if (message == WM_APP_BACKUP_QUEUED) {
    note("backup_queued");
    return true;
  }
  if (message == WM_APP_ROW_REMOVED) {
    note("removed");
    delete_row(row_of(wparam));
    return true;
  }
  if (message == WM_APP_GROUP_TOGGLED) {
    note("toggled " + std::to_string(intptr_t(wparam)) + " " + std::to_string(intptr_t(lparam)));
    for (panel_c* p : list_.stack().rows)
      if (p->group_id == int32_t(wparam) + 3) {
        p->set_visible(int32_t(lparam));
        ShowWindow(p->get_hwnd(), lparam ? SW_SHOW : SW_HIDE);
      }
    list_.relayout();
    return true;
  }
  return false;
}
