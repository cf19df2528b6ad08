#include <windows.h>

#include "tests/support/test_support.h"

bool running_on_wine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
