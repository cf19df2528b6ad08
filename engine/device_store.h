// The process-wide store of the last scan: the kept devices in scan order, the setup classes
// sorted by description, and the class image list. Every scan empties and refills it; between
// scans it is read-only. Pointers into `devices` and `classes` stay valid until the next scan.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/device_info.h"

// The platform's class image list data, kept as its parts so that the portable store can
// carry it (SP_CLASSIMAGELIST_DATA on Windows).
struct class_image_list {
  void* handle = nullptr;  // HIMAGELIST; null when there is none
  uintptr_t reserved = 0;  // the platform's own word of the data
};

struct device_store {
  std::vector<device_info> devices;
  std::vector<device_class_info> classes;
  class_image_list image_list;
};

struct match_context;

// Start-up: the HTTP library for the whole process, the empty store with its class image list
// and the matching context over it. 0, or -1 when either object could not be made.
int create_device_store();
// Shutdown: the HTTP library's clean-up, the class image list and the store. Always 0.
int destroy_device_store();
// The store made by create_device_store; null before it and after destroy_device_store.
device_store* the_device_store();
// The matching context made by create_device_store; null before it and after the shutdown.
match_context* the_match_context();
// How create_device_store makes the context (null when it cannot); tests replace it.
extern match_context* (*match_context_maker)();

// Empties the store: classes, devices and whatever each device owns.
void clear_device_store(device_store& store);

// The kept devices of the process-wide store: the first (null when none) and the count. 0.
int get_scanned_devices(device_info** first, int32_t* count);
// The device at an index below the count; any other index throws std::out_of_range.
device_info& get_device(int32_t index);
// The first device whose instance ID equals the text exactly (case-sensitive), or null.
device_info* find_device(const char16_t* instance_id);
device_info* find_device(device_store& store, const char16_t* instance_id);
device_info* find_device(std::vector<device_info>& devices, const char16_t* instance_id);

// The platform's part of the class image list: fills it (false when there is none), and
// destroys it when there is one.
bool open_class_image_list(class_image_list& list);
void close_class_image_list(class_image_list& list);
