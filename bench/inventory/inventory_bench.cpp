// Scans a synthetic system of raw device records through the portable inventory and reports
// the time per scan and the heap the scan needs at its peak.
//   inventory_bench [records=5000] [runs=30]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#if defined(__linux__)
#include <sys/resource.h>
#endif

#include "base/text.h"
#include "engine/inventory.h"

namespace {

std::atomic<size_t> g_live{0}, g_peak{0};

// Every block carries its size in front, so that the live total is exact.
constexpr size_t header = alignof(std::max_align_t);

void* counted_alloc(size_t size) {
  void* p = std::malloc(size + header);
  if (!p) return nullptr;
  *static_cast<size_t*>(p) = size;
  size_t live = g_live += size;
  size_t peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(p) + header;
}

void counted_free(void* p) {
  if (!p) return;
  void* block = static_cast<char*>(p) - header;
  g_live -= *static_cast<size_t*>(block);
  std::free(block);
}

}  // namespace

void* operator new(size_t size) {
  if (void* p = counted_alloc(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return counted_alloc(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return counted_alloc(size); }
void operator delete(void* p) noexcept { counted_free(p); }
void operator delete[](void* p) noexcept { counted_free(p); }
void operator delete(void* p, size_t) noexcept { counted_free(p); }
void operator delete[](void* p, size_t) noexcept { counted_free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { counted_free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { counted_free(p); }

namespace {

std::u16string u(const std::string& s) { return utf8_to_u16(s); }

const char* class_names[] = {"USB", "HIDClass", "Mouse", "Keyboard", "Printer", "Image",
                             "System", "Net", "MEDIA", "DiskDrive", "Volume", "Processor"};

// A machine's worth of entries with what real ones have: duplicates on other ports, devices
// of the machine itself, unplugged ones, a few without hardware IDs.
class synthetic_source : public device_source {
 public:
  explicit synthetic_source(int count) {
    for (const char* n : class_names) {
      raw_class c;
      c.guid_text = u"{4D36E96F-E325-11CE-BFC1-08002BE10318}";
      c.description = u(std::string(n) + " devices");
      c.name = u(n);
      classes_.push_back(c);
    }
    for (int i = 0; i < 48; ++i) {  // the rest of a real class list
      raw_class c = classes_[0];
      c.description = u("Other class " + std::to_string(i));
      c.name = u("Other" + std::to_string(i));
      classes_.push_back(c);
    }
    for (int i = 0; i < count; ++i) devices_.push_back(make(i));
  }

  bool read_classes(std::vector<raw_class>& out) override {
    out = classes_;
    return true;
  }
  bool open_devices() override { return true; }
  int32_t count_devices() override { return int32_t(devices_.size()); }
  entry_result read_device(int32_t index, raw_device& out) override {
    if (size_t(index) >= devices_.size()) return entry_result::end;
    out = devices_[size_t(index)];
    return entry_result::entry;
  }
  raw_driver_values read_driver_values(int32_t index) override {
    raw_driver_values v;
    if (index % 4 == 3) return v;  // no driver key
    v.key_opened = true;
    v.values[0] = u"10.0.19041." + u(std::to_string(index));
    v.values[1] = u("oem" + std::to_string(index % 300) + ".inf");
    v.values[2] = u(std::to_string(1 + index % 12) + "-" + std::to_string(1 + index % 28) + "-2019");
    v.values[3] = u"Synthetic driver of device " + u(std::to_string(index));
    v.values[4] = u"usb\\vid_1234&pid_" + u(std::to_string(index));
    if (index % 5) v.values[5] = u"Synthetic Maker";
    return v;
  }
  uint32_t read_driver_rank(int32_t index, const char16_t*) override { return uint32_t(index % 3); }
  void close_devices() override {}

 private:
  raw_device make(int i) {
    int kind = i % 10;
    int id = kind == 5 ? i - 1 : i;  // a second port of the one before
    std::string base = (kind == 6 ? "ROOT\\SYNTH_" : "USB\\VID_1234&PID_") + std::to_string(id);
    raw_device d;
    d.instance_id = u(base + "\\5&2a0&0&" + std::to_string(i));
    d.friendly_name = kind % 2 ? u"" : u("Synthetic device " + std::to_string(id));
    d.description = u("USB Input Device " + std::to_string(id));
    d.enumerator = u(base.substr(0, base.find('\\')));
    const char* cls = kind == 7 ? "Mouse" : kind == 9 ? "Printer" : class_names[size_t(i) % 4];
    d.class_name = u(cls);
    d.class_guid = u"{4D36E96F-E325-11CE-BFC1-08002BE10318}";
    if (kind != 8) {
      std::u16string ids;
      for (const char* suffix : {"&REV_0100&MI_00", "&REV_0100", ""})
        ids += u(base + suffix) + u'\0';
      ids += u'\0';
      d.hardware_ids = ids;
    }
    d.compatible_ids = std::u16string(u"USB\\Class_03&SubClass_01\0USB\\Class_03\0\0", 38);
    d.status_read = kind != 7 && kind != 9;
    d.status = 0x180200A;
    return d;
  }

  std::vector<raw_class> classes_;
  std::vector<raw_device> devices_;
};

}  // namespace

int main(int argc, char** argv) {
  int records = argc > 1 ? std::atoi(argv[1]) : 5000;
  int runs = argc > 2 ? std::atoi(argv[2]) : 30;
  if (records <= 0 || runs <= 0) {
    std::fprintf(stderr, "usage: inventory_bench [records] [runs]\n");
    return 2;
  }
  synthetic_source source(records);
  device_store store;
  std::vector<double> ms;
  size_t peak_above = 0, kept = 0, store_bytes = 0;
  for (int run = 0; run < runs; ++run) {
    clear_device_store(store);
    size_t before = g_live.load();
    g_peak = before;
    scan_progress progress;
    auto start = std::chrono::steady_clock::now();
    int32_t rc = scan_devices(store, progress, source);
    auto end = std::chrono::steady_clock::now();
    if (rc != 0) {
      std::fprintf(stderr, "scan failed: %d\n", int(rc));
      return 1;
    }
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    peak_above = std::max(peak_above, g_peak.load() - before);
    store_bytes = g_live.load() - before;
    kept = store.devices.size();
  }
  std::sort(ms.begin(), ms.end());
  std::printf("inventory scan: %d raw records, %zu kept, %d runs\n", records, kept, runs);
  std::printf("  time per scan: median %.2f ms, best %.2f ms, worst %.2f ms (%.2f us per record)\n",
              ms[ms.size() / 2], ms.front(), ms.back(), ms[ms.size() / 2] * 1000.0 / records);
  std::printf("  heap: peak %.2f MB during the scan, %.2f MB held by the store after it "
              "(%zu bytes per kept device record)\n",
              peak_above / 1048576.0, store_bytes / 1048576.0, sizeof(device_info));
#if defined(__linux__)
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("  process peak resident set: %.2f MB (the raw records of the source included)\n",
              usage.ru_maxrss / 1024.0);
#endif
  return 0;
}
