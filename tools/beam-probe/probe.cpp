#include "tools/beam-probe/probe.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <utility>

#include "beamcam/beam_view.h"
#include "beamcam/bmp24.h"
#include "beamcam/frame_files.h"
#include "beamcam/frame_store.h"
#include "beamcam/result_table.h"

const char* const BeamProbeUsage =
    "usage: beam-probe [options] INPUT...\n"
    "  INPUT            a frame: 720 x 576 little-endian signed 16-bit values, row 0 first\n"
    "  --video LINES    the inputs are grabbed buffers of 576 or 480 rows of 720 RGB24 pixels,\n"
    "                   the last row the top of the picture\n"
    "  --mode M         average (default) or peak\n"
    "  --count N        frames combined, 1 to 100 (default 10); the inputs fill the ring in turn\n"
    "  --gain G         pixel gain, 1.0 to 10.0 (default 1)\n"
    "  --pitch X Y      micrometres per pixel (default 1 1)\n"
    "  --processed      take the single frame as the processed frame, as a raw file is opened\n"
    "  --raw            the single INPUT is a raw text file (720 values a line, 576 lines), opened\n"
    "                   as the program opens it: the processed frame, the profile point searched\n"
    "  --cross X Y      profile column and row (default 360 288)\n"
    "  --no-profiles    leave the profiles out of the picture\n"
    "  --refreshes N    draw the picture N times, carrying the column profile's level (default 1)\n"
    "  --palette BMP    colour-bar picture (default: the one of this build)\n"
    "  --picture OUT    write the false-colour picture as a 24-bit BMP\n"
    "  --script STEPS   run the frame store step by step instead (no INPUT): one step a line,\n"
    "                   '#' starts a comment; after each step its line and the store's state:\n"
    "    offer FILE       offer a grabbed video buffer (as many bytes as the file holds)\n"
    "    frame FILE       put a 720 x 576 frame file into the ring\n"
    "    acq N            set AcqState (0 stopped, 1 collecting, 2 ring full)\n"
    "    lines N          set the number of video lines (576 or 480)\n"
    "    count N | mode average|peak | gain G   as the options above\n"
    "    combine          combine the ring into the processed frame\n"
    "    measure          print the result table and the clipboard line of the processed frame\n"
    "    write raw|processed OUT, write slot K OUT   write a frame as a frame file\n"
    "    write rawtext OUT   write the last converted frame as the program saves raw data\n";

namespace {

struct options {
  int video_lines = 0;  // 0: inputs are frames
  int mode = acq_average;
  int count = 10;
  double gain = 1.0;
  double pitch_x = 1.0, pitch_y = 1.0;
  bool processed = false;
  bool raw_text = false;
  int cross_x = 360, cross_y = 288;
  bool profiles = true;
  int refreshes = 1;
  std::string palette;
  std::string picture;
  std::string script;
  std::vector<std::string> inputs;
};

bool to_int(const std::string& s, int low, int high, int& out) {
  char* end = nullptr;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end || v < low || v > high) return false;
  out = int(v);
  return true;
}

bool to_double(const std::string& s, double low, double high, double& out) {
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (s.empty() || *end || !(v >= low && v <= high)) return false;
  out = v;
  return true;
}

// Empty text when the command line is good, else what is wrong with it.
std::string parse(const std::vector<std::string>& args, options& o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](size_t k) -> const std::string* { return i + k < args.size() ? &args[i + k] : nullptr; };
    const std::string* v1 = value(1);
    const std::string* v2 = value(2);
    if (a == "--video") {
      if (!v1 || !to_int(*v1, 480, 576, o.video_lines) || (o.video_lines != 480 && o.video_lines != 576))
        return "--video takes 576 or 480";
      i += 1;
    } else if (a == "--mode") {
      if (!v1 || (*v1 != "average" && *v1 != "peak")) return "--mode takes average or peak";
      o.mode = *v1 == "peak" ? acq_peak_hold : acq_average;
      i += 1;
    } else if (a == "--count") {
      if (!v1 || !to_int(*v1, 1, RingSlots, o.count)) return "--count takes 1 to 100";
      i += 1;
    } else if (a == "--gain") {
      if (!v1 || !to_double(*v1, 1.0, 10.0, o.gain)) return "--gain takes 1.0 to 10.0";
      i += 1;
    } else if (a == "--pitch") {
      if (!v2 || !to_double(*v1, 0.0, 1e6, o.pitch_x) || !to_double(*v2, 0.0, 1e6, o.pitch_y))
        return "--pitch takes two sizes in micrometres";
      i += 2;
    } else if (a == "--cross") {
      if (!v2 || !to_int(*v1, 0, FrameWidth - 1, o.cross_x) || !to_int(*v2, 0, FrameHeight - 1, o.cross_y))
        return "--cross takes a column 0 to 719 and a row 0 to 575";
      i += 2;
    } else if (a == "--refreshes") {
      if (!v1 || !to_int(*v1, 1, 1000, o.refreshes)) return "--refreshes takes 1 to 1000";
      i += 1;
    } else if (a == "--palette" || a == "--picture" || a == "--script") {
      if (!v1) return a + " takes a file name";
      (a == "--palette" ? o.palette : a == "--picture" ? o.picture : o.script) = *v1;
      i += 1;
    } else if (a == "--processed") {
      o.processed = true;
    } else if (a == "--raw") {
      o.raw_text = true;
    } else if (a == "--no-profiles") {
      o.profiles = false;
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option " + a;
    } else {
      o.inputs.push_back(a);
    }
  }
  if (!o.script.empty()) return o.inputs.empty() ? std::string() : "--script takes no INPUT";
  if (o.inputs.empty()) return "no input";
  if (o.processed && (o.inputs.size() != 1 || o.video_lines)) return "--processed takes one frame file";
  if (o.raw_text && (o.inputs.size() != 1 || o.video_lines || o.processed)) return "--raw takes one raw file";
  return std::string();
}

bool read_whole(const std::string& path, std::string& bytes);

bool load_palette(const options& o, beam_view_c& view, std::ostream& err) {
  std::string palette_path = o.palette.empty() ? std::string(BEAM_COLOUR_BAR_PICTURE) : o.palette;
  std::string palette_file;
  bmp24_image colour_bar;
  if (!read_whole(palette_path, palette_file) || !read_bmp24(palette_file, colour_bar) ||
      !palette_from_colour_bar(colour_bar, view.Palette)) {
    err << "beam-probe: " << palette_path << " is not a colour-bar picture of 1024 x 1 or more, 24 bits\n";
    return false;
  }
  return true;
}

bool read_whole(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  bytes = s.str();
  return !in.bad();
}

void frame_from_bytes(const std::string& bytes, frame_buffer& frame) {
  frame.resize(FramePixels);
  for (size_t i = 0; i < FramePixels; ++i)
    frame[i] = int16_t(uint16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8));
}

std::string frame_to_bytes(const int16_t* frame) {
  std::string bytes(FramePixels * 2, '\0');
  for (size_t i = 0; i < FramePixels; ++i) {
    bytes[2 * i] = char(uint16_t(frame[i]) & 0xFF);
    bytes[2 * i + 1] = char(uint16_t(frame[i]) >> 8);
  }
  return bytes;
}

bool write_whole(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  return file.write(bytes.data(), std::streamsize(bytes.size())) && file.flush();
}

void measure(const int16_t* frame, const options& o, beam_view_c& view, std::ostream& out) {
  view.PixelSizeX = o.pitch_x;
  view.PixelSizeY = o.pitch_y;
  view.CrossPixelX = o.cross_x;
  view.CrossPixelY = o.cross_y;
  view.ProfilesOn = o.profiles ? 1 : 0;
  result_table_c table;
  InitResultTable(table);
  struct : clipboard_i {
    std::string line;
    void CopyTextToClipboard(const char* text) override { line = text; }
  } clipboard;
  view.AnalyzeBeam(frame, table, &clipboard);
  for (const result_table_c::row& row : table.rows()) out << row.first << ": " << row.second << "\n";
  out << "Clipboard: " << clipboard.line << "\n";
}

// One step of a script on the store; empty text when it ran, else what is wrong with it.
std::string run_step(const std::vector<std::string>& w, frame_store_c& store, const options& o, beam_view_c& view,
                     std::ostream& out) {
  const std::string& step = w[0];
  int n = 0;
  double g = 0;
  std::string bytes;
  if (step == "offer" && w.size() == 2) {
    if (!read_whole(w[1], bytes)) return "cannot read " + w[1];
    store.ConvertFrame(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  } else if (step == "frame" && w.size() == 2) {
    if (!read_whole(w[1], bytes)) return "cannot read " + w[1];
    if (bytes.size() != FramePixels * 2) return w[1] + " is no 720 x 576 frame";
    frame_buffer frame;
    frame_from_bytes(bytes, frame);
    store.store_in_ring(frame.data());
  } else if (step == "acq" && w.size() == 2 && to_int(w[1], 0, 2, n)) {
    store.AcqState = int16_t(n);
  } else if (step == "lines" && w.size() == 2 && to_int(w[1], 480, 576, n) && (n == 480 || n == 576)) {
    store.VideoLines = n;
  } else if (step == "count" && w.size() == 2 && to_int(w[1], 1, RingSlots, n)) {
    store.FramesToAverage = uint8_t(n);
  } else if (step == "mode" && w.size() == 2 && (w[1] == "average" || w[1] == "peak")) {
    store.AcqMode = w[1] == "peak" ? acq_peak_hold : acq_average;
  } else if (step == "gain" && w.size() == 2 && to_double(w[1], 1.0, 10.0, g)) {
    store.PixelGain = g;
  } else if (step == "combine" && w.size() == 1) {
    store.CombineFrames();
  } else if (step == "measure" && w.size() == 1) {
    measure(store.ProcessedFrame.data(), o, view, out);
  } else if (step == "write" && w.size() == 3 && (w[1] == "raw" || w[1] == "processed")) {
    const frame_buffer& f = w[1] == "raw" ? store.RawFrame : store.ProcessedFrame;
    if (!write_whole(w[2], frame_to_bytes(f.data()))) return "cannot write " + w[2];
  } else if (step == "write" && w.size() == 3 && w[1] == "rawtext") {
    if (!write_whole(w[2], raw_frame_text(store.RawFrame.data()))) return "cannot write " + w[2];
  } else if (step == "write" && w.size() == 4 && w[1] == "slot" && to_int(w[2], 0, RingSlots - 1, n)) {
    if (!write_whole(w[3], frame_to_bytes(std::as_const(store.FrameRing).data() + size_t(n) * FramePixels)))
      return "cannot write " + w[3];
  } else {
    return "bad step";
  }
  return std::string();
}

int run_script(const options& o, beam_view_c& view, std::ostream& out, std::ostream& err) {
  std::string text;
  if (!read_whole(o.script, text)) {
    err << "beam-probe: cannot read " << o.script << "\n";
    return 1;
  }
  auto store = std::make_unique<frame_store_c>();
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty() || w[0][0] == '#') continue;
    std::string problem = run_step(w, *store, o, view, out);
    if (!problem.empty()) {
      err << "beam-probe: " << o.script << " line " << number << ": " << problem << ": " << line << "\n";
      return problem == "bad step" ? 2 : 1;
    }
    out << line << " -> AcqState=" << store->AcqState.load() << " RingPos=" << int(store->RingPos) << "\n";
  }
  return 0;
}

}  // namespace

int run_beam_probe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  options o;
  std::string problem = parse(args, o);
  if (!problem.empty()) {
    err << "beam-probe: " << problem << "\n" << BeamProbeUsage;
    return 2;
  }

  beam_view_c view;
  if (!o.script.empty()) {
    if (!load_palette(o, view, err)) return 1;
    return run_script(o, view, out, err);
  }

  // Read every input first, so that a bad one stops the run before anything is printed.
  const size_t expected = o.video_lines ? video_buffer_bytes(o.video_lines) : FramePixels * 2;
  std::vector<std::string> inputs;
  for (const std::string& path : o.inputs) {
    std::string bytes;
    if (!read_whole(path, bytes)) {
      err << "beam-probe: cannot read " << path << "\n";
      return 1;
    }
    if (!o.raw_text && bytes.size() != expected) {
      err << "beam-probe: " << path << " holds " << bytes.size() << " bytes, not " << expected << "\n";
      return 1;
    }
    inputs.push_back(std::move(bytes));
  }

  if (!load_palette(o, view, err)) return 1;

  auto store = std::make_unique<frame_store_c>();
  store->AcqMode = int16_t(o.mode);
  store->FramesToAverage = uint8_t(o.count);
  store->PixelGain = o.gain;
  store->VideoLines = o.video_lines ? o.video_lines : FrameHeight;
  frame_buffer frame;
  options measured = o;
  if (o.raw_text) {
    store->ProcessedFrame.assign(FramePixels, 0);
    read_raw_frame_text(inputs[0], store->ProcessedFrame.data());
    pixel_point p = find_profile_point(store->ProcessedFrame.data());
    measured.cross_x = p.x;
    measured.cross_y = p.y;
  } else if (o.processed) {
    frame_from_bytes(inputs[0], store->ProcessedFrame);
  } else {
    store->AcqState = acq_collecting;
    for (size_t n = 0; store->AcqState == acq_collecting; ++n) {
      const std::string& bytes = inputs[n % inputs.size()];
      if (o.video_lines) {
        store->ConvertFrame(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      } else {
        frame_from_bytes(bytes, frame);
        store->store_in_ring(frame.data());
      }
    }
    store->CombineFrames();
  }

  measure(store->ProcessedFrame.data(), measured, view, out);

  if (!o.picture.empty()) {
    for (int i = 0; i < o.refreshes; ++i) view.Img_Dis(store->ProcessedFrame.data(), nullptr);
    std::string bmp = write_bmp24(view.DisplayRGB.data(), FrameWidth, FrameHeight);
    std::ofstream file(o.picture, std::ios::binary | std::ios::trunc);
    if (!file.write(bmp.data(), std::streamsize(bmp.size())) || !file.flush()) {
      err << "beam-probe: cannot write " << o.picture << "\n";
      return 1;
    }
  }
  return 0;
}
