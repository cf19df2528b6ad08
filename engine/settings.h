// The process-wide configuration, mirrored value by value in HKCU\Software\Vantoril.
// Each registry-backed field bears the name of its registry value; texts are UTF-16 fields
// whose size is the capacity in characters, terminator included.
#pragma once

#include <cstdint>

class settings_platform;

struct app_settings_record {
  // Registry-backed values, in the order in which they are read.
  uint32_t Autorun;          // 0 off, other on; 2: the user has not chosen yet
  uint32_t CloseToTray;      // non-zero: closing the main window hides it
  uint32_t CheckVersion;     // non-zero: check for a new version at start
  char16_t Language[32];     // two-letter code of the interface language
  uint32_t MatchEngine;      // 0 best candidate, 1 latest candidate
  uint32_t ScanNonPresent;   // non-zero: keep devices that are not present
  uint32_t AutoBackup;       // 0 none, 1 back up before installing, 2 ask first
  char16_t DownloadPath[260];
  char16_t BackupPath[260];
  uint32_t ProxyType;        // 0 none, 1 system, 2 HTTP, 3 SOCKS5
  char16_t ProxyHost[1025];
  uint32_t ProxyPort;
  char16_t ProxyUser[64];
  char16_t ProxyPass[64];
  uint32_t EnableScheduler;  // non-zero: the scheduled-scan task exists
  uint32_t SchedulePeriod;   // 0 daily, 1 weekly, 2 monthly
  uint32_t ScheduleWhen;     // weekday or day of the month
  uint32_t ScheduleStart;    // hour of the day
  char16_t InstallDate[16];  // UTC date of the first run, "%Y-%m-%d"
  uint32_t DebugStatus;      // 1 once a scan report was accepted
  char16_t UninstallLink[1025];  // written, never read back: empty at every start

  // Not in the registry.
  char16_t base_folder[260];          // program folder with one trailing backslash
  char16_t backup_catalog_path[260];  // base folder joined with Backup.dat
  char16_t exclusion_list_path[260];  // base folder joined with Exclusion.dat
};

// Static storage: filled by load_settings at start-up, read and written by the interface
// thread and, for a few fields, by the matching and scan-report workers.
extern app_settings_record app_settings;

// Every field of the table at its default and the three paths built from base_folder.
void set_default_settings();
// Once at start-up, after the system facts: opens the key, stamps the first run, reads the
// values and creates the data folders. False when the key cannot be opened (defaults stay,
// nothing is persisted) or the first save failed. Without an argument: HKCU\Software\Vantoril.
bool load_settings();
bool load_settings(settings_platform& platform);
// Writes the 20 saved values (all but InstallDate) through the key load_settings opened;
// writes nothing when no key is open. Errors of single writes are ignored. Any thread.
bool save_settings();
// Closes the key at exit; later saves write nothing.
void close_settings_key();
