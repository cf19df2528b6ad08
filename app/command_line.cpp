#include "app/command_line.h"

#include "base/text.h"

start_switch read_start_switch(const std::vector<std::u16string>& arguments) {
  if (arguments.size() != 2) return start_switch::plain;
  if (equal_ci(arguments[1], u"--autoscan")) return start_switch::autoscan;
  if (equal_ci(arguments[1], u"--autorun")) return start_switch::autorun;
  return start_switch::plain;
}
