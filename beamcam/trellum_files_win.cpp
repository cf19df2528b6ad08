// Trellum's files: the calibration file and its form, raw and JPEG frames from the file menu,
// and the beam-position log with its controls inside the main chart.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "beamcam/jpeg_writer.h"
#include "beamcam/trellum_forms.h"

using namespace forms;

const wchar_t CalibrationFileName[] = L".//calibration";

namespace {

constexpr wchar_t LogFileName[] = L"beam_position.txt";
// A raw file is about 1.6 MB; nothing a frame needs lies beyond this much of a file.
constexpr size_t RawFileLimit = size_t(64) << 20;

std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }  // ASCII texts only

std::string narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += c < 128 ? char(c) : '?';
  return s;
}

// Up to `limit` bytes of a file; false when it cannot be opened or read.
bool read_file_prefix(const std::wstring& path, size_t limit, std::string& bytes, DWORD& error) {
  bytes.clear();
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  bool ok = true;
  char chunk[65536];
  while (bytes.size() < limit) {
    DWORD want = DWORD(std::min(sizeof chunk, limit - bytes.size())), got = 0;
    if (!ReadFile(f, chunk, want, &got, nullptr)) {
      error = GetLastError();
      ok = false;
      break;
    }
    if (got == 0) break;
    bytes.append(chunk, got);
  }
  CloseHandle(f);
  return ok;
}

std::string ansi(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

// The date and time in the user's short date and long time formats.
std::string now_text() {
  wchar_t date[128] = L"", time[128] = L"";
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 128);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, 128);
  return ansi(std::wstring(date) + L" " + time);
}

int CALLBACK note_font(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool font_installed(const wchar_t* face) {
  LOGFONTW lf = {};
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &lf, note_font, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

}  // namespace

std::wstring system_error_text(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring s = n && text ? std::wstring(text, n) : L"Error " + std::to_wstring(code) + L".";
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
  return s;
}

bool write_file_replacing(const std::wstring& name, const std::string& bytes, std::wstring& error) {
  // The full path: the folder is known for a relative name, and the replace sees one form.
  wchar_t full[MAX_PATH + 1] = L"";
  DWORD n = GetFullPathNameW(name.c_str(), MAX_PATH + 1, full, nullptr);
  const std::wstring path = n && n <= MAX_PATH ? std::wstring(full, n) : name;
  // The temporary file is made unique in the target's folder by the system, which never
  // opens a file that is already there: no file of the user's is written or removed.
  size_t slash = path.find_last_of(L"\\/");
  std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash + 1);
  wchar_t temp[MAX_PATH + 1] = L"";
  if (!GetTempFileNameW(folder.c_str(), L"trl", 0, temp)) {
    error = system_error_text(GetLastError());
    return false;
  }
  HANDLE f = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD code = f == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  bool ok = f != INVALID_HANDLE_VALUE;
  DWORD written = 0;
  if (ok && !(WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size()))
    ok = false, code = GetLastError();
  if (ok && !FlushFileBuffers(f)) ok = false, code = GetLastError();
  if (f != INVALID_HANDLE_VALUE && !CloseHandle(f) && ok) ok = false, code = GetLastError();
  if (ok) {
    // An existing target keeps its attributes and security: it is replaced in place. A
    // read-only one is refused as the system refuses it.
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      if (!MoveFileExW(temp, path.c_str(), MOVEFILE_WRITE_THROUGH)) ok = false, code = GetLastError();
    } else if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
      ok = false, code = ERROR_ACCESS_DENIED;
    } else if (!ReplaceFileW(path.c_str(), temp, nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr)) {
      ok = false, code = GetLastError();
    } else {
      SetFileAttributesW(path.c_str(), attributes);  // not every system's replace keeps them
    }
  }
  if (!ok) {
    DeleteFileW(temp);
    error = system_error_text(code ? code : ERROR_WRITE_FAULT);
  }
  return ok;
}

calibration read_calibration_file() {
  std::string text;
  DWORD error = 0;
  // A missing or unreadable file gives no numbers: the default pitch stands.
  if (!read_file_prefix(CalibrationFileName, 4096, text, error)) return {};
  return read_calibration_text(text);
}

bool write_calibration_file(calibration pitch, std::wstring& error) {
  std::string earlier;
  DWORD code = 0;
  if (!read_file_prefix(CalibrationFileName, CalibrationKeptBytes, earlier, code) && code != ERROR_FILE_NOT_FOUND &&
      code != ERROR_PATH_NOT_FOUND) {
    // An earlier file that is there but cannot be read is not overwritten: its content would
    // be lost.
    error = system_error_text(code);
    return false;
  }
  return write_file_replacing(CalibrationFileName, calibration_file_text(pitch, earlier), error);
}

// The calibration form.

TForm3::TForm3(calibration& stored, std::function<void(const std::wstring&)> error_box)
    : form_c("Form3", L"Calibrate CCD Pixel Size"), stored_(stored), error_box_(std::move(error_box)) {
  create(385, 217, border::dialog);
  HWND w = handle();
  HFONT text_font = font(L"Tahoma", 13, false);
  // The unit: an "m" in the Symbol font shows as µ, then an "m". Without that font (it is
  // not on every system) the "m" would read as "mm"; the Greek mu stands in, which more
  // fonts hold than the micro sign.
  static HFONT symbol = CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Symbol");
  const bool has_symbol = font_installed(L"Symbol");
  HFONT mu_font = has_symbol ? symbol : text_font;
  const wchar_t* mu = has_symbol ? L"m" : L"\u03bc";
  Label1 = std::make_unique<static_text_c>(*this, w, "Label1", rect{24, 24, 90, 16}, L"Passward: ", text_font, clBlack,
                                           clSilver);
  Edit1 = std::make_unique<mask_edit_c>(*this, w, "Edit1", rect{118, 20, 150, 21}, L"");
  Edit1->set_password_char(L'*');
  Button3 = std::make_unique<push_button_c>(*this, w, "Button3", rect{284, 18, 75, 25}, L"OK");
  Label2 = std::make_unique<static_text_c>(*this, w, "Label2", rect{24, 76, 90, 16}, L"Pixel-X Size: ", text_font,
                                           clBlack, clSilver);
  Edit2 = std::make_unique<mask_edit_c>(*this, w, "Edit2", rect{118, 72, 150, 21}, L"");
  Label3 = std::make_unique<static_text_c>(*this, w, "Label3", rect{274, 74, 10, 18}, mu, mu_font, clBlack, clSilver);
  Label4 = std::make_unique<static_text_c>(*this, w, "Label4", rect{284, 76, 14, 16}, L"m", text_font, clBlack,
                                           clSilver);
  Label5 = std::make_unique<static_text_c>(*this, w, "Label5", rect{24, 118, 90, 16}, L"Pixel-Y Size: ", text_font,
                                           clBlack, clSilver);
  Edit3 = std::make_unique<mask_edit_c>(*this, w, "Edit3", rect{118, 114, 150, 21}, L"");
  Label6 = std::make_unique<static_text_c>(*this, w, "Label6", rect{274, 116, 10, 18}, mu, mu_font, clBlack,
                                           clSilver);
  Label7 = std::make_unique<static_text_c>(*this, w, "Label7", rect{284, 118, 14, 16}, L"m", text_font, clBlack,
                                           clSilver);
  if (!has_symbol) {
    // The stand-in mu is wider than the Symbol font's 10 pixels: its label takes the glyph's
    // width and the "m" follows it.
    for (auto [mu_label, m_label] : {std::pair{Label3.get(), Label4.get()}, std::pair{Label6.get(), Label7.get()}}) {
      mu_label->set_auto_size(true);
      RECT r;
      GetWindowRect(mu_label->handle(), &r);
      MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&r), 2);
      SetWindowPos(m_label->handle(), nullptr, r.right, r.top + 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  Button1 = std::make_unique<push_button_c>(*this, w, "Button1", rect{24, 168, 90, 27}, L"&Input");
  Button2 = std::make_unique<push_button_c>(*this, w, "Button2", rect{147, 168, 90, 27}, L"&Cancel");
  Button4 = std::make_unique<push_button_c>(*this, w, "Button4", rect{270, 168, 90, 27}, L"&Exit");
  for (mask_edit_c* e : {Edit2.get(), Edit3.get()}) {
    e->set_read_only(true);
    e->set_colour(clScrollBar);
  }
  Button3->OnClick = [this] { Button3Click(); };
  Button1->OnClick = [this] { Button1Click(); };
  Button2->OnClick = [this] { Button2Click(); };
  Button4->OnClick = [this] { Button4Click(); };
  OnClose = [this] { FormClose(); };
  FormCreate();
  Edit2->OnChange = [this] { Edit2Change(); };
  Edit3->OnChange = [this] { Edit3Change(); };
}

// A pitch as the edits show it, in micrometres with the user's decimal separator.
std::wstring TForm3::shown_pitch(int32_t calib) { return widen(to_user_decimal(pitch_text(calib), decimal_separator())); }

void TForm3::FormCreate() {
  Edit2->set_text(shown_pitch(stored_.x));
  Edit3->set_text(shown_pitch(stored_.y));
  PendingCalibX = stored_.x;
  PendingCalibY = stored_.y;
}

void TForm3::set_writable(mask_edit_c& edit, bool on) {
  edit.set_read_only(!on);
  edit.set_colour(on ? clWindow : clScrollBar);
}

void TForm3::Button3Click() {
  if (!calibration_code_matches(narrow(Edit1->text()))) return;
  set_writable(*Edit2, true);
  set_writable(*Edit3, true);
}

void TForm3::edit_changed(mask_edit_c& edit, int32_t& pending) {
  if (std::optional<int32_t> v = pitch_from_text(from_user_decimal(narrow(edit.text()), decimal_separator()))) {
    pending = *v;
    if (!edit.read_only()) edit.set_colour(clYellow);
  } else {
    edit.set_text(shown_pitch(pending));
  }
}

void TForm3::Edit2Change() { edit_changed(*Edit2, PendingCalibX); }

void TForm3::Edit3Change() { edit_changed(*Edit3, PendingCalibY); }

void TForm3::Button2Click() {
  PendingCalibX = stored_.x;
  PendingCalibY = stored_.y;
  Edit2->set_text(shown_pitch(stored_.x));
  Edit3->set_text(shown_pitch(stored_.y));
  for (mask_edit_c* e : {Edit2.get(), Edit3.get()})
    if (!e->read_only()) e->set_colour(clWindow);
}

void TForm3::Button1Click() {
  if (PendingCalibX == stored_.x && PendingCalibY == stored_.y) return;
  // The file first: the new pitch counts as stored only once it is.
  std::wstring error;
  if (!write_calibration_file({PendingCalibX, PendingCalibY}, error)) {
    std::wstring text = L"The calibration could not be saved to \"calibration\":\n" + error;
    if (error_box_)
      error_box_(text);
    else
      MessageBoxW(handle(), text.c_str(), L"Calibrate CCD Pixel Size", MB_OK | MB_ICONERROR);
    return;
  }
  stored_ = {PendingCalibX, PendingCalibY};
  for (mask_edit_c* e : {Edit2.get(), Edit3.get()})
    if (!e->read_only()) e->set_colour(clWindow);
}

void TForm3::FormClose() {
  set_writable(*Edit2, false);
  set_writable(*Edit3, false);
}

// The file menu of the main form.

void TForm1::show_error(const std::wstring& text) {
  if (seams_.error_box)
    seams_.error_box(text);
  else
    MessageBoxW(handle(), text.c_str(), L"Kestravue", MB_OK | MB_ICONERROR);
}

void TForm1::Open1Click() {
  OpenDialog1.filter = L"*.raw|*.raw";
  OpenDialog1.title = L"Please select a file";
  if (!OpenDialog1.Execute(handle())) return;
  const std::wstring path = OpenDialog1.file_name;
  std::string text;
  DWORD code = 0;
  // A file that cannot be read changes nothing, acquisition included.
  if (!read_file_prefix(path, RawFileLimit, text, code)) {
    show_error(L"The file " + path + L" could not be opened:\n" + system_error_text(code));
    return;
  }
  Stop1Click();
  read_raw_frame_text(text, Frames.ProcessedFrame.data());
  Img_Dis();
  pixel_point p = find_profile_point(Frames.ProcessedFrame.data());
  View.CrossPixelX = p.x;
  View.CrossPixelY = p.y;
  AnalyzeBeam();
}

std::wstring TForm1::choose_save_name(const wchar_t* title, const wchar_t* filter, const wchar_t* extension) {
  SaveDialog1.title = title;
  SaveDialog1.filter = filter;
  if (!SaveDialog1.Execute(handle())) return {};
  std::wstring name = with_extension(SaveDialog1.file_name, extension);
  // The dialog asked about the name as typed; a name the extension made is asked about here.
  if (name != SaveDialog1.file_name && GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES &&
      !confirm_replace(handle(), title, name))
    return {};
  return name;
}

void TForm1::Rawdata1Click() {
  std::wstring name = choose_save_name(L"Save rawdata to...", L"*.raw|*.raw", L".raw");
  if (name.empty()) return;
  std::wstring error;
  if (!write_file_replacing(name, crlf_text(raw_frame_text(Frames.RawFrame.data())), error))
    show_error(L"The file " + name + L" could not be written:\n" + error);
}

void TForm1::picture1Click() {
  std::wstring name = choose_save_name(L"Save picuture to...", L"*.jpg|*.jpg", L".jpg");
  if (name.empty()) return;
  size_t stride = FrameBitmap.height() > 1 ? size_t(FrameBitmap.row(1) - FrameBitmap.row(0)) : size_t(FrameBitmap.width()) * 3;
  jpeg_result jpeg = encode_jpeg_bgr(FrameBitmap.row(0), FrameBitmap.width(), FrameBitmap.height(), stride);
  std::wstring error;
  if (!jpeg.ok)
    error = widen(jpeg.error);
  else if (write_file_replacing(name, std::string(jpeg.bytes.begin(), jpeg.bytes.end()), error))
    return;
  show_error(L"The file " + name + L" could not be written:\n" + error);
}

// The beam-position logging.

void TForm1::show_logging_view() {
  const logging_view& v = Log.view;
  start_pos->set_enabled(v.start_enabled);
  pause_pos->set_enabled(v.pause_enabled);
  stop_pos->set_enabled(v.stop_enabled);
  MaskEdit3->set_enabled(v.minutes_enabled);
  pause_pos->set_caption(widen(v.pause_caption));
  if (ComboBox1->item_index() != v.unit_index) ComboBox1->set_item_index(v.unit_index);
  MaskEdit3->set_text(widen(v.minutes_text));
  beam_pos_timer->set_enabled(v.timer_on);
  Chart2->set_title(widen(v.title), v.title_visible);
}

point_span TForm1::run_span() const {
  const point_series_c& s = Chart2->Series;
  return {s.MinXValue(), s.MaxXValue(), s.MinYValue(), s.MaxYValue()};
}

void TForm1::close_log() {
  if (!BeamLogFile) return;
  fclose(BeamLogFile);
  BeamLogFile = nullptr;
}

void TForm1::start_posClick() {
  // No run without its file.
  FILE* f = _wfopen(LogFileName, L"w");
  if (!f) {
    show_error(L"The log file beam_position.txt could not be created:\n" + system_error_text(GetLastError()));
    return;
  }
  close_log();
  BeamLogFile = f;
  Log.view.minutes_text = narrow(MaskEdit3->text());
  Log.view.unit_index = ComboBox1->item_index() == 1 ? 1 : 0;
  Log.start();
  XYCurve->set_checked(false);
  View.ProfilesOn = 0;
  cross_mark->set_visible(false);
  Chart2->Clear();
  if (BeamPositionForm) BeamPositionForm->Chart2->Clear();
  show_logging_view();
}

void TForm1::beam_pos_timerTimer() {
  if (!Log.LoggingOn) return;
  AnalyzeBeam();
  Log.view.minutes_text = narrow(MaskEdit3->text());
  Log.view.unit_index = ComboBox1->item_index() == 1 ? 1 : 0;
  position_log_c::tick_result r = Log.tick(View.PeakPixelX, View.PeakPixelY);
  bool written = true;
  if (r.add_point) {
    Chart2->AddXY(View.PeakPixelX, View.PeakPixelY);
    if (BeamPositionForm) BeamPositionForm->Chart2->AddXY(View.PeakPixelX, View.PeakPixelY);
    if (BeamLogFile) {
      // Each line reaches the file at once: "&Exit" ends the process without closing it.
      std::string line = position_log_line(now_text(), View.PeakPixelX, View.PeakPixelY);
      written = fputs(line.c_str(), BeamLogFile) >= 0 && fflush(BeamLogFile) == 0;
    }
  }
  if (r.run_ended) close_log();
  show_logging_view();
  if (!written) {
    // The run stops before the box, whose loop would let the timer tick on.
    stop_posClick();
    show_error(L"The log file beam_position.txt could not be written; logging stopped.");
  }
}

void TForm1::pause_posClick() {
  Log.pause_or_resume(run_span(), View.PixelSizeX, View.PixelSizeY);
  show_logging_view();
}

void TForm1::stop_posClick() {
  Log.stop(run_span(), View.PixelSizeX, View.PixelSizeY);
  show_logging_view();
  close_log();
}

void TForm1::MaskEdit3Change() {
  Log.view.minutes_text = narrow(MaskEdit3->text());
  if (Log.minutes_changed()) MaskEdit3->set_text(widen(Log.view.minutes_text));
}
