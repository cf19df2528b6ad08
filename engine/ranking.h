// Ranking of a device's candidates: the best one by a ladder of rules and the latest one by
// date, and whether installing either would be an update. `os_version` is the machine's
// operating-system number, major * 10 + minor (61 for 6.1).
#pragma once

#include <cstdint>

#include "engine/device_info.h"
#include "engine/history.h"

// Chooses best and latest and sets both update flags. A device without candidates keeps
// null choices and its flags.
void rank_device_candidates(device_info& device, const match_context& context, int32_t os_version);

// Positive when challenger `a` is better than the current choice `b`, else 0 or negative.
int compare_candidates(const driver_candidate& a, const driver_candidate& b,
                       const device_info& device, int32_t os_version);
// The locale order of a.date against b.date.
int compare_candidate_dates(const driver_candidate& a, const driver_candidate& b);

// The first candidate, replaced in array order by each later one that `comparison`
// (challenger, current choice) finds better; ties keep the earlier. Null without candidates.
template <typename Comparison>
const driver_candidate* pick_first_max(const device_info& device, Comparison comparison) {
  if (device.candidates.empty()) return nullptr;
  const driver_candidate* choice = &device.candidates[0];
  for (size_t i = 1; i < device.candidates.size(); ++i)
    if (comparison(device.candidates[i], *choice) > 0) choice = &device.candidates[i];
  return choice;
}

// The two update decisions; each does nothing while its choice is null.
void decide_best_update(const match_context& context, device_info& device, int32_t os_version);
void decide_latest_update(const match_context& context, device_info& device);

// The two steps of the rule for third-party (oem) installed drivers: a, b or null for none.
const driver_candidate* pick_by_maker(const driver_candidate& a, const driver_candidate& b,
                                      const device_info& device);
const driver_candidate* pick_by_major_version(const device_info& device, const driver_candidate& a,
                                              const driver_candidate& b);

// The number before a version's first '.' (leading digits, none read 0); -1 without a '.'.
int version_major(const char16_t* version);
// True when version `a` is older than `b` by dotted number order.
bool version_older(const char16_t* a, const char16_t* b);
// Signing class of the installed driver from its setup rank: 3, 2 or 0.
uint32_t installed_signing_class(uint32_t driver_rank, int32_t os_version);
// Two signing classes that rank alike.
bool same_signing_grade(uint32_t a, uint32_t b, int32_t os_version);
