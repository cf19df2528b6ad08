// The catalog of the backup archives the program made, with the devices whose drivers each
// archive holds: in memory as backup_catalog, on disk as the XML file Backup.dat at the path
// the settings give. Texts in the file are in the ANSI code page, whatever its declaration says.
#pragma once

#include <cstdint>
#include <vector>

class TiXmlElement;
struct backup_entry;
struct device_info;

// One device inside a record; wide texts cut to their fields.
struct backup_device {
  device_info* device;     // the scanned device with this instance ID, or null
  char16_t id[200];        // instance ID
  char16_t desc[1025];     // DriverDesc
  char16_t class_desc[1025];  // the description of the device's setup class
  char16_t class_image[10];   // the class's image index, decimal
  char16_t manu[129];      // ProviderName
  char16_t name[260];      // InfPath
  char16_t version[32];    // DriverVersion
  char16_t date[11];       // DriverDate
  // Copies of the record's date and file, filled when the record is read from the file.
  char16_t backup_date[11];
  char16_t backup_file[260];
};

// One archive: its file name inside the backup folder (ANSI) and the local date of its last
// backup, "%Y-%m-%d".
struct backup_record {
  char file[260];
  char date[11];
  std::vector<backup_device> devices;
};

// In file order; no two records with the same file (byte by byte).
extern std::vector<backup_record>& backup_catalog;

// Writes the whole catalog. 0; -1 when the file cannot be written, and then the file on disk
// is the one written before.
int save_backup_catalog();
// Reads the file again: 0; -1 (the catalog unchanged) when it is missing, cannot be parsed or
// has no root or no "driver" element. Records whose archive is gone are dropped.
int load_backup_catalog();
// Adds or refreshes the record of a finished archive (full path) made from the entry, dated
// today, and saves: the result of save_backup_catalog.
int add_backup_record(const char16_t* archive_path, const backup_entry& entry);
// One "driver" element into a record: 0, or -1 when the record is not to be kept.
int read_backup_record(const TiXmlElement& driver, backup_record& record);
// One "device" element: 0, or -1 when a child is missing.
int read_backup_device(const TiXmlElement& device, backup_device& out);
