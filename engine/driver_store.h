// Where the installed driver packages are kept: the driver store, found once at start-up,
// and the rules that take a path inside it apart into a package folder and a file's place
// inside its package. The state is written by init_driver_store and only read afterwards,
// by the backup worker's thread too.
#pragma once

#include <cstdint>
#include <map>
#include <string>

// The calling convention of the setup library's functions.
#if defined(_WIN32)
#define STORE_CALL __stdcall
#else
#define STORE_CALL
#endif

// The form of SetupGetInfDriverStoreLocationW: INF name, alternate platform, locale, result
// buffer, its size in characters, required size; a Windows BOOL.
using inf_store_location_fn = int(STORE_CALL*)(const char16_t* inf_name, void* alt_platform,
                                               const char16_t* locale, char16_t* buffer,
                                               uint32_t buffer_size, uint32_t* required_size);

// The expansion of %SYSTEMROOT%\inf.
extern char16_t inf_folder[260];
// DRVSTORE before Windows 6.0, DriverStore\FileRepository from 6.0 on; empty when none.
extern char16_t driver_store_root[260];
// The lookup of an installed INF's package file inside the store; inf_store_location_xp
// until the start-up replaces it.
extern inf_store_location_fn inf_store_location;
// Before 6.0: MD5 of an INF's bytes (32 lower-case hexadecimal digits) to its full path
// inside DRVSTORE; a later file with the same bytes replaces an earlier one.
extern std::map<std::string, std::u16string> drvstore_inf_map;

// Start-up, once, after the device store is made: 0; -1 when from 6.0 on the setup library
// or its lookup function is missing (every lookup then fails).
int init_driver_store();

// The lookup before 6.0: the INF of that name in inf_folder is found in DRVSTORE by its bytes.
int STORE_CALL inf_store_location_xp(const char16_t* inf_name, void* alt_platform, const char16_t* locale,
                                     char16_t* buffer, uint32_t buffer_size, uint32_t* required_size);
// Walks the store for INF files (names ending in ".inf", any case) into drvstore_inf_map.
void fill_drvstore_inf_map(const char16_t* drvstore);
// Sets the state directly: the platform's start-up, and the tests, which bring a store of
// their own.
void set_driver_store(const char16_t* inf, const char16_t* root, inf_store_location_fn lookup);

// For a path root\X\... inside the store: X in `out`, and 0; -1 for a path outside the root.
int package_folder_name(char16_t out[260], const char16_t* path);
// For a path root\X\sub\a.sys: sub\a.sys through `relative` (a pointer into the path), and 0;
// -1 when no name follows the package folder.
int package_relative_path(const char16_t* path, const char16_t** relative);
