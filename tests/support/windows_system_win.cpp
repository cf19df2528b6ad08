#include "tests/support/windows_system.h"

#include <windows.h>

bool windows_is_64_bit() {
  SYSTEM_INFO info;
  GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture != PROCESSOR_ARCHITECTURE_INTEL;
}

std::u16string installer_for_this_windows() { return windows_is_64_bit() ? u"DPInst64.exe" : u"DPInst32.exe"; }
