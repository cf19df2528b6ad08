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

namespace {

struct owned_search {
  HWND owner;
  HWND found;
};

BOOL CALLBACK find_enabled_owned(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<owned_search*>(data);
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  for (HWND owner = GetWindow(window, GW_OWNER); owner; owner = GetWindow(owner, GW_OWNER)) {
    if (owner == search->owner) {
      search->found = window;
      return FALSE;
    }
    if (IsWindowEnabled(owner)) break;
  }
  return TRUE;
}

}  // namespace

HWND find_open_dialog(HWND owner) {
  owned_search search = {owner, nullptr};
  if (owner) EnumWindows(find_enabled_owned, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void settle_modal_owner(HWND owner) {
  // A child window as owner stands for its top-level window, as for DialogBox itself.
  HWND top = owner && (GetWindowLongW(owner, GWL_STYLE) & WS_CHILD) ? GetAncestor(owner, GA_ROOT) : owner;
  if (!top || !IsWindow(top)) return;
  const bool other_open = find_open_dialog(top) != nullptr;
  if (other_open == !IsWindowEnabled(top)) return;
  EnableWindow(top, other_open ? FALSE : TRUE);
}

INT_PTR dialog_object_c::do_modal(HWND owner, int template_id) {
  INT_PTR r = with_expected([&] {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), owner,
                           dialog_proc, 0);
  });
  settle_modal_owner(owner);
  return r;
}

INT_PTR dialog_object_c::do_modal_indirect(HWND owner, const DLGTEMPLATE* dialog_template) {
  INT_PTR r = with_expected([&] {
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog_template, owner, dialog_proc,
                                   0);
  });
  settle_modal_owner(owner);
  return r;
}

HWND dialog_object_c::create_dialog(HWND owner, int template_id) {
  return with_expected([&] {
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), owner,
                              dialog_proc, 0);
  });
}

void dialog_object_c::centre_window(HWND over) { ::centre_window(hwnd_, over); }
