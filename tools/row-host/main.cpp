// row-host <device file>: shows the device file's driver groups as download rows (see
// row_host.h). The download folder is VANTORIL_DOWNLOAD_DIR, else the current folder; the
// rows' messages are logged to VANTORIL_ROW_HOST_LOG when set.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/text.h"
#include "base/wide.h"
#include "engine/settings.h"
#include "tools/row-host/row_host.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: row-host <device file>\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::vector<device_info> devices;
  std::string error;
  if (!in || !load_row_host_devices(text.str(), devices, error)) {
    std::fprintf(stderr, "row-host: %s\n", error.empty() ? "cannot read the device file" : error.c_str());
    return 2;
  }
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  wchar_t folder[MAX_PATH] = L"";
  DWORD n = GetEnvironmentVariableW(L"VANTORIL_DOWNLOAD_DIR", folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) GetCurrentDirectoryW(MAX_PATH, folder);
  copy_cut(app_settings.DownloadPath, as_u16(folder));
  load_language(u"en");
  create_ui_fonts("en", 61);
  create_brushes();
  create_pens();
  SetEnvironmentVariableW(L"VANTORIL_ROW_HOST_QUIT", L"1");
  row_host_c host;
  if (!host.create_host(devices, download_row_seams())) return 1;
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  delete_ui_objects();
  return 0;
}
