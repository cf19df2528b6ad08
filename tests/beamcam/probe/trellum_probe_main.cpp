// TrellumProbe.exe: Trellum as shipped, with the probe that lets a test in another process
// read and drive its forms. Built for the tests only.
#include <windows.h>

#include "beamcam/trellum_forms.h"
#include "tests/beamcam/probe/forms_probe.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  forms_probe::install();
  return RunTrellum(instance);
}
