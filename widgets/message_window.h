// Windows only: the message dialog, modal over the window handed in, also from a worker
// thread (it then runs its own modal loop on that thread). 1 for OK, Yes, Retry; 2 for No,
// Cancel and the close button.
#pragma once

#include <windows.h>

#include "framework/dialog.h"
#include "framework/image.h"
#include "widgets/bitmap_button.h"
#include "widgets/ui_event.h"
#include "widgets/ui_window.h"

enum { message_dialog_resource = 119 };

class message_window_c : public dialog_impl<message_window_c>,
                         public ui_window_c<message_window_c>,
                         public ui_event_c<message_window_c> {
 public:
  bitmap_button_c first_button;   // control 1
  bitmap_button_c second_button;  // control 2
  image_c icon;
  const char16_t* text;  // kept by reference: it must outlive the dialog
  int type;

  message_window_c(const char16_t* message, int message_type);

  // The owner must be a window of the user-interface thread taken there (a worker thread has
  // no active window). 1 or 2; 2 also when the dialog cannot be made, so that a question
  // that never showed is not taken as a yes.
  int DoModal(HWND parent);

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  void paint(HDC dc, const RECT& client);

 private:
  void initialise(HWND window);
  void layout(int client_width, int client_height);
  int text_bottom_ = 150;  // the message's box ends here; lower when the message needs it
  void on_close() { end_dialog(2); }
};

// The dialog of `type` with `text` over `owner`; the shape the engine's jobs bind to.
int show_message_window(void* owner, int type, const char16_t* text);
