// The report of what a scan found, sent once to the report host: the machine, the counts,
// every driver group with its devices (installed driver beside the offered one) and every
// device for which nothing was offered. An accepted report sets the settings' DebugStatus.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/device_info.h"
#include "engine/envelope.h"

struct driver_group_list_c;

// What the report's "machine" element says.
struct report_machine_facts {
  std::u16string os;  // the caption with its build and service pack
  bool is_64_bit = false;
  std::u16string maker, model, cpu, memory;
  uint16_t language = 0;  // the user-interface language identifier
  std::u16string uuid;
};
// This machine's facts, from the system facts.
report_machine_facts machine_report_facts();

struct report_counts {
  int32_t outdated, updated, notfound;
};

// The printed document (tab per level, "\n" line breaks): the groups in their order, and the
// devices of the store without any candidate under "notfound".
std::string build_scan_report(const driver_group_list_c& groups, const report_counts& counts,
                              const std::vector<device_info>& store_devices,
                              const report_machine_facts& machine);
// The same with the process-wide store and this machine's facts.
std::string build_scan_report(const driver_group_list_c& groups, const report_counts& counts);

// Builds and enciphers the report and uploads it on a worker of its own; returns at once.
// Every upload owns its bytes, so a second report never disturbs one still on its way.
void send_scan_report(const driver_group_list_c& groups, int32_t outdated, int32_t updated,
                      int32_t notfound);
// The report in the service's envelope; false when it cannot be made.
bool seal_scan_report(const std::string& report, byte_buffer& out);
// One POST of the enveloped report to the report host; an accepting answer sets DebugStatus
// to 1 and saves the settings. 0, or -1 when no client can be made. No retry.
int32_t upload_scan_report(const byte_buffer& report);
// The worker's callback: uploads the buffer given (a byte_buffer made with new) and frees it.
int32_t report_upload_entry(void* report);
