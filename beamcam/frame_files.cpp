#include "beamcam/frame_files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "beamcam/frame_store.h"

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<int32_t> read_decimal(std::string_view text, size_t& pos) {
  while (pos < text.size() && is_space(text[pos])) ++pos;
  size_t p = pos;
  bool negative = false;
  if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
  if (p >= text.size() || !is_digit(text[p])) return std::nullopt;
  int64_t value = 0;
  bool too_big = false;
  for (; p < text.size() && is_digit(text[p]); ++p) {
    if (!too_big) value = value * 10 + (text[p] - '0');
    if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1) too_big = true;
  }
  pos = p;
  if (negative) value = -value;
  if (too_big || value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
    return std::nullopt;
  return int32_t(value);
}

calibration read_calibration_text(std::string_view text) {
  calibration pitch;
  size_t pos = 0;
  std::optional<int32_t> x = read_decimal(text, pos);
  if (!x) return pitch;
  pitch.x = *x;
  if (std::optional<int32_t> y = read_decimal(text, pos)) pitch.y = *y;
  return pitch;
}

std::string calibration_file_text(calibration pitch, std::string_view earlier) {
  char pair[64];
  std::snprintf(pair, sizeof pair, "%d  %d   ", int(pitch.x), int(pitch.y));
  std::string text = pair;
  text.append(earlier.substr(0, std::min(earlier.size(), CalibrationKeptBytes)));
  return text;
}

bool calibration_code_matches(std::string_view typed) { return typed == "quillbrookmax"; }

std::optional<int32_t> pitch_from_text(std::string_view text) {
  std::string s(text);
  size_t start = s.find_first_not_of(" \t");
  size_t end = s.find_last_not_of(" \t");
  if (start == std::string::npos) return std::nullopt;
  s = s.substr(start, end - start + 1);
  char* stop = nullptr;
  double x = std::strtod(s.c_str(), &stop);
  if (stop != s.c_str() + s.size() || !(x >= 0 && x <= 100)) return std::nullopt;
  return int32_t(x * 10000 + 0.5);
}

std::string pitch_text(int32_t calib) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", calib * 0.0001);
  return text;
}

std::string raw_frame_text(const int16_t* frame) {
  std::string text;
  text.reserve(size_t(FrameHeight) * (size_t(FrameWidth) * 4 + 1));
  char value[16];
  for (int32_t row = 0; row < FrameHeight; ++row) {
    for (int32_t col = 0; col < FrameWidth; ++col) {
      int n = std::snprintf(value, sizeof value, "%4d", int(frame[size_t(row) * FrameWidth + col]));
      text.append(value, size_t(n));
    }
    text += '\n';
  }
  return text;
}

size_t read_raw_frame_text(std::string_view text, int16_t* frame) {
  size_t pos = 0;
  for (size_t i = 0; i < FramePixels; ++i) {
    std::optional<int32_t> v = read_decimal(text, pos);
    if (!v) return i;
    frame[i] = int16_t(std::clamp<int32_t>(*v, std::numeric_limits<int16_t>::min(),
                                           std::numeric_limits<int16_t>::max()));
  }
  return FramePixels;
}

std::string with_extension(const std::string& name, std::string_view extension) {
  if (name.size() >= extension.size() &&
      std::string_view(name).substr(name.size() - extension.size()) == extension)
    return name;
  return name + std::string(extension);
}

std::wstring with_extension(const std::wstring& name, std::wstring_view extension) {
  if (name.size() >= extension.size() &&
      std::wstring_view(name).substr(name.size() - extension.size()) == extension)
    return name;
  return name + std::wstring(extension);
}

std::string crlf_text(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

pixel_point find_profile_point(const int16_t* frame) {
  pixel_point point;
  int32_t peak = frame[0];
  for (int32_t row = 0; row < FrameHeight; ++row)
    for (int32_t col = 0; col < FrameWidth; ++col) {
      int32_t v = frame[size_t(row) * FrameWidth + col];
      if (v > peak) {
        peak = v;
        point = {col, row};
      }
      if (peak > 764) break;
    }
  return point;
}
