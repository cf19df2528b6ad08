// Trellum's files in this process: the calibration read at start and its form, raw and JPEG
// frames through the system's file dialogs, and the beam-position log. The files lie in a
// folder of the test's own, made the current directory.
#include "beamcam/trellum_forms.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <jpeglib.h>

#include "tests/support/gui_driver.h"
#include "tests/support/text_fit.h"
#include "tests/support/test_support.h"

namespace {

struct recorded_clipboard : clipboard_i {
  void CopyTextToClipboard(const char* text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

HWND wait_top_window(const wchar_t* title, const wchar_t* containing, DWORD ms) {
  for (DWORD t = GetTickCount(); GetTickCount() - t < ms; Sleep(20)) {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, L"#32770", title))) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (!IsWindowVisible(w) || pid != GetCurrentProcessId()) continue;  // tests run side by side
      if (!containing) return w;
      // A message box: its text is a static child.
      for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (gui::window_text(c).find(containing) != std::wstring::npos) return w;
    }
  }
  return nullptr;
}

// Answers the file dialog titled `title` from another thread, as a user types a name and
// presses the button (an empty name cancels); then, when `replace` is given, the question
// about replacing a file (IDYES or IDNO). Join before looking at the outcome.
class dialog_user {
 public:
  dialog_user(std::wstring title, std::wstring name, int replace = 0)
      : thread_([this, title, name, replace] { run(title, name, replace); }) {}
  ~dialog_user() { join(); }
  void join() {
    if (thread_.joinable()) thread_.join();
  }
  bool answered_dialog = false, asked_replace = false;
  std::wstring initial_name;  // the name the dialog offered

 private:
  void run(const std::wstring& title, const std::wstring& name, int replace) {
    HWND dlg = wait_top_window(title.c_str(), nullptr, 20000);
    if (!dlg) return;
    if (name.empty()) {
      PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    } else {
      HWND edit = GetDlgItem(dlg, 0x47c);  // the file name box (cmb13), or an edit (edt1)
      if (!edit) edit = GetDlgItem(dlg, 0x480);
      if (!edit) return;
      initial_name = gui::window_text(edit);
      SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
      PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
    }
    for (DWORD t = GetTickCount(); IsWindow(dlg) && GetTickCount() - t < 10000;) Sleep(20);
    answered_dialog = !IsWindow(dlg);
    if (!replace) return;
    HWND box = wait_top_window(title.c_str(), L"already exists", 10000);
    if (!box) return;
    asked_replace = true;
    PostMessageW(box, WM_COMMAND, replace, 0);
  }
  std::thread thread_;
};

std::string read_all(const std::filesystem::path& p) { return read_file_bytes(p); }

void write_all(const std::filesystem::path& p, const std::string& bytes) {
  FILE* f = _wfopen(p.wstring().c_str(), L"wb");
  ASSERT_TRUE(f);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

// A Gaussian beam in a processed frame.
void put_beam(std::vector<int16_t>& frame, double peak, double cx, double cy, double wx, double wy) {
  for (int r = 0; r < FrameHeight; ++r)
    for (int c = 0; c < FrameWidth; ++c) {
      double e = -2.0 * ((c - cx) * (c - cx) / (wx * wx) + (r - cy) * (r - cy) / (wy * wy));
      frame[size_t(r) * FrameWidth + c] = int16_t(std::trunc(peak * std::exp(e) + 0.5));
    }
}

class TrellumFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t here[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, here);
    old_dir_ = here;
    ASSERT_TRUE(SetCurrentDirectoryW(dir_.path().wstring().c_str()));
  }
  void TearDown() override {
    calibration_form.reset();
    positions.reset();
    form.reset();
    gui::drop_quit_message();
    SetCurrentDirectoryW(old_dir_.c_str());
  }
  void make() {
    main_form_seams seams;
    seams.build_graph = [](capture_form_i& f) {
      video_mode m{};
      video_mode_for_sample_size(829440, &m);
      f.set_video_mode(m);
      return HRESULT(0);
    };
    seams.exit_process = [](UINT) {};
    seams.clipboard = &clipboard;
    seams.error_box = [this](const std::wstring& text) { errors.push_back(text); };
    form = std::make_unique<TForm1>(seams);
    ASSERT_TRUE(form->handle());
    positions = std::make_unique<TForm5>();
    form->Form5 = positions.get();
    form->BeamPositionForm = positions.get();
    calibration_form = std::make_unique<TForm3>(form->Calib, seams.error_box);
    form->Form3 = calibration_form.get();
  }
  std::filesystem::path file(const std::string& name) const { return dir_ / name; }
  std::wstring wfile(const std::string& name) const { return file(name).wstring(); }

  temp_folder dir_;
  std::wstring old_dir_;
  recorded_clipboard clipboard;
  std::vector<std::wstring> errors;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TForm5> positions;
  std::unique_ptr<TForm3> calibration_form;
};

TEST_F(TrellumFiles, CalibrationReadAtStartKeepsOneMicrometreForWhatTheFileDoesNotGive) {
  struct row {
    const char* file;  // null: no file
    double x, y;
    const wchar_t* shown_x;
  } rows[] = {{nullptr, 1, 1, L"1"}, {"65000 65000", 6.5, 6.5, L"6.5"}, {"65000", 6.5, 1, L"6.5"},
              {"abc", 1, 1, L"1"}, {"", 1, 1, L"1"}, {"99999999999 65000", 1, 1, L"1"}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.file ? r.file : "(none)");
    std::error_code ignored;
    std::filesystem::remove(file("calibration"), ignored);
    if (r.file) write_all(file("calibration"), r.file);
    make();
    EXPECT_DOUBLE_EQ(form->View.PixelSizeX, r.x);
    EXPECT_DOUBLE_EQ(form->View.PixelSizeY, r.y);
    EXPECT_EQ(calibration_form->Edit2->text(), r.shown_x);
    calibration_form.reset();
    positions.reset();
    form.reset();
    gui::drop_quit_message();
  }
}

TEST_F(TrellumFiles, CalibrationFormStoresANewPitchOnlyBehindTheCode) {
  write_all(file("calibration"), "65000 65000");
  make();
  TForm3& f3 = *calibration_form;
  EXPECT_EQ(f3.dump_text().substr(0, 46), "form\tForm3\tCalibrate CCD Pixel Size\t385x217\t0\n");
  EXPECT_EQ(f3.Edit2->text(), L"6.5");
  EXPECT_EQ(f3.Edit3->text(), L"6.5");
  EXPECT_TRUE(f3.Edit2->read_only() && f3.Edit3->read_only());
  EXPECT_EQ(f3.Edit2->colour(), forms::clScrollBar);
  EXPECT_EQ(SendMessageW(f3.Edit1->handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
  SendMessageW(form->handle(), WM_COMMAND, form->Calibration1->id(), 0);  // "&Calibr"
  EXPECT_TRUE(f3.visible());
  {
    text_fit::recorder record;
    auto faults = text_fit::check_window(f3.handle());
    EXPECT_TRUE(faults.empty()) << text_fit::describe(faults);
  }

  // A wrong code changes nothing.
  f3.Edit1->set_text(L"Quillbrookmax");
  f3.Button3Click();
  EXPECT_TRUE(f3.Edit2->read_only());
  f3.Edit1->set_text(L"quillbrookmax");
  SendMessageW(f3.handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(f3.Button3->handle()));
  EXPECT_FALSE(f3.Edit2->read_only() || f3.Edit3->read_only());
  EXPECT_EQ(f3.Edit2->colour(), forms::clWindow);

  SetWindowTextW(f3.Edit2->handle(), L"7.25");
  EXPECT_EQ(f3.PendingCalibX, 72500);
  EXPECT_EQ(f3.Edit2->colour(), forms::clYellow);
  EXPECT_EQ(f3.Edit3->colour(), forms::clWindow);
  SetWindowTextW(f3.Edit3->handle(), L"120");  // out of range: the pending value comes back
  EXPECT_EQ(f3.Edit3->text(), L"6.5");
  EXPECT_EQ(f3.PendingCalibY, 65000);

  // "&Input" with the file unwritable: an error, nothing stored, the edit still yellow.
  std::filesystem::remove(file("calibration"));
  std::filesystem::create_directory(file("calibration"));
  f3.Button1Click();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(L"calibration"), std::wstring::npos);
  EXPECT_EQ(form->Calib.x, 65000);
  EXPECT_EQ(f3.Edit2->colour(), forms::clYellow);
  std::filesystem::remove(file("calibration"));
  write_all(file("calibration"), "65000 65000");

  SendMessageW(f3.handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(f3.Button1->handle()));  // "&Input"
  EXPECT_EQ(read_all(file("calibration")), "72500  65000   65000 65000");
  EXPECT_EQ(form->Calib.x, 72500);
  EXPECT_EQ(form->Calib.y, 65000);
  EXPECT_EQ(f3.Edit2->colour(), forms::clWindow);
  EXPECT_DOUBLE_EQ(form->View.PixelSizeX, 6.5);  // until the next start
  f3.Button1Click();  // nothing changed since: the file is left as it is
  EXPECT_EQ(read_all(file("calibration")), "72500  65000   65000 65000");
  EXPECT_TRUE(std::filesystem::exists(file("calibration")));
  EXPECT_FALSE(std::filesystem::exists(file("calibration.part")));

  // "&Cancel" puts the stored pitch back.
  SetWindowTextW(f3.Edit3->handle(), L"3");
  EXPECT_EQ(f3.PendingCalibY, 30000);
  f3.Button2Click();
  EXPECT_EQ(f3.PendingCalibY, 65000);
  EXPECT_EQ(f3.Edit2->text(), L"7.25");
  EXPECT_EQ(f3.Edit3->colour(), forms::clWindow);

  if (const char* shots = std::getenv("TRELLUM_SHOTS")) {
    SetWindowTextW(f3.Edit2->handle(), L"6.75");
    gui::pump_for(300);
    gui::save_screen_bmp(f3.handle(), (std::filesystem::path(shots) / "calibration-form.bmp").wstring());
  }

  // Closing relocks; the code is asked for again.
  SendMessageW(f3.handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(f3.Button4->handle()));  // "&Exit"
  gui::pump_until([&] { return !f3.visible(); });
  EXPECT_FALSE(f3.visible());
  EXPECT_TRUE(f3.Edit2->read_only() && f3.Edit3->read_only());
  EXPECT_EQ(f3.Edit2->colour(), forms::clScrollBar);
}

TEST_F(TrellumFiles, SavesGoThroughAFileOfTheirOwnAndLeaveAUsersPartFile) {
  // The user's own "x.raw.part" and a hidden x.raw beside it.
  write_all(file("x.raw.part"), "the user's notes");
  write_all(file("x.raw"), "old frame");
  SetFileAttributesW(wfile("x.raw").c_str(), FILE_ATTRIBUTE_HIDDEN);
  std::wstring error;
  ASSERT_TRUE(write_file_replacing(wfile("x.raw"), "new frame", error)) << error;
  EXPECT_EQ(read_all(file("x.raw")), "new frame");
  EXPECT_EQ(read_all(file("x.raw.part")), "the user's notes");
  // The file is rewritten, not swapped for another one: it keeps what the user gave it.
  EXPECT_TRUE(GetFileAttributesW(wfile("x.raw").c_str()) & FILE_ATTRIBUTE_HIDDEN);
  // A save that cannot replace its target (read-only) leaves both files and nothing else.
  SetFileAttributesW(wfile("x.raw").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(write_file_replacing(wfile("x.raw"), "newer frame", error));
  EXPECT_FALSE(error.empty());
  SetFileAttributesW(wfile("x.raw").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(read_all(file("x.raw")), "new frame");
  EXPECT_EQ(read_all(file("x.raw.part")), "the user's notes");
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir_.path())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"x.raw", "x.raw.part"}));
}

TEST_F(TrellumFiles, RawFramesSaveAndOpenThroughTheDialogs) {
  make();
  for (size_t i = 0; i < FramePixels; ++i) form->Frames.RawFrame[i] = int16_t((i * 7) % 700);
  form->Frames.RawFrame[300 * FrameWidth + 400] = 760;
  const std::string expected = crlf_text(raw_frame_text(form->Frames.RawFrame.data()));
  {
    dialog_user user(L"Save rawdata to...", wfile("beam"));
    form->Rawdata1Click();
    user.join();
    EXPECT_TRUE(user.answered_dialog);
    EXPECT_EQ(user.initial_name, L"laserbeam");
  }
  std::string saved = read_all(file("beam.raw"));
  EXPECT_EQ(saved.size(), size_t(576) * 2882);
  EXPECT_EQ(saved.substr(2880, 2), "\r\n");
  EXPECT_TRUE(saved == expected);
  EXPECT_EQ(form->SaveDialog1.initial_dir, L"d:\\");

  // "beam" again: the dialog asked about "beam", so the program asks about beam.raw.
  form->Frames.RawFrame[0] = 5;
  {
    dialog_user user(L"Save rawdata to...", wfile("beam"), IDNO);
    form->Rawdata1Click();
    user.join();
    EXPECT_TRUE(user.asked_replace);
  }
  EXPECT_TRUE(read_all(file("beam.raw")) == expected);
  {
    dialog_user user(L"Save rawdata to...", wfile("beam"), IDYES);
    form->Rawdata1Click();
    user.join();
    EXPECT_TRUE(user.asked_replace);
  }
  EXPECT_EQ(read_all(file("beam.raw")).substr(0, 4), "   5");
  {
    dialog_user user(L"Save rawdata to...", L"");  // cancelled: nothing written
    form->Rawdata1Click();
  }
  EXPECT_EQ(read_all(file("beam.raw")).substr(0, 4), "   5");
  // A folder that is not there: an error naming the file, nothing left behind.
  {
    dialog_user user(L"Save rawdata to...", wfile("none\\beam"));
    form->Rawdata1Click();
  }
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(wfile("none\\beam.raw")), std::wstring::npos) << std::string(errors[0].begin(), errors[0].end());

  // "&Open..." while acquisition runs: it stops, the frame is read and measured.
  form->Start1Click();
  {
    dialog_user user(L"Please select a file", wfile("beam.raw"));
    form->Open1Click();
  }
  EXPECT_FALSE(form->Timer1->enabled());
  EXPECT_FALSE(form->Stop1->enabled());
  std::vector<int16_t> back(FramePixels, 0);
  read_raw_frame_text(read_all(file("beam.raw")), back.data());
  EXPECT_TRUE(form->Frames.ProcessedFrame == back);
  pixel_point p = find_profile_point(back.data());
  EXPECT_EQ(form->View.CrossPixelX, p.x);
  EXPECT_EQ(form->View.CrossPixelY, p.y);
  EXPECT_EQ(form->View.PeakPixelX, 400);
  EXPECT_EQ(form->View.PeakPixelY, 300);
  EXPECT_FALSE(clipboard.lines.empty());

  // A file that cannot be opened: an error naming it; acquisition goes on.
  form->Start1Click();
  {
    dialog_user user(L"Please select a file", wfile("missing.raw"));
    form->Open1Click();
  }
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_NE(errors[1].find(wfile("missing.raw")), std::wstring::npos);
  EXPECT_TRUE(form->Timer1->enabled());
  form->Stop1Click();

  // An all-zero file: the profile point is the top left corner.
  write_all(file("zero.raw"), crlf_text(raw_frame_text(std::vector<int16_t>(FramePixels, 0).data())));
  {
    dialog_user user(L"Please select a file", wfile("zero.raw"));
    form->Open1Click();
  }
  EXPECT_EQ(form->View.CrossPixelX, 0);
  EXPECT_EQ(form->View.CrossPixelY, 0);
  // The dialogs left the current directory where the program's own files are.
  wchar_t here[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, here);
  EXPECT_EQ(std::filesystem::path(here), dir_.path());
}

TEST_F(TrellumFiles, PictureIsTheDisplayAsJpeg) {
  make();
  put_beam(form->Frames.ProcessedFrame, 600, 300, 250, 80, 50);
  form->Img_Dis();
  {
    dialog_user user(L"Save picuture to...", wfile("x"));
    form->picture1Click();
  }
  std::string bytes = read_all(file("x.jpg"));
  ASSERT_GT(bytes.size(), 1000u);
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  ASSERT_EQ(jpeg_read_header(&cinfo, TRUE), JPEG_HEADER_OK);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  EXPECT_EQ(cinfo.output_width, 720u);
  EXPECT_EQ(cinfo.output_height, 576u);
  std::vector<uint8_t> row(720 * 3);
  double total = 0;
  while (cinfo.output_scanline < cinfo.output_height) {
    int r = int(cinfo.output_scanline);
    JSAMPROW p = row.data();
    jpeg_read_scanlines(&cinfo, &p, 1);
    const uint8_t* shown = form->FrameBitmap.row(r);
    for (int x = 0; x < 720; ++x)
      for (int c = 0; c < 3; ++c) total += std::abs(int(row[x * 3 + c]) - int(shown[x * 3 + 2 - c]));
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  EXPECT_LT(total / (720.0 * 576 * 3), 4.0);
  EXPECT_TRUE(errors.empty());
}

TEST_F(TrellumFiles, LoggingRunsCountsPausesAndWritesALinePerPoint) {
  make();
  EXPECT_EQ(form->MaskEdit3->text(), L"120");
  EXPECT_EQ(form->ComboBox1->text(), L"Min");
  std::vector<int16_t>& frame = form->Frames.ProcessedFrame;

  // One minute: the run ends on its first tick, after one point.
  form->MaskEdit3->set_text(L"1");
  SendMessageW(form->Chart2->handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(form->start_pos->handle()));
  EXPECT_FALSE(form->start_pos->enabled());
  EXPECT_TRUE(form->pause_pos->enabled() && form->stop_pos->enabled() && form->beam_pos_timer->enabled());
  EXPECT_FALSE(form->XYCurve->checked());
  EXPECT_EQ(form->Chart2->Series.Count(), 0u);  // the twenty start-up points are gone
  put_beam(frame, 600, 5, 7, 40, 25);
  ASSERT_TRUE(gui::pump_until([&] { return form->start_pos->enabled(); }, 10000));  // the timer itself
  EXPECT_EQ(form->Chart2->Series.Count(), 1u);
  EXPECT_EQ(positions->Chart2->Series.Count(), 1u);
  EXPECT_FALSE(form->beam_pos_timer->enabled());
  EXPECT_EQ(form->MaskEdit3->text(), L"1");
  std::string log = read_all(file("beam_position.txt"));
  EXPECT_TRUE(std::regex_match(log, std::regex("\\d+/\\d+/\\d{4} \\d+:\\d\\d:\\d\\d [AP]M      005      007 \r\n"))) << log;

  // Two minutes with a drifting beam: 61 points, one line each; PAUSE shows their span.
  form->MaskEdit3->set_text(L"2");
  form->start_posClick();
  int ticks = 0;
  while (form->Log.LoggingOn && ticks < 100) {
    put_beam(frame, 600, 300 + ticks % 11, 250 + (ticks * 3) % 20, 40, 25);
    form->beam_pos_timerTimer();
    ++ticks;
    if (ticks == 30) {
      // Every line so far is on disk while the run goes on ("&Exit" ends the process at once).
      std::string part = read_all(file("beam_position.txt"));
      EXPECT_EQ(std::count(part.begin(), part.end(), '\n'), 30);
      form->pause_posClick();
      EXPECT_EQ(form->pause_pos->text(), L"RESUME");
      EXPECT_EQ(form->Chart2->title(), L"   shift_x: 10 um     shift_y: 19 um");
      EXPECT_TRUE(form->Chart2->title_visible());
      form->beam_pos_timerTimer();  // paused: nothing
      EXPECT_EQ(form->Chart2->Series.Count(), 30u);
      form->pause_posClick();
      EXPECT_FALSE(form->Chart2->title_visible());
    }
  }
  EXPECT_EQ(ticks, 61);
  EXPECT_EQ(form->Chart2->Series.Count(), 61u);
  EXPECT_EQ(positions->Chart2->Series.Count(), 61u);
  log = read_all(file("beam_position.txt"));
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 61);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\r'), 61);
  EXPECT_EQ(form->MaskEdit3->text(), L"2");
  EXPECT_TRUE(form->start_pos->enabled() && form->MaskEdit3->enabled());
  {
    // The main form and the position window with a run's points: every text whole.
    positions->show();
    gui::pump_for(100);
    text_fit::recorder record;
    for (HWND shown : {form->handle(), positions->handle()}) {
      auto faults = text_fit::check_window(shown);
      EXPECT_TRUE(faults.empty()) << text_fit::describe(faults);
    }
  }

  if (const char* shots = std::getenv("TRELLUM_SHOTS")) {
    form->pause_posClick();  // the span in the title, over the run's points
    gui::pump_for(500);
    gui::save_screen_bmp(form->handle(), (std::filesystem::path(shots) / "main-chart.bmp").wstring());
    positions->show();
    gui::pump_for(500);
    gui::save_screen_bmp(positions->handle(), (std::filesystem::path(shots) / "position-window.bmp").wstring());
    form->pause_posClick();
  }

  // STOP during a run shows the span and closes the log.
  form->start_posClick();
  form->beam_pos_timerTimer();
  form->stop_posClick();
  EXPECT_TRUE(form->Chart2->title_visible());
  EXPECT_EQ(form->BeamLogFile, nullptr);
  EXPECT_FALSE(form->beam_pos_timer->enabled());

  // A run length typed below zero becomes 10.
  SetWindowTextW(form->MaskEdit3->handle(), L"-5");
  EXPECT_EQ(form->MaskEdit3->text(), L"10");

  // A folder in the log file's place: an error, no run.
  std::filesystem::remove(file("beam_position.txt"));
  std::filesystem::create_directory(file("beam_position.txt"));
  form->start_posClick();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(L"beam_position.txt"), std::wstring::npos);
  EXPECT_TRUE(form->start_pos->enabled());
  EXPECT_FALSE(form->pause_pos->enabled() || form->beam_pos_timer->enabled() || form->Log.LoggingOn);
  std::filesystem::remove(file("beam_position.txt"));

  // Closing the form during a run: the timers stop and the log is closed first.
  form->start_posClick();
  form->beam_pos_timerTimer();
  SendMessageW(form->handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form->beam_pos_timer->enabled() || form->Timer1->enabled() || form->start_exit_timer->enabled());
  EXPECT_EQ(form->BeamLogFile, nullptr);
  log = read_all(file("beam_position.txt"));
  EXPECT_TRUE(std::regex_match(log, std::regex("[^\r\n]+      \\d{3}      \\d{3} \r\n"))) << log;
}

}  // namespace
