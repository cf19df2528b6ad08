#include "widgets/resource_item.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A member that records what the group and itself did to it, as a radio does.
struct fake_item : resource_item_c {
  std::string* log;
  char name;
  int selected = 0;
  fake_item(std::string* l, char n) : log(l), name(n) {}
  void unselect() override {
    selected = 0;
    *log += '-';
    *log += name;
  }
  void select() override {
    selected = 1;
    *log += '+';
    *log += name;
  }
  // What a radio's click does when it is not selected yet.
  void click() {
    if (selected) return;
    notify_group();
    select();
  }
};

TEST(RadioGroup, SelectingAnotherMemberUnselectsThePreviousOne) {
  std::string log;
  fake_item a(&log, 'a'), b(&log, 'b'), c(&log, 'c');
  radio_group_c group;
  group.add(&a);
  group.add(&b);
  group.add(&c);
  EXPECT_EQ(group.current_index(), -1);
  a.click();
  b.click();
  b.click();  // the selected member: nothing
  c.click();
  EXPECT_EQ(log, "+a-a+b-b+c");
  EXPECT_EQ(group.current, &c);
  EXPECT_EQ(group.current_index(), 2);
  EXPECT_EQ(a.selected + b.selected + c.selected, 1);
}

TEST(RadioGroup, GroupNeverSelectsAndIgnoresTheCurrentItem) {
  std::string log;
  fake_item a(&log, 'a');
  radio_group_c group;
  group.add(&a);
  group.select(&a);
  group.select(&a);
  EXPECT_EQ(log, "");  // the item selects itself after notifying
  EXPECT_EQ(group.current, &a);
}

TEST(RadioGroup, UnboundItemNotifiesNobody) {
  std::string log;
  fake_item a(&log, 'a'), b(&log, 'b');
  radio_group_c group;
  group.add(&b);
  b.click();
  a.click();  // not in the group: b stays selected
  EXPECT_EQ(log, "+b+a");
  EXPECT_EQ(group.current, &b);
}

}  // namespace
