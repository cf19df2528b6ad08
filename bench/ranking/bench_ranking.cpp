// Times the ranking of every device and the grouping that follows a scan, for an answer of
// 300 devices with 100 candidates each, and reports the process's peak memory.
//   bench_ranking [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/text.h"
#include "bench/ranking/peak_memory.h"
#include "engine/driver_groups.h"
#include "engine/ranking.h"

namespace {

constexpr int device_count = 300;
constexpr int candidates_per_device = 100;

// A fixed pseudo-random sequence, so that every run ranks the same answer.
struct sequence {
  uint32_t state = 12345;
  uint32_t next(uint32_t below) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % below;
  }
};

std::u16string number_text(uint32_t v, int width) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%0*u", width, v);
  return utf8_to_u16(digits);
}

std::u16string date_text(sequence& r) {
  return number_text(2010 + r.next(12), 4) + u"-" + number_text(1 + r.next(12), 2) + u"-" +
         number_text(1 + r.next(28), 2);
}

std::u16string version_text(sequence& r) {
  return number_text(r.next(12), 1) + u"." + number_text(r.next(20), 1) + u"." +
         number_text(r.next(3000), 1) + u"." + number_text(r.next(100), 1);
}

const uint32_t targets[] = {51, 60, 61, 62, 63, 100};
const char16_t* const makers[] = {u"Acme", u"Globex", u"Initech", u"Umbrella", u"Microsoft", u"Hooli"};

std::vector<device_info> make_devices(match_context& context) {
  sequence r;
  std::vector<device_info> devices(device_count);
  for (int i = 0; i < device_count; ++i) {
    device_info& d = devices[size_t(i)];
    std::u16string id = u"PCI\\VEN_" + number_text(uint32_t(1000 + i), 4) + u"&DEV_0001";
    copy_cut(d.instance_id, id + u"\\3&0");
    copy_cut(d.class_name, i % 7 == 0 ? u"Display" : i % 5 == 0 ? u"MEDIA" : u"System");
    copy_cut(d.InfPath, i % 2 ? u"oem4.inf" : u"machine.inf");
    copy_cut(d.DriverDate, date_text(r));
    copy_cut(d.DriverVersion, version_text(r));
    copy_cut(d.ProviderName, makers[r.next(6)]);
    copy_cut(d.MatchingDeviceId, id);
    d.driver_rank = r.next(2) ? 0x0F000000 : 0x00FF0000;
    d.has_driver = i % 11 ? 1 : 0;
    d.present = 1;
    d.candidates.resize(candidates_per_device);
    for (int k = 0; k < candidates_per_device; ++k) {
      driver_candidate& c = d.candidates[size_t(k)];
      copy_cut(c.hardid, id);
      copy_cut(c.ver, version_text(r));
      copy_cut(c.manu, makers[r.next(6)]);
      copy_cut(c.date, date_text(r));
      copy_cut(c.mark, r.next(10) ? u"vendor" : u"share_pack");
      std::string url = "http://dl.example.com/pkg/" + std::to_string(r.next(2000)) + "/driver.zip";
      copy_cut(c.remote_url, url);
      if (r.next(50) == 0) ++context.history[url];
      c.size = 100000 + r.next(5000000);
      c.cp = r.next(4);
      c.sign = r.next(4);
      c.targetos = targets[r.next(6)];
    }
  }
  return devices;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  match_context context;
  std::vector<device_info> devices = make_devices(context);
  uint64_t before = peak_memory_bytes();

  using clock = std::chrono::steady_clock;
  std::vector<double> rank_ms, group_ms;
  size_t updates = 0, groups = 0;
  driver_group_list_c list;
  for (int run = 0; run < runs; ++run) {
    for (auto& d : devices) {
      d.best = d.latest = nullptr;
      d.best_needs_update = d.latest_needs_update = 0;
    }
    auto t0 = clock::now();
    for (auto& d : devices) rank_device_candidates(d, context, 61);
    auto t1 = clock::now();
    list.build(devices.data(), uint32_t(devices.size()), match_engine_best);
    auto t2 = clock::now();
    rank_ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    group_ms.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    updates = 0;
    for (const auto& d : devices) updates += size_t(d.best_needs_update);
    groups = list.groups.size();
  }
  std::printf("devices %d x candidates %d, %d runs\n", device_count, candidates_per_device, runs);
  std::printf("rank all devices: median %.3f ms, min %.3f ms\n", median(rank_ms),
              *std::min_element(rank_ms.begin(), rank_ms.end()));
  std::printf("build groups:     median %.3f ms, min %.3f ms (%zu groups, %zu devices to update)\n",
              median(group_ms), *std::min_element(group_ms.begin(), group_ms.end()), groups, updates);
  std::printf("peak memory: %.1f MB (%.1f MB after building the answer)\n",
              double(peak_memory_bytes()) / 1048576.0, double(before) / 1048576.0);
  return 0;
}
