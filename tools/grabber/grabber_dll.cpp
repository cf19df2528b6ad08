// grabber.dll: the stand-in grabber as a COM server (the capture filter) and as the
// "vidc.yuy2" decompressor driver. Registering it writes the filter's class and the driver;
// devices are listed by their own keys in the video input category (docs/stand-ins.md).
#include <windows.h>

#include <string>

#include "tools/grabber/standin.h"

namespace {

HMODULE g_module = nullptr;

const wchar_t* const drivers_key = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32";

std::wstring clsid_key() {
  wchar_t text[64];
  StringFromGUID2(CLSID_GrabberStandin, text, 64);
  return std::wstring(L"CLSID\\") + text;
}

bool set_string(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return false;
  LONG rc = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           DWORD((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
  return rc == ERROR_SUCCESS;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

__declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_GrabberStandin) return CLASS_E_CLASSNOTAVAILABLE;
  return grabber_class_factory()->QueryInterface(iid, out);
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return grabber_objects_alive() == 0 ? S_OK : S_FALSE; }

__declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return E_FAIL;
  std::wstring key = clsid_key();
  bool ok = set_string(HKEY_CLASSES_ROOT, key, nullptr, L"Grabber stand-in") &&
            set_string(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, path) &&
            set_string(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Both") &&
            set_string(HKEY_LOCAL_MACHINE, drivers_key, L"vidc.yuy2", path);
  return ok ? S_OK : E_FAIL;
}

__declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
  RegDeleteKeyW(HKEY_CLASSES_ROOT, (clsid_key() + L"\\InprocServer32").c_str());
  RegDeleteKeyW(HKEY_CLASSES_ROOT, clsid_key().c_str());
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, drivers_key, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
    RegDeleteValueW(k, L"vidc.yuy2");
    RegCloseKey(k);
  }
  return S_OK;
}

__declspec(dllexport) LRESULT CALLBACK DriverProc(DWORD_PTR id, HDRVR driver, UINT message, LPARAM lparam1,
                                                  LPARAM lparam2) {
  return grabber_yuy2_driver(id, driver, message, lparam1, lparam2);
}

}  // extern "C"
