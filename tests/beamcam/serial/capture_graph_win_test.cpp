// The capture graph against the stand-in grabber, registered in this process (filter class
// and YUY2 driver) with its devices listed in the prefix's video input category.
#include "beamcam/capture_graph.h"

#include <gtest/gtest.h>

#include <dshow.h>
#include <qedit.h>
#include <vfw.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "beamcam/trellum_forms.h"
#include "tests/support/gui_driver.h"
#include "tests/support/test_support.h"
#include "tools/grabber/standin.h"

extern "C" const CLSID CLSID_NullRenderer;

namespace {

const wchar_t* const category_key =
    L"Software\\Classes\\CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance";

struct device {
  const wchar_t* key;
  const wchar_t* name;
  bool bindable = true;
  const wchar_t* lines = nullptr;
  const wchar_t* format = nullptr;
  const wchar_t* video_port = nullptr;
};

void set_value(HKEY k, const wchar_t* name, const wchar_t* value) {
  if (!value) return;
  RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD((wcslen(value) + 1) * 2));
}

std::vector<std::string> g_messages;
int record_message(const char* text, const char* caption) {
  g_messages.push_back(std::string(caption) + "|" + text);
  return IDOK;
}

// Stands in for the main form: a window that counts the frame messages and a preview panel.
class test_form : public capture_form_i {
 public:
  test_form() {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &test_form::proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"capture_test_form";
      RegisterClassW(&wc);
      registered = true;
    }
    window = CreateWindowExW(0, L"capture_test_form", L"capture", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 966,
                             603, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(this));
    panel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 736, 7, 228, 182, window,
                            nullptr, nullptr, nullptr);
  }
  ~test_form() {
    ReleaseCaptureGraph(*this);
    GrabBuffer.release();
    DestroyWindow(window);
  }
  HWND frame_window() override { return window; }
  HWND preview_owner() override { return panel; }
  const std::atomic<int16_t>& acq_state() override { return acq; }
  void camera_missing() override { ++missing; }
  void end_on_next_tick() override { ++ended; }
  void set_video_mode(const video_mode& m) override { mode = m; }

  static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_APP_FRAME_READY) {
      auto* self = reinterpret_cast<test_form*>(GetWindowLongPtrW(w, GWLP_USERDATA));
      if (self) {
        ++self->frames;
        self->last_length = size_t(wp);
      }
      return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
  }

  // Runs the graph's Stop on another thread; false when it does not return in time.
  bool stop_graph(DWORD ms) {
    IMediaControl* control = nullptr;
    if (FAILED(FilterGraph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)))) return false;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread([control, done] {
      control->Stop();
      control->Release();
      SetEvent(done);
    }).detach();
    bool ok = WaitForSingleObject(done, ms) == WAIT_OBJECT_0;
    if (ok) CloseHandle(done);  // a hung Stop keeps its event
    return ok;
  }

  HWND window = nullptr, panel = nullptr;
  std::atomic<int16_t> acq{0};
  int missing = 0, ended = 0, frames = 0;
  size_t last_length = 0;
  video_mode mode{0, 0, 0, 0};
};

// A class object that cannot make anything, for a missing null renderer.
class failing_factory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** out) override {
    *out = nullptr;
    return REGDB_E_CLASSNOTREG;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

class CaptureGraph : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_EQ(CoRegisterClassObject(CLSID_GrabberStandin, grabber_class_factory(), CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie_),
              S_OK);
    ASSERT_TRUE(ICInstall(ICTYPE_VIDEO, mmioFOURCC('y', 'u', 'y', '2'), LPARAM(&grabber_yuy2_driver), nullptr,
                          ICINSTALL_FUNCTION));
    clear_devices();
    log_ = (dir_ / "standin.log").wstring();
    SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", log_.c_str());
    g_messages.clear();
    set_camera_message_box(record_message);
  }
  void TearDown() override {
    set_camera_message_box(nullptr);
    SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", nullptr);
    clear_devices();
    ICRemove(ICTYPE_VIDEO, mmioFOURCC('y', 'u', 'y', '2'), 0);
    CoRevokeClassObject(cookie_);
    CoUninitialize();
  }

  static void clear_devices() {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, category_key, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    wchar_t name[256];
    std::vector<std::wstring> ours;
    for (DWORD i = 0;; ++i) {
      DWORD n = 256;
      if (RegEnumKeyExW(k, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      if (wcsncmp(name, L"test-", 5) == 0) ours.push_back(name);
    }
    for (const auto& key : ours) RegDeleteKeyW(k, key.c_str());
    RegCloseKey(k);
  }

  static void add_device(const device& d) {
    std::wstring key = std::wstring(category_key) + L"\\test-" + d.key;
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    wchar_t clsid[64];
    StringFromGUID2(CLSID_GrabberStandin, clsid, 64);
    set_value(k, L"FriendlyName", d.name);
    // A class nobody registered cannot be bound.
    set_value(k, L"CLSID", d.bindable ? clsid : L"{5D2E1F4B-0C11-4A7E-9E0D-6C1B3A2F8E01}");
    set_value(k, L"Beam", L"133 300 250 40 25");
    set_value(k, L"Lines", d.lines);
    set_value(k, L"Format", d.format);
    set_value(k, L"VideoPort", d.video_port);
    RegCloseKey(k);
  }

  std::string log() const { return read_file_bytes(dir_ / "standin.log"); }

  // Collects frames until `count` have arrived; returns the last grabbed buffer.
  std::vector<uint8_t> grab(test_form& form, int count) {
    form.acq = 1;
    int start = form.frames;
    gui::pump_until([&] { return form.frames >= start + count; }, 10000);
    form.acq = 0;
    EXPECT_GE(form.frames, start + count);
    return GrabBuffer.read([](const uint8_t* p, size_t n) { return std::vector<uint8_t>(p, p + n); });
  }

  temp_folder dir_;
  std::wstring log_;
  DWORD cookie_ = 0;
};

// The DLL as the run script registers it: a COM server and the "vidc.yuy2" driver.
class CaptureGraphDll : public CaptureGraph {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::filesystem::path dll = std::filesystem::path(exe).parent_path() / "grabber.dll";
    module_ = LoadLibraryW(dll.c_str());
    ASSERT_TRUE(module_) << dll;
    auto reg = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module_, "DllRegisterServer")));
    ASSERT_TRUE(reg);
    ASSERT_EQ(reg(), S_OK);
    clear_devices();
    log_ = (dir_ / "standin.log").wstring();
    SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", log_.c_str());
    g_messages.clear();
    set_camera_message_box(record_message);
  }
  void TearDown() override {
    set_camera_message_box(nullptr);
    SetEnvironmentVariableW(L"VANTORIL_STANDIN_LOG", nullptr);
    clear_devices();
    if (module_) {
      auto unreg =
          reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module_, "DllUnregisterServer")));
      if (unreg) unreg();
      FreeLibrary(module_);
    }
    CoUninitialize();
  }
  HMODULE module_ = nullptr;
};

// The pixel (c, r) of the picture, r counted from the top, in a bottom-up RGB24 frame.
const uint8_t* pixel(const std::vector<uint8_t>& frame, int lines, int c, int r) {
  return &frame[(size_t(lines - 1 - r) * 720 + size_t(c)) * 3];
}

TEST_F(CaptureGraph, BuildsRunsAndDeliversTheBeamInBothVideoModes) {
  struct row {
    const wchar_t* lines;
    int32_t want_lines;
    int frames_to_average;
    const char* brightness;
    const char* contrast;
  } rows[] = {{nullptr, 576, 10, "Brightness\t64\tmanual", "Contrast\t100\tmanual"},
              {L"480", 480, 5, "Brightness\t1\tmanual", "Contrast\t127\tmanual"}};
  for (const row& r : rows) {
    clear_devices();
    std::error_code ignored;
    std::filesystem::remove(dir_ / "standin.log", ignored);
    add_device({L"a", L"AV TO USB2.0", true, r.lines});
    test_form form;
    ASSERT_EQ(BuildCaptureGraph(form), S_OK);
    EXPECT_TRUE(g_messages.empty()) << g_messages[0];
    EXPECT_EQ(form.mode.lines, r.want_lines);
    EXPECT_EQ(form.mode.frames_to_average, r.frames_to_average);
    EXPECT_EQ(form.missing + form.ended, 0);
    std::string settings = log();
    for (const char* line : {"TVFormat\t0x10", r.brightness, r.contrast, "Hue\t128\tmanual", "Saturation\t80\tmanual",
                             "Sharpness\t0\tmanual"})
      EXPECT_NE(settings.find(std::string("grabber\t") + line + "\n"), std::string::npos) << line << "\n" << settings;

    // Nothing is copied before acquisition starts.
    gui::pump_for(200);
    EXPECT_EQ(form.frames, 0);
    EXPECT_EQ(GrabBuffer.size(), 0);

    std::vector<uint8_t> frame = grab(form, 3);
    const size_t bytes = size_t(720) * size_t(r.want_lines) * 3;
    ASSERT_EQ(frame.size(), bytes);
    EXPECT_EQ(form.last_length, bytes);
    const uint8_t* peak = pixel(frame, r.want_lines, 300, 250);
    EXPECT_EQ(peak[0], 133);
    EXPECT_EQ(peak[1], 133);
    EXPECT_EQ(peak[2], 133);
    // One radius out along x: 133 * e^-2 = 18.
    EXPECT_EQ(pixel(frame, r.want_lines, 340, 250)[1], 18);
    EXPECT_EQ(pixel(frame, r.want_lines, 300, 275)[1], 18);
    EXPECT_EQ(pixel(frame, r.want_lines, 10, 10)[0], 0);
    EXPECT_TRUE(form.stop_graph(10000));
  }
}

TEST_F(CaptureGraph, NoMatchingDeviceShowsTheNoCameraBoxAndEndsTheProgram) {
  add_device({L"a", L"USB Video Device"});
  test_form form;
  EXPECT_EQ(BuildCaptureGraph(form), E_FAIL);
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0],
            "Camera Message|No CCD Camera was detected on your system.\r\n\r\nThe software requires a functional "
            "USB CCD device.\r\nVideo window will be disabled and off.");
  EXPECT_EQ(form.missing, 1);
  EXPECT_EQ(form.SampleGrabber, nullptr);
}

TEST_F(CaptureGraph, Rgb24OnlyGrabberIsTheWrongVideoMode) {
  add_device({L"a", L"SMI Grabber Device", true, nullptr, L"RGB24"});
  test_form form;
  EXPECT_EQ(BuildCaptureGraph(form), S_OK);
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0], "Camera Message|wrong viedo mode, will turn off..0");
  EXPECT_EQ(form.ended, 1);
  EXPECT_EQ(form.mode.lines, 0);
  EXPECT_EQ(log().find("Brightness"), std::string::npos);
}

TEST_F(CaptureGraph, FirstBindableDeviceNamedExactlyWins) {
  add_device({L"0", L"AV TO USB2.0", false});      // listed first, cannot be bound
  add_device({L"1", L"av to usb2.0"});             // wrong letter case
  add_device({L"2", L"SMI Grabber Device"});       // the one taken
  add_device({L"3", L"AV TO USB2.0"});             // a later match
  test_form form;
  IBaseFilter* filter = nullptr;
  FindCaptureDevice(&form, &filter);
  ASSERT_NE(filter, nullptr);
  filter->Release();
  EXPECT_EQ(log(), "grabber\tDevice\tSMI Grabber Device\n");
  FindCaptureDevice(&form, nullptr);  // no out-reference: nothing happens
}

TEST_F(CaptureGraph, VideoPortGrabberRendersToTheNullRenderer) {
  add_device({L"a", L"AV TO USB2.0", true, nullptr, nullptr, L"1"});
  test_form form;
  ASSERT_EQ(BuildCaptureGraph(form), S_OK);
  EXPECT_TRUE(g_messages.empty());
  IBaseFilter* null_renderer = nullptr;
  EXPECT_EQ(form.FilterGraph->FindFilterByName(L"NULL renderer", &null_renderer), S_OK);
  if (null_renderer) null_renderer->Release();
  EXPECT_EQ(grab(form, 2).size(), size_t(720) * 576 * 3);
  EXPECT_TRUE(form.stop_graph(10000));
}

TEST_F(CaptureGraph, MissingNullRendererEndsTheProgramLikeAWrongMode) {
  add_device({L"a", L"AV TO USB2.0", true, nullptr, nullptr, L"1"});
  static failing_factory factory;
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(CLSID_NullRenderer, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
            S_OK);
  test_form form;
  EXPECT_EQ(BuildCaptureGraph(form), S_OK);
  CoRevokeClassObject(cookie);
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0], "Camera Message|Unable to make a NULL renderer");
  EXPECT_EQ(form.ended, 1);
}

TEST_F(CaptureGraph, LongCameraMessageIsCutTo1023Characters) {
  std::string text(3000, 'x');
  ShowCameraMessage(nullptr, "%s", text.c_str());
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0], "Camera Message|" + std::string(1023, 'x'));
}

// Stopping while frames arrive must never hang (a source that waits for its thread while
// pausing deadlocks against a renderer holding its sample).
TEST_F(CaptureGraph, StopsWithoutHangWhileFramesArrive) {
  add_device({L"a", L"AV TO USB2.0"});
  for (int run = 0; run < 12; ++run) {
    test_form form;
    ASSERT_EQ(BuildCaptureGraph(form), S_OK);
    form.acq = 1;
    gui::pump_until([&] { return form.frames >= 1 + run % 3; }, 10000);
    ASSERT_TRUE(form.stop_graph(10000)) << "run " << run;
    form.acq = 0;
  }
}

// The live video lies in Panel1: the graph is stopped and its window given up before the
// panel goes with the main form.
TEST_F(CaptureGraph, ClosingTheMainFormStopsTheGraphAndTakesTheVideoOutOfItsPanel) {
  add_device({L"a", L"AV TO USB2.0"});
  main_form_seams seams;
  seams.exit_process = [](UINT) {};
  auto form = std::make_unique<TForm1>(seams);
  ASSERT_TRUE(gui::pump_until([&] { return form->FilterGraph != nullptr; }, 10000));
  EXPECT_TRUE(g_messages.empty());
  IVideoWindow* video = nullptr;
  IMediaControl* control = nullptr;
  ASSERT_EQ(form->FilterGraph->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&video)), S_OK);
  ASSERT_EQ(form->FilterGraph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)), S_OK);
  HWND panel = form->Panel1->handle();
  OAHWND owner = 0;
  video->get_Owner(&owner);
  EXPECT_EQ(HWND(owner), panel);
  SendMessageW(form->handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(panel));
  owner = 1;
  video->get_Owner(&owner);
  EXPECT_EQ(owner, OAHWND(0));
  long visible = OATRUE;
  video->get_Visible(&visible);
  EXPECT_EQ(visible, OAFALSE);
  OAFilterState state = State_Running;
  control->GetState(5000, &state);
  EXPECT_EQ(state, State_Stopped);
  control->Release();
  video->Release();
  form.reset();
  gui::drop_quit_message();
}

TEST_F(CaptureGraphDll, RegisteredDllServesTheGraph) {
  add_device({L"a", L"AV TO USB2.0"});
  test_form form;
  ASSERT_EQ(BuildCaptureGraph(form), S_OK);
  EXPECT_TRUE(g_messages.empty());
  std::vector<uint8_t> frame = grab(form, 2);
  ASSERT_EQ(frame.size(), size_t(720) * 576 * 3);
  EXPECT_EQ(pixel(frame, 576, 300, 250)[2], 133);
  EXPECT_TRUE(form.stop_graph(10000));
}

}  // namespace
