// Windows only, tests: facts of the Windows the test runs on, read apart from the program's own
// code, so that one test expects the right thing on 32-bit and on 64-bit Windows alike.
#pragma once

#include <string>

// True on 64-bit Windows, whether this process is 64-bit or runs 32-bit under WOW64.
bool windows_is_64_bit();
// The driver installer the program must start on this Windows: "DPInst64.exe" on 64-bit
// Windows, "DPInst32.exe" on 32-bit Windows.
std::u16string installer_for_this_windows();
