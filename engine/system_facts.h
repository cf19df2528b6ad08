// Facts about the machine gathered once at start-up, before anything else, and read as plain
// process-wide values afterwards: the Windows version and its class, the processor, the
// program's path and the descriptive texts read from WMI. The program folder (with one
// trailing backslash) goes to app_settings.base_folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The fields of OSVERSIONINFOEXW that the program reads; major and minor are the real ones
// for Windows 8.1 and 10, whatever the program's manifest makes Windows report.
struct os_version_record {
  uint32_t dwMajorVersion;
  uint32_t dwMinorVersion;
  uint32_t dwBuildNumber;
  uint32_t dwPlatformId;
  char16_t szCSDVersion[128];
  uint16_t wServicePackMajor;
  uint16_t wServicePackMinor;
  uint16_t wSuiteMask;
  uint8_t wProductType;
};

// The fields of SYSTEM_INFO that the program reads.
struct system_info_record {
  uint16_t wProcessorArchitecture;  // 0 x86, 9 x64, 6 IA64, 12 ARM64
  uint32_t dwNumberOfProcessors;
  uint32_t dwPageSize;
};

// Classes of Windows versions (codes 1, 6 and 7 are not used).
enum : int32_t {
  os_not_supported = 0,
  os_winxp = 2,
  os_win2003 = 3,
  os_win2003_r2 = 4,
  os_vista = 5,
  os_win7 = 8,
  os_win8 = 9,
  os_win81 = 10,
  os_win10 = 11,
  os_unknown = 12,
};

extern os_version_record os_version_info;
// The version as one number, major * 10 + minor (60 for Windows 6.0).
inline uint32_t os_version_number() {
  return os_version_info.dwMajorVersion * 10 + os_version_info.dwMinorVersion;
}
extern int32_t os_class;
extern system_info_record system_info;
extern uint16_t ui_language;
extern char16_t exe_path[260];

// Texts read from WMI; empty when their query failed.
extern std::u16string& processor_name;
extern std::u16string& os_version_text;
extern std::u16string& os_caption;
extern std::u16string& memory_text;
extern std::u16string& display_name;
extern std::u16string& sound_name;
extern std::u16string& system_uuid;
extern std::u16string& system_maker;
extern std::u16string& system_model;

// WMI as the facts use it: the two ways of reading one property of a class.
class wmi_source {
 public:
  virtual ~wmi_source() = default;
  // The first object's value that can be read and is not null. False when the query
  // failed; true with an empty `found` when no object had a value.
  virtual bool first_value(const char16_t* wmi_class, const char16_t* property, std::u16string& found,
                           bool& has_value) = 0;
  // Every object's readable, non-null value, in order. False when the query failed.
  virtual bool all_values(const char16_t* wmi_class, const char16_t* property,
                          std::vector<std::u16string>& values) = 0;
};

// The WMI texts in place (COM is initialised on the calling thread). 0, or -1 when WMI cannot
// be reached; a fact that cannot be read stays empty either way.
int query_wmi_facts();
// The queries over a given source.
void read_wmi_facts(wmi_source& wmi);

// At start-up the WMI texts are read on a thread of their own once the main window has painted
// (a WMI query can take a second). From wmi_facts_begin until that read ends the texts belong
// to it: a reader on the user-interface thread asks wmi_facts_pending() and shows none
// meanwhile; a reader on a worker thread calls wait_for_wmi_facts() first.
void start_wmi_facts();
// True while a read started by start_wmi_facts runs.
bool wmi_facts_pending();
// Returns once no such read runs (at once when none was started).
void wait_for_wmi_facts();
// The read's bounds, for whoever runs it: from begin until end it is pending.
void wmi_facts_begin();
void wmi_facts_end();

// Start-up, second step: the version, the processor, the paths. False only when the Windows
// version cannot be read.
bool init_system_info();
bool detect_os_version();

// What the version calls reported, for the classification.
struct os_version_probe {
  uint32_t platform_id, major, minor, build;
  bool server_r2;              // GetSystemMetrics(SM_SERVERR2)
  bool verified_6_2;           // VerifyVersionInfoW: exactly 6.2
  bool has_real;               // the version that no manifest changes (RtlGetVersion)
  uint32_t real_major, real_minor, real_build;
  std::u16string wmi_version;  // os_version_text
};
struct os_version_class {
  int32_t os_class;
  uint32_t major, minor, build;  // the version to store
};
os_version_class classify_os_version(const os_version_probe& probe);

// The class as the matching service knows it; the 64-bit text on a 64-bit system.
const char* os_class_text(int32_t os_class, bool system_is_64_bit);
// The text of os_class for this machine.
const char* os_name_text();
// Whether the process runs under WOW64 (false where it cannot be asked).
bool process_is_wow64();
// A processor other than x86, or a 32-bit process on a 64-bit system.
bool system_is_64_bit();

// The folder with one trailing backslash (none added when it already ends with one).
std::u16string folder_with_backslash(std::u16string folder);
