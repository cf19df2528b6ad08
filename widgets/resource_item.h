// Selection groups of drawn items, portable: radio buttons and tab buttons take part through
// resource_item_c; radio_group_c keeps which member is the current one. Selecting a member
// unselects the group's previous one.
#pragma once

#include <vector>

class radio_group_c;

class resource_item_c {
 public:
  using group_member = void (radio_group_c::*)(resource_item_c*);

  virtual ~resource_item_c() = default;
  virtual void unselect() = 0;
  virtual void select() = 0;
  // Tells the bound group that this item is becoming its current one; nothing while unbound.
  void notify_group() {
    if (group_ && member_) (group_->*member_)(this);
  }
  void bind_group(radio_group_c* group, group_member member) {
    group_ = group;
    member_ = member;
  }

 private:
  radio_group_c* group_ = nullptr;
  group_member member_ = nullptr;
};

// The group does not own its members; the owner window's item list does.
class radio_group_c {
 public:
  resource_item_c* current = nullptr;
  std::vector<resource_item_c*> members;

  void add(resource_item_c* item);
  // The previous current item is unselected; the new one selects itself after notifying.
  void select(resource_item_c* item);
  // Position of the current item among the members, or -1.
  int current_index() const;
};
