// Times the matching road after the scan for an answer of 300 devices with 100 candidates
// each: enveloping the request, opening and reading the answer, ranking every device and
// grouping; reports the process's peak memory.
//   bench_ranking [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/text.h"
#include "bench/ranking/peak_memory.h"
#include "engine/documents.h"
#include "engine/driver_groups.h"
#include "engine/envelope.h"
#include "engine/matching_exchange.h"
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

// The answer the service would send for the devices' candidates, as its text.
std::string answer_text(const std::vector<device_info>& devices) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<drivercb>\n<hardwares>\n";
  auto field = [&](const char* name, const std::string& text) {
    out += "<";
    out += name;
    out += "><![CDATA[" + text + "]]></";
    out += name;
    out += ">";
  };
  for (const auto& d : devices) {
    out += "<hardware>";
    field("id", u16_to_ansi(d.instance_id));
    for (const auto& c : d.candidates) {
      out += "<item>";
      field("hardid", u16_to_ansi(c.hardid));
      field("id", "1");
      field("ver", u16_to_ansi(c.ver));
      field("size", std::to_string(c.size));
      field("class", "Net");
      field("remote_url", c.remote_url);
      field("infpath", "pkg/driver.inf");
      field("md5sum", "0123456789abcdef0123456789abcdef");
      field("cp", std::to_string(c.cp));
      field("manu", u16_to_ansi(c.manu));
      field("mark", u16_to_ansi(c.mark));
      field("sign", std::to_string(c.sign));
      field("feature", "1f");
      field("targetos", std::to_string(c.targetos));
      field("date", u16_to_ansi(c.date));
      field("desc", "A driver package offered for this device by the matching service");
      out += "</item>";
    }
    out += "</hardware>\n";
  }
  out += "</hardwares></drivercb>\n";
  return out;
}

byte_buffer seal(const std::string& text) {
  byte_buffer b;
  compress_buffer(reinterpret_cast<const uint8_t*>(text.data()), text.size(), b);
  encrypt_buffer(b);
  return b;
}

// FNV-1a over every device's candidate records as read: equal before and after a change.
uint64_t candidates_hash(const std::vector<device_info>& devices) {
  uint64_t h = 1469598103934665603ull;
  auto mix = [&](const void* data, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ull;
  };
  for (const auto& d : devices) {
    const uint64_t count = d.candidates.size();
    mix(&count, sizeof count);
    if (count) mix(d.candidates.data(), d.candidates.size() * sizeof(driver_candidate));
  }
  return h;
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
  const byte_buffer sealed_answer = seal(answer_text(devices));
  for (auto& d : devices) d.candidates.clear();
  uint64_t before = peak_memory_bytes();

  int32_t server_desc_value = 0;
  uint32_t autorun = 0;
  char16_t link[uninstall_link_capacity] = {};
  const driver_config_target config{&server_desc_value, &autorun, link, nullptr};
  const request_client_facts client{"WIN7", u"Processor", u"00000000-0000-0000-0000-000000000000"};

  using clock = std::chrono::steady_clock;
  auto ms = [](clock::time_point a, clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
  };
  std::vector<double> request_ms, answer_ms, rank_ms, group_ms;
  size_t updates = 0, groups = 0, request_bytes = 0;
  uint64_t read_hash = 0;
  driver_group_list_c list;
  for (int run = 0; run < runs; ++run) {
    for (auto& d : devices) {
      d.candidates.clear();
      d.best = d.latest = nullptr;
      d.best_needs_update = d.latest_needs_update = 0;
    }
    auto t0 = clock::now();
    std::string request = build_driver_request(devices, client);
    byte_buffer sealed_request = seal(request);
    auto t1 = clock::now();
    byte_buffer opened, answer;
    decrypt_buffer(sealed_answer.size(), opened, sealed_answer.data(), sealed_answer.size());
    uncompress_buffer(answer, opened.data(), opened.size(), answer_max_plain);
    if (!parse_driver_answer(reinterpret_cast<const char*>(answer.data()), answer.size(), devices, config)) {
      std::fprintf(stderr, "the answer did not parse\n");
      return 1;
    }
    auto t2 = clock::now();
    if (run == 0) read_hash = candidates_hash(devices);  // untimed, before the ranking
    auto t2_rank = clock::now();
    for (auto& d : devices) rank_device_candidates(d, context, 61);
    auto t3 = clock::now();
    list.build(devices.data(), uint32_t(devices.size()), match_engine_best);
    auto t4 = clock::now();
    request_ms.push_back(ms(t0, t1));
    answer_ms.push_back(ms(t1, t2));
    rank_ms.push_back(ms(t2_rank, t3));
    group_ms.push_back(ms(t3, t4));
    request_bytes = sealed_request.size();
    updates = 0;
    for (const auto& d : devices) updates += size_t(d.best_needs_update);
    groups = list.groups.size();
  }
  auto report = [](const char* what, const std::vector<double>& v) {
    std::printf("%-34s median %8.3f ms, min %8.3f ms\n", what, median(v), *std::min_element(v.begin(), v.end()));
  };
  std::printf("devices %d x candidates %d, %d runs; answer %zu bytes sealed, request %zu bytes sealed\n",
              device_count, candidates_per_device, runs, sealed_answer.size(), request_bytes);
  report("write and seal the request:", request_ms);
  report("open and read the answer:", answer_ms);
  report("rank all devices:", rank_ms);
  report("build groups:", group_ms);
  std::printf("%zu groups, %zu devices to update\n", groups, updates);
  std::printf("candidates read: hash %016llx\n", static_cast<unsigned long long>(read_hash));
  std::printf("peak memory: %.1f MB (%.1f MB before the first run)\n", double(peak_memory_bytes()) / 1048576.0,
              double(before) / 1048576.0);
  return 0;
}
