#include "engine/system_facts.h"

// The host build has neither WMI nor a Windows version: only the portable rules are tested.
int query_wmi_facts() { return -1; }
void start_wmi_facts() {}
bool detect_os_version() { return false; }
bool init_system_info() { return false; }
bool process_is_wow64() { return false; }
