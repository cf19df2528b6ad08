#include "app/sidebar.h"

const sidebar_entry sidebar_entries[sidebar_entry_count] = {
    {1, 104, "btn_home"},      {2, 113, "btn_update"},    {3, 102, "btn_backup"},
    {4, 110, "btn_restore"},   {5, 112, "btn_uninstall"}, {6, 108, "btn_options"},
    {7, 203, "btn_support"},
};

sidebar_choice choose_sidebar_entry(int number, int32_t selected, int32_t results_available) {
  // Only the bar's own buttons have a place to mark.
  if (number < 1 || number > sidebar_entry_count || number == selected)
    return {selected, false, false};
  if (results_available == 0 || number == 6 || number == 7) return {selected, false, true};
  return {number, true, true};
}
