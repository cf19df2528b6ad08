// Trellum's data files: the pixel calibration, raw frames as text, and the rules of the
// calibration form. The bytes are made and read here; the Win32 side opens the files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The pitch in units of 0.0001 µm; 1 µm for a number the file does not give.
constexpr int32_t DefaultCalib = 10000;
// How much of the earlier calibration file is kept behind a new pair.
constexpr size_t CalibrationKeptBytes = 10000;

struct calibration {
  int32_t x = DefaultCalib;
  int32_t y = DefaultCalib;
};

// The first two numbers of the file; a missing, unreadable or out-of-range number keeps its
// default (and ends the reading).
calibration read_calibration_text(std::string_view text);
// The new pair, "%d  %d   ", followed by at most CalibrationKeptBytes of the earlier file.
std::string calibration_file_text(calibration pitch, std::string_view earlier);

// The calibration form: the access code, and an edit's text as a pitch. A text that is not a
// real number from 0 to 100 gives nothing (the edit shows the pending value again).
bool calibration_code_matches(std::string_view typed);
std::optional<int32_t> pitch_from_text(std::string_view text);
// The pitch in micrometres as the form shows it ("%.15g").
std::string pitch_text(int32_t calib);

// One decimal integer as "%d" reads it from `text` at `pos` (white space skipped first); the
// position moves past it. Nothing for a token that is not a number or a number outside the
// 32-bit range.
std::optional<int32_t> read_decimal(std::string_view text, size_t& pos);

// A raw frame file: 576 lines of 720 values, "%4d" each, "\n" after each line.
std::string raw_frame_text(const int16_t* frame);
// Reads values into `frame` in order until the first token that is not a number; the pixels
// after it keep their values. Values beyond the 16-bit range are clamped into it. Gives the
// number of pixels read.
size_t read_raw_frame_text(std::string_view text, int16_t* frame);

// The chosen name with `extension` (".raw", ".jpg") appended unless it already ends in it
// exactly (case matters).
std::string with_extension(const std::string& name, std::string_view extension);
std::wstring with_extension(const std::wstring& name, std::wstring_view extension);

// Text as a text-mode stream stores it on Windows: every "\n" as "\r\n".
std::string crlf_text(std::string_view text);

// The profile point of an opened frame: the first greatest value, searched row by row from
// (0, 0); once it is above 764 the rest of each row is skipped.
struct pixel_point {
  int32_t x = 0;
  int32_t y = 0;
};
pixel_point find_profile_point(const int16_t* frame);
