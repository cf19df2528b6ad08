#include "engine/system_facts.h"

#include <condition_variable>
#include <mutex>

#include "widgets/size_text.h"

os_version_record os_version_info;
int32_t os_class;
system_info_record system_info;
uint16_t ui_language;
char16_t exe_path[260];

// The texts are never destroyed: the matching exchange and the report read them on worker
// threads, which may still run while the process exits.
std::u16string& processor_name = *new std::u16string;
std::u16string& os_version_text = *new std::u16string;
std::u16string& os_caption = *new std::u16string;
std::u16string& memory_text = *new std::u16string;
std::u16string& display_name = *new std::u16string;
std::u16string& sound_name = *new std::u16string;
std::u16string& system_uuid = *new std::u16string;
std::u16string& system_maker = *new std::u16string;
std::u16string& system_model = *new std::u16string;

namespace {

// Whether the start-up read of the WMI texts runs; never destroyed, like the texts.
std::mutex& wmi_lock = *new std::mutex;
std::condition_variable& wmi_done = *new std::condition_variable;
bool wmi_running = false;

bool is_space(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }

std::u16string trimmed(const std::u16string& s) {
  size_t b = 0, e = s.size();
  while (b < e && is_space(s[b])) ++b;
  while (e > b && is_space(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// One property into its target: a failed query or no value leaves the target as it was.
bool read_first(wmi_source& wmi, const char16_t* cls, const char16_t* property, std::u16string& target) {
  std::u16string value;
  bool has_value = false;
  if (!wmi.first_value(cls, property, value, has_value)) return false;
  if (has_value) target = value;
  target = trimmed(target);
  return true;
}

// A decimal 64-bit number as _wtoi64 reads it: blanks, a sign, then digits.
int64_t decimal_value(const std::u16string& text) {
  size_t i = 0;
  while (i < text.size() && is_space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  uint64_t n = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) n = n * 10 + uint64_t(text[i] - u'0');
  return negative ? -int64_t(n) : int64_t(n);
}

// "6.3.9600" -> 6 and 3; false when the text does not start with "major.minor".
bool parse_version_text(const std::u16string& text, uint32_t& major, uint32_t& minor) {
  size_t i = 0;
  auto number = [&](uint32_t& out) {
    size_t start = i;
    out = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && i - start < 6) out = out * 10 + (text[i++] - u'0');
    return i > start;
  };
  if (!number(major) || i >= text.size() || text[i] != u'.') return false;
  ++i;
  return number(minor);
}

int32_t class_of_6_2_and_above(uint32_t major, uint32_t minor) {
  if (major == 6 && minor == 2) return os_win8;
  if (major == 6 && minor == 3) return os_win81;
  if (major == 10 && minor == 0) return os_win10;
  return os_unknown;
}

}  // namespace

void wmi_facts_begin() {
  std::lock_guard<std::mutex> hold(wmi_lock);
  wmi_running = true;
}

void wmi_facts_end() {
  {
    std::lock_guard<std::mutex> hold(wmi_lock);
    wmi_running = false;
  }
  wmi_done.notify_all();
}

bool wmi_facts_pending() {
  std::lock_guard<std::mutex> hold(wmi_lock);
  return wmi_running;
}

void wait_for_wmi_facts() {
  std::unique_lock<std::mutex> hold(wmi_lock);
  wmi_done.wait(hold, [] { return !wmi_running; });
}

void read_wmi_facts(wmi_source& wmi) {
  read_first(wmi, u"Win32_Processor", u"name", processor_name);
  std::u16string version;
  if (read_first(wmi, u"Win32_OperatingSystem", u"Version", version) && !version.empty())
    os_version_text = version;
  if (read_first(wmi, u"Win32_OperatingSystem", u"Caption", os_caption)) {
    std::u16string build, service_pack;
    read_first(wmi, u"Win32_OperatingSystem", u"BuildNumber", build);
    if (!build.empty()) os_caption += u" Build " + build;
    read_first(wmi, u"Win32_OperatingSystem", u"CSDVersion", service_pack);
    if (!service_pack.empty()) os_caption += u" " + service_pack;
  }
  std::vector<std::u16string> capacities;
  if (wmi.all_values(u"Win32_PhysicalMemory", u"Capacity", capacities)) {
    int64_t total = 0;
    for (const auto& c : capacities) total += decimal_value(c);
    char16_t text[size_text_capacity];
    format_size_text(total, text);
    memory_text = text;
  }
  read_first(wmi, u"Win32_DisplayConfiguration", u"Caption", display_name);
  read_first(wmi, u"Win32_SoundDevice", u"Description", sound_name);
  read_first(wmi, u"Win32_ComputerSystemProduct", u"UUID", system_uuid);
  read_first(wmi, u"Win32_ComputerSystem", u"Manufacturer", system_maker);
  read_first(wmi, u"Win32_ComputerSystem", u"Model", system_model);
}

os_version_class classify_os_version(const os_version_probe& p) {
  os_version_class out{os_not_supported, p.major, p.minor, p.build};
  if (p.platform_id != 2) return out;  // Win32s, Windows 9x and others
  if (p.major == 5) {
    if (p.minor == 1) out.os_class = os_winxp;
    else if (p.minor == 2) out.os_class = p.server_r2 ? os_win2003_r2 : os_win2003;
    else if (p.minor != 0) out.os_class = os_unknown;
    return out;
  }
  if (p.major < 5) return out;
  if (p.major == 6 && p.minor < 2) {
    out.os_class = p.minor == 0 ? os_vista : os_win7;
    return out;
  }
  // 6.2 and above: what Windows reports here follows the program's manifest, so the class
  // comes from the real version when it can be had.
  uint32_t major, minor;
  if (p.has_real) {
    out.major = p.real_major;
    out.minor = p.real_minor;
    out.build = p.real_build;
  } else if (parse_version_text(p.wmi_version, major, minor) && (major > 6 || (major == 6 && minor >= 2))) {
    out.major = major;
    out.minor = minor;
  } else if (p.major == 6) {
    // Neither source: 6.2 as verified (with the WMI text saying 10), else 8.1.
    if (p.verified_6_2) {
      if (p.wmi_version.compare(0, 3, u"10.") == 0) {
        out.major = 10;
        out.minor = 0;
      } else {
        out.minor = 2;
      }
    } else {
      out.minor = 3;
    }
  }
  out.os_class = class_of_6_2_and_above(out.major, out.minor);
  return out;
}

const char* os_class_text(int32_t cls, bool is_64) {
  switch (cls) {
    case os_winxp: return is_64 ? "WINXP64" : "WINXP";
    case os_win2003:
    case os_win2003_r2: return is_64 ? "WIN200364" : "WIN2003";
    case os_vista: return is_64 ? "VISTA64" : "VISTA";
    case os_win7: return is_64 ? "WIN764" : "WIN7";
    case os_win8: return is_64 ? "WIN864" : "WIN8";
    case os_win81: return is_64 ? "WIN8164" : "WIN81";
    case os_win10: return is_64 ? "WIN1064" : "WIN10";
    case os_not_supported: return "NOT_SUPPORTED";
    default: return "UNKNOWN";
  }
}

bool system_is_64_bit() { return system_info.wProcessorArchitecture != 0 || process_is_wow64(); }

const char* os_name_text() { return os_class_text(os_class, system_is_64_bit()); }

std::u16string folder_with_backslash(std::u16string folder) {
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  return folder;
}
