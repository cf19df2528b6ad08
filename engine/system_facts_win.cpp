#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wbemidl.h>

#include "base/text.h"
#include "base/wide.h"
#include "engine/engine_errors.h"
#include "engine/settings.h"
#include "engine/system_facts.h"

namespace {

// Releases a COM interface when it goes.
template <typename T>
struct com_ref {
  T* p = nullptr;
  ~com_ref() {
    if (p) p->Release();
  }
  T** out() { return &p; }
  T* operator->() const { return p; }
};

class windows_wmi : public wmi_source {
 public:
  explicit windows_wmi(IWbemServices* services) : services_(services) {}

  bool first_value(const char16_t* cls, const char16_t* property, std::u16string& found, bool& has_value) override {
    has_value = false;
    return walk(cls, property, [&](const std::u16string& v) {
      found = v;
      has_value = true;
      return false;
    });
  }
  bool all_values(const char16_t* cls, const char16_t* property, std::vector<std::u16string>& values) override {
    return walk(cls, property, [&](const std::u16string& v) {
      values.push_back(v);
      return true;
    });
  }

 private:
  // Calls `take` with each object's value until it answers false; false when the query failed.
  template <typename F>
  bool walk(const char16_t* cls, const char16_t* property, F take) {
    std::u16string query = u"SELECT * FROM " + std::u16string(cls);
    BSTR language = SysAllocString(L"WQL");
    BSTR text = SysAllocString(as_wide(query));
    com_ref<IEnumWbemClassObject> objects;
    HRESULT hr = services_->ExecQuery(language, text, WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                      nullptr, objects.out());
    SysFreeString(language);
    SysFreeString(text);
    if (FAILED(hr) || !objects.p) return false;
    for (;;) {
      com_ref<IWbemClassObject> object;
      ULONG returned = 0;
      if (objects->Next(WBEM_INFINITE, 1, object.out(), &returned) != WBEM_S_NO_ERROR || returned == 0) break;
      VARIANT value;
      VariantInit(&value);
      bool keep_going = true;
      if (SUCCEEDED(object->Get(as_wide(property), 0, &value, nullptr, nullptr)) && value.vt != VT_NULL &&
          value.vt != VT_EMPTY) {
        if (value.vt != VT_BSTR) VariantChangeType(&value, &value, 0, VT_BSTR);
        if (value.vt == VT_BSTR && value.bstrVal) keep_going = take(std::u16string(as_u16(value.bstrVal)));
      }
      VariantClear(&value);
      if (!keep_going) break;
    }
    return true;
  }

  IWbemServices* services_;
};

bool read_version(OSVERSIONINFOEXW& v) {
  ZeroMemory(&v, sizeof v);
  v.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
  if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v))) return true;
  ZeroMemory(&v, sizeof v);
  v.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  return GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v)) != FALSE;
}

bool is_exactly_6_2() {
  OSVERSIONINFOEXW v;
  ZeroMemory(&v, sizeof v);
  v.dwOSVersionInfoSize = sizeof v;
  v.dwMajorVersion = 6;
  v.dwMinorVersion = 2;
  DWORDLONG mask = VerSetConditionMask(VerSetConditionMask(0, VER_MAJORVERSION, VER_EQUAL), VER_MINORVERSION, VER_EQUAL);
  return VerifyVersionInfoW(&v, VER_MAJORVERSION | VER_MINORVERSION, mask) != FALSE;
}

// ntdll's own version call, which no manifest changes.
bool real_version(OSVERSIONINFOW& v) {
  typedef LONG(WINAPI * rtl_get_version_t)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto call = ntdll ? reinterpret_cast<rtl_get_version_t>(
                          reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                    : nullptr;
  if (!call) return false;
  ZeroMemory(&v, sizeof v);
  v.dwOSVersionInfoSize = sizeof v;
  return call(&v) == 0;
}

}  // namespace

int query_wmi_facts() {
  HRESULT hr = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                    RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  // Already set for this process (by an earlier call or a loaded component): WMI still works.
  if (FAILED(hr) && hr != RPC_E_TOO_LATE) return -1;
  com_ref<IWbemLocator> locator;
  if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                              reinterpret_cast<void**>(locator.out()))))
    return -1;
  com_ref<IWbemServices> services;
  BSTR space = SysAllocString(L"ROOT\\CIMV2");
  hr = locator->ConnectServer(space, nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.out());
  SysFreeString(space);
  if (FAILED(hr)) return -1;
  if (FAILED(CoSetProxyBlanket(services.p, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                               RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE)))
    return -1;
  windows_wmi wmi(services.p);
  read_wmi_facts(wmi);
  return 0;
}

namespace {

DWORD WINAPI wmi_facts_thread(void*) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  query_wmi_facts();
  CoUninitialize();
  wmi_facts_end();
  return 0;
}

}  // namespace

void start_wmi_facts() {
  wmi_facts_begin();
  HANDLE thread = CreateThread(nullptr, 0, wmi_facts_thread, nullptr, 0, nullptr);
  if (thread) {
    CloseHandle(thread);  // nobody joins it: the readers wait for wmi_facts_end
    return;
  }
  // No thread to be had: read them here, as before.
  query_wmi_facts();
  wmi_facts_end();
}

bool detect_os_version() {
  OSVERSIONINFOEXW v;
  if (!read_version(v)) return false;
  os_version_probe probe{};
  probe.platform_id = v.dwPlatformId;
  probe.major = v.dwMajorVersion;
  probe.minor = v.dwMinorVersion;
  probe.build = v.dwBuildNumber;
  probe.server_r2 = v.dwMajorVersion == 5 && v.dwMinorVersion == 2 && GetSystemMetrics(SM_SERVERR2) != 0;
  if (v.dwPlatformId == VER_PLATFORM_WIN32_NT && (v.dwMajorVersion > 6 || (v.dwMajorVersion == 6 && v.dwMinorVersion >= 2))) {
    probe.verified_6_2 = is_exactly_6_2();
    OSVERSIONINFOW real;
    if (real_version(real)) {
      probe.has_real = true;
      probe.real_major = real.dwMajorVersion;
      probe.real_minor = real.dwMinorVersion;
      probe.real_build = real.dwBuildNumber;
    } else {
      // Only then does WMI's text decide the version; read here when no read came before
      // (ntdll has the call on every Windows that reports 6.2, so this path is rare).
      wait_for_wmi_facts();
      if (os_version_text.empty()) query_wmi_facts();
      probe.wmi_version = os_version_text;
    }
  }
  os_version_class c = classify_os_version(probe);
  os_version_info = {};
  os_version_info.dwMajorVersion = c.major;
  os_version_info.dwMinorVersion = c.minor;
  os_version_info.dwBuildNumber = c.build;
  os_version_info.dwPlatformId = v.dwPlatformId;
  copy_cut(os_version_info.szCSDVersion, as_u16(v.szCSDVersion));
  os_version_info.wServicePackMajor = v.wServicePackMajor;
  os_version_info.wServicePackMinor = v.wServicePackMinor;
  os_version_info.wSuiteMask = v.wSuiteMask;
  os_version_info.wProductType = v.wProductType;
  os_class = c.os_class;
  return true;
}

bool process_is_wow64() {
  typedef BOOL(WINAPI * is_wow64_t)(HANDLE, BOOL*);
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  auto call = kernel ? reinterpret_cast<is_wow64_t>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))
                     : nullptr;
  BOOL wow64 = FALSE;
  return call && call(GetCurrentProcess(), &wow64) && wow64;
}

bool init_system_info() {
  if (!detect_os_version()) {
    last_error_code = engine_error::windows_version;
    return false;
  }
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  system_info.wProcessorArchitecture = si.wProcessorArchitecture;
  system_info.dwNumberOfProcessors = si.dwNumberOfProcessors;
  system_info.dwPageSize = si.dwPageSize;
  ui_language = GetUserDefaultUILanguage();

  // A cut path would name another file: keep none rather than a wrong one.
  WCHAR path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  exe_path[0] = 0;
  if (n > 0 && n < MAX_PATH) copy_cut(exe_path, as_u16(path));

  WCHAR folder[MAX_PATH];
  n = GetCurrentDirectoryW(MAX_PATH, folder);
  app_settings.base_folder[0] = 0;
  if (n > 0 && n < MAX_PATH) {
    std::u16string base = folder_with_backslash(as_u16(folder));
    if (base.size() < 260) copy_cut(app_settings.base_folder, base);
  }

  WCHAR local[MAX_PATH];
  if (SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE) && PathAppendW(local, L"Vantoril") &&
      !PathIsDirectoryW(local))
    CreateDirectoryW(local, nullptr);
  return true;
}
