#include "framework/dialog.h"

#include "framework/gdi.h"

// Runs `make` with this object expected as the owner of the dialog it creates.
template <class F>
auto dialog_object_c::with_expected(F make) -> decltype(make()) {
  expect_window(kind::dialog);
  auto result = make();
  take_expected(nullptr, kind::dialog);  // nothing left behind when creation failed early
  return result;
}

INT_PTR dialog_object_c::do_modal(HWND owner, int template_id) {
  return with_expected([&] {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), owner,
                           dialog_proc, 0);
  });
}

INT_PTR dialog_object_c::do_modal_indirect(HWND owner, const DLGTEMPLATE* dialog_template) {
  return with_expected([&] {
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog_template, owner, dialog_proc,
                                   0);
  });
}

HWND dialog_object_c::create_dialog(HWND owner, int template_id) {
  return with_expected([&] {
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), owner,
                              dialog_proc, 0);
  });
}

void dialog_object_c::centre_window(HWND over) { ::centre_window(hwnd_, over); }
