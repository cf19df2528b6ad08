// What each type of message dialog shows: its icon and its buttons' text keys.
#pragma once

struct message_look {
  int icon_png;             // 0: no icon
  const char* first_key;    // control 1 (result 1)
  const char* second_key;   // control 2 (result 2); null: hidden
};

// Types 0 notice, 1 request, 2 failure, 3 question (Yes/No), 4 failure to retry (Retry/Cancel);
// any other type looks like a notice without an icon.
message_look message_look_of(int type);

// The dialog's result for a command: 1 for control 1 (OK, Yes, Retry, Enter), 2 for control 2
// (No, Cancel, Escape); 0 for a command the dialog does not handle.
int message_result_of_command(int control_id);
