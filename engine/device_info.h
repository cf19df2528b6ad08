// The records of the device store: one scanned device, one setup class, and one driver
// package that the matching service offers for a device. Texts are UTF-16 fields whose size
// is the capacity in characters, terminator included (filled with copy_cut).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A GUID as the setup classes carry it (same layout as the Windows GUID).
struct class_guid_t {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};

// One package offered for a device, from one "item" of the answer.
struct driver_candidate {
  char16_t hardid[200];
  uint32_t id;
  char16_t ver[65];
  char16_t class_name[32];  // the answer's "class"
  char remote_url[1024];    // the answer's bytes
  char16_t infpath[260];
  char16_t md5sum[33];
  char16_t manu[129];
  char16_t date[11];
  char16_t desc[1025];
  char16_t mark[65];
  uint32_t size;
  uint32_t cp;
  uint32_t sign;
  uint32_t feature;
  uint32_t targetos;  // major * 10 + minor
};

constexpr int max_candidates_per_device = 100;

struct device_class_info {
  class_guid_t guid;
  char16_t guid_text[39];
  char16_t description[1025];
  char16_t class_name[32];
  void* image_list;  // the store's class image list (HIMAGELIST)
  int32_t image_index;
};

struct device_info {
  char16_t instance_id[200];
  char16_t class_name[32];
  char16_t class_guid[39];
  char16_t name[1025];
  char16_t enumerator[129];
  // Multi-strings: each text ended by NUL, the list ended by a further NUL. hardware_ids is
  // never empty in a kept device; an empty compatible_ids means the device has none.
  std::u16string hardware_ids;
  std::u16string compatible_ids;
  int32_t duplicates;
  char16_t InfPath[260];
  char16_t DriverDate[11];
  char16_t DriverDesc[1025];
  char16_t DriverVersion[65];
  char16_t ProviderName[129];
  char16_t MatchingDeviceId[200];
  uint32_t driver_rank;
  std::vector<driver_candidate> candidates;  // at most max_candidates_per_device
  int32_t candidate_count() const { return int32_t(candidates.size()); }
  uint8_t has_driver;
  uint8_t present;
  int32_t problem;
  device_class_info* device_class;  // the device's class record in the same store
  const driver_candidate* best;     // into candidates
  const driver_candidate* latest;   // into candidates
  int32_t best_needs_update;
  int32_t latest_needs_update;
};

// The texts of a multi-string, in order.
std::vector<std::u16string> split_multi_string(const std::u16string& multi);
