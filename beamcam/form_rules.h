// The main form's rules that need no window: the acquisition timer's schedule, the start-up
// steps, the cross mark and zoom arithmetic and what the two edit fields accept. The form
// (trellum_forms_win.cpp) carries the actions out.
#pragma once

#include <cstdint>
#include <string>

// What one tick of the acquisition timer (Timer1) asks for, in this order.
struct acq_tick_actions {
  bool combine_and_show = false;  // CombineFrames, Img_Dis, AcqState back to collecting
  bool update_cross = false;      // UpdateCrossPixel
  bool analyse = false;           // AnalyzeBeam
};
// One tick: `tick_count` is AcqTickCount, `cross_moved` CrossMoved (both updated).
acq_tick_actions acq_timer_tick(int32_t& tick_count, int acq_state, int32_t& cross_moved,
                                bool analysis_on, bool logging_on);

// Start-up and exit steps of start_exit_timer.
constexpr uint8_t StartupReady = 200;
constexpr uint32_t NavyColour = 0x800000, MaroonColour = 0x000080;  // COLORREF
constexpr uint32_t StartupInterval = 300, ReadyInterval = 100;       // ms

struct startup_tick_actions {
  bool build_graph = false;    // COM for this thread, then the capture graph
  uint32_t font_colour = 0;    // the status text's colour, when set_colour
  bool set_colour = false;
  bool ready = false;          // timer off, caption "READY", interval 100 ms
  bool exit_process = false;   // end at once with exit code 1
};
startup_tick_actions startup_tick(uint8_t& startup_state);
// The caption "CCD Camera found, initializing . . ." goes up after the build only while the
// start-up is still at its first step: the build's message boxes let the timer tick on.
inline bool show_camera_found(uint8_t startup_state) { return startup_state == 1; }

extern const char* const SearchingText;
extern const char* const CameraFoundText;
extern const char* const ReadyText;

// Bounds of a control in its parent's pixels.
struct bounds {
  int32_t left = 0, top = 0, width = 0, height = 0;
  bool operator==(const bounds& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height;
  }
};

// Cross mark: a 400 x 400 picture whose cross point lies 201 pixels right of and below its
// top-left corner, placed inside the display panel.
constexpr int32_t CrossMarkSize = 400, CrossPointOffset = 201;
struct cross_position {
  int32_t left = 0, top = 0;
};
cross_position place_cross_mark(int32_t panel_width, int32_t panel_height, int32_t pct_x, int32_t pct_y);
// Where a drag puts the mark: mouse position inside the mark, the mark's place and the
// position inside the mark where the drag began; kept so that the cross point stays on the panel.
int32_t drag_cross_left(int32_t mouse_x, int32_t left, int32_t drag_x, int32_t panel_width);
int32_t drag_cross_top(int32_t mouse_y, int32_t top, int32_t drag_y, int32_t panel_height);
// Percent of the panel where the cross point lies.
int32_t cross_percent(int32_t left_or_top, int32_t panel_extent);
// The profile's column (of 720) or row (of 576) for a percentage; never past the last one.
int32_t cross_pixel(int32_t pct, int32_t frame_extent);

// Zoom of the display image (Image2) inside its panel.
bounds zoom_enlarge(const bounds& image);
bounds zoom_shrink(const bounds& image);
bounds zoom_origin();

// The two edit fields: "Pixels Gain" (a real number 1.0 to 10.0) and "Frams Avrg" (1 to 100).
struct edit_outcome {
  bool accepted = false;  // the value was taken
  std::string text;       // otherwise the text goes back to this
};
constexpr double GainMin = 1.0, GainMax = 10.0;
constexpr int FramesMin = 1, FramesMax = 100;
// The shortest form of a gain, 15 significant digits.
std::string gain_text(double gain);
// Reading the text; unreadable text counts as -1.
double read_real(const std::string& text);
int32_t read_integer(const std::string& text);
edit_outcome gain_changed(const std::string& text, double& gain);
edit_outcome frames_changed(const std::string& text, uint8_t& frames);
// Arrow keys step the value inside its range; every key then shows the value (returned).
constexpr unsigned KeyUp = 0x26, KeyDown = 0x28;  // VK_UP, VK_DOWN
std::string gain_key(unsigned key, double& gain);
// The edits show and take real numbers with the user's decimal separator; the rules and the
// files use '.'. A '.' typed where another separator is the user's does not read as a number.
std::string to_user_decimal(const std::string& text, char separator);
std::string from_user_decimal(const std::string& text, char separator);
std::string frames_key(unsigned key, uint8_t& frames);
