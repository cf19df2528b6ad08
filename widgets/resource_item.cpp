#include "widgets/resource_item.h"

#include <cstddef>

void radio_group_c::add(resource_item_c* item) {
  if (!item) return;
  item->bind_group(this, &radio_group_c::select);
  members.push_back(item);
}

void radio_group_c::select(resource_item_c* item) {
  if (item == current) return;
  if (current) current->unselect();
  current = item;
}

int radio_group_c::current_index() const {
  for (std::size_t i = 0; i < members.size(); ++i)
    if (members[i] == current) return static_cast<int>(i);
  return -1;
}
