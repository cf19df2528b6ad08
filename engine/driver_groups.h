// Driver groups: the devices whose chosen package is the same file (the same remote address),
// so that one download and one install serve them all. The update list shows one row each.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/device_info.h"

struct driver_group {
  const char* key;  // the remote_url inside `candidate` (not a copy)
  int32_t up_to_date;  // 1 while no member needs an update by the chosen engine
  int32_t unmatched;   // needs an update and the package does not clearly fit the installed driver
  int32_t engine;      // 0 built from best candidates, 1 from latest
  const driver_candidate* candidate;  // the chosen candidate of the first member
  std::vector<device_info*> devices;  // in scan order; never empty
};

// Match engine values (the settings' MatchEngine).
constexpr int32_t match_engine_best = 0;
constexpr int32_t match_engine_latest = 1;

struct driver_group_list_c {
  uint32_t device_count = 0;
  device_info* devices = nullptr;
  std::vector<driver_group> groups;
  int32_t engine = 0;

  // Rebuilds every group from the devices with the settings' MatchEngine. The groups point
  // into the devices and stay valid while they do.
  void build(device_info* first, uint32_t count);
  // The same with the match engine given.
  void build(device_info* first, uint32_t count, int32_t match_engine);
};

// Index of the first group whose key equals the address byte for byte, or -1.
int find_driver_group(const driver_group_list_c& list, const char* remote_url);
// True when group `a` goes before group `b`.
bool compare_driver_groups(const driver_group& a, const driver_group& b);
// Category order of a setup class name: Display 1, MEDIA 2, Printer 3, Net 4, Image 5, else 6.
int driver_category_rank(const char16_t* class_name);
