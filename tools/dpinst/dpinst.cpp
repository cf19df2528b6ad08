#include <windows.h>

#include <cwchar>

#include "tools/standin_log.h"

int main() {
  standin_log_start();
  wchar_t code[32];
  DWORD n = GetEnvironmentVariableW(L"VANTORIL_DPINST_EXIT", code, 32);
  if (n == 0 || n >= 32) return 0;
  return int(std::wcstoul(code, nullptr, 0));
}
