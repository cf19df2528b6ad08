// Windows only: the device source over the setup interfaces and the configuration manager.
#pragma once

#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include "engine/inventory.h"

// How a device node's status is asked; the configuration manager's unless a test says.
using devnode_status_fn = CONFIGRET(WINAPI*)(PULONG status, PULONG problem, DEVINST node,
                                            ULONG flags);

class setupapi_device_source : public device_source {
 public:
  explicit setupapi_device_source(const class_image_list& images,
                                  devnode_status_fn status = &CM_Get_DevNode_Status);
  ~setupapi_device_source() override;
  setupapi_device_source(const setupapi_device_source&) = delete;
  setupapi_device_source& operator=(const setupapi_device_source&) = delete;

  bool read_classes(std::vector<raw_class>& out) override;
  bool open_devices() override;
  int32_t count_devices() override;
  entry_result read_device(int32_t index, raw_device& out) override;
  raw_driver_values read_driver_values(int32_t index) override;
  uint32_t read_driver_rank(int32_t index, const char16_t* inf_path) override;
  void close_devices() override;

 private:
  bool entry(int32_t index, SP_DEVINFO_DATA& data);

  class_image_list images_;
  devnode_status_fn status_;
  HDEVINFO set_ = INVALID_HANDLE_VALUE;
};

// The scan of this machine into a store, with a chosen status query (tests).
int32_t scan_this_machine(device_store& store, scan_progress& progress, devnode_status_fn status);

// The image of a class in the store's list; 0 when there is no list or no image.
int32_t class_image_index(const class_image_list& list, const GUID& guid);
