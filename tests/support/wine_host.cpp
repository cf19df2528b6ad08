#include "tests/support/test_support.h"

bool running_on_wine() { return false; }
