#include "framework/dialog.h"

#include "framework/gdi.h"

INT_PTR dialog_object_c::do_modal(HWND owner, int template_id) {
  expect_window(kind::dialog);
  INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), owner,
                                   dialog_proc, 0);
  take_expected(nullptr, kind::dialog);
  return result;
}

INT_PTR dialog_object_c::do_modal_indirect(HWND owner, const DLGTEMPLATE* dialog_template) {
  expect_window(kind::dialog);
  INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog_template, owner,
                                           dialog_proc, 0);
  take_expected(nullptr, kind::dialog);
  return result;
}

HWND dialog_object_c::create_dialog(HWND owner, int template_id) {
  expect_window(kind::dialog);
  HWND made = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), owner,
                                 dialog_proc, 0);
  take_expected(nullptr, kind::dialog);
  return made;
}

void dialog_object_c::centre_window(HWND over) { ::centre_window(hwnd_, over); }
