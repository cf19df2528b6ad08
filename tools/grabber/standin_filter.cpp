// The stand-in capture filter: one output pin of the capture category (and, on request, an
// unconnected video-port pin), the picture controls and the video decoder interface of an
// analog grabber, and a thread that delivers one beam picture per frame period while the
// graph runs.
#include <windows.h>

#include <dshow.h>
#include <strmif.h>
#include <uuids.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/grabber/standin.h"

const CLSID CLSID_GrabberStandin = {0xa3de818a, 0x9f03, 0x411d, {0xba, 0x5c, 0x2b, 0xa4, 0x8b, 0xea, 0xf4, 0xca}};

namespace {

LONG g_objects = 0;

// One line per setting, appended to VANTORIL_STANDIN_LOG.
void log_line(const std::string& line) {
  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("VANTORIL_STANDIN_LOG", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  std::string text = "grabber\t" + line + "\n";
  for (int attempt = 0; attempt < 50; ++attempt) {
    HANDLE h = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(h, text.data(), DWORD(text.size()), &written, nullptr);
      CloseHandle(h);
      return;
    }
    Sleep(10);
  }
}

struct device_settings {
  std::string name;
  beam_shape beam;
  int lines = 576;
  bool rgb24_only = false;
  bool video_port = false;
  double drift = 0;
};

void free_media_type(AM_MEDIA_TYPE& mt) {
  if (mt.cbFormat) CoTaskMemFree(mt.pbFormat);
  mt.cbFormat = 0;
  mt.pbFormat = nullptr;
  if (mt.pUnk) mt.pUnk->Release();
  mt.pUnk = nullptr;
}

HRESULT copy_media_type(AM_MEDIA_TYPE* to, const AM_MEDIA_TYPE& from) {
  *to = from;
  to->pbFormat = nullptr;
  if (from.cbFormat) {
    to->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(from.cbFormat));
    if (!to->pbFormat) {
      to->cbFormat = 0;
      to->pUnk = nullptr;
      return E_OUTOFMEMORY;
    }
    std::memcpy(to->pbFormat, from.pbFormat, from.cbFormat);
  }
  if (to->pUnk) to->pUnk->AddRef();
  return S_OK;
}

AM_MEDIA_TYPE* new_media_type(const AM_MEDIA_TYPE& from) {
  auto* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
  if (!mt) return nullptr;
  if (FAILED(copy_media_type(mt, from))) {
    CoTaskMemFree(mt);
    return nullptr;
  }
  return mt;
}

// The one format a device offers.
struct video_format {
  AM_MEDIA_TYPE mt{};
  VIDEOINFOHEADER vih{};
  void make(const device_settings& s) {
    const int bits = s.rgb24_only ? 24 : 16;
    vih = VIDEOINFOHEADER{};
    vih.AvgTimePerFrame = s.lines == 480 ? 333667 : 400000;
    vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih.bmiHeader.biWidth = 720;
    vih.bmiHeader.biHeight = s.lines;
    vih.bmiHeader.biPlanes = 1;
    vih.bmiHeader.biBitCount = WORD(bits);
    vih.bmiHeader.biCompression = s.rgb24_only ? BI_RGB : MAKEFOURCC('Y', 'U', 'Y', '2');
    vih.bmiHeader.biSizeImage = DWORD(720 * s.lines * bits / 8);
    vih.dwBitRate = DWORD(double(vih.bmiHeader.biSizeImage) * 8 * 1e7 / double(vih.AvgTimePerFrame));
    mt = AM_MEDIA_TYPE{};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = s.rgb24_only ? MEDIASUBTYPE_RGB24 : MEDIASUBTYPE_YUY2;
    mt.bFixedSizeSamples = TRUE;
    mt.bTemporalCompression = FALSE;
    mt.lSampleSize = vih.bmiHeader.biSizeImage;
    mt.formattype = FORMAT_VideoInfo;
    mt.cbFormat = sizeof(VIDEOINFOHEADER);
    mt.pbFormat = reinterpret_cast<BYTE*>(&vih);
  }
  // Whether `want` (possibly partly given) fits this format.
  bool accepts(const AM_MEDIA_TYPE* want) const {
    if (!want) return true;
    if (want->majortype != GUID_NULL && want->majortype != mt.majortype) return false;
    if (want->subtype != GUID_NULL && want->subtype != mt.subtype) return false;
    if (want->formattype != GUID_NULL) {
      if (want->formattype != FORMAT_VideoInfo || want->cbFormat < sizeof(VIDEOINFOHEADER) || !want->pbFormat)
        return false;
      const auto* v = reinterpret_cast<const VIDEOINFOHEADER*>(want->pbFormat);
      if (v->bmiHeader.biWidth != vih.bmiHeader.biWidth || std::abs(v->bmiHeader.biHeight) != vih.bmiHeader.biHeight ||
          v->bmiHeader.biBitCount != vih.bmiHeader.biBitCount)
        return false;
    }
    return true;
  }
};

class standin_filter;

// Enumerates media types (the one format, or none).
class media_type_enum final : public IEnumMediaTypes {
 public:
  media_type_enum(const AM_MEDIA_TYPE& mt, ULONG pos) : pos_(pos) {
    copy_media_type(&mt_, mt);
    InterlockedIncrement(&g_objects);
  }
  ~media_type_enum() {
    free_media_type(mt_);
    InterlockedDecrement(&g_objects);
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumMediaTypes) {
      *out = static_cast<IEnumMediaTypes*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return ULONG(n);
  }
  STDMETHODIMP Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override {
    if (!types) return E_POINTER;
    ULONG got = 0;
    while (got < count && pos_ < 1) {
      types[got] = new_media_type(mt_);
      if (!types[got]) break;
      ++got;
      ++pos_;
    }
    if (fetched) *fetched = got;
    return got == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    pos_ += count;
    return pos_ <= 1 ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    pos_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumMediaTypes** out) override {
    if (!out) return E_POINTER;
    *out = new media_type_enum(mt_, pos_);
    return S_OK;
  }

 private:
  LONG refs_ = 1;
  AM_MEDIA_TYPE mt_{};
  ULONG pos_;
};

// An output pin. Its references count on the filter.
class standin_pin final : public IPin, public IKsPropertySet, public IAMStreamConfig {
 public:
  standin_pin(standin_filter* filter, const GUID& category, const wchar_t* name)
      : filter_(filter), category_(category), name_(name) {}
  ~standin_pin() { disconnect(); }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IPin
  STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
  STDMETHODIMP Disconnect() override;
  STDMETHODIMP ConnectedTo(IPin** pin) override {
    if (!pin) return E_POINTER;
    *pin = peer_;
    if (!peer_) return VFW_E_NOT_CONNECTED;
    peer_->AddRef();
    return S_OK;
  }
  STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override {
    if (!mt) return E_POINTER;
    if (!peer_) {
      *mt = AM_MEDIA_TYPE{};
      return VFW_E_NOT_CONNECTED;
    }
    return copy_media_type(mt, format_.mt);
  }
  STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
  STDMETHODIMP QueryDirection(PIN_DIRECTION* dir) override {
    if (!dir) return E_POINTER;
    *dir = PINDIR_OUTPUT;
    return S_OK;
  }
  STDMETHODIMP QueryId(LPWSTR* id) override {
    if (!id) return E_POINTER;
    size_t bytes = (wcslen(name_) + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*id) return E_OUTOFMEMORY;
    std::memcpy(*id, name_, bytes);
    return S_OK;
  }
  STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override { return format_.accepts(mt) ? S_OK : S_FALSE; }
  STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** out) override {
    if (!out) return E_POINTER;
    *out = new media_type_enum(format_.mt, 0);
    return S_OK;
  }
  STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
  STDMETHODIMP EndOfStream() override { return E_UNEXPECTED; }
  STDMETHODIMP BeginFlush() override { return E_UNEXPECTED; }
  STDMETHODIMP EndFlush() override { return E_UNEXPECTED; }
  STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

  // IKsPropertySet: the pin category.
  STDMETHODIMP Set(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD) override { return E_PROP_SET_UNSUPPORTED; }
  STDMETHODIMP Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD size, DWORD* returned) override {
    if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (!data && !returned) return E_POINTER;
    if (returned) *returned = sizeof(GUID);
    if (!data) return S_OK;
    if (size < sizeof(GUID)) return E_UNEXPECTED;
    *static_cast<GUID*>(data) = category_;
    return S_OK;
  }
  STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override {
    if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (support) *support = KSPROPERTY_SUPPORT_GET;
    return S_OK;
  }

  // IAMStreamConfig: the one format.
  STDMETHODIMP SetFormat(AM_MEDIA_TYPE* mt) override { return format_.accepts(mt) ? S_OK : VFW_E_INVALIDMEDIATYPE; }
  STDMETHODIMP GetFormat(AM_MEDIA_TYPE** mt) override {
    if (!mt) return E_POINTER;
    *mt = new_media_type(format_.mt);
    return *mt ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override {
    if (!count || !size) return E_POINTER;
    *count = 1;
    *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
  }
  STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) override {
    if (!mt || !caps) return E_POINTER;
    if (index != 0) return S_FALSE;
    auto* c = reinterpret_cast<VIDEO_STREAM_CONFIG_CAPS*>(caps);
    *c = VIDEO_STREAM_CONFIG_CAPS{};
    c->guid = FORMAT_VideoInfo;
    c->VideoStandard = AnalogVideo_PAL_B;
    SIZE size = {720, format_.vih.bmiHeader.biHeight};
    c->InputSize = c->MinCroppingSize = c->MaxCroppingSize = size;
    c->MinOutputSize = c->MaxOutputSize = size;
    c->CropGranularityX = c->CropGranularityY = 1;
    c->MinFrameInterval = c->MaxFrameInterval = format_.vih.AvgTimePerFrame;
    c->MinBitsPerSecond = c->MaxBitsPerSecond = LONG(format_.vih.dwBitRate);
    *mt = new_media_type(format_.mt);
    return *mt ? S_OK : E_OUTOFMEMORY;
  }

  void set_format(const device_settings& s) { format_.make(s); }
  const video_format& format() const { return format_; }
  bool delivers() const { return category_ == PIN_CATEGORY_CAPTURE; }
  IMemInputPin* input() const { return input_; }
  IMemAllocator* allocator() const { return allocator_; }

 private:
  void disconnect() {
    if (allocator_) allocator_->Release();
    if (input_) input_->Release();
    if (peer_) peer_->Release();
    allocator_ = nullptr;
    input_ = nullptr;
    peer_ = nullptr;
  }
  HRESULT try_connect(IPin* receiver);

  standin_filter* filter_;
  GUID category_;
  const wchar_t* name_;
  video_format format_;
  IPin* peer_ = nullptr;
  IMemInputPin* input_ = nullptr;
  IMemAllocator* allocator_ = nullptr;
};

class standin_filter final : public IBaseFilter,
                       public IAMVideoProcAmp,
                       public IAMAnalogVideoDecoder,
                       public IPersistPropertyBag {
 public:
  standin_filter() : capture_(this, PIN_CATEGORY_CAPTURE, L"Capture"), video_port_(this, PIN_CATEGORY_VIDEOPORT, L"VP") {
    InterlockedIncrement(&g_objects);
    InitializeCriticalSection(&lock_);
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    capture_.set_format(settings_);
    video_port_.set_format(settings_);
  }
  ~standin_filter() {
    stop_thread();
    CloseHandle(wake_);
    if (clock_) clock_->Release();
    DeleteCriticalSection(&lock_);
    InterlockedDecrement(&g_objects);
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IBaseFilter || iid == IID_IMediaFilter || iid == IID_IPersist)
      *out = static_cast<IBaseFilter*>(this);
    else if (iid == IID_IAMVideoProcAmp)
      *out = static_cast<IAMVideoProcAmp*>(this);
    else if (iid == IID_IAMAnalogVideoDecoder)
      *out = static_cast<IAMAnalogVideoDecoder*>(this);
    else if (iid == IID_IPersistPropertyBag)
      *out = static_cast<IPersistPropertyBag*>(this);
    else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return ULONG(n);
  }

  // IPersist
  STDMETHODIMP GetClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_GrabberStandin;
    return S_OK;
  }

  // IMediaFilter. The thread is started on the way out of Stopped and joined only in Stop:
  // a paused renderer downstream may hold the last sample, so Pause never waits for it.
  STDMETHODIMP Stop() override {
    EnterCriticalSection(&lock_);
    FILTER_STATE was = state_;
    state_ = State_Stopped;
    LeaveCriticalSection(&lock_);
    if (was != State_Stopped) {
      log_line("Stop");
      if (IMemAllocator* a = capture_.allocator()) a->Decommit();
      stop_thread();
    }
    return S_OK;
  }
  STDMETHODIMP Pause() override {
    EnterCriticalSection(&lock_);
    FILTER_STATE was = state_;
    state_ = State_Paused;
    LeaveCriticalSection(&lock_);
    if (was == State_Stopped) {
      HRESULT hr = start_thread();
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  }
  STDMETHODIMP Run(REFERENCE_TIME) override {
    EnterCriticalSection(&lock_);
    FILTER_STATE was = state_;
    LeaveCriticalSection(&lock_);
    if (was == State_Stopped) {
      HRESULT hr = Pause();
      if (FAILED(hr)) return hr;
    }
    EnterCriticalSection(&lock_);
    state_ = State_Running;
    LeaveCriticalSection(&lock_);
    log_line("Run");
    SetEvent(wake_);
    return S_OK;
  }
  STDMETHODIMP GetState(DWORD, FILTER_STATE* state) override {
    if (!state) return E_POINTER;
    EnterCriticalSection(&lock_);
    *state = state_;
    LeaveCriticalSection(&lock_);
    return *state == State_Paused ? VFW_S_CANT_CUE : S_OK;
  }
  STDMETHODIMP SetSyncSource(IReferenceClock* clock) override {
    EnterCriticalSection(&lock_);
    if (clock) clock->AddRef();
    if (clock_) clock_->Release();
    clock_ = clock;
    LeaveCriticalSection(&lock_);
    return S_OK;
  }
  STDMETHODIMP GetSyncSource(IReferenceClock** clock) override {
    if (!clock) return E_POINTER;
    EnterCriticalSection(&lock_);
    *clock = clock_;
    if (clock_) clock_->AddRef();
    LeaveCriticalSection(&lock_);
    return S_OK;
  }

  // IBaseFilter
  STDMETHODIMP EnumPins(IEnumPins** out) override;
  STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override {
    if (!id || !pin) return E_POINTER;
    *pin = nullptr;
    if (wcscmp(id, L"Capture") == 0)
      *pin = &capture_;
    else if (settings_.video_port && wcscmp(id, L"VP") == 0)
      *pin = &video_port_;
    if (!*pin) return VFW_E_NOT_FOUND;
    (*pin)->AddRef();
    return S_OK;
  }
  STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override {
    if (!info) return E_POINTER;
    lstrcpynW(info->achName, name_.c_str(), MAX_FILTER_NAME);
    info->pGraph = graph_;
    if (graph_) graph_->AddRef();
    return S_OK;
  }
  STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override {
    graph_ = graph;  // not counted: the graph holds us
    name_ = name ? name : L"";
    return S_OK;
  }
  STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

  // IAMVideoProcAmp
  STDMETHODIMP GetRange(LONG property, LONG* min, LONG* max, LONG* step, LONG* def, LONG* caps) override {
    if (property < VideoProcAmp_Brightness || property > VideoProcAmp_Gain) return E_PROP_ID_UNSUPPORTED;
    if (!min || !max || !step || !def || !caps) return E_POINTER;
    *min = 0;
    *max = 255;
    *step = 1;
    *def = 128;
    *caps = VideoProcAmp_Flags_Manual | VideoProcAmp_Flags_Auto;
    return S_OK;
  }
  STDMETHODIMP Set(LONG property, LONG value, LONG flags) override {
    static const char* const names[] = {"Brightness", "Contrast", "Hue", "Saturation", "Sharpness",
                                        "Gamma", "ColorEnable", "WhiteBalance", "BacklightCompensation", "Gain"};
    if (property < 0 || property > VideoProcAmp_Gain) return E_PROP_ID_UNSUPPORTED;
    amp_[property] = value;
    amp_flags_[property] = flags;
    log_line(std::string(names[property]) + "\t" + std::to_string(value) + "\t" +
             (flags == VideoProcAmp_Flags_Manual ? "manual" : flags == VideoProcAmp_Flags_Auto ? "auto" : std::to_string(flags)));
    return S_OK;
  }
  STDMETHODIMP Get(LONG property, LONG* value, LONG* flags) override {
    if (property < 0 || property > VideoProcAmp_Gain) return E_PROP_ID_UNSUPPORTED;
    if (!value || !flags) return E_POINTER;
    *value = amp_[property];
    *flags = amp_flags_[property];
    return S_OK;
  }

  // IAMAnalogVideoDecoder
  STDMETHODIMP get_AvailableTVFormats(LONG* formats) override {
    if (!formats) return E_POINTER;
    *formats = AnalogVideo_PAL_B | AnalogVideo_NTSC_M;
    return S_OK;
  }
  STDMETHODIMP put_TVFormat(LONG format) override {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(format));
    log_line(std::string("TVFormat\t") + text);
    tv_format_ = format;
    return S_OK;
  }
  STDMETHODIMP get_TVFormat(LONG* format) override {
    if (!format) return E_POINTER;
    *format = tv_format_;
    return S_OK;
  }
  STDMETHODIMP get_HorizontalLocked(LONG* locked) override {
    if (!locked) return E_POINTER;
    *locked = 1;
    return S_OK;
  }
  STDMETHODIMP put_VCRHorizontalLocking(LONG) override { return S_OK; }
  STDMETHODIMP get_VCRHorizontalLocking(LONG* locking) override {
    if (!locking) return E_POINTER;
    *locking = 0;
    return S_OK;
  }
  STDMETHODIMP get_NumberOfLines(LONG* lines) override {
    if (!lines) return E_POINTER;
    *lines = settings_.lines == 480 ? 525 : 625;
    return S_OK;
  }
  STDMETHODIMP put_OutputEnable(LONG) override { return S_OK; }
  STDMETHODIMP get_OutputEnable(LONG* enable) override {
    if (!enable) return E_POINTER;
    *enable = 1;
    return S_OK;
  }

  // IPersistPropertyBag: the device's values.
  STDMETHODIMP InitNew() override { return S_OK; }
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog*) override {
    if (!bag) return E_POINTER;
    settings_.name = read(bag, L"FriendlyName");
    std::string beam = read(bag, L"Beam");
    if (!beam.empty()) {
      beam_shape b;
      if (std::sscanf(beam.c_str(), "%lf %lf %lf %lf %lf", &b.peak, &b.cx, &b.cy, &b.wx, &b.wy) == 5 && b.wx > 0 &&
          b.wy > 0)
        settings_.beam = b;
    }
    if (read(bag, L"Lines") == "480") settings_.lines = 480;
    settings_.rgb24_only = read(bag, L"Format") == "RGB24";
    settings_.video_port = read(bag, L"VideoPort") == "1";
    settings_.drift = std::atof(read(bag, L"Drift").c_str());
    capture_.set_format(settings_);
    video_port_.set_format(settings_);
    log_line("Device\t" + settings_.name);
    return S_OK;
  }
  STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

  bool has_video_port() const { return settings_.video_port; }
  standin_pin* pin(int i) { return i == 0 ? &capture_ : &video_port_; }

 private:
  static std::string read(IPropertyBag* bag, const wchar_t* name) {
    VARIANT v;
    VariantInit(&v);
    std::string out;
    if (SUCCEEDED(bag->Read(name, &v, nullptr)) && SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR)) && v.bstrVal) {
      int n = WideCharToMultiByte(CP_ACP, 0, v.bstrVal, -1, nullptr, 0, nullptr, nullptr);
      if (n > 1) {
        out.resize(size_t(n));
        WideCharToMultiByte(CP_ACP, 0, v.bstrVal, -1, &out[0], n, nullptr, nullptr);
        out.resize(size_t(n - 1));
      }
    }
    VariantClear(&v);
    return out;
  }

  HRESULT start_thread() {
    if (thread_) return S_OK;
    if (!capture_.input() || !capture_.allocator()) return S_OK;  // nothing to deliver to
    HRESULT hr = capture_.allocator()->Commit();
    if (FAILED(hr)) return hr;
    quit_ = false;
    thread_ = CreateThread(nullptr, 0, &standin_filter::thread_main, this, 0, nullptr);
    return thread_ ? S_OK : E_OUTOFMEMORY;
  }
  void stop_thread() {
    if (!thread_) return;
    quit_ = true;
    SetEvent(wake_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }

  bool running() {
    EnterCriticalSection(&lock_);
    bool r = state_ == State_Running;
    LeaveCriticalSection(&lock_);
    return r;
  }

  static DWORD WINAPI thread_main(void* self) {
    static_cast<standin_filter*>(self)->deliver_frames();
    return 0;
  }

  void make_picture(long frame, std::vector<BYTE>& out) {
    beam_shape b = settings_.beam;
    if (settings_.drift != 0) {
      double a = 2 * 3.14159265358979 * double(frame % 100) / 100.0;
      b.cx += settings_.drift * std::cos(a);
      b.cy += settings_.drift * std::sin(a);
    }
    if (!out.empty() && b.cx == made_.cx && b.cy == made_.cy) return;
    made_ = b;
    const int lines = settings_.lines;
    if (settings_.rgb24_only) {
      out.assign(size_t(720) * lines * 3, 0);
      for (int r = 0; r < lines; ++r)
        for (int c = 0; c < 720; ++c) {
          BYTE y = beam_luma(b, c, r);
          BYTE* p = &out[(size_t(lines - 1 - r) * 720 + c) * 3];
          p[0] = p[1] = p[2] = y;
        }
      return;
    }
    out.assign(size_t(720) * lines * 2, 0);
    for (int r = 0; r < lines; ++r)
      for (int c = 0; c < 720; ++c) {
        BYTE* p = &out[(size_t(r) * 720 + c) * 2];
        p[0] = beam_luma(b, c, r);
        p[1] = 128;
      }
  }

  void deliver_frames() {
    const video_format& f = capture_.format();
    const DWORD period_ms = DWORD(f.vih.AvgTimePerFrame / 10000);
    std::vector<BYTE> picture;
    long frame = 0;
    DWORD next = GetTickCount();
    while (!quit_) {
      if (!running()) {
        WaitForSingleObject(wake_, 50);
        next = GetTickCount();
        continue;
      }
      DWORD now = GetTickCount();
      LONG wait = LONG(next - now);
      if (wait > 0) {
        WaitForSingleObject(wake_, DWORD(wait));
        continue;
      }
      next += period_ms;
      if (LONG(now - next) > LONG(period_ms) * 5) next = now + period_ms;  // fell far behind
      IMediaSample* sample = nullptr;
      if (FAILED(capture_.allocator()->GetBuffer(&sample, nullptr, nullptr, 0)) || !sample) continue;
      make_picture(frame++, picture);
      BYTE* data = nullptr;
      if (SUCCEEDED(sample->GetPointer(&data)) && size_t(sample->GetSize()) >= picture.size() && running() && !quit_) {
        std::memcpy(data, picture.data(), picture.size());
        sample->SetActualDataLength(LONG(picture.size()));
        sample->SetSyncPoint(TRUE);
        sample->SetTime(nullptr, nullptr);
        capture_.input()->Receive(sample);
      }
      sample->Release();
    }
  }

  LONG refs_ = 1;
  CRITICAL_SECTION lock_;
  FILTER_STATE state_ = State_Stopped;
  IReferenceClock* clock_ = nullptr;
  IFilterGraph* graph_ = nullptr;
  std::wstring name_;
  device_settings settings_;
  standin_pin capture_;
  standin_pin video_port_;
  HANDLE thread_ = nullptr;
  HANDLE wake_ = nullptr;
  volatile bool quit_ = false;
  beam_shape made_;
  LONG amp_[10] = {128, 128, 128, 128, 0, 100, 1, 5000, 0, 0};
  LONG amp_flags_[10] = {};
  LONG tv_format_ = AnalogVideo_PAL_B;
};

class pin_enum final : public IEnumPins {
 public:
  pin_enum(standin_filter* filter, ULONG pos) : filter_(filter), pos_(pos) { filter_->AddRef(); }
  ~pin_enum() { filter_->Release(); }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumPins) {
      *out = static_cast<IEnumPins*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return ULONG(n);
  }
  STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override {
    if (!pins) return E_POINTER;
    ULONG got = 0;
    while (got < count && pos_ < total()) {
      pins[got] = filter_->pin(int(pos_++));
      pins[got++]->AddRef();
    }
    if (fetched) *fetched = got;
    return got == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    pos_ += count;
    return pos_ <= total() ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    pos_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumPins** out) override {
    if (!out) return E_POINTER;
    *out = new pin_enum(filter_, pos_);
    return S_OK;
  }

 private:
  ULONG total() const { return filter_->has_video_port() ? 2 : 1; }
  LONG refs_ = 1;
  standin_filter* filter_;
  ULONG pos_;
};

STDMETHODIMP standin_filter::EnumPins(IEnumPins** out) {
  if (!out) return E_POINTER;
  *out = new pin_enum(this, 0);
  return S_OK;
}

STDMETHODIMP standin_pin::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IPin)
    *out = static_cast<IPin*>(this);
  else if (iid == IID_IKsPropertySet)
    *out = static_cast<IKsPropertySet*>(this);
  else if (iid == IID_IAMStreamConfig && delivers())
    *out = static_cast<IAMStreamConfig*>(this);
  else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}
STDMETHODIMP_(ULONG) standin_pin::AddRef() { return filter_->AddRef(); }
STDMETHODIMP_(ULONG) standin_pin::Release() { return filter_->Release(); }

STDMETHODIMP standin_pin::QueryPinInfo(PIN_INFO* info) {
  if (!info) return E_POINTER;
  info->pFilter = filter_;
  filter_->AddRef();
  info->dir = PINDIR_OUTPUT;
  lstrcpynW(info->achName, name_, MAX_PIN_NAME);
  return S_OK;
}

HRESULT standin_pin::try_connect(IPin* receiver) {
  HRESULT hr = receiver->ReceiveConnection(this, &format_.mt);
  if (FAILED(hr)) return hr;
  IMemInputPin* input = nullptr;
  hr = receiver->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input));
  if (FAILED(hr)) {
    receiver->Disconnect();
    return hr;
  }
  ALLOCATOR_PROPERTIES want{}, got{};
  input->GetAllocatorRequirements(&want);
  want.cBuffers = want.cBuffers > 3 ? want.cBuffers : 3;
  want.cbBuffer = LONG(format_.mt.lSampleSize) > want.cbBuffer ? LONG(format_.mt.lSampleSize) : want.cbBuffer;
  if (want.cbAlign < 1) want.cbAlign = 1;
  IMemAllocator* allocator = nullptr;
  hr = input->GetAllocator(&allocator);
  if (FAILED(hr) || !allocator || FAILED(allocator->SetProperties(&want, &got)) || got.cbBuffer < want.cbBuffer ||
      FAILED(input->NotifyAllocator(allocator, FALSE))) {
    if (allocator) allocator->Release();
    allocator = nullptr;
    hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                          reinterpret_cast<void**>(&allocator));
    if (SUCCEEDED(hr)) hr = allocator->SetProperties(&want, &got);
    if (SUCCEEDED(hr)) hr = input->NotifyAllocator(allocator, FALSE);
    if (FAILED(hr)) {
      if (allocator) allocator->Release();
      input->Release();
      receiver->Disconnect();
      return hr;
    }
  }
  peer_ = receiver;
  peer_->AddRef();
  input_ = input;
  allocator_ = allocator;
  return S_OK;
}

STDMETHODIMP standin_pin::Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) {
  if (!receiver) return E_POINTER;
  if (peer_) return VFW_E_ALREADY_CONNECTED;
  if (!format_.accepts(mt)) return VFW_E_NO_ACCEPTABLE_TYPES;
  if (!delivers()) {
    // The video-port pin is only there to be found; nothing downstream can take it.
    return VFW_E_NO_ACCEPTABLE_TYPES;
  }
  HRESULT hr = try_connect(receiver);
  return FAILED(hr) ? VFW_E_NO_ACCEPTABLE_TYPES : S_OK;
}

STDMETHODIMP standin_pin::Disconnect() {
  if (!peer_) return S_FALSE;
  disconnect();
  return S_OK;
}

// Creates the filter for CoCreateInstance and the device monikers.
class filter_factory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* filter = new (std::nothrow) standin_filter();
    if (!filter) return E_OUTOFMEMORY;
    HRESULT hr = filter->QueryInterface(iid, out);
    filter->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock)
      InterlockedIncrement(&g_objects);
    else
      InterlockedDecrement(&g_objects);
    return S_OK;
  }
};

filter_factory g_factory;

}  // namespace

IClassFactory* grabber_class_factory() { return &g_factory; }

LONG grabber_objects_alive() { return g_objects; }

BYTE beam_luma(const beam_shape& b, int c, int r) {
  double dx = (c - b.cx) / b.wx, dy = (r - b.cy) / b.wy;
  double v = std::trunc(b.peak * std::exp(-2.0 * (dx * dx + dy * dy)) + 0.5);
  if (v < 0) return 0;
  if (v > 255) return 255;
  return BYTE(v);
}
