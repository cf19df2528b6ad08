// The matching documents and their envelope at the size of a well-equipped machine: 300
// devices, 20 candidates each in the answer.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "engine/documents.h"
#include "engine/envelope.h"

namespace {

constexpr int device_count = 300;
constexpr int items_per_device = 20;

std::vector<device_info> make_store() {
  std::vector<device_info> store(device_count);
  for (int i = 0; i < device_count; ++i) {
    device_info& d = store[size_t(i)];
    copy_cut(d.instance_id, u"PCI\\VEN_8086&DEV_" + utf8_to_u16(std::to_string(1000 + i)) + u"\\3&11583659&0&A0");
    d.hardware_ids = std::u16string(u"PCI\\VEN_8086&DEV_1E31&REV_04") + char16_t(0) + u"PCI\\VEN_8086&DEV_1E31" +
                     char16_t(0) + char16_t(0);
    d.compatible_ids = std::u16string(u"PCI\\CC_0C0330") + char16_t(0) + char16_t(0);
    copy_cut(d.MatchingDeviceId, u"pci\\ven_8086&dev_1e31");
  }
  return store;
}

std::string make_answer(const std::vector<device_info>& store) {
  std::string a = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<drivercb><config server_desc=\"1\" /><hardwares>";
  for (const auto& d : store) {
    a += "<hardware><id><![CDATA[" + u16_to_ansi(d.instance_id) + "]]></id>";
    for (int k = 0; k < items_per_device; ++k) {
      a += "<item><hardid>PCI\\VEN_8086&amp;DEV_1E31</hardid><id>" + std::to_string(k) +
           "</id><ver>10.1." + std::to_string(k) + ".0</ver><size>1234567</size><class>USB</class>"
           "<remote_url><![CDATA[http://dl.example/drivers/" + std::to_string(k) + ".zip]]></remote_url>"
           "<infpath>pkg/sub/driver.inf</infpath><md5sum>0123456789abcdef0123456789abcdef</md5sum><cp>3</cp>"
           "<manu>Maker</manu><mark>m</mark><sign>1</sign><feature>1A</feature><targetos>61</targetos>"
           "<date>2019-03-14</date><desc><![CDATA[A driver description of a usual length]]></desc></item>";
    }
    a += "</hardware>";
  }
  return a + "</hardwares></drivercb>";
}

void BM_BuildRequest(benchmark::State& state) {
  const auto store = make_store();
  const request_client_facts facts{"WIN764", u"cpu", u"sn"};
  size_t bytes = 0;
  for (auto _ : state) {
    std::string doc = build_driver_request(store, facts);
    bytes += doc.size();
    benchmark::DoNotOptimize(doc);
  }
  state.SetBytesProcessed(int64_t(bytes));
}
BENCHMARK(BM_BuildRequest)->Unit(benchmark::kMillisecond);

void BM_ParseAnswer(benchmark::State& state) {
  auto store = make_store();
  const std::string answer = make_answer(store);
  int32_t desc = 0;
  uint32_t autorun = 2;
  char16_t link[uninstall_link_capacity] = {};
  const driver_config_target target{&desc, &autorun, link, nullptr};
  for (auto _ : state) {
    bool ok = parse_driver_answer(answer.data(), answer.size(), store, target);
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(int64_t(answer.size()) * int64_t(state.iterations()));
  state.counters["answer_bytes"] = double(answer.size());
}
BENCHMARK(BM_ParseAnswer)->Unit(benchmark::kMillisecond);

void BM_OpenAnswerEnvelope(benchmark::State& state) {
  const std::string answer = make_answer(make_store());
  byte_buffer sealed;
  compress_buffer(reinterpret_cast<const uint8_t*>(answer.data()), answer.size(), sealed);
  encrypt_buffer(sealed);
  for (auto _ : state) {
    byte_buffer plain, text;
    decrypt_buffer(sealed.size(), plain, sealed.data(), sealed.size());
    uncompress_buffer(text, plain.data(), plain.size());
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(int64_t(answer.size()) * int64_t(state.iterations()));
  state.counters["sealed_bytes"] = double(sealed.size());
}
BENCHMARK(BM_OpenAnswerEnvelope)->Unit(benchmark::kMillisecond);

void BM_SealRequestEnvelope(benchmark::State& state) {
  const std::string doc = build_driver_request(make_store(), {"WIN764", u"cpu", u"sn"});
  for (auto _ : state) {
    byte_buffer sealed;
    compress_buffer(reinterpret_cast<const uint8_t*>(doc.data()), doc.size(), sealed);
    encrypt_buffer(sealed);
    benchmark::DoNotOptimize(sealed);
  }
  state.SetBytesProcessed(int64_t(doc.size()) * int64_t(state.iterations()));
}
BENCHMARK(BM_SealRequestEnvelope)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
