// Windows only: Trellum's forms. TForm1 is the main form "Kestravue": the frame display with
// its cross mark and zoom, the live video panel, the acquisition controls, the results grid
// and the beam-position chart, the main menu and three timers. TForm2 is the about box and
// TForm5 the beam-position window.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "beamcam/beam_view.h"
#include "beamcam/capture_graph.h"
#include "beamcam/forms/forms.h"
#include "beamcam/forms/grid_chart.h"
#include "beamcam/frame_store.h"
#include "beamcam/form_rules.h"
#include "beamcam/result_table.h"

class TForm2 : public forms::form_c {
 public:
  TForm2();
  std::unique_ptr<forms::static_text_c> Label1, Label2, Label3, Label4;
  std::unique_ptr<forms::push_button_c> Button1;
  void Button1Click() { close(); }
};

class TForm5 : public forms::form_c {
 public:
  TForm5();
  ~TForm5() override;
  std::unique_ptr<forms::status_bar_c> StatusBar1;
  std::unique_ptr<forms::point_chart_c> Chart2;  // Series3 is Chart2->Series
};

// What the main form takes from outside; tests pass their own.
struct main_form_seams {
  std::function<HRESULT(capture_form_i&)> build_graph;  // BuildCaptureGraph when empty
  std::function<void(UINT)> exit_process;               // ExitProcess when empty
  clipboard_i* clipboard = nullptr;                     // the system clipboard when null
  bool show = true;                                     // show the form once made
};

// Handlers of the file menu, bound by the frame-file unit; items without one do nothing.
struct file_menu_handlers {
  std::function<void()> Open1Click, Rawdata1Click, picture1Click;
};

class TForm1 : public forms::form_c, public capture_form_i {
 public:
  explicit TForm1(main_form_seams seams = {});
  ~TForm1() override;

  // The other forms, shown by the menu and the chart.
  forms::form_c* Form2 = nullptr;
  forms::form_c* Form3 = nullptr;
  forms::form_c* Form5 = nullptr;
  TForm5* BeamPositionForm = nullptr;  // Form5 as its class, for its chart
  file_menu_handlers FileMenu;

  // Frame arithmetic, display and results.
  frame_store_c Frames;
  beam_view_c View;
  result_table_c Table;
  forms::bitmap_c FrameBitmap;

  // Module-level state of the main form.
  uint8_t StartupState = 0;
  int32_t AcqTickCount = 0;
  int32_t AnalysisOn = 0;
  int32_t CrossMoved = 0;
  int32_t CrossPctX = 50, CrossPctY = 50;
  int32_t CrossDragging = 0;
  int32_t CrossDragX = 0, CrossDragY = 0;
  uint8_t LoggingOn = 0;  // set by the beam-position logging

  // Controls.
  std::unique_ptr<forms::panel_c> Dis_Panel, Panel1, Panel2, Panel3, Panel4, Panel5;
  std::unique_ptr<forms::image_c> Image1, Image2, Image3, cross_mark;
  std::unique_ptr<forms::point_chart_c> Chart2;  // Series3 is Chart2->Series
  std::unique_ptr<forms::push_button_c> start_pos, pause_pos, stop_pos;
  std::unique_ptr<forms::mask_edit_c> MaskEdit1, MaskEdit2, MaskEdit3;
  std::unique_ptr<forms::combo_box_c> ComboBox1;
  std::unique_ptr<forms::radio_button_c> normal_acq, peak_det;
  std::unique_ptr<forms::static_text_c> Label1, Label2, StaticText1;
  std::unique_ptr<forms::value_grid_c> VLE;
  std::unique_ptr<forms::status_bar_c> StatusBar1;
  std::unique_ptr<forms::timer_c> Timer1, start_exit_timer, beam_pos_timer;
  forms::menu_item_c *File1, *Open1, *Save1, *Rawdata1, *picture1, *Exit1, *Resolution1, *Preview1, *XYCurve,
      *calculate, *Start1, *Stop1, *ImgEnlarge, *ImgThrink, *ImgOrigin, *About1, *Calibration1, *About2;

  // Handlers.
  void FormCreate();
  void FormClose();
  void Timer1Timer();
  void start_exit_timerTimer();
  void Start1Click();
  void Stop1Click();
  void Preview1Click();
  void XYCurveClick();
  void calculateClick();
  void Exit1Click();
  void About2Click();
  void Calibration1Click();
  void Chart2Click();
  void MaskEdit1Change();
  void MaskEdit1KeyDown(UINT key);
  void MaskEdit2Change();
  void MaskEdit2KeyDown(UINT key);
  void ImgEnlargeClick();
  void ImgThrinkClick();
  void ImgOriginClick();
  void cross_markMouseDown(int x, int y);
  void cross_markMouseMove(int x, int y);
  void cross_markMouseUp(int x, int y);
  void PlaceCrossMark();
  void UpdateCrossPixel();
  void AnalyzeBeam();
  void Img_Dis();
  // WM_APP_FRAME_READY: converts the frame just grabbed.
  void FrameReady();

  // capture_form_i
  HWND frame_window() override { return handle(); }
  HWND preview_owner() override { return Panel1->handle(); }
  const std::atomic<int16_t>& acq_state() override { return Frames.AcqState; }
  void camera_missing() override;
  void end_on_next_tick() override;
  void set_video_mode(const video_mode& mode) override;

 private:
  struct frame_picture_c : picture_sink_i {
    explicit frame_picture_c(TForm1& f) : form(f) {}
    void show_frame_picture(const uint8_t* bgr, int32_t width, int32_t height) override;
    TForm1& form;
  };
  void build_menu();
  void build_controls();
  void make_pictures();

  main_form_seams seams_;
  std::unique_ptr<clipboard_i> own_clipboard_;
  frame_picture_c picture_{*this};
  forms::bitmap_c colour_bar_, scale_, cross_;
  bool com_started_ = false;
};
