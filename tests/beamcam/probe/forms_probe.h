// Windows only, tests: the probe a test build of Trellum carries so that a test in another
// process can read and drive its forms (under Wine a menu cannot be read from another
// process). The shipped program has none of it.
//   "beamcam.forms.dump":    wParam a global atom with a file name; the form's dump_text goes there
//   "beamcam.forms.command": wParam an atom with a menu item's name or caption; that item is chosen
//   "beamcam.forms.throw":   wParam an atom with a text; a handler throws it (posted: it comes
//                            through the message loop's dispatch as a user's event would)
#pragma once

#include <windows.h>

namespace forms_probe {

UINT dump_message();
UINT command_message();
UINT throw_message();
// Answers the three messages in every form of this process.
void install();

}  // namespace forms_probe
