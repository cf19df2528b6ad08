// Numbers in the edits follow the user's decimal separator (a setting of the prefix: the test
// goes with the serial ones); the files keep theirs.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "beamcam/trellum_forms.h"
#include "tests/support/gui_driver.h"
#include "tests/support/test_support.h"

namespace {

class CommaLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_, 8);
    ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L","));
    wchar_t now[8] = L"";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, now, 8);
    ASSERT_STREQ(now, L",");
    GetCurrentDirectoryW(MAX_PATH, here_);
    ASSERT_TRUE(SetCurrentDirectoryW(dir_.path().wstring().c_str()));
    write_file_bytes(dir_ / "calibration", "65000 65000");
  }
  void TearDown() override {
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_);
    SetCurrentDirectoryW(here_);
    gui::drop_quit_message();
  }
  wchar_t old_[8] = L".";
  wchar_t here_[MAX_PATH] = L"";
  temp_folder dir_;
};

TEST_F(CommaLocale, GainAndPitchEditsShowAndAcceptTheCommaAndTheFileKeepsItsFormat) {
  main_form_seams seams;
  seams.build_graph = [](capture_form_i&) { return HRESULT(0); };
  seams.exit_process = [](UINT) {};
  seams.show = false;
  auto form = std::make_unique<TForm1>(seams);
  form->start_exit_timer->set_enabled(false);
  HWND gain = form->MaskEdit1->handle();
  SetWindowTextW(gain, L"2,5");
  EXPECT_EQ(form->Frames.PixelGain, 2.5);
  EXPECT_EQ(form->MaskEdit1->text(), L"2,5");
  SetWindowTextW(gain, L"abc");  // refused: the gain is shown again, with the comma
  EXPECT_EQ(form->MaskEdit1->text(), L"2,5");
  SetWindowTextW(gain, L"9,95");
  SendMessageW(gain, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(form->MaskEdit1->text(), L"10,05");

  TForm3 f3(form->Calib);
  EXPECT_EQ(f3.Edit2->text(), L"6,5");
  f3.Edit1->set_text(L"quillbrookmax");
  f3.Button3Click();
  SetWindowTextW(f3.Edit2->handle(), L"7,25");
  EXPECT_EQ(f3.PendingCalibX, 72500);
  f3.Button1Click();
  EXPECT_EQ(read_file_bytes(dir_ / "calibration"), "72500  65000   65000 65000");
  form.reset();
}

}  // namespace
