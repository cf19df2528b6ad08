#include "engine/driver_groups.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "engine/helpers.h"
#include "engine/ranking_text.h"
#include "engine/settings.h"

namespace {

bool has_present_member(const driver_group& g) {
  for (const device_info* d : g.devices)
    if (d->present == 1) return true;
  return false;
}

int group_category(const driver_group& g) {
  const char16_t* name = g.devices.front()->class_name;
  return equal_ci(name, u"Unknown") ? 0 : driver_category_rank(name);
}

const char16_t* class_description(const driver_group& g) {
  const device_class_info* c = g.devices.front()->device_class;
  return c ? c->description : u"";
}

bool group_unmatched(const driver_group& g) {
  for (const device_info* d : g.devices)
    if (!d->has_driver) return true;
  // Here an empty name is contained in every name: a package is not called another maker's
  // for want of a name on either side.
  const char16_t* maker = g.candidate->manu;
  const char16_t* provider = g.devices.front()->ProviderName;
  if (!maker[0] || !provider[0]) return false;
  return !names_match(maker, provider);
}

}  // namespace

int driver_category_rank(const char16_t* class_name) {
  static const char16_t* const order[] = {u"Display", u"MEDIA", u"Printer", u"Net", u"Image"};
  for (int i = 0; i < 5; ++i)
    if (equal_ci(class_name ? class_name : u"", order[i])) return i + 1;
  return 6;
}

int find_driver_group(const driver_group_list_c& list, const char* remote_url) {
  if (!remote_url) return -1;
  for (size_t i = 0; i < list.groups.size(); ++i)
    if (std::strcmp(list.groups[i].key, remote_url) == 0) return int(i);
  return -1;
}

bool compare_driver_groups(const driver_group& a, const driver_group& b) {
  bool present_a = has_present_member(a), present_b = has_present_member(b);
  if (present_a != present_b) return present_a;
  if (a.up_to_date != b.up_to_date) return a.up_to_date < b.up_to_date;
  int ca = group_category(a), cb = group_category(b);
  if (ca != cb) return ca < cb;
  return locale_compare(class_description(a), class_description(b)) < 0;
}

void driver_group_list_c::build(device_info* first, uint32_t count) {
  build(first, count, int32_t(app_settings.MatchEngine));
}

void driver_group_list_c::build(device_info* first, uint32_t count, int32_t match_engine) {
  engine = match_engine;
  devices = first;
  device_count = count;
  groups.clear();
  if (!first || (engine != match_engine_best && engine != match_engine_latest)) return;

  for (uint32_t i = 0; i < count; ++i) {
    device_info& d = first[i];
    const driver_candidate* chosen = engine == match_engine_best ? d.best : d.latest;
    int32_t needs_update = engine == match_engine_best ? d.best_needs_update : d.latest_needs_update;
    if (!chosen || chosen->remote_url[0] == 0) continue;
    int found = find_driver_group(*this, chosen->remote_url);
    if (found >= 0) {
      groups[size_t(found)].devices.push_back(&d);
      if (needs_update) groups[size_t(found)].up_to_date = 0;
    } else {
      groups.push_back({chosen->remote_url, needs_update ? 0 : 1, 0, engine, chosen, {&d}});
    }
  }

  for (driver_group& g : groups)
    if (g.up_to_date == 0) g.unmatched = group_unmatched(g) ? 1 : 0;

  // Stable, so that groups alike keep the scan's order from one build to the next.
  if (count >= 2) std::stable_sort(groups.begin(), groups.end(), compare_driver_groups);
}
