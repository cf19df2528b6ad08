#include "engine/device_store.h"

#include <curl/curl.h>

#include <new>
#include <stdexcept>

#include "base/text.h"
#include "engine/history.h"

namespace {

device_store* g_store = nullptr;
match_context* g_context = nullptr;
bool g_curl_ready = false;

match_context* new_match_context() { return new (std::nothrow) match_context; }

}  // namespace

match_context* (*match_context_maker)() = new_match_context;

int create_device_store() {
  // The HTTP library is set up once for every later thread; a failure shows up later as a
  // failed transfer, so it does not stop the start-up here.
  if (!g_curl_ready) g_curl_ready = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
  if (!g_store) {
    g_store = new (std::nothrow) device_store;
    // No class images is what the setup interfaces give on some systems: not a failure.
    if (g_store) open_class_image_list(g_store->image_list);
  }
  if (!g_context) g_context = match_context_maker();
  // Either one missing leaves the scan or the exchange without its object: a failure. What
  // was made stays (destroy_device_store frees it; a later call makes the rest).
  return g_store && g_context ? 0 : -1;
}

int destroy_device_store() {
  if (g_curl_ready) {
    curl_global_cleanup();
    g_curl_ready = false;
  }
  if (g_store) {
    close_class_image_list(g_store->image_list);
    delete g_store;
    g_store = nullptr;
  }
  delete g_context;
  g_context = nullptr;
  return 0;
}

device_store* the_device_store() { return g_store; }

match_context* the_match_context() { return g_context; }

void clear_device_store(device_store& store) {
  // Swapped out rather than cleared, so that a large earlier scan gives its memory back.
  std::vector<device_class_info>().swap(store.classes);
  std::vector<device_info>().swap(store.devices);
}

int get_scanned_devices(device_info** first, int32_t* count) {
  int32_t n = g_store ? int32_t(g_store->devices.size()) : 0;
  if (first) *first = n ? g_store->devices.data() : nullptr;
  if (count) *count = n;
  return 0;
}

device_info& get_device(int32_t index) {
  if (!g_store || index < 0 || size_t(index) >= g_store->devices.size())
    throw std::out_of_range("invalid vector<T> subscript");
  return g_store->devices[size_t(index)];
}

device_info* find_device(std::vector<device_info>& devices, const char16_t* instance_id) {
  if (!instance_id) return nullptr;
  std::u16string_view wanted(instance_id);
  for (device_info& d : devices)
    if (wanted == d.instance_id) return &d;
  return nullptr;
}

device_info* find_device(device_store& store, const char16_t* instance_id) {
  return find_device(store.devices, instance_id);
}

device_info* find_device(const char16_t* instance_id) {
  return g_store ? find_device(*g_store, instance_id) : nullptr;
}
