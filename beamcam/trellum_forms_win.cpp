#include "beamcam/trellum_forms.h"

#include <objbase.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "beamcam/clipboard_win.h"

using namespace forms;

namespace {

constexpr int ColourBarResource = 101;

std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }  // ASCII texts only

std::string narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += c < 128 ? char(c) : '?';
  return s;
}

}  // namespace

// The about box.
TForm2::TForm2() : form_c("Form2", L"About Kestravue") {
  create(424, 178, border::dialog);
  HFONT big = font(L"Arial", 24, true);
  Label1 = std::make_unique<static_text_c>(*this, handle(), "Label1", rect{20, 20, 384, 30}, L"Kestravue", big,
                                           clNavy, clSilver, SS_CENTER);
  Label2 = std::make_unique<static_text_c>(*this, handle(), "Label2", rect{20, 60, 384, 18},
                                           L"Controlling software 2.1", ui_font(), clBlack, clSilver, SS_CENTER);
  Label3 = std::make_unique<static_text_c>(*this, handle(), "Label3", rect{20, 82, 384, 18}, L"5/21/2017",
                                           ui_font(), clBlack, clSilver, SS_CENTER);
  Label4 = std::make_unique<static_text_c>(*this, handle(), "Label4", rect{20, 104, 384, 18},
                                           L"   Veltrane Tech.   ", ui_font(), clBlack, clSilver, SS_CENTER);
  Button1 = std::make_unique<push_button_c>(*this, handle(), "Button1", rect{174, 136, 75, 25}, L"OK");
  Button1->OnClick = [this] { Button1Click(); };
}

// The beam-position window: a status bar and a chart that fills the rest.
TForm5::TForm5() : form_c("Form5", L"Beam Position Window") {
  RECT outer = {0, 0, 935, 535};
  AdjustWindowRectEx(&outer, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, FALSE, 0);
  // 935 x 535 is the form's outer size; the client is what the frame leaves.
  create(935 - (outer.right - outer.left - 935), 535 - (outer.bottom - outer.top - 535), border::sizeable);
  StatusBar1 = std::make_unique<status_bar_c>(*this, handle(), "StatusBar1");
  Chart2 = std::make_unique<point_chart_c>(*this, handle(), "Chart2", rect{0, 0, 10, 10}, chart_axis{0, 720},
                                           chart_axis{0, 576});
  Chart2->bottom_title = L"X-Axis(Pixel)";
  Chart2->left_title = L"Y-Axis(Pixel)";
  OnResize = [this] {
    if (!Chart2 || !StatusBar1) return;
    RECT c = client_rect();
    int bar = StatusBar1->bounds().height;
    Chart2->set_bounds({0, 0, int(c.right), int(c.bottom) - bar});
  };
  OnResize();
}

TForm5::~TForm5() { OnResize = nullptr; }

TForm1::TForm1(main_form_seams seams) : form_c("Form1", L"Kestravue"), seams_(std::move(seams)) {
  hide_on_close = false;
  main_form = true;
  build_menu();
  create(966, 603, border::sizeable, 988, 661, clSilver);
  if (!seams_.clipboard) {
    own_clipboard_ = std::make_unique<window_clipboard_c>(handle());
    seams_.clipboard = own_clipboard_.get();
  }
  build_controls();
  OnClose = [this] { FormClose(); };
  OnMessage = [this](UINT message, WPARAM, LPARAM) {
    if (message == WM_APP_FRAME_READY) FrameReady();
  };

  // Construction proper, in the form's order.
  FrameBitmap.resize(FrameWidth, FrameHeight);
  Frames.VideoLines = 576;
  Calib = read_calibration_file();
  OpenDialog1.initial_dir = SaveDialog1.initial_dir = L"d:\\";
  SaveDialog1.file_name = L"laserbeam";  // then the name last chosen
  SaveDialog1.overwrite_prompt = true;
  View.PixelSizeX = Calib.x * 0.0001;
  View.PixelSizeY = Calib.y * 0.0001;
  Dis_Panel->set_bounds({14, 6, 718, 576});
  Image2->set_bounds({0, 0, 720, 576});
  PlaceCrossMark();
  InitResultTable(Table);
  FormCreate();
  if (seams_.show) show();
}

TForm1::~TForm1() {
  // The window outlives the members the handlers reach; its last messages find no handler.
  OnMessage = nullptr;
  OnClose = nullptr;
  start_exit_timer->set_enabled(false);
  Timer1->set_enabled(false);
  beam_pos_timer->set_enabled(false);
  close_log();
  // The graph still delivers until it is stopped; nothing is copied once the buffer is let go.
  GrabBuffer.release();
  StopCaptureGraph(*this);
  ReleaseCaptureGraph(*this);
  if (com_started_) CoUninitialize();
}

void TForm1::build_menu() {
  File1 = &add_menu("File1", L"&File");
  Open1 = &File1->add("Open1", L"&Open...");
  Save1 = &File1->add("Save1", L"&Save...");
  Rawdata1 = &Save1->add("Rawdata1", L"Rawdata");
  picture1 = &Save1->add("picture1", L"picture");
  Exit1 = &File1->add("Exit1", L"&Exit");
  Resolution1 = &add_menu("Resolution1", L"&View");
  Preview1 = &Resolution1->add("Preview1", L"&PreView");
  XYCurve = &Resolution1->add("XYCurve", L"&XYCurve");
  calculate = &Resolution1->add("calculate", L"&Calcult");
  Start1 = &add_menu("Start1", L"&Start");
  Stop1 = &add_menu("Stop1", L"S&top");
  ImgEnlarge = &add_menu("ImgEnlarge", L"&Img+");
  ImgThrink = &add_menu("ImgThrink", L"&Img-");
  ImgOrigin = &add_menu("ImgOrigin", L"Img%100");
  About1 = &add_menu("About1", L"&Help");
  Calibration1 = &About1->add("Calibration1", L"&Calibr");
  About2 = &About1->add("About2", L"&About");
  Preview1->set_checked(true);
  XYCurve->set_checked(true);
  Stop1->set_enabled(false);

  File1->OnClick = [] {};  // opening the menu does nothing more
  Open1->OnClick = [this] { Open1Click(); };
  Rawdata1->OnClick = [this] { Rawdata1Click(); };
  picture1->OnClick = [this] { picture1Click(); };
  Exit1->OnClick = [this] { Exit1Click(); };
  Preview1->OnClick = [this] { Preview1Click(); };
  XYCurve->OnClick = [this] { XYCurveClick(); };
  calculate->OnClick = [this] { calculateClick(); };
  Start1->OnClick = [this] { Start1Click(); };
  Stop1->OnClick = [this] { Stop1Click(); };
  ImgEnlarge->OnClick = [this] { ImgEnlargeClick(); };
  ImgThrink->OnClick = [this] { ImgThrinkClick(); };
  ImgOrigin->OnClick = [this] { ImgOriginClick(); };
  Calibration1->OnClick = [this] { Calibration1Click(); };
  About2->OnClick = [this] { About2Click(); };
}

void TForm1::make_pictures() {
  // The colour bar; its row is the palette.
  if (!colour_bar_.load_resource(ColourBarResource)) colour_bar_.resize(1024, 30);
  // The vertical scale: the palette from white at the top to black at the bottom.
  scale_.resize(15, 576);
  for (int r = 0; r < 576; ++r) {
    int entry = (575 - r) * 1023 / 575;
    const uint8_t* c = colour_bar_.row(0) + size_t(entry) * 3;
    uint8_t* out = scale_.row(r);
    for (int x = 0; x < 15; ++x) std::memcpy(out + x * 3, c, 3);
  }
  // The cross-hair: thin lines through (201, 201) on a see-through background.
  cross_.resize(CrossMarkSize, CrossMarkSize);
  for (int r = 0; r < CrossMarkSize; ++r) {
    uint8_t* out = cross_.row(r);
    for (int x = 0; x < CrossMarkSize; ++x) {
      int dx = x - CrossPointOffset, dy = r - CrossPointOffset;
      bool on_line = (dx == 0 || dy == 0) && ((std::abs(dx) + std::abs(dy)) % 8 < 5 || std::abs(dx) + std::abs(dy) < 12);
      int ring = dx * dx + dy * dy;
      bool on_ring = ring >= 14 * 14 && ring < 16 * 16;
      uint8_t* p = out + x * 3;
      if (on_line || on_ring) {
        p[0] = p[1] = p[2] = 255;
      } else {
        p[0] = 255;  // magenta: not drawn
        p[1] = 0;
        p[2] = 255;
      }
    }
  }
}

void TForm1::build_controls() {
  HWND form = handle();
  make_pictures();
  Image1 = std::make_unique<image_c>(*this, *this, "Image1", rect{-85, 242, 1024, 30});
  Image1->set_picture(&colour_bar_);

  Dis_Panel = std::make_unique<panel_c>(*this, form, "Dis_Panel", rect{14, 6, 719, 576}, clSilver);
  Image2 = std::make_unique<image_c>(*this, *Dis_Panel, "Image2", rect{0, 0, 720, 576});
  Image2->stretch = true;
  Image2->set_picture(&FrameBitmap);
  cross_mark = std::make_unique<image_c>(*this, *Dis_Panel, "cross_mark", rect{0, 0, CrossMarkSize, CrossMarkSize});
  cross_mark->centre = true;
  cross_mark->transparent = true;
  cross_mark->set_picture(&cross_);
  cross_mark->OnMouseDown = [this](int x, int y) { cross_markMouseDown(x, y); };
  cross_mark->OnMouseMove = [this](int x, int y) { cross_markMouseMove(x, y); };
  cross_mark->OnMouseUp = [this](int x, int y) { cross_markMouseUp(x, y); };

  // The live video lies in Panel1; without WS_CLIPSIBLINGS it would paint over Panel3.
  Panel1 = std::make_unique<panel_c>(*this, form, "Panel1", rect{736, 7, 228, 182}, clBlack, panel_c::bevel::single,
                                     WS_CLIPSIBLINGS);
  Panel3 = std::make_unique<panel_c>(*this, form, "Panel3", rect{736, 7, 228, 182}, clSilver, panel_c::bevel::lowered,
                                     WS_CLIPSIBLINGS);
  Panel3->set_visible(false);
  SetWindowPos(Panel3->handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  Panel2 = std::make_unique<panel_c>(*this, form, "Panel2", rect{0, 6, 15, 576}, clSilver);
  Image3 = std::make_unique<image_c>(*this, *Panel2, "Image3", rect{0, 0, 15, 576});
  Image3->stretch = true;
  Image3->set_picture(&scale_);

  Chart2 = std::make_unique<point_chart_c>(*this, form, "Chart2", rect{735, 189, 229, 235}, chart_axis{0, 720},
                                           chart_axis{0, 576});
  Chart2->bottom_reserve = 46;
  Chart2->OnClick = [this] { Chart2Click(); };
  HWND chart = Chart2->handle();
  // The logging controls.
  start_pos = std::make_unique<push_button_c>(*this, chart, "start_pos", rect{6, 188, 60, 20}, L"START");
  pause_pos = std::make_unique<push_button_c>(*this, chart, "pause_pos", rect{70, 188, 60, 20}, L"PAUSE");
  stop_pos = std::make_unique<push_button_c>(*this, chart, "stop_pos", rect{134, 188, 60, 20}, L"STOP");
  pause_pos->set_enabled(false);
  stop_pos->set_enabled(false);
  MaskEdit3 = std::make_unique<mask_edit_c>(*this, chart, "MaskEdit3", rect{6, 211, 50, 20}, L"120");
  ComboBox1 = std::make_unique<combo_box_c>(*this, chart, "ComboBox1", rect{60, 211, 60, 20},
                                            std::vector<std::wstring>{L"Min", L"Hrs"});
  start_pos->OnClick = [this] { start_posClick(); };
  pause_pos->OnClick = [this] { pause_posClick(); };
  stop_pos->OnClick = [this] { stop_posClick(); };
  MaskEdit3->OnChange = [this] { MaskEdit3Change(); };

  Panel4 = std::make_unique<panel_c>(*this, form, "Panel4", rect{735, 425, 108, 56}, clOrange);
  normal_acq = std::make_unique<radio_button_c>(*this, Panel4->handle(), "normal_acq", rect{6, 6, 98, 20},
                                                L"Normal Acq", true, clOrange);
  peak_det = std::make_unique<radio_button_c>(*this, Panel4->handle(), "peak_det", rect{6, 30, 98, 20},
                                              L"Peak Detect", false, clOrange);
  normal_acq->set_checked(true);
  normal_acq->OnClick = [this] { Frames.AcqMode = acq_average; };
  peak_det->OnClick = [this] { Frames.AcqMode = acq_peak_hold; };

  Panel5 = std::make_unique<panel_c>(*this, form, "Panel5", rect{843, 425, 122, 56}, clOrange);
  HWND p5 = Panel5->handle();
  HFONT small = font(L"Tahoma", 11, false);
  Label1 = std::make_unique<static_text_c>(*this, p5, "Label1", rect{3, 9, 66, 14}, L"Pixels Gain", small, clBlack,
                                           clOrange);
  Label2 = std::make_unique<static_text_c>(*this, p5, "Label2", rect{3, 33, 66, 14}, L"Frams Avrg", small, clBlack,
                                           clOrange);
  MaskEdit1 = std::make_unique<mask_edit_c>(*this, p5, "MaskEdit1", rect{70, 5, 48, 21}, L"1");
  MaskEdit2 = std::make_unique<mask_edit_c>(*this, p5, "MaskEdit2", rect{70, 30, 48, 21}, L"10");
  MaskEdit1->OnChange = [this] { MaskEdit1Change(); };
  MaskEdit1->OnKeyDown = [this](UINT k) { MaskEdit1KeyDown(k); };
  MaskEdit2->OnChange = [this] { MaskEdit2Change(); };
  MaskEdit2->OnKeyDown = [this](UINT k) { MaskEdit2KeyDown(k); };

  VLE = std::make_unique<value_grid_c>(*this, form, "VLE", rect{735, 482, 230, 100}, Table, 110, 114,
                                       font(L"Arial", 12, true));

  StatusBar1 = std::make_unique<status_bar_c>(*this, form, "StatusBar1");
  StaticText1 = std::make_unique<static_text_c>(*this, form, "StaticText1", rect{3, 587, 155, 19},
                                                widen(SearchingText), font(L"Tahoma", 13, true), clMaroon, clSilver);
  SetWindowPos(StaticText1->handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Its 155 pixels are short of its longer captions: it takes the width of each.
  StaticText1->set_auto_size(true);

  Timer1 = std::make_unique<timer_c>(*this, 100);
  start_exit_timer = std::make_unique<timer_c>(*this, StartupInterval);
  beam_pos_timer = std::make_unique<timer_c>(*this, 900);
  Timer1->OnTimer = [this] { Timer1Timer(); };
  start_exit_timer->OnTimer = [this] { start_exit_timerTimer(); };
  beam_pos_timer->OnTimer = [this] { beam_pos_timerTimer(); };
}

void TForm1::FormCreate() {
  View.WidthDivisor = std::exp(2.0);
  ComboBox1->set_item_index(0);
  for (int i = 0; i < 20; ++i) {
    int x = std::rand() % 100;
    int y = std::rand() % 100;
    Chart2->Series.AddXY(x, y);
  }
  Chart2->resized();
  Panel3->set_bounds(Panel1->bounds());
  Panel3->set_visible(false);
  std::memcpy(View.Palette.data(), colour_bar_.row(0), View.Palette.size());
  start_exit_timer->set_enabled(true);
}

void TForm1::FormClose() {
  Frames.AcqState = acq_stopped;
  // No timer may tick into what follows, and the log is complete on disk.
  Timer1->set_enabled(false);
  start_exit_timer->set_enabled(false);
  beam_pos_timer->set_enabled(false);
  Log.LoggingOn = false;
  close_log();
  // The live video window lies in Panel1, which goes with this form.
  StopCaptureGraph(*this);
  Sleep(100);
  // Under the buffer's lock: a copy that passed its test before AcqState went to 0 has ended,
  // and no later one starts.
  GrabBuffer.release();
  // The frame buffers stay until the form itself goes: a message already queued must not
  // find them freed.
}

void TForm1::FrameReady() {
  GrabBuffer.read([this](const uint8_t* bytes, size_t length) { return Frames.ConvertFrame(bytes, length); });
}

void TForm1::Timer1Timer() {
  acq_tick_actions a = acq_timer_tick(AcqTickCount, Frames.AcqState.load(), CrossMoved, AnalysisOn != 0, Log.LoggingOn);
  if (a.combine_and_show) {
    Frames.CombineFrames();
    Img_Dis();
    Frames.AcqState = acq_collecting;
  }
  if (a.update_cross) UpdateCrossPixel();
  if (a.analyse) AnalyzeBeam();
}

void TForm1::start_exit_timerTimer() {
  startup_tick_actions a = startup_tick(StartupState);
  if (a.build_graph) {
    if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) com_started_ = true;
    if (seams_.build_graph)
      seams_.build_graph(*this);
    else
      BuildCaptureGraph(*this);
    // The build's boxes let this timer tick on: READY may already stand.
    if (show_camera_found(StartupState)) StaticText1->set_caption(widen(CameraFoundText));
    return;
  }
  if (a.ready) start_exit_timer->set_enabled(false);
  if (a.set_colour) StaticText1->set_font_colour(a.font_colour);
  if (a.ready) {
    StaticText1->set_caption(widen(ReadyText));
    start_exit_timer->set_interval(ReadyInterval);
  }
  if (a.exit_process) {
    if (seams_.exit_process)
      seams_.exit_process(1);
    else
      ExitProcess(1);
  }
}

void TForm1::camera_missing() {
  Timer1->set_enabled(false);
  StartupState = StartupReady;
  start_exit_timer->set_enabled(true);
}

void TForm1::end_on_next_tick() {
  StartupState = StartupReady;
  start_exit_timer->set_enabled(true);
}

void TForm1::set_video_mode(const video_mode& mode) {
  Frames.VideoLines = mode.lines;
  Frames.FramesToAverage = mode.frames_to_average;
  MaskEdit2->set_text(std::to_wstring(mode.frames_to_average));
}

void TForm1::Start1Click() {
  Timer1->set_enabled(true);
  Frames.AcqState = acq_collecting;
  Stop1->set_enabled(true);
  Start1->set_enabled(false);
}

void TForm1::Stop1Click() {
  Timer1->set_enabled(false);
  Frames.AcqState = acq_stopped;
  Stop1->set_enabled(false);
  Start1->set_enabled(true);
}

void TForm1::Preview1Click() {
  Preview1->set_checked(!Preview1->checked());
  Panel3->set_visible(!Preview1->checked());
}

void TForm1::XYCurveClick() {
  XYCurve->set_checked(!XYCurve->checked());
  if (XYCurve->checked()) {
    cross_mark->set_visible(true);
    View.ProfilesOn = 1;
  } else {
    View.ProfilesOn = 0;
    cross_mark->set_visible(false);
  }
}

void TForm1::calculateClick() {
  calculate->set_checked(!calculate->checked());
  AnalysisOn = calculate->checked() ? 1 : 0;
}

void TForm1::Exit1Click() { start_exit_timer->set_enabled(true); }

void TForm1::About2Click() {
  if (Form2) Form2->show();
}

void TForm1::Calibration1Click() {
  if (Form3) Form3->show();
}

void TForm1::Chart2Click() {
  if (Form5) Form5->show();
}

void TForm1::MaskEdit1Change() {
  const char separator = decimal_separator();
  edit_outcome o = gain_changed(from_user_decimal(narrow(MaskEdit1->text()), separator), Frames.PixelGain);
  if (!o.accepted) MaskEdit1->set_text(widen(to_user_decimal(o.text, separator)));
}

void TForm1::MaskEdit1KeyDown(UINT key) {
  MaskEdit1->set_text(widen(to_user_decimal(gain_key(key, Frames.PixelGain), decimal_separator())));
}

void TForm1::MaskEdit2Change() {
  edit_outcome o = frames_changed(narrow(MaskEdit2->text()), Frames.FramesToAverage);
  if (!o.accepted) MaskEdit2->set_text(widen(o.text));
}

void TForm1::MaskEdit2KeyDown(UINT key) { MaskEdit2->set_text(widen(frames_key(key, Frames.FramesToAverage))); }

namespace {

bounds to_bounds(const rect& r) { return {r.left, r.top, r.width, r.height}; }
rect to_rect(const bounds& b) { return {b.left, b.top, b.width, b.height}; }

}  // namespace

void TForm1::ImgEnlargeClick() { Image2->set_bounds(to_rect(zoom_enlarge(to_bounds(Image2->bounds())))); }

void TForm1::ImgThrinkClick() { Image2->set_bounds(to_rect(zoom_shrink(to_bounds(Image2->bounds())))); }

void TForm1::ImgOriginClick() { Image2->set_bounds(to_rect(zoom_origin())); }

void TForm1::PlaceCrossMark() {
  rect panel = Dis_Panel->bounds();
  cross_position p = place_cross_mark(panel.width, panel.height, CrossPctX, CrossPctY);
  cross_mark->set_bounds({p.left, p.top, CrossMarkSize, CrossMarkSize});
  CrossMoved = 1;
}

void TForm1::cross_markMouseDown(int x, int y) {
  CrossDragging = 1;
  CrossDragX = x;
  CrossDragY = y;
}

void TForm1::cross_markMouseMove(int x, int y) {
  if (!CrossDragging) return;
  rect panel = Dis_Panel->bounds();
  rect b = cross_mark->bounds();
  int32_t left = drag_cross_left(x, b.left, CrossDragX, panel.width);
  int32_t top = drag_cross_top(y, b.top, CrossDragY, panel.height);
  cross_mark->set_bounds({left, top, b.width, b.height});
  CrossPctX = cross_percent(left, panel.width);
  CrossPctY = cross_percent(top, panel.height);
}

void TForm1::cross_markMouseUp(int, int) {
  CrossDragging = 0;
  CrossMoved = 1;
}

void TForm1::UpdateCrossPixel() {
  View.CrossPixelX = cross_pixel(CrossPctX, FrameWidth);
  View.CrossPixelY = cross_pixel(CrossPctY, FrameHeight);
}

void TForm1::AnalyzeBeam() { View.AnalyzeBeam(Frames.ProcessedFrame.data(), Table, seams_.clipboard); }

void TForm1::Img_Dis() { View.Img_Dis(Frames.ProcessedFrame.data(), &picture_); }

void TForm1::frame_picture_c::show_frame_picture(const uint8_t* bgr, int32_t width, int32_t height) {
  form.FrameBitmap.assign(bgr, width, height);
  form.Image2->picture_changed();
}
