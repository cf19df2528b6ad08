// The keyboard in the forms, on the calibration form: the focus follows Tab and Shift+Tab
// through the tab stops, Enter presses the focused button and Alt with an access key presses
// its button. The form must be the active window: the test goes with the serial ones.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "beamcam/trellum_forms.h"
#include "tests/support/gui_driver.h"
#include "tests/support/test_support.h"

namespace {

// This thread's messages as the program's loop handles them.
void pump_keys() {
  MSG m;
  for (int round = 0; round < 5; ++round, Sleep(10))
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      if (!forms::dialog_key(m)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
}

// A key as the keyboard delivers it to the focused window; `shift` held meanwhile.
void key(UINT vk, bool shift = false) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(state);
  HWND f = GetFocus();
  PostMessageW(f, WM_KEYDOWN, vk, 1);
  PostMessageW(f, WM_KEYUP, vk, LPARAM(0xC0000001));
  pump_keys();
  state[VK_SHIFT] = 0;
  SetKeyboardState(state);
}

// Alt with a letter: the system sends it as WM_SYSCHAR.
void alt_key(wchar_t letter) {
  HWND f = GetFocus();
  PostMessageW(f, WM_SYSCHAR, letter, LPARAM(0x20000001));
  pump_keys();
}

TEST(FormsKeyboard, TabMovesThroughTheCalibrationFormAndAccessKeysPressTheirButtons) {
  temp_folder dir;
  wchar_t here[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, here);
  ASSERT_TRUE(SetCurrentDirectoryW(dir.path().wstring().c_str()));
  write_file_bytes(dir / "calibration", "65000 65000");
  calibration stored{65000, 65000};
  std::vector<std::wstring> errors;
  {
    TForm3 f3(stored, [&](const std::wstring& e) { errors.push_back(e); });
    f3.show();
    pump_keys();
    ASSERT_EQ(GetActiveWindow(), f3.handle());
    // The first tab stop has the focus when the form comes up.
    EXPECT_EQ(GetFocus(), f3.Edit1->handle());
    key(VK_TAB);
    EXPECT_EQ(GetFocus(), f3.Button3->handle());
    key(VK_TAB);
    EXPECT_EQ(GetFocus(), f3.Edit2->handle());
    key(VK_TAB, true);
    EXPECT_EQ(GetFocus(), f3.Button3->handle());
    key(VK_TAB, true);
    EXPECT_EQ(GetFocus(), f3.Edit1->handle());

    // The access code, then Enter on the focused "OK" unlocks the edits.
    f3.Edit1->set_text(L"quillbrookmax");
    key(VK_TAB);
    key(VK_RETURN);
    EXPECT_FALSE(f3.Edit2->read_only());
    SetWindowTextW(f3.Edit2->handle(), L"7.25");
    EXPECT_EQ(f3.PendingCalibX, 72500);
    if (const char* shots = std::getenv("TRELLUM_SHOTS")) {
      key(VK_TAB);  // the focus on the unlocked Y edit, its text selected
      gui::save_screen_bmp(f3.handle(), (std::filesystem::path(shots) / "calibration-keyboard.bmp").wstring());
    }
    // Alt+I: "&Input" stores it.
    alt_key(L'i');
    EXPECT_EQ(stored.x, 72500);
    EXPECT_EQ(read_file_bytes(dir / "calibration").substr(0, 14), "72500  65000  ");
    // Alt+E: "&Exit" closes the form.
    alt_key(L'e');
    EXPECT_FALSE(f3.visible());
    EXPECT_TRUE(errors.empty());
  }
  SetCurrentDirectoryW(here);
}

}  // namespace
