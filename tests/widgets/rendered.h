// Windows only, tests: a window's client area rendered through WM_PRINTCLIENT, read as 0xRRGGBB
// (one definition, in the GUI test driver).
#pragma once

#include "tests/support/gui_driver.h"
