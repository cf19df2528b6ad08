#include <windows.h>
#include <setupapi.h>

#include "engine/device_store.h"

namespace {

SP_CLASSIMAGELIST_DATA to_platform(const class_image_list& list) {
  SP_CLASSIMAGELIST_DATA data{};
  data.cbSize = sizeof(data);
  data.ImageList = static_cast<HIMAGELIST>(list.handle);
  data.Reserved = ULONG_PTR(list.reserved);
  return data;
}

}  // namespace

bool open_class_image_list(class_image_list& list) {
  SP_CLASSIMAGELIST_DATA data{};
  data.cbSize = sizeof(data);
  list = class_image_list{};
  if (!SetupDiGetClassImageList(&data) || !data.ImageList) return false;
  list.handle = data.ImageList;
  list.reserved = uintptr_t(data.Reserved);
  return true;
}

void close_class_image_list(class_image_list& list) {
  if (list.handle) {
    SP_CLASSIMAGELIST_DATA data = to_platform(list);
    SetupDiDestroyClassImageList(&data);
  }
  list = class_image_list{};
}

// The image of a class in the store's list; 0 when there is no list or no image.
int32_t class_image_index(const class_image_list& list, const GUID& guid) {
  if (!list.handle) return 0;
  SP_CLASSIMAGELIST_DATA data = to_platform(list);
  int index = 0;
  if (!SetupDiGetClassImageIndex(&data, &guid, &index)) return 0;
  return int32_t(index);
}
