#include "engine/ranking.h"

#include <string>
#include <string_view>

#include "base/text.h"
#include "engine/helpers.h"
#include "engine/ranking_text.h"
#include "engine/version_compare.h"

namespace {

constexpr int64_t close_dates_seconds = 2592000;  // 30 days

bool starts_with_ci(const char16_t* text, std::u16string_view prefix) {
  std::u16string_view t(text);
  return t.size() >= prefix.size() && equal_ci(t.substr(0, prefix.size()), prefix);
}

bool is_shared_package(const driver_candidate& c) { return starts_with_ci(c.mark, u"share_"); }

// The target's distance from the machine's system. The target is unsigned and the machine's
// number signed: the difference is taken in 64 bits so that neither wraps.
int64_t target_distance(uint32_t targetos, int32_t os_version) {
  int64_t d = int64_t(os_version) - int64_t(targetos);
  return d < 0 ? -d : d;
}

bool oem_rule_applies(const device_info& device) {
  return device.has_driver && device.problem == 0 && starts_with_ci(device.InfPath, u"oem");
}

// Major matches the installed driver's, maker matches its provider, and not older than it.
bool fits_installed_driver(const driver_candidate& c, const device_info& device, int installed_major) {
  return version_major(c.ver) == installed_major && names_match(c.manu, device.ProviderName) &&
         !version_older(c.ver, device.DriverVersion);
}

}  // namespace

int version_major(const char16_t* version) {
  std::u16string_view v(version ? version : u"");
  size_t dot = v.find(u'.');
  if (dot == std::u16string_view::npos) return -1;
  return parse_version_numbers(u16_to_ansi(v.substr(0, dot)).c_str())[0];
}

bool version_older(const char16_t* a, const char16_t* b) {
  return compare_versions(u16_to_ansi(b ? b : u"").c_str(), u16_to_ansi(a ? a : u"").c_str());
}

uint32_t installed_signing_class(uint32_t driver_rank, int32_t os_version) {
  if (os_version < 60) return (driver_rank & 0xC000u) ? 3 : 0;
  if (driver_rank >= 0x80000000u) return 3;
  if (driver_rank >= 0x0F000000u) return 2;
  return 0;
}

bool same_signing_grade(uint32_t a, uint32_t b, int32_t os_version) {
  if (a == b) return true;
  if (os_version >= 60) return (a == 1 || a == 2) && (b == 1 || b == 2);
  return a != 0 && b != 0;
}

const driver_candidate* pick_by_maker(const driver_candidate& a, const driver_candidate& b,
                                      const device_info& device) {
  if (names_match(a.manu, b.manu)) return nullptr;
  if (names_match(a.manu, device.ProviderName)) return &a;
  if (names_match(b.manu, device.ProviderName)) return &b;
  return nullptr;
}

const driver_candidate* pick_by_major_version(const device_info& device, const driver_candidate& a,
                                              const driver_candidate& b) {
  int64_t ta = parse_date(a.date), tb = parse_date(b.date);
  int64_t apart = ta > tb ? ta - tb : tb - ta;
  if (apart > close_dates_seconds) return nullptr;
  if (version_major(a.ver) == version_major(b.ver)) return nullptr;
  int installed = version_major(device.DriverVersion);
  if (fits_installed_driver(a, device, installed)) return &a;
  if (fits_installed_driver(b, device, installed)) return &b;
  return nullptr;
}

int compare_candidate_dates(const driver_candidate& a, const driver_candidate& b) {
  return locale_compare(a.date, b.date);
}

int compare_candidates(const driver_candidate& a, const driver_candidate& b,
                       const device_info& device, int32_t os_version) {
  // Shared packages rank last.
  bool shared_a = is_shared_package(a), shared_b = is_shared_package(b);
  if (shared_a != shared_b) return shared_b ? 1 : 0;

  // Packages for this system, then for the nearest one; close targets of one family go on.
  if (a.targetos != b.targetos &&
      (int64_t(a.targetos) == os_version || int64_t(b.targetos) == os_version ||
       a.targetos / 10 != b.targetos / 10))
    return target_distance(a.targetos, os_version) < target_distance(b.targetos, os_version) ? 1 : 0;

  if (a.sign != b.sign && !same_signing_grade(a.sign, b.sign, os_version)) return a.sign < b.sign ? 1 : 0;

  if (a.cp != b.cp) return a.cp < b.cp ? 1 : 0;

  if (oem_rule_applies(device)) {
    if (const driver_candidate* q = pick_by_maker(a, b, device)) {
      if (locale_compare(q->date, device.DriverDate) >= 0) return q == &a ? 1 : 0;
    }
    if (const driver_candidate* r = pick_by_major_version(device, a, b)) return r == &a ? 1 : 0;
  }

  int dates = plain_compare(a.date, b.date);
  if (dates != 0) return dates > 0 ? 1 : -1;

  if (locale_compare(a.ver, b.ver) == 0) return a.size < b.size ? 1 : 0;
  return version_older(b.ver, a.ver) ? 1 : 0;
}

namespace {

// The first two steps of both decisions: 0 when the package was installed once, 1 without an
// installed driver, -1 to go on.
int installed_before_or_missing(const match_context& context, const driver_candidate& c,
                                const device_info& device) {
  if (history_count(context, c.remote_url) > 0) return 0;
  if (!device.has_driver) return 1;
  return -1;
}

// The last steps of both decisions: a later date, or on the same date a newer version.
int32_t newer_than_installed(const driver_candidate& c, const device_info& device) {
  int dates = plain_compare(c.date, device.DriverDate);
  if (dates != 0) return dates > 0 ? 1 : 0;
  return version_older(device.DriverVersion, c.ver) ? 1 : 0;
}

int32_t best_needs_update(const match_context& context, const device_info& device, int32_t os_version) {
  const driver_candidate& best = *device.best;
  int early = installed_before_or_missing(context, best, device);
  if (early >= 0) return early;
  // The installed driver of the same maker is newer.
  if (names_match(best.manu, device.ProviderName) && plain_compare(device.DriverDate, best.date) > 0)
    return 0;
  uint32_t s = best.sign, m = installed_signing_class(device.driver_rank, os_version);
  bool same = equal_ci(best.manu, u"Microsoft") ? s == m : same_signing_grade(s, m, os_version);
  if (!same) return s < m ? 1 : 0;
  if (!equal_ci(best.hardid, device.MatchingDeviceId)) return 1;
  return newer_than_installed(best, device);
}

}  // namespace

void decide_best_update(const match_context& context, device_info& device, int32_t os_version) {
  if (device.best) device.best_needs_update = best_needs_update(context, device, os_version);
}

void decide_latest_update(const match_context& context, device_info& device) {
  if (!device.latest) return;
  int early = installed_before_or_missing(context, *device.latest, device);
  device.latest_needs_update = early >= 0 ? early : newer_than_installed(*device.latest, device);
}

void rank_device_candidates(device_info& device, const match_context& context, int32_t os_version) {
  if (device.candidates.empty()) return;
  if (device.candidates.size() == 1) {
    device.best = device.latest = &device.candidates[0];
  } else {
    device.best = pick_first_max(device, [&](const driver_candidate& a, const driver_candidate& b) {
      return compare_candidates(a, b, device, os_version);
    });
    device.latest = pick_first_max(device, compare_candidate_dates);
  }
  decide_best_update(context, device, os_version);
  decide_latest_update(context, device);
}
