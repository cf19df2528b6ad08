// Trellum's run: the main form, then the about box, the calibration form and the
// beam-position window, then the message loop; the program ends when the main form closes
// (exit code 0) or through the start-up and exit timer (exit code 1).
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "beamcam/trellum_forms.h"
#include "framework/message_loop.h"

namespace {

// The forms' keyboard (Tab, Enter, access keys) before a message is dispatched.
struct dialog_keys_c : message_filter_c {
  bool pre_translate_message(MSG& message) override { return forms::dialog_key(message); }
};

}  // namespace

int RunTrellum(HINSTANCE instance) {
  init_common_controls(ICC_BAR_CLASSES | ICC_STANDARD_CLASSES);
  app_module().init(instance);
  int result = 0;
  try {
    auto Form1 = std::make_unique<TForm1>();
    auto Form2 = std::make_unique<TForm2>();
    auto Form3 = std::make_unique<TForm3>(Form1->Calib);
    auto Form5 = std::make_unique<TForm5>();
    Form1->Form2 = Form2.get();
    Form1->Form3 = Form3.get();
    Form1->Form5 = Form5.get();
    Form1->BeamPositionForm = Form5.get();
    message_loop_c loop;
    dialog_keys_c keys;
    loop.add_message_filter(&keys);
    app_module().add_message_loop(&loop);
    result = loop.run();
    app_module().remove_message_loop();
  } catch (...) {
    // The forms could not be made: the same box as for a handler's error.
    forms::report_exception();
  }
  app_module().term();
  return result;
}
