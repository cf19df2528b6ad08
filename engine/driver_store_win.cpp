#include <windows.h>

#include "base/text.h"
#include "base/wide.h"
#include "engine/driver_store.h"
#include "engine/system_facts.h"

namespace {

// The expansion into a 260-character field; empty when it does not fit.
void expand(const wchar_t* text, char16_t out[260]) {
  DWORD n = ExpandEnvironmentStringsW(text, as_wide(out), 260);
  if (n == 0 || n > 260) out[0] = 0;
}

}  // namespace

int init_driver_store() {
  char16_t inf[260], root[260];
  expand(L"%SYSTEMROOT%\\inf", inf);
  inf_store_location_fn lookup = inf_store_location_xp;
  if (os_version_number() < 60) {
    expand(L"%SYSTEMROOT%\\system32\\DRVSTORE", root);
    drvstore_inf_map.clear();
    if (root[0]) fill_drvstore_inf_map(root);
  } else {
    // Loaded for the life of the process: the lookup is used until it ends.
    HMODULE setup = LoadLibraryW(L"Setupapi.dll");
    FARPROC found = setup ? GetProcAddress(setup, "SetupGetInfDriverStoreLocationW") : nullptr;
    if (!found) {
      set_driver_store(inf, u"", nullptr);
      return -1;
    }
    lookup = reinterpret_cast<inf_store_location_fn>(reinterpret_cast<void*>(found));
    expand(L"%SYSTEMROOT%\\System32\\DriverStore\\FileRepository", root);
  }
  set_driver_store(inf, root, lookup);
  return 0;
}
