// Windows only: Trellum's forms. TForm1 is the main form "Kestravue": the frame display with
// its cross mark and zoom, the live video panel, the acquisition controls, the results grid
// and the beam-position chart, the main menu and three timers. TForm2 is the about box,
// TForm3 the calibration form and TForm5 the beam-position window.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "beamcam/beam_view.h"
#include "beamcam/capture_graph.h"
#include "beamcam/forms/forms.h"
#include "beamcam/forms/grid_chart.h"
#include "beamcam/frame_store.h"
#include "beamcam/form_rules.h"
#include "beamcam/frame_files.h"
#include "beamcam/position_log.h"
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

// The program: its forms and message loop; the exit code.
int RunTrellum(HINSTANCE instance);

// What the forms take from outside; tests pass their own.
struct main_form_seams {
  std::function<HRESULT(capture_form_i&)> build_graph;  // BuildCaptureGraph when empty
  std::function<void(UINT)> exit_process;               // ExitProcess when empty
  clipboard_i* clipboard = nullptr;                     // the system clipboard when null
  bool show = true;                                     // show the form once made
  // An error the user must see; an error box over the form when empty.
  std::function<void(const std::wstring&)> error_box;
};

// The calibration file ".//calibration" in the current directory.
extern const wchar_t CalibrationFileName[];
// Reads it; the default pitch for each number a missing or unreadable file does not give.
calibration read_calibration_file();
// Writes the new pair before the earlier content (at most CalibrationKeptBytes of it). The
// file is replaced only once the new one is complete; false with a message otherwise.
bool write_calibration_file(calibration pitch, std::wstring& error);
// Writes `bytes` to `path` through a file beside it that takes its place once complete, so
// that a failed write leaves the earlier file (or none) and no partial one.
bool write_file_replacing(const std::wstring& path, const std::string& bytes, std::wstring& error);
// The text of the last error of the system, for a message.
std::wstring system_error_text(DWORD code);

// The calibration form: the pixel pitch behind an access code.
class TForm3 : public forms::form_c {
 public:
  // `stored` is the pitch of the calibration file (the main form's CalibX, CalibY).
  TForm3(calibration& stored, std::function<void(const std::wstring&)> error_box = nullptr);
  std::unique_ptr<forms::static_text_c> Label1, Label2, Label3, Label4, Label5, Label6, Label7;
  std::unique_ptr<forms::mask_edit_c> Edit1, Edit2, Edit3;
  std::unique_ptr<forms::push_button_c> Button1, Button2, Button3, Button4;
  int32_t PendingCalibX = DefaultCalib, PendingCalibY = DefaultCalib;

  void FormCreate();
  void Button3Click();
  void Edit2Change();
  void Edit3Change();
  void Button1Click();
  void Button2Click();
  void Button4Click() { close(); }
  void FormClose();

 private:
  void edit_changed(forms::mask_edit_c& edit, int32_t& pending);
  void set_writable(forms::mask_edit_c& edit, bool on);
  static std::wstring shown_pitch(int32_t calib);
  calibration& stored_;
  std::function<void(const std::wstring&)> error_box_;
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

  // The pitch of the calibration file, read once at construction; the analysis uses it from
  // then on (a new pitch takes effect at the next start).
  calibration Calib;
  forms::file_dialog_c OpenDialog1{forms::file_dialog_c::kind::open};
  forms::file_dialog_c SaveDialog1{forms::file_dialog_c::kind::save};
  // The beam-position log: its run and the open file.
  position_log_c Log;
  FILE* BeamLogFile = nullptr;

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
  // The file menu.
  void Open1Click();
  void Rawdata1Click();
  void picture1Click();
  // The beam-position logging.
  void start_posClick();
  void pause_posClick();
  void stop_posClick();
  void beam_pos_timerTimer();
  void MaskEdit3Change();
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
  void show_error(const std::wstring& text);
  // Asks the save dialog for a name and adds `extension`; empty when the user gave none or
  // declined to replace an existing file.
  std::wstring choose_save_name(const wchar_t* title, const wchar_t* filter, const wchar_t* extension);
  void show_logging_view();
  point_span run_span() const;
  void close_log();

  main_form_seams seams_;
  std::unique_ptr<clipboard_i> own_clipboard_;
  frame_picture_c picture_{*this};
  forms::bitmap_c colour_bar_, scale_, cross_;
  bool com_started_ = false;
};
