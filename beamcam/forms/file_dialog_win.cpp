// The system's open and save dialogs.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "beamcam/forms/forms.h"

namespace forms {

bool file_dialog_c::Execute(HWND owner) {
  // "text|pattern|text|pattern" as the dialog wants it: pairs ended by NULs, two at the end.
  std::wstring filter_list = filter;
  for (wchar_t& c : filter_list)
    if (c == L'|') c = L'\0';
  filter_list.append(2, L'\0');
  std::vector<wchar_t> name(32768, L'\0');
  file_name.copy(name.data(), std::min(file_name.size(), name.size() - 1));
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter_list.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = DWORD(name.size());
  ofn.lpstrInitialDir = initial_dir.empty() ? nullptr : initial_dir.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  // The program's own files (the calibration, the position log) lie in the current
  // directory, so the dialog must not move it to the folder the user chose.
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
              (overwrite_prompt ? OFN_OVERWRITEPROMPT : 0);
  BOOL ok = kind_ == kind::open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  if (!ok) return false;
  file_name = name.data();
  return true;
}

bool confirm_replace(HWND owner, const std::wstring& title, const std::wstring& path) {
  std::wstring text = path + L" already exists.\nDo you want to replace it?";
  return MessageBoxW(owner, text.c_str(), title.c_str(), MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

}  // namespace forms
