// The device source over SetupAPI and the configuration manager: raw records only; every
// decision about them is in the portable scan.
#include "engine/inventory_source_win.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>

#include "base/wide.h"
#include "engine/engine_errors.h"

namespace {

static_assert(sizeof(class_guid_t) == sizeof(GUID), "class GUIDs keep the Windows layout");

std::u16string until_nul(const wchar_t* s, size_t units) {
  const wchar_t* end = std::find(s, s + units, L'\0');
  return std::u16string(as_u16(s), size_t(end - s));
}

// A device property read with a first buffer, regrown only when the property has the type
// expected. The buffer keeps room for `terminators` NULs past the data, so that the text is
// ended inside it also when the property fills the buffer exactly.
std::optional<std::u16string> device_property(HDEVINFO set, SP_DEVINFO_DATA& data, DWORD property,
                                              DWORD first_bytes, DWORD regrow_type,
                                              DWORD terminators) {
  const DWORD spare = terminators * sizeof(wchar_t);
  std::vector<BYTE> buffer(first_bytes + spare, 0);
  DWORD capacity = first_bytes, type = 0, required = 0;
  BOOL ok = SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, buffer.data(), capacity,
                                              &required);
  if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER && type == regrow_type &&
      required > capacity) {
    capacity = required;
    buffer.assign(capacity + spare, 0);
    ok = SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, buffer.data(), capacity,
                                           &required);
  }
  if (!ok) return std::nullopt;
  DWORD bytes = required && required < capacity ? required : capacity;
  size_t units = bytes / sizeof(wchar_t);
  const wchar_t* text = reinterpret_cast<const wchar_t*>(buffer.data());
  if (terminators == 1) return until_nul(text, units);
  return std::u16string(as_u16(text), units);
}

std::optional<std::u16string> text_property(HDEVINFO set, SP_DEVINFO_DATA& data, DWORD property) {
  return device_property(set, data, property, 1024, REG_SZ, 1);
}

std::optional<std::u16string> multi_property(HDEVINFO set, SP_DEVINFO_DATA& data, DWORD property) {
  return device_property(set, data, property, 8192, REG_MULTI_SZ, 2);
}

std::optional<std::u16string> instance_id(HDEVINFO set, SP_DEVINFO_DATA& data) {
  std::vector<wchar_t> buffer(512 + 1, L'\0');
  DWORD required = 0;
  BOOL ok = SetupDiGetDeviceInstanceIdW(set, &data, buffer.data(), 512, &required);
  if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER && required > 512) {
    buffer.assign(required + 1, L'\0');
    ok = SetupDiGetDeviceInstanceIdW(set, &data, buffer.data(), required, &required);
  }
  if (!ok) return std::nullopt;
  return until_nul(buffer.data(), buffer.size());
}

// A REG_SZ value; none when it is missing or of another type.
std::optional<std::u16string> registry_text(HKEY key, const wchar_t* name) {
  DWORD capacity = 1024;
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::vector<BYTE> buffer(capacity + sizeof(wchar_t), 0);
    DWORD type = 0, size = capacity;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, buffer.data(), &size);
    if (rc == ERROR_MORE_DATA && size > capacity) {
      capacity = size;  // the value may grow again before the next read: try a few times
      continue;
    }
    if (rc != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    size_t units = std::min(size, capacity) / sizeof(wchar_t);
    return until_nul(reinterpret_cast<const wchar_t*>(buffer.data()), units);
  }
  return std::nullopt;
}

std::u16string class_description(const GUID& guid) {
  wchar_t text[256 + 1] = {};
  if (!SetupDiGetClassDescriptionW(&guid, text, 256, nullptr)) return {};
  return until_nul(text, 256);
}

std::optional<std::u16string> class_name(const GUID& guid) {
  std::vector<wchar_t> buffer(1024 + 1, L'\0');
  DWORD required = 0;
  BOOL ok = SetupDiClassNameFromGuidW(&guid, buffer.data(), 1024, &required);
  if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER && required > 1024) {
    buffer.assign(required + 1, L'\0');
    ok = SetupDiClassNameFromGuidW(&guid, buffer.data(), required, &required);
  }
  if (!ok) return std::nullopt;
  return until_nul(buffer.data(), buffer.size());
}

}  // namespace

setupapi_device_source::setupapi_device_source(const class_image_list& images,
                                               devnode_status_fn status)
    : images_(images), status_(status ? status : &CM_Get_DevNode_Status) {}

setupapi_device_source::~setupapi_device_source() { close_devices(); }

bool setupapi_device_source::read_classes(std::vector<raw_class>& out) {
  out.clear();
  std::vector<GUID> guids(1);
  DWORD required = 0;
  while (!SetupDiBuildClassInfoList(0, guids.data(), DWORD(guids.size()), &required)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || required <= guids.size()) return false;
    guids.resize(required);
  }
  guids.resize(std::min<size_t>(required, guids.size()));
  out.reserve(guids.size());
  for (const GUID& guid : guids) {
    raw_class c;
    std::memcpy(&c.guid, &guid, sizeof guid);
    wchar_t text[39] = {};
    if (StringFromGUID2(guid, text, 39)) c.guid_text = until_nul(text, 39);
    c.description = class_description(guid);
    c.name = class_name(guid);
    c.image_index = class_image_index(images_, guid);
    out.push_back(std::move(c));
  }
  return true;
}

bool setupapi_device_source::open_devices() {
  close_devices();
  // Every class, present or not: the keep rules decide about devices that are unplugged.
  set_ = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  return set_ != INVALID_HANDLE_VALUE;
}

bool setupapi_device_source::entry(int32_t index, SP_DEVINFO_DATA& data) {
  data = SP_DEVINFO_DATA{};
  data.cbSize = sizeof(data);
  return index >= 0 && SetupDiEnumDeviceInfo(set_, DWORD(index), &data);
}

int32_t setupapi_device_source::count_devices() {
  SP_DEVINFO_DATA data;
  int32_t n = 0;
  while (entry(n, data)) ++n;
  return n;
}

entry_result setupapi_device_source::read_device(int32_t index, raw_device& out) {
  SP_DEVINFO_DATA data;
  if (!entry(index, data))
    return GetLastError() == ERROR_NO_MORE_ITEMS ? entry_result::end : entry_result::failure;
  out = raw_device{};
  out.instance_id = instance_id(set_, data);
  if (!out.instance_id) return entry_result::entry;  // nothing else matters then
  out.friendly_name = text_property(set_, data, SPDRP_FRIENDLYNAME).value_or(u"");
  if (out.friendly_name.empty())
    out.description = text_property(set_, data, SPDRP_DEVICEDESC).value_or(u"");
  out.enumerator = text_property(set_, data, SPDRP_ENUMERATOR_NAME);
  out.class_name = text_property(set_, data, SPDRP_CLASS).value_or(u"");
  out.class_guid = text_property(set_, data, SPDRP_CLASSGUID).value_or(u"");
  out.hardware_ids = multi_property(set_, data, SPDRP_HARDWAREID);
  out.compatible_ids = multi_property(set_, data, SPDRP_COMPATIBLEIDS).value_or(u"");
  // Set before the call: a configuration manager that answers without writing them must
  // not leave stray values.
  ULONG status = 0, problem = 0;
  if (status_(&status, &problem, data.DevInst, 0) == CR_SUCCESS) {
    out.status_read = true;
    out.status = status;
    out.problem = problem;
  }
  return entry_result::entry;
}

raw_driver_values setupapi_device_source::read_driver_values(int32_t index) {
  raw_driver_values v;
  SP_DEVINFO_DATA data;
  if (!entry(index, data)) return v;
  HKEY key = SetupDiOpenDevRegKey(set_, &data, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE || !key) return v;
  v.key_opened = true;
  static const wchar_t* const names[6] = {L"DriverVersion", L"InfPath",          L"DriverDate",
                                          L"DriverDesc",    L"MatchingDeviceId", L"ProviderName"};
  for (int i = 0; i < 6; ++i) {
    v.values[i] = registry_text(key, names[i]);
    if (!v.values[i] && i < 5) break;  // the rest would not be used
  }
  RegCloseKey(key);
  return v;
}

uint32_t setupapi_device_source::read_driver_rank(int32_t index, const char16_t* inf_path) {
  SP_DEVINFO_DATA data;
  if (!entry(index, data)) return 0;
  SP_DEVINSTALL_PARAMS_W params{};
  params.cbSize = sizeof(params);
  if (!SetupDiGetDeviceInstallParamsW(set_, &data, &params)) return 0;
  params.Flags |= DI_ENUMSINGLEINF;
  params.FlagsEx |= DI_FLAGSEX_INSTALLEDDRIVER | DI_FLAGSEX_ALLOWEXCLUDEDDRVS;
  std::u16string path(inf_path ? inf_path : u"");
  path.resize(std::min<size_t>(path.size(), MAX_PATH - 1));
  std::memcpy(params.DriverPath, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
  if (!SetupDiSetDeviceInstallParamsW(set_, &data, &params)) return 0;
  if (!SetupDiBuildDriverInfoList(set_, &data, SPDIT_COMPATDRIVER)) return 0;
  uint32_t rank = 0;
  SP_DRVINFO_DATA_V2_W driver{};
  driver.cbSize = sizeof(driver);
  if (SetupDiEnumDriverInfoW(set_, &data, SPDIT_COMPATDRIVER, 0, &driver)) {
    SP_DRVINSTALL_PARAMS install{};
    install.cbSize = sizeof(install);
    if (SetupDiGetDriverInstallParamsW(set_, &data, &driver, &install)) rank = install.Rank;
  }
  SetupDiDestroyDriverInfoList(set_, &data, SPDIT_COMPATDRIVER);
  return rank;
}

void setupapi_device_source::close_devices() {
  if (set_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set_);
  set_ = INVALID_HANDLE_VALUE;
}

int32_t scan_this_machine(device_store& store, scan_progress& progress, devnode_status_fn status) {
  setupapi_device_source source(store.image_list, status);
  return scan_devices(store, progress, source);
}

bool scan_devices(scan_progress& progress) {
  device_store* store = the_device_store();
  int32_t code = store ? scan_this_machine(*store, progress, &CM_Get_DevNode_Status)
                       : engine_error::class_list;
  if (code) set_last_error(code);
  return code == 0;
}

int32_t device_scan_entry(void* progress) {
  return progress && scan_devices(*static_cast<scan_progress*>(progress)) ? 0 : -1;
}
