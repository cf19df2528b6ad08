// Where the matching service and the report host are. The hosts are compiled in; the
// environment variable VANTORIL_SERVICE replaces their scheme, host and port (never the
// paths) for tests and local runs: "http://127.0.0.1:8080" for all of them, or up to four
// comma-separated bases for service hosts 1, 2, 3 and the report host (a missing one takes
// the last one given).
#pragma once

#include <string>

constexpr char service_override_variable[] = "VANTORIL_SERVICE";
constexpr int service_host_count = 3;

// "/service/" on service host n (1 to 3).
std::string service_url(int host);
// "/service/version.xml" on service host 1.
std::string version_file_url();
// "/service/debug.php" on the report host.
std::string report_url();

// The bases (scheme://host[:port]) of hosts 1, 2, 3 and the report host for an override text;
// an empty or malformed override keeps the compiled-in bases.
void service_bases(const char* override_text, std::string bases[4]);
