#include "tests/beamcam/probe/forms_probe.h"

#include <stdexcept>
#include <string>

#include "beamcam/forms/forms.h"

namespace forms_probe {

UINT dump_message() {
  static const UINT message = RegisterWindowMessageW(L"beamcam.forms.dump");
  return message;
}

UINT command_message() {
  static const UINT message = RegisterWindowMessageW(L"beamcam.forms.command");
  return message;
}

UINT throw_message() {
  static const UINT message = RegisterWindowMessageW(L"beamcam.forms.throw");
  return message;
}

namespace {

std::wstring atom_text(WPARAM atom) {
  wchar_t text[MAX_PATH + 1] = {};
  return GlobalGetAtomNameW(ATOM(atom), text, MAX_PATH) ? text : L"";
}

bool answer(forms::form_c& form, UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  if (!message) return false;
  if (message == dump_message()) {
    std::wstring path = atom_text(wparam);
    result = !path.empty() && form.dump(path) ? 1 : 0;
    return true;
  }
  if (message == command_message()) {
    std::wstring item = atom_text(wparam);
    result = !item.empty() && form.choose_menu_item(item) ? 1 : 0;
    return true;
  }
  if (message == throw_message()) {
    std::wstring text = atom_text(wparam);
    GlobalDeleteAtom(ATOM(wparam));  // posted: the sender cannot know when it is read
    throw std::runtime_error(std::string(text.begin(), text.end()));
  }
  return false;
}

}  // namespace

void install() { forms::form_c::set_message_hook(&answer); }

}  // namespace forms_probe
