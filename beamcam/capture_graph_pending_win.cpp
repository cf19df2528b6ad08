// Until the capture graph lands: no camera is ever found, which is the program's no-camera
// path. Replaced by capture_graph_win.cpp.
#include <windows.h>

#include <cstdarg>

#include "beamcam/capture_graph.h"

namespace {
camera_message_box_fn message_box = nullptr;
}

void set_camera_message_box(camera_message_box_fn box) { message_box = box; }

int ShowCameraMessage(capture_form_i*, const char* format, ...) {
  char text[CameraMessageChars];
  va_list args;
  va_start(args, format);
  format_camera_message(text, format, args);
  va_end(args);
  if (message_box) return message_box(text, "Camera Message");
  return MessageBoxA(nullptr, text, "Camera Message", MB_OK | MB_ICONERROR);
}

void FindCaptureDevice(capture_form_i*, IBaseFilter** filter) {
  if (filter) *filter = nullptr;
}

HRESULT BuildCaptureGraph(capture_form_i& form) {
  ShowCameraMessage(&form,
                    "No CCD Camera was detected on your system.\r\n\r\nThe software requires a functional USB CCD "
                    "device.\r\nVideo window will be disabled and off.");
  form.camera_missing();
  return E_FAIL;
}

void ReleaseCaptureGraph(capture_form_i&) {}
