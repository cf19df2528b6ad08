// Trellum: the beam camera program.
#include <windows.h>

#include "beamcam/trellum_forms.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) { return RunTrellum(instance); }
