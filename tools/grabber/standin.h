// The stand-in of the USB video grabber, for tests and for running the camera program on a
// machine without the device: a DirectShow capture filter that delivers a Gaussian beam as
// YUY2 video, and a YUY2 decompressor (Wine has none). Test-only; ships nowhere.
//
// Device values (read through IPersistPropertyBag from the device's key in the video input
// category), all optional strings:
//   Beam       "peak cx cy wx wy"   default "133 300 250 40 25"
//   Lines      "576" or "480"       720 x 576 at 25/s or 720 x 480 at 30/s
//   Format     "RGB24"              offer 720 x lines RGB24 only (not the grabber's format)
//   VideoPort  "1"                  a second output pin of the video-port category
//   Drift      "<pixels>"           the beam circles around its centre with this radius
//
// What is set on the filter is appended to the file named by VANTORIL_STANDIN_LOG, one line
// each, tab-separated: "grabber", what, value [, "manual" | "auto"].
#pragma once

#include <windows.h>

// {A3DE818A-9F03-411D-BA5C-2BA48BEAF4CA}
extern const CLSID CLSID_GrabberStandin;

// The class factory of the capture filter (not reference counted: a static object).
IClassFactory* grabber_class_factory();

// The YUY2 decompressor's driver entry ("vidc.yuy2").
LRESULT CALLBACK grabber_yuy2_driver(DWORD_PTR id, HDRVR driver, UINT message, LPARAM lparam1,
                                     LPARAM lparam2);

// The Gaussian beam's luma at pixel (c, r).
struct beam_shape {
  double peak = 133, cx = 300, cy = 250, wx = 40, wy = 25;
};
BYTE beam_luma(const beam_shape& beam, int c, int r);

// Converts one YUY2 picture (rows top first) into 24-bit RGB rows (bottom first when
// bottom_up). Neutral chroma gives R = G = B = Y.
void yuy2_to_rgb24(const BYTE* yuy2, int width, int height, BYTE* rgb, LONG rgb_stride, bool bottom_up);

// Objects alive in the process (for DllCanUnloadNow).
LONG grabber_objects_alive();
