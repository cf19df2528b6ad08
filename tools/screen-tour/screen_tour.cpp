// screen-tour: walks a running Vantoril through its pages, rows and dialogs the way a user
// would, so that scripts/screenshots can take a picture of each. For every picture it prints
//     shot NAME LEFT TOP RIGHT BOTTOM
// (the window's screen rectangle) and waits for a line on its input before it goes on.
//     screen-tour vantoril        the whole tour, started on the home page
//     screen-tour window TITLE N [S]  picture N of the first visible window titled TITLE, S
//                                     seconds after it shows (default 3); then closes it
// Exit code 0 when every step found its window, 1 when one was missing (the tour goes on).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace {

// WM_APP_START_SCAN, and the main window's and rows' menu commands.
constexpr UINT start_scan = 0x8001;
constexpr int cmd_preferences = 40013, cmd_about = 40017;

int missing = 0;

bool wait_for(const std::function<bool()>& done, DWORD ms, DWORD step = 100) {
  for (DWORD waited = 0;; waited += step) {
    if (done()) return true;
    if (waited >= ms) return false;
    Sleep(step);
  }
}

void shot(const char* name, HWND window, DWORD settle_ms = 700) {
  if (!window || !IsWindow(window)) {
    std::fprintf(stderr, "screen-tour: no window for %s\n", name);
    ++missing;
    return;
  }
  // Painted anew: no window manager repaints what a closed dialog uncovered in time.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  Sleep(settle_ms);  // painted, animations past their first frame
  RECT r;
  if (!GetWindowRect(window, &r) || !IsWindowVisible(window)) {
    std::fprintf(stderr, "screen-tour: %s went before its picture\n", name);
    ++missing;
    return;
  }
  std::printf("shot %s %ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
  std::fflush(stdout);
  char line[64];
  if (!std::fgets(line, sizeof line, stdin)) ExitProcess(1);
}

void click_at(HWND w, int x, int y) {
  LPARAM at = MAKELPARAM(x, y);
  PostMessageW(w, WM_MOUSEMOVE, 0, at);
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(w, WM_LBUTTONUP, 0, at);
  Sleep(300);
}

void command(HWND w, int id, HWND control = nullptr) {
  PostMessageW(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

struct dialog_search {
  DWORD process;
  HWND main, found;
};
BOOL CALLBACK find_dialog(HWND w, LPARAM data) {
  auto* s = reinterpret_cast<dialog_search*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  wchar_t name[32] = {};
  GetClassNameW(w, name, 32);
  if (pid != s->process || w == s->main || !IsWindowVisible(w) || std::wstring(name) != L"#32770") return TRUE;
  s->found = w;
  return FALSE;
}

struct row_search {
  int action, menu;
  std::vector<HWND> found;
};
BOOL CALLBACK find_rows(HWND w, LPARAM data) {
  auto* s = reinterpret_cast<row_search*>(data);
  if (GetDlgItem(w, s->action) && GetDlgItem(w, s->menu)) s->found.push_back(w);
  return TRUE;
}

struct tour {
  HWND main = nullptr;
  DWORD process = 0;

  HWND page(const wchar_t* class_name) const { return FindWindowExW(main, nullptr, class_name, nullptr); }
  bool shown(const wchar_t* class_name) const {
    HWND p = page(class_name);
    return p && IsWindowVisible(p);
  }

  void click_bar(int number) const {
    HWND bar = FindWindowExW(main, nullptr, L"VantorilSidebar", nullptr);
    command(bar, number, GetDlgItem(bar, number));
  }

  // A visible top-level window of the program other than the main window: a dialog or a
  // message; null when none shows within `ms`.
  HWND dialog(DWORD ms = 5000) const {
    dialog_search s = {process, main, nullptr};
    // Often: a wait dialog may show for a moment only.
    wait_for([&] { return EnumWindows(find_dialog, reinterpret_cast<LPARAM>(&s)), s.found != nullptr; }, ms, 20);
    return s.found;
  }

  // Ends a dialog: its second button (Cancel, No), else its close button in the top-right
  // corner, else WM_CLOSE.
  static void close(HWND d, int button = 2) {
    if (!d) return;
    command(d, button, GetDlgItem(d, button));
    if (wait_for([&] { return !IsWindow(d) || !IsWindowVisible(d); }, 1500)) return;
    RECT c;
    GetClientRect(d, &c);
    click_at(d, c.right - 20, 10);
    if (wait_for([&] { return !IsWindow(d) || !IsWindowVisible(d); }, 1500)) return;
    PostMessageW(d, WM_CLOSE, 0, 0);
    wait_for([&] { return !IsWindow(d) || !IsWindowVisible(d); }, 3000);
  }

  // Shoots the dialog that shows within `ms`, if any, and ends it with `button`.
  void shoot_dialog(const char* name, int button, DWORD ms = 5000) const {
    HWND d = dialog(ms);
    shot(name, d);
    close(d, button);
  }

  // Rows of a page: windows holding a control `action` and a menu button `menu`.
  std::vector<HWND> rows(const wchar_t* page_class, int action, int menu) const {
    row_search s = {action, menu, {}};
    EnumChildWindows(page(page_class), find_rows, reinterpret_cast<LPARAM>(&s));
    return s.found;
  }

  // A page through its navigation entry, with its rows, one row's details and, when asked,
  // one row's action and what it shows.
  struct page_steps {
    const char* name;
    int entry;
    const wchar_t* page_class;
    int action, menu, details;
  };
  std::vector<HWND> visit(const page_steps& p) const {
    click_bar(p.entry);
    std::vector<HWND> found;
    if (!wait_for([&] { return shown(p.page_class) && !(found = rows(p.page_class, p.action, p.menu)).empty(); },
                  10000))
      std::fprintf(stderr, "screen-tour: %s shows no rows\n", p.name);
    shot(p.name, main);
    if (!found.empty()) {
      command(found[0], p.details);
      shoot_dialog((std::string(p.name) + "-details").c_str(), 2);
    }
    return found;
  }

  void preferences() const {
    command(main, cmd_preferences);
    HWND d = dialog();
    static const char* const names[] = {"preferences-1-general", "preferences-2-location",
                                        "preferences-3-network", "preferences-4-exclusions",
                                        "preferences-5-schedule"};
    for (int k = 0; k < 5 && d; ++k) {
      click_at(d, 15 + 54, 43 + 43 * k + 14);
      shot(names[k], d);
    }
    if (!d) shot(names[0], d);
    close(d);
  }

  // Pictures of the dialogs that follow an action, NAME-1, NAME-2, ...: a message is answered
  // with `answer`, a wait dialog is left to end by itself.
  void follow(const char* name, int answer, int most, DWORD first_ms = 8000) const {
    for (int k = 1; k <= most; ++k) {
      HWND d = dialog(k == 1 ? first_ms : 4000);
      if (!d) return;
      std::string n = std::string(name) + "-" + std::to_string(k);
      if (GetDlgItem(d, 1)) {
        shot(n.c_str(), d);
        close(d, answer);
      } else {
        shot(n.c_str(), d, 60);
        wait_for([&] { return !IsWindow(d) || !IsWindowVisible(d); }, 60000);
      }
    }
  }

  static std::wstring text_of(HWND w) {
    wchar_t t[128] = {};
    GetWindowTextW(w, t, 128);
    return t;
  }

  void run() {
    shot("home", main);
    PostMessageW(main, start_scan, 0, 0);
    if (wait_for([&] { return shown(L"VantorilScan"); }, 10000)) shot("scan", main, 300);
    else shot("scan", nullptr);
    if (!wait_for([&] { return shown(L"VantorilDownload"); }, 90000)) {
      std::fprintf(stderr, "screen-tour: the scan did not end on the update page\n");
      ++missing;
      return;
    }
    std::vector<HWND> updates = visit({"update", 2, L"VantorilDownload", 2, 3, 40031});
    if (!updates.empty()) {
      // One package downloaded, then installed (with the backup of the driver it replaces).
      HWND row = updates[0], action = GetDlgItem(row, 2);
      const std::wstring before = text_of(action);
      command(row, 2, action);
      if (wait_for([&] { return text_of(action) != before && !dialog(0); }, 30000)) shot("update-downloaded", main);
      command(row, 2, action);
      follow("install", 1, 4);
      shot("update-installed", main);
    }

    std::vector<HWND> backups = visit({"backup", 3, L"VantorilBackupPage", 2, 3, 40037});
    if (!backups.empty()) {
      // Nothing chosen: "Back Up All" asks for a choice. Then one row backed up by itself.
      for (HWND r : backups) command(r, 1, GetDlgItem(r, 1));
      HWND page_ = page(L"VantorilBackupPage");
      command(page_, 1, GetDlgItem(page_, 1));
      follow("backup-none-chosen", 1, 1, 4000);
      for (HWND r : backups) command(r, 1, GetDlgItem(r, 1));
      command(backups.back(), 2, GetDlgItem(backups.back(), 2));
      follow("backup-row", 1, 3);
    }

    std::vector<HWND> restores = visit({"restore", 4, L"VantorilRestorePage", 1, 2, 40041});
    if (!restores.empty()) {
      command(restores[0], 40039);  // delete the archive? asked, answered No
      follow("restore-delete", 2, 1);
      command(restores[0], 1, GetDlgItem(restores[0], 1));
      follow("restore-row", 1, 4);
    }

    std::vector<HWND> removals = visit({"uninstall", 5, L"VantorilUninstallPage", 1, 2, 40034});
    if (!removals.empty()) {
      command(removals[0], 1, GetDlgItem(removals[0], 1));
      follow("uninstall-row", 1, 3);
    }

    click_bar(2);
    wait_for([&] { return shown(L"VantorilDownload"); }, 5000);
    preferences();
    command(main, cmd_about);
    shoot_dialog("about", 2);
  }
};

int tour_vantoril() {
  tour t;
  if (!wait_for([&] { return (t.main = FindWindowW(L"Vantoril.MainWindow", L"Vantoril")) != nullptr; }, 60000)) {
    std::fprintf(stderr, "screen-tour: no Vantoril main window\n");
    return 1;
  }
  GetWindowThreadProcessId(t.main, &t.process);
  wait_for([&] { return IsWindowVisible(t.main) && t.shown(L"VantorilHome"); }, 10000);
  t.run();  // the run ends the program through its Exit
  return missing ? 1 : 0;
}

int shoot_window(const wchar_t* title, const char* name, DWORD settle_ms) {
  HWND w = nullptr;
  wait_for([&] { return (w = FindWindowW(nullptr, title)) != nullptr && IsWindowVisible(w); }, 90000);
  shot(name, w, settle_ms);
  if (w) PostMessageW(w, WM_CLOSE, 0, 0);
  return missing ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"vantoril") return tour_vantoril();
  if ((argc == 4 || argc == 5) && std::wstring(argv[1]) == L"window") {
    char name[128];
    WideCharToMultiByte(CP_UTF8, 0, argv[3], -1, name, sizeof name, nullptr, nullptr);
    DWORD seconds = argc == 5 ? wcstoul(argv[4], nullptr, 10) : 3;
    return shoot_window(argv[2], name, seconds * 1000);
  }
  std::fprintf(stderr, "usage: screen-tour vantoril | screen-tour window TITLE NAME [SECONDS]\n");
  return 2;
}
