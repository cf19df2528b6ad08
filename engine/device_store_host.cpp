// The host has no setup classes and so no class images.
#include "engine/device_store.h"

bool open_class_image_list(class_image_list& list) {
  list = class_image_list{};
  return false;
}

void close_class_image_list(class_image_list& list) { list = class_image_list{}; }
