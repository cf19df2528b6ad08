// Driver backup: installed packages of the driver store copied into zip archives in the
// backup folder, one archive per package, each recorded in the backup catalog. The backup
// list is rebuilt from the scanned devices; the job runs on a worker thread while the
// interface thread draws its progress and may set its cancel flag.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct device_info;

// One package that can be backed up.
struct backup_entry {
  uint8_t inbox;              // 1 when the INF name does not begin with "oem"
  char16_t folder_name[260];  // the package's folder directly under the store root
  std::vector<device_info*> devices;  // in device-store order; owned by the device store
};

// One entry per package, in the order the packages were first met.
extern std::vector<backup_entry>& backup_list;

// Shared by the backup page and the worker. The page sets cancel to 1; progress rises by 100
// over each package zipped. Both are single 32-bit values read and written without a lock.
struct backup_job {
  std::atomic<int32_t> cancel{0};
  std::atomic<int32_t> progress{0};
  std::vector<device_info*> devices;  // whose packages are to be backed up, in order
};

// Rebuilds backup_list from the device store and re-reads the catalog: the catalog's result.
int build_backup_list();
// The index of the first entry holding the device, or -1.
int find_backup_entry(const device_info* device);
// The full path of the entry's archive in the backup folder: the first of its names that is
// free or that the catalog records for one of its devices. Two packages never share a name.
std::u16string backup_file_name(const backup_entry& entry);
// The archive exists and the catalog records it for one of the entry's devices.
bool is_own_archive(const backup_entry& entry, const std::u16string& archive_path);
// Zips every file under the package folder (as its path inside the package) into the archive
// path: 0, or -1 (cancelled, not creatable, not writable, a file outside the package).
int zip_folder(const char16_t* folder, const char16_t* archive_path, backup_job& job);
// Backs up one entry of backup_list unless its archive exists: 0 or -1.
int backup_package(int index, backup_job& job);
// The worker: every queued device's package. 0 when all are backed up, else -1.
int32_t backup_worker(backup_job& job);
// The worker-task callback over a backup_job.
int32_t backup_job_entry(void* job);
