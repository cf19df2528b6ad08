// The scan worker: the scan reads this machine's devices, so it exists in the Windows build only.
#include "engine/inventory.h"
#include "engine/worker_task.h"

worker_task_c worker_task_c::init_device_scan(scan_progress* progress) {
  return worker_task_c(device_scan_entry, progress);
}
