// The DirectShow capture graph of the beam camera: grabber -> Sample Grabber (RGB24) -> live
// video in the main form's Panel1, every frame copied in the grabber's callback.
#include "beamcam/capture_graph.h"

#include <windows.h>

#include <dshow.h>
#include <qedit.h>

#include <cstdio>

// mingw's qedit.h leaves these out; strmiids has them.
extern "C" const CLSID CLSID_SampleGrabber;
extern "C" const CLSID CLSID_NullRenderer;

namespace {

template <class T>
void release(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

int system_message_box(const char* text, const char* caption) {
  return MessageBoxA(nullptr, text, caption, MB_ICONERROR | MB_OK);
}

camera_message_box_fn g_message_box = system_message_box;

}  // namespace

// The grabber's callback: a static object whose reference count is not kept. Every buffer
// goes to BufferCB on the graph's streaming thread.
class TGrabberCallback : public ISampleGrabberCB {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_ISampleGrabberCB || iid == IID_IUnknown) {
      *out = static_cast<ISampleGrabberCB*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP SampleCB(double, IMediaSample*) override { return S_OK; }
  STDMETHODIMP BufferCB(double, BYTE* buffer, long length) override {
    grab_buffer_c::grab_result r = GrabBuffer.BufferCB(buffer, length);
    if (r.copied) {
      HWND target = target_.load();
      if (target) PostMessageW(target, WM_APP_FRAME_READY, WPARAM(length), 0);
    }
    return HRESULT(r.code);
  }

  void set_target(HWND window) { target_.store(window); }

 private:
  std::atomic<HWND> target_{nullptr};
};

static TGrabberCallback GrabberCallback;

void set_camera_message_box(camera_message_box_fn box) { g_message_box = box ? box : system_message_box; }

int ShowCameraMessage(capture_form_i*, const char* format, ...) {
  char text[CameraMessageChars];
  va_list args;
  va_start(args, format);
  format_camera_message(text, format, args);
  va_end(args);
  return g_message_box(text, "Camera Message");
}

void FindCaptureDevice(capture_form_i*, IBaseFilter** filter) {
  if (!filter) return;
  *filter = nullptr;
  ICreateDevEnum* devices = nullptr;
  if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_ALL, IID_ICreateDevEnum,
                              reinterpret_cast<void**>(&devices))))
    return;
  IEnumMoniker* monikers = nullptr;
  // An empty category answers S_FALSE and no enumerator.
  if (devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0) != S_OK || !monikers) {
    release(monikers);
    release(devices);
    return;
  }
  monikers->Reset();
  IMoniker* moniker = nullptr;
  while (!*filter && monikers->Next(1, &moniker, nullptr) == S_OK) {
    IPropertyBag* bag = nullptr;
    if (moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)) == S_OK) {
      VARIANT name;
      VariantInit(&name);
      name.vt = VT_BSTR;
      if (bag->Read(L"FriendlyName", &name, nullptr) == S_OK && name.vt == VT_BSTR && name.bstrVal) {
        char ansi[512] = "";
        int n = WideCharToMultiByte(CP_ACP, 0, name.bstrVal, -1, ansi, sizeof ansi, nullptr, nullptr);
        if (n > 0 && is_capture_device_name(ansi)) {
          IBaseFilter* bound = nullptr;
          if (SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&bound))) &&
              bound)
            *filter = bound;
        }
      }
      VariantClear(&name);
      bag->Release();
    }
    release(moniker);
  }
  monikers->Release();
  devices->Release();
}

void StopCaptureGraph(capture_form_i& form) {
  if (!form.FilterGraph) return;
  IMediaControl* control = nullptr;
  if (SUCCEEDED(form.FilterGraph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)))) {
    control->Stop();
    control->Release();
  }
  IVideoWindow* video = nullptr;
  if (SUCCEEDED(form.FilterGraph->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&video)))) {
    video->put_Visible(OAFALSE);
    video->put_Owner(OAHWND(0));
    video->Release();
  }
}

void ReleaseCaptureGraph(capture_form_i& form) {
  release(form.SampleGrabber);
  release(form.FilterGraph);
}

namespace {

// What one build makes for itself; released when the build returns.
struct build_parts {
  IBaseFilter* capture = nullptr;
  IBaseFilter* grabber = nullptr;
  ICaptureGraphBuilder2* builder = nullptr;
  IPin* video_port = nullptr;
  IBaseFilter* null_renderer = nullptr;
  IVideoWindow* video_window = nullptr;
  IAMStreamConfig* stream_config = nullptr;
  IAMVideoProcAmp* proc_amp = nullptr;
  IMediaControl* control = nullptr;
  ~build_parts() {
    release(control);
    release(proc_amp);
    release(stream_config);
    release(video_window);
    release(null_renderer);
    release(video_port);
    release(builder);
    release(grabber);
    release(capture);
  }
};

void free_media_type(AM_MEDIA_TYPE* mt) {
  if (!mt) return;
  if (mt->cbFormat) CoTaskMemFree(mt->pbFormat);
  if (mt->pUnk) mt->pUnk->Release();
  CoTaskMemFree(mt);
}

}  // namespace

HRESULT BuildCaptureGraph(capture_form_i& form) {
  build_parts p;
  HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                                reinterpret_cast<void**>(&form.FilterGraph));
  if (FAILED(hr)) {
    ShowCameraMessage(&form, "Could not create filter graph");
    return E_FAIL;
  }

  FindCaptureDevice(&form, &p.capture);
  if (!p.capture) {
    ShowCameraMessage(&form,
                      "No CCD Camera was detected on your system.\r\n\r\nThe software requires a functional USB CCD "
                      "device.\r\nVideo window will be disabled and off.");
    form.camera_missing();
    return E_FAIL;
  }
  if (FAILED(form.FilterGraph->AddFilter(p.capture, L"Cap"))) {
    ShowCameraMessage(&form, "Could not put capture device in graph");
    return E_FAIL;
  }

  hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_ALL, IID_ISampleGrabber,
                        reinterpret_cast<void**>(&form.SampleGrabber));
  if (FAILED(hr)) {
    ShowCameraMessage(&form, "Could not create SampleGrabber (is qedit.dll registered?)");
    return hr;
  }
  AM_MEDIA_TYPE mt{};
  mt.majortype = MEDIATYPE_Video;
  mt.subtype = MEDIASUBTYPE_RGB24;
  hr = form.SampleGrabber->SetMediaType(&mt);
  if (FAILED(hr)) {
    ShowCameraMessage(&form, "Could not set media type");
    return hr;
  }
  hr = form.SampleGrabber->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&p.grabber));
  if (SUCCEEDED(hr)) hr = form.FilterGraph->AddFilter(p.grabber, L"Grabber");
  if (FAILED(hr)) {
    ShowCameraMessage(&form, "Could not put sample grabber in graph");
    return hr;
  }

  hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC, IID_ICaptureGraphBuilder2,
                        reinterpret_cast<void**>(&p.builder));
  if (FAILED(hr)) {
    ShowCameraMessage(&form, "Can't get a ICaptureGraphBuilder2 reference");
    return hr;
  }
  hr = p.builder->SetFiltergraph(form.FilterGraph);
  if (FAILED(hr)) {
    ShowCameraMessage(&form, "SetGraph failed");
    return hr;
  }

  IAMAnalogVideoDecoder* decoder = nullptr;
  if (p.builder->FindInterface(&PIN_CATEGORY_ANALOGVIDEOIN, &MEDIATYPE_Interleaved, p.capture,
                               IID_IAMAnalogVideoDecoder, reinterpret_cast<void**>(&decoder)) != S_OK) {
    release(decoder);
    p.builder->FindInterface(&PIN_CATEGORY_ANALOGVIDEOIN, &MEDIATYPE_Video, p.capture, IID_IAMAnalogVideoDecoder,
                             reinterpret_cast<void**>(&decoder));
  }
  if (decoder) {
    decoder->put_TVFormat(AnalogVideo_PAL_B);
    release(decoder);
  }

  if (SUCCEEDED(p.builder->FindPin(p.capture, PINDIR_OUTPUT, &PIN_CATEGORY_VIDEOPORT, nullptr, FALSE, 0,
                                   &p.video_port)) &&
      p.video_port) {
    hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_ALL, IID_IBaseFilter,
                          reinterpret_cast<void**>(&p.null_renderer));
    if (FAILED(hr)) {
      // Without it the video port would be rendered to nothing useful: end as for a wrong mode.
      ShowCameraMessage(&form, "Unable to make a NULL renderer");
      form.end_on_next_tick();
      return 0;
    }
    hr = form.FilterGraph->AddFilter(p.null_renderer, L"NULL renderer");
    if (FAILED(hr)) {
      ShowCameraMessage(&form, "Can't add the filter to graph");
      return hr;
    }
  }

  hr = p.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Interleaved, p.capture, p.grabber, p.null_renderer);
  if (FAILED(hr))
    hr = p.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, p.capture, p.grabber, p.null_renderer);
  if (FAILED(hr))
    hr = p.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, p.capture, p.grabber, p.null_renderer);
  if (FAILED(hr)) {
    ShowCameraMessage(&form, "Can't build the graph");
    return hr;
  }

  GrabBuffer.attach(&form.acq_state());
  GrabberCallback.set_target(form.frame_window());
  form.SampleGrabber->SetBufferSamples(FALSE);
  form.SampleGrabber->SetOneShot(FALSE);
  form.SampleGrabber->SetCallback(&GrabberCallback, 1);

  hr = form.FilterGraph->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&p.video_window));
  if (FAILED(hr)) {
    ShowCameraMessage(&form, "Could not get video window interface");
    return E_FAIL;
  }
  HWND owner = form.preview_owner();
  p.video_window->put_Owner(OAHWND(owner));
  RECT r{};
  GetWindowRect(owner, &r);
  p.video_window->SetWindowPosition(0, 0, r.right - r.left, r.bottom - r.top);
  p.video_window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS);
  p.video_window->put_Visible(OATRUE);

  hr = p.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, p.capture, IID_IAMStreamConfig,
                                reinterpret_cast<void**>(&p.stream_config));
  if (FAILED(hr)) {
    ShowCameraMessage(&form, "Couldn't find interface.  hr=0x%x\r\n", unsigned(hr));
    return hr;
  }
  AM_MEDIA_TYPE* format = nullptr;
  hr = p.stream_config->GetFormat(&format);
  if (FAILED(hr) || !format) {
    if (SUCCEEDED(hr)) hr = E_POINTER;
    ShowCameraMessage(&form, "Couldn't get format.  hr=0x%x\r\n", unsigned(hr));
    return hr;
  }
  video_mode mode{};
  bool known = video_mode_for_sample_size(format->lSampleSize, &mode);
  free_media_type(format);
  if (!known) {
    ShowCameraMessage(&form, "wrong viedo mode, will turn off..%x", unsigned(hr));
    form.end_on_next_tick();
    return 0;
  }
  form.set_video_mode(mode);

  hr = p.capture->QueryInterface(IID_IAMVideoProcAmp, reinterpret_cast<void**>(&p.proc_amp));
  if (FAILED(hr)) {
    ShowCameraMessage(&form, "Failed to get the ProcAmp.  hr=0x%x\r\n", unsigned(hr));
    return hr;
  }
  p.proc_amp->Set(VideoProcAmp_Brightness, mode.brightness, VideoProcAmp_Flags_Manual);
  p.proc_amp->Set(VideoProcAmp_Contrast, mode.contrast, VideoProcAmp_Flags_Manual);
  p.proc_amp->Set(VideoProcAmp_Hue, ProcAmpHue, VideoProcAmp_Flags_Manual);
  p.proc_amp->Set(VideoProcAmp_Saturation, ProcAmpSaturation, VideoProcAmp_Flags_Manual);
  p.proc_amp->Set(VideoProcAmp_Sharpness, ProcAmpSharpness, VideoProcAmp_Flags_Manual);
  release(p.proc_amp);
  release(p.stream_config);

  hr = form.FilterGraph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&p.control));
  if (SUCCEEDED(hr)) hr = p.control->Run();
  if (FAILED(hr)) {
    ShowCameraMessage(&form, "Could not run graph");
    return hr;
  }
  return 0;
}
