#include "widgets/message_types.h"

message_look message_look_of(int type) {
  switch (type) {
    case 0: return {130, "btn_ok", nullptr};
    case 1: return {132, "btn_ok", nullptr};
    case 2: return {129, "btn_ok", nullptr};
    case 3: return {131, "btn_yes", "btn_no"};
    case 4: return {129, "btn_retry", "btn_cancel"};
    default: return {0, "btn_ok", nullptr};
  }
}

int message_result_of_command(int control_id) {
  return control_id == 1 || control_id == 2 ? control_id : 0;
}
