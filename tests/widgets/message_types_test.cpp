#include "widgets/message_types.h"

#include <gtest/gtest.h>

#include <string>

TEST(message_types, each_type_has_its_icon_and_buttons) {
  struct row {
    int type, icon;
    const char *first, *second;
  } rows[] = {
      {0, 130, "btn_ok", nullptr},      {1, 132, "btn_ok", nullptr},
      {2, 129, "btn_ok", nullptr},      {3, 131, "btn_yes", "btn_no"},
      {4, 129, "btn_retry", "btn_cancel"}, {5, 0, "btn_ok", nullptr},
      {-1, 0, "btn_ok", nullptr},
  };
  for (const row& r : rows) {
    message_look look = message_look_of(r.type);
    EXPECT_EQ(look.icon_png, r.icon) << r.type;
    EXPECT_EQ(std::string(look.first_key), r.first) << r.type;
    if (r.second)
      EXPECT_EQ(std::string(look.second_key ? look.second_key : ""), r.second) << r.type;
    else
      EXPECT_EQ(look.second_key, nullptr) << r.type;
  }
}

TEST(message_types, control_one_gives_one_and_control_two_gives_two) {
  EXPECT_EQ(message_result_of_command(1), 1);
  EXPECT_EQ(message_result_of_command(2), 2);
  EXPECT_EQ(message_result_of_command(0), 0);
  EXPECT_EQ(message_result_of_command(3), 0);
}
