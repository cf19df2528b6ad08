// Windows only: dialogs made from dialog templates and driven by T's message map.
#pragma once

#include "framework/window.h"

class dialog_object_c : public window_object_c {
 public:
  // Modal: runs the dialog of resource `template_id` of this program; its EndDialog value,
  // or -1 when the dialog could not be made.
  INT_PTR do_modal(HWND owner, int template_id);
  // Modal from a template in memory (tests, dialogs built at run time).
  INT_PTR do_modal_indirect(HWND owner, const DLGTEMPLATE* dialog_template);
  // Modeless.
  HWND create_dialog(HWND owner, int template_id);
  BOOL end_dialog(INT_PTR result) { return EndDialog(hwnd_, result); }
  // Centres the dialog over its owner (see centre_window).
  void centre_window(HWND over = nullptr);

 private:
  template <class F>
  auto with_expected(F make) -> decltype(make());
};

template <class T>
class dialog_impl : public dialog_object_c {};

// The visible, enabled top-level window owned by `owner`, directly or through disabled
// owners (a dialog over a dialog, a dialog shown by a worker thread); null when none.
HWND find_open_dialog(HWND owner);

// After a modal dialog over `owner` has ended: the owner's top-level window stays disabled
// while another dialog over it is still open (the ending one's box would enable it under
// that dialog), and is enabled once none is (when the other one found it disabled and so
// leaves it so).
void settle_modal_owner(HWND owner);
