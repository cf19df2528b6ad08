// grabber-run.exe: the run script's hands inside the Wine prefix.
//   grabber-run register <grabber.dll> <name> <beam> <lines>
//       registers the stand-in (filter class and YUY2 driver) and lists one device of that
//       name in the video input category, with the beam "peak cx cy wx wy" and 576 or 480 lines
//   grabber-run keys <window title> <menu mnemonics>
//       chooses a menu command of a Trellum form as the keyboard does ("fe": "&File", "&Exit");
//       waits up to 30 s for the window
#include <windows.h>

#include <string>

#include "tools/grabber/standin.h"

namespace {

const wchar_t* const device_key =
    L"Software\\Classes\\CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance\\StandinGrabber";

bool set_string(HKEY k, const wchar_t* name, const wchar_t* value) {
  return RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                        DWORD((wcslen(value) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

int register_grabber(const wchar_t* dll, const wchar_t* name, const wchar_t* beam, const wchar_t* lines) {
  HMODULE module = LoadLibraryW(dll);
  if (!module) return 2;
  using reg_fn = HRESULT(WINAPI*)();
  auto reg = reinterpret_cast<reg_fn>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
  HRESULT hr = reg ? reg() : E_FAIL;
  if (FAILED(hr)) return 3;
  wchar_t clsid[64];
  StringFromGUID2(CLSID_GrabberStandin, clsid, 64);
  HKEY k = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, device_key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return 4;
  bool ok = set_string(k, L"FriendlyName", name) && set_string(k, L"CLSID", clsid) && set_string(k, L"Beam", beam) &&
            set_string(k, L"Lines", lines);
  RegCloseKey(k);
  return ok ? 0 : 4;
}

// Menus belong to their process under Wine and cannot be read from here, and the program
// answers no message of its own from outside: the command is chosen through the menu's
// keyboard interface, Alt and the mnemonics, as a user would.
int choose_command(const wchar_t* title, const wchar_t* mnemonics) {
  if (!mnemonics[0]) return 5;
  for (int i = 0; i < 300; ++i) {
    if (HWND w = FindWindowW(nullptr, title)) {
      PostMessageW(w, WM_SYSCOMMAND, SC_KEYMENU, LPARAM(mnemonics[0]));
      for (const wchar_t* m = mnemonics + 1; *m; ++m) {
        Sleep(300);
        PostMessageW(w, WM_CHAR, WPARAM(*m), 1);
      }
      return 0;
    }
    Sleep(100);
  }
  return 7;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 6 && wcscmp(argv[1], L"register") == 0) return register_grabber(argv[2], argv[3], argv[4], argv[5]);
  if (argc == 4 && wcscmp(argv[1], L"keys") == 0) return choose_command(argv[2], argv[3]);
  return 1;
}
