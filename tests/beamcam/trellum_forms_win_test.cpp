// Trellum's main form in this process: the capture build and the way out are replaced, the
// grabbed frames are handed to the grab buffer as the capture callback hands them.
#include "beamcam/trellum_forms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "beamcam/bmp24.h"
#include "tests/beamcam/probe/forms_probe.h"
#include "tests/support/gui_driver.h"
#include "tests/support/text_fit.h"
#include "tools/beam-probe/probe.h"

namespace {

struct recorded_clipboard : clipboard_i {
  void CopyTextToClipboard(const char* text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

// A grabbed buffer of the stand-in camera's beam: bottom-up RGB24, grey.
std::vector<uint8_t> beam_buffer(int lines, double peak, double cx, double cy, double wx, double wy) {
  std::vector<uint8_t> b(video_buffer_bytes(lines));
  for (int r = 0; r < lines; ++r) {
    uint8_t* row = b.data() + size_t(lines - 1 - r) * FrameWidth * 3;
    for (int c = 0; c < FrameWidth; ++c) {
      double e = -2.0 * ((c - cx) * (c - cx) / (wx * wx) + (r - cy) * (r - cy) / (wy * wy));
      uint8_t y = uint8_t(std::trunc(peak * std::exp(e) + 0.5));
      row[c * 3] = row[c * 3 + 1] = row[c * 3 + 2] = y;
    }
  }
  return b;
}

std::string line_of(const std::string& dump, const std::string& start) {
  std::istringstream in(dump);
  std::string line;
  while (std::getline(in, line))
    if (line.compare(0, start.size(), start) == 0) return line;
  return {};
}

class MainForm : public ::testing::Test {
 protected:
  void make(std::function<HRESULT(capture_form_i&)> build = nullptr) {
    main_form_seams seams;
    seams.build_graph = build ? build : [](capture_form_i& f) {
      video_mode m{};
      video_mode_for_sample_size(829440, &m);
      f.set_video_mode(m);
      return HRESULT(0);
    };
    seams.exit_process = [this](UINT code) { exit_codes.push_back(code); };
    seams.clipboard = &clipboard;
    form = std::make_unique<TForm1>(seams);
    ASSERT_TRUE(form->handle());
  }
  void TearDown() override {
    form.reset();
    gui::drop_quit_message();
  }
  void command(forms::menu_item_c* item) {
    SendMessageW(form->handle(), WM_COMMAND, item->id(), 0);
  }
  bool ready() { return form->StaticText1->text() == L"READY"; }
  // Frames as the capture callback delivers them while acquisition runs.
  void deliver(const std::vector<uint8_t>& frame, int count) {
    GrabBuffer.attach(&form->Frames.AcqState);
    for (int i = 0; i < count; ++i) {
      auto r = GrabBuffer.BufferCB(frame.data(), long(frame.size()));
      if (r.copied) PostMessageW(form->handle(), WM_APP_FRAME_READY, frame.size(), 0);
      gui::pump_for(5);
    }
  }

  std::unique_ptr<TForm1> form;
  recorded_clipboard clipboard;
  std::vector<UINT> exit_codes;
};

TEST_F(MainForm, ControlsMenusAndPlacesAsMade) {
  make();
  const std::string dump = form->dump_text();
  EXPECT_EQ(line_of(dump, "form\t"), "form\tForm1\tKestravue\t966x603\t1");
  // The menu in its order, "S&top" greyed, the two view items checked.
  std::vector<std::string> menu;
  std::istringstream in(dump);
  for (std::string l; std::getline(in, l);)
    if (l.compare(0, 5, "menu\t") == 0) menu.push_back(l.substr(5));
  const std::vector<std::string> expected = {
      "File1\t&File\t0\t1\t0",         "Open1\t&Open...\t1\t1\t0",     "Save1\t&Save...\t1\t1\t0",
      "Rawdata1\tRawdata\t2\t1\t0",    "picture1\tpicture\t2\t1\t0",   "Exit1\t&Exit\t1\t1\t0",
      "Resolution1\t&View\t0\t1\t0",   "Preview1\t&PreView\t1\t1\t1",  "XYCurve\t&XYCurve\t1\t1\t1",
      "calculate\t&Calcult\t1\t1\t0",  "Start1\t&Start\t0\t1\t0",      "Stop1\tS&top\t0\t0\t0",
      "ImgEnlarge\t&Img+\t0\t1\t0",    "ImgThrink\t&Img-\t0\t1\t0",    "ImgOrigin\tImg%100\t0\t1\t0",
      "About1\t&Help\t0\t1\t0",        "Calibration1\t&Calibr\t1\t1\t0", "About2\t&About\t1\t1\t0"};
  EXPECT_EQ(menu, expected);
  EXPECT_EQ(line_of(dump, "control\tDis_Panel\t"), "control\tDis_Panel\t14,6,718,576\t1\t1\t-1\t");
  EXPECT_EQ(line_of(dump, "control\tImage2\t"), "control\tImage2\t0,0,720,576\t1\t1\t-1\t");
  EXPECT_EQ(line_of(dump, "control\tcross_mark\t"), "control\tcross_mark\t158,87,400,400\t1\t1\t-1\t");
  EXPECT_EQ(line_of(dump, "control\tPanel1\t"), "control\tPanel1\t736,7,228,182\t1\t1\t-1\t");
  EXPECT_EQ(line_of(dump, "control\tPanel3\t"), "control\tPanel3\t736,7,228,182\t0\t1\t-1\t");
  EXPECT_EQ(line_of(dump, "control\tChart2\t"), "control\tChart2\t735,189,229,235\t1\t1\t-1\t");
  EXPECT_EQ(line_of(dump, "control\tnormal_acq\t"), "control\tnormal_acq\t6,6,98,20\t1\t1\t1\tNormal Acq");
  EXPECT_EQ(line_of(dump, "control\tMaskEdit1\t").substr(0, 17), "control\tMaskEdit1");
  EXPECT_NE(line_of(dump, "control\tMaskEdit2\t").find("\t10"), std::string::npos);
  EXPECT_NE(line_of(dump, "control\tStaticText1\t").find("Searching CCD Camera . . ."), std::string::npos);
  EXPECT_NE(line_of(dump, "control\tVLE\t").find("Min, Peak=nll"), std::string::npos);
  EXPECT_EQ(form->Chart2->Series.Count(), 20u);
  EXPECT_FALSE(form->Timer1->enabled());
  EXPECT_TRUE(form->start_exit_timer->enabled());

  // The same through the test build's registered message, as a test in another process asks.
  forms_probe::install();
  wchar_t path[MAX_PATH];
  GetTempPathW(MAX_PATH, path);
  std::wstring file = std::wstring(path) + L"trellum-dump-test.txt";
  ATOM atom = GlobalAddAtomW(file.c_str());
  EXPECT_EQ(SendMessageW(form->handle(), forms_probe::dump_message(), atom, 0), 1);
  GlobalDeleteAtom(atom);
  std::string narrow_file;
  for (wchar_t c : file) narrow_file += char(c);
  std::ifstream f(narrow_file, std::ios::binary);
  std::string written((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, form->dump_text());
  f.close();
  DeleteFileW(file.c_str());
  forms::form_c::set_message_hook(nullptr);
}

TEST_F(MainForm, StartsBlinksToReadyAndExitEndsOneTickLater) {
  make();
  DWORD start = GetTickCount();
  ASSERT_TRUE(gui::pump_until([&] { return ready(); }, 30000));
  DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 3500u);  // a first tick, then twelve blinking ones of 300 ms
  EXPECT_EQ(form->StartupState, StartupReady);
  EXPECT_FALSE(form->start_exit_timer->enabled());
  EXPECT_EQ(form->start_exit_timer->interval(), 100u);
  EXPECT_EQ(form->MaskEdit2->text(), L"10");
  gui::pump_for(400);
  EXPECT_TRUE(exit_codes.empty());
  command(form->Exit1);
  ASSERT_TRUE(gui::pump_until([&] { return !exit_codes.empty(); }, 3000));
  EXPECT_EQ(exit_codes.front(), 1u);
}

// Every text of the form whole through start-up: searching, camera found, ready.
TEST_F(MainForm, EveryTextWholeThroughStartUp) {
  make();
  text_fit::recorder record;
  std::vector<std::wstring> seen;
  ASSERT_TRUE(gui::pump_until([&] {
    const std::wstring now = form->StaticText1->text();
    if (seen.empty() || seen.back() != now) {
      seen.push_back(now);
      auto faults = text_fit::check_window(form->handle());
      EXPECT_TRUE(faults.empty()) << text_fit::describe(faults);
      if (const char* dir = std::getenv("VANTORIL_SCREENSHOT_DIR"))
        gui::save_screen_bmp(form->handle(), std::wstring(dir, dir + strlen(dir)) + L"\\trellum-start-" +
                                                 std::to_wstring(seen.size()) + L".bmp");
    }
    return ready();
  }, 30000));
  EXPECT_GE(seen.size(), 3u);
}

TEST_F(MainForm, ReadyDuringTheBuildsBoxesStaysReady) {
  // The build's message boxes run their own loops, in which the start-up timer ticks on.
  make([](capture_form_i&) {
    gui::pump_for(4500);
    return HRESULT(0);
  });
  ASSERT_TRUE(gui::pump_until([&] { return form->StartupState == StartupReady; }, 30000));
  gui::pump_for(300);
  EXPECT_EQ(form->StaticText1->text(), L"READY");
  EXPECT_TRUE(exit_codes.empty());
}

TEST_F(MainForm, NoCameraEndsOneTickAfterTheBox) {
  make([](capture_form_i& f) {
    f.camera_missing();
    return HRESULT(E_FAIL);
  });
  ASSERT_TRUE(gui::pump_until([&] { return !exit_codes.empty(); }, 3000));
  EXPECT_EQ(exit_codes.front(), 1u);
  EXPECT_NE(form->StaticText1->text(), L"CCD Camera found, initializing . . .");
}

TEST_F(MainForm, EditFieldsPutBackWhatTheyRefuseAndArrowsTestTheBoundFirst) {
  make();
  form->start_exit_timer->set_enabled(false);
  HWND gain = form->MaskEdit1->handle();
  SetWindowTextW(gain, L"11");
  EXPECT_EQ(form->MaskEdit1->text(), L"1");
  SetWindowTextW(gain, L"2.5");
  EXPECT_EQ(form->Frames.PixelGain, 2.5);
  SetWindowTextW(gain, L"abc");
  EXPECT_EQ(form->MaskEdit1->text(), L"2.5");
  SetWindowTextW(gain, L"1");
  for (int i = 0; i < 91; ++i) SendMessageW(gain, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(form->Frames.PixelGain, 10.0);
  EXPECT_EQ(form->MaskEdit1->text(), L"10");
  // The bound is tested before the step: 9.95 and one Up give 10.05.
  SetWindowTextW(gain, L"9.95");
  SendMessageW(gain, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(form->MaskEdit1->text(), L"10.05");
  EXPECT_NEAR(form->Frames.PixelGain, 10.05, 1e-9);
  HWND frames = form->MaskEdit2->handle();
  SetWindowTextW(frames, L"0");
  EXPECT_EQ(form->MaskEdit2->text(), L"10");
  SetWindowTextW(frames, L"101");
  EXPECT_EQ(form->MaskEdit2->text(), L"10");
  SendMessageW(frames, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(form->Frames.FramesToAverage, 9);
  EXPECT_EQ(form->MaskEdit2->text(), L"9");
}

TEST_F(MainForm, MenuCommandsStartStopPreviewCurvesAndZoom) {
  make();
  form->start_exit_timer->set_enabled(false);
  command(form->Start1);
  EXPECT_TRUE(form->Timer1->enabled());
  EXPECT_EQ(form->Frames.AcqState.load(), acq_collecting);
  EXPECT_FALSE(form->Start1->enabled());
  EXPECT_TRUE(form->Stop1->enabled());
  command(form->Stop1);
  EXPECT_FALSE(form->Timer1->enabled());
  EXPECT_EQ(form->Frames.AcqState.load(), acq_stopped);
  EXPECT_TRUE(form->Start1->enabled());

  command(form->Preview1);
  EXPECT_TRUE(form->Panel3->visible());
  EXPECT_FALSE(form->Preview1->checked());
  command(form->Preview1);
  EXPECT_FALSE(form->Panel3->visible());

  command(form->XYCurve);
  EXPECT_FALSE(form->cross_mark->visible());
  EXPECT_EQ(form->View.ProfilesOn, 0);
  command(form->XYCurve);
  EXPECT_TRUE(form->cross_mark->visible());

  command(form->ImgEnlarge);
  forms::rect b = form->Image2->bounds();
  EXPECT_EQ((std::vector<int>{b.left, b.top, b.width, b.height}), (std::vector<int>{-36, -28, 792, 633}));
  for (int i = 0; i < 40; ++i) command(form->ImgEnlarge);
  EXPECT_GE(form->Image2->bounds().width, 7200);
  EXPECT_LT(form->Image2->bounds().width, 7920);
  rendered zoomed(form->Dis_Panel->handle());  // a huge stretch paints only what shows
  command(form->ImgOrigin);
  b = form->Image2->bounds();
  EXPECT_EQ((std::vector<int>{b.left, b.top, b.width, b.height}), (std::vector<int>{0, 0, 720, 576}));
  command(form->ImgThrink);
  EXPECT_EQ(form->Image2->bounds().width, 720);

  command(form->calculate);
  EXPECT_EQ(form->AnalysisOn, 1);
  TForm2 about;
  form->Form2 = &about;
  command(form->About2);
  EXPECT_TRUE(about.visible());
  SendMessageW(about.Button1->handle(), BM_CLICK, 0, 0);
  gui::pump_for(50);
  EXPECT_FALSE(about.visible());  // hidden, not gone
  EXPECT_TRUE(IsWindow(about.handle()));
}

TEST_F(MainForm, DraggingTheCrossStopsAtTheEdgesAndMovesTheProfiles) {
  make();
  form->start_exit_timer->set_enabled(false);
  HWND panel = form->Dis_Panel->handle();
  // Press on the cross point (158 + 201, 87 + 201), drag far right and down, let go.
  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(359, 288));
  SendMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2000, 2000));
  SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(2000, 2000));
  forms::rect b = form->cross_mark->bounds();
  EXPECT_EQ(b.left, 517);
  EXPECT_EQ(b.top, 375);
  EXPECT_EQ(form->CrossPctX, 100);
  EXPECT_EQ(form->CrossPctY, 100);
  EXPECT_EQ(form->CrossDragging, 0);
  form->AcqTickCount = 4;
  form->Timer1Timer();
  EXPECT_EQ(form->View.CrossPixelX, 719);
  EXPECT_EQ(form->View.CrossPixelY, 575);
  // A move without a press does not drag.
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(form->cross_mark->bounds().left, 517);
}

TEST_F(MainForm, GrabbedFramesAreCombinedShownAndMeasured) {
  make();
  form->start_exit_timer->set_enabled(false);
  command(form->calculate);
  command(form->XYCurve);  // the picture without profiles, as the probe draws it
  command(form->Start1);
  const std::vector<uint8_t> frame = beam_buffer(576, 133, 300, 250, 40, 25);
  deliver(frame, 10);  // the acquisition timer may combine in between: every frame is alike
  ASSERT_TRUE(gui::pump_until([&] { return !clipboard.lines.empty(); }, 3000));
  EXPECT_EQ(clipboard.lines.back(), "0 598 300 249 300 250 80 50");
  EXPECT_EQ(form->Table.value("Min, Peak"), "0 , 598");
  EXPECT_EQ(form->VLE->text().find(L"Min, Peak=0 , 598"), 0u);

  // The display shows what beam-probe makes of the same frames.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::string dir;
  for (wchar_t* p = temp; *p; ++p) dir += char(*p);
  const std::string input = dir + "trellum-frame.bin", picture = dir + "trellum-probe.bmp";
  std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(frame.data()), std::streamsize(frame.size()));
  std::vector<std::string> args = {"--video", "576", "--no-profiles", "--picture", picture};
  for (int i = 0; i < 10; ++i) args.push_back(input);
  std::ostringstream out, err;
  ASSERT_EQ(run_beam_probe(args, out, err), 0) << err.str();
  std::ifstream pf(picture, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(pf)), std::istreambuf_iterator<char>());
  pf.close();
  bmp24_image probe;
  ASSERT_TRUE(read_bmp24(bytes, probe));
  rendered shown(form->Dis_Panel->handle());
  ASSERT_EQ(shown.width, 718);
  int differ = 0;
  for (int y = 0; y < 576; ++y)
    for (int x = 0; x < 718; ++x) {
      const uint8_t* p = probe.bgr.data() + (size_t(y) * 720 + x) * 3;
      unsigned want = (unsigned(p[2]) << 16) | (unsigned(p[1]) << 8) | p[0];
      // The cross-hair lies over the picture.
      int dx = x - (form->cross_mark->bounds().left + 201), dy = y - (form->cross_mark->bounds().top + 201);
      if (dx == 0 || dy == 0 || dx * dx + dy * dy < 17 * 17) continue;
      if (shown.at(x, y) != want) ++differ;
    }
  EXPECT_EQ(differ, 0);
  EXPECT_NE(shown.at(300, 250), 0u);  // the beam is there, not black
  DeleteFileA(input.c_str());
  DeleteFileA(picture.c_str());

  // With profiles and cross: a picture to look at.
  command(form->XYCurve);
  form->Frames.AcqState = acq_collecting;
  deliver(frame, 10);
  gui::pump_for(400);
  // Time to take a screenshot of the screen from outside, when asked for.
  if (const char* hold = std::getenv("TRELLUM_TEST_HOLD_MS")) gui::pump_for(DWORD(std::atoi(hold)));
}

TEST_F(MainForm, FourHundredEightyLineVideoAveragesFiveAndMeasuresTheStretchedFrame) {
  make();
  form->start_exit_timer->set_enabled(false);
  video_mode m{};
  ASSERT_TRUE(video_mode_for_sample_size(691200, &m));
  form->set_video_mode(m);
  EXPECT_EQ(form->MaskEdit2->text(), L"5");
  command(form->calculate);
  command(form->Start1);
  deliver(beam_buffer(480, 133, 300, 250, 40, 25), 5);
  ASSERT_TRUE(gui::pump_until([&] { return !clipboard.lines.empty(); }, 3000));
  EXPECT_EQ(clipboard.lines.back(), "0 401 300 299 300 300 80 60");
}

TEST_F(MainForm, ASecondPressDragsTheCrossAndALostCaptureEndsTheDrag) {
  make();
  form->start_exit_timer->set_enabled(false);
  HWND panel = form->Dis_Panel->handle();
  // A click, then a press within the double-click time: the system sends the second press
  // as a double-click message, and it drags as a press does.
  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(359, 288));
  SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(359, 288));
  form->CrossMoved = 0;
  SendMessageW(panel, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(359, 288));
  EXPECT_EQ(form->CrossDragging, 1);
  EXPECT_EQ(GetCapture(), panel);
  SendMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(309, 238));
  EXPECT_EQ(form->cross_mark->bounds().left, 108);
  EXPECT_EQ(form->cross_mark->bounds().top, 37);
  // The capture taken away mid-drag (a box, another window) ends the drag as a release does.
  ReleaseCapture();
  EXPECT_EQ(form->CrossDragging, 0);
  EXPECT_EQ(form->CrossMoved, 1);
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
  EXPECT_EQ(form->cross_mark->bounds().left, 108);
}

TEST_F(MainForm, ClosingWhileFramesArriveStopsAndEndsTheLoop) {
  make();
  form->start_exit_timer->set_enabled(false);
  command(form->Start1);
  const std::vector<uint8_t> frame = beam_buffer(576, 133, 300, 250, 40, 25);
  GrabBuffer.attach(&form->Frames.AcqState);
  std::atomic<bool> stop{false};
  HWND window = form->handle();
  std::thread capture([&] {
    while (!stop) {
      if (GrabBuffer.BufferCB(frame.data(), long(frame.size())).copied)
        PostMessageW(window, WM_APP_FRAME_READY, frame.size(), 0);
      Sleep(2);
    }
  });
  gui::pump_for(300);
  PostMessageW(window, WM_CLOSE, 0, 0);
  WPARAM code = 1;
  const bool quit = gui::pump_until_quit(3000, &code);
  EXPECT_EQ(code, 0u);
  stop = true;
  capture.join();
  EXPECT_TRUE(quit);
  EXPECT_EQ(form->Frames.AcqState.load(), acq_stopped);
  EXPECT_EQ(GrabBuffer.size(), 0);  // let go under its lock
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
