#include "app/command_line.h"

#include <gtest/gtest.h>

TEST(CommandLine, OnlyOneArgumentIsReadWithoutRegardToCase) {
  struct row {
    std::vector<std::u16string> arguments;
    start_switch expected;
  } rows[] = {
      {{u"Vantoril.exe"}, start_switch::plain},
      {{u"Vantoril.exe", u"--autoscan"}, start_switch::autoscan},
      {{u"Vantoril.exe", u"--AUTOSCAN"}, start_switch::autoscan},
      {{u"Vantoril.exe", u"--AutoRun"}, start_switch::autorun},
      {{u"Vantoril.exe", u"--autoscan", u"extra"}, start_switch::plain},
      {{u"Vantoril.exe", u"-autoscan"}, start_switch::plain},
      {{}, start_switch::plain},
  };
  for (const row& r : rows) EXPECT_EQ(read_start_switch(r.arguments), r.expected);
}
