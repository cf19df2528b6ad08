// A YUY2 decompressor driver ("vidc.yuy2") giving 24-bit RGB, so that Wine's AVI
// Decompressor can bring the grabber's video to the Sample Grabber.
#include <windows.h>

#include <vfw.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "tools/grabber/standin.h"

namespace {

const DWORD fourcc_yuy2 = MAKEFOURCC('Y', 'U', 'Y', '2');

bool is_yuy2(const BITMAPINFOHEADER* in) {
  return in && in->biCompression == fourcc_yuy2 && in->biBitCount == 16 && in->biWidth > 0 && in->biWidth % 2 == 0 &&
         in->biHeight != 0;
}

// An output this driver can fill from `in`: uncompressed 24-bit RGB of the same size, either
// row order.
bool is_rgb24_for(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
  return out && (out->biCompression == BI_RGB) && out->biBitCount == 24 && out->biWidth == in->biWidth &&
         std::abs(out->biHeight) == std::abs(in->biHeight);
}

BYTE clamp_byte(int v) { return BYTE(v < 0 ? 0 : v > 255 ? 255 : v); }

LRESULT decompress(const ICDECOMPRESS* d) {
  if (!d || !is_yuy2(d->lpbiInput) || !d->lpInput || !d->lpOutput) return ICERR_BADPARAM;
  // The output format comes with every frame; some hosts announce a different one at the
  // start, so only this one counts.
  if (!is_rgb24_for(d->lpbiInput, d->lpbiOutput)) return ICERR_BADFORMAT;
  const int width = d->lpbiInput->biWidth, height = std::abs(d->lpbiInput->biHeight);
  const LONG stride = ((width * 3) + 3) & ~3;
  yuy2_to_rgb24(static_cast<const BYTE*>(d->lpInput), width, height, static_cast<BYTE*>(d->lpOutput), stride,
                d->lpbiOutput->biHeight > 0);
  d->lpbiOutput->biSizeImage = DWORD(stride) * DWORD(height);
  return ICERR_OK;
}

}  // namespace

void yuy2_to_rgb24(const BYTE* yuy2, int width, int height, BYTE* rgb, LONG rgb_stride, bool bottom_up) {
  for (int r = 0; r < height; ++r) {
    const BYTE* in = yuy2 + size_t(r) * size_t(width) * 2;
    BYTE* out = rgb + size_t(bottom_up ? height - 1 - r : r) * size_t(rgb_stride);
    for (int c = 0; c < width; c += 2) {
      int y0 = in[0], u = in[1] - 128, y1 = in[2], v = in[3] - 128;
      in += 4;
      // Full-range BT.601 in 16.16 fixed point.
      int rv = (91881 * v) >> 16, gu = (22554 * u + 46802 * v) >> 16, bu = (116130 * u) >> 16;
      for (int y : {y0, y1}) {
        out[0] = clamp_byte(y + bu);
        out[1] = clamp_byte(y - gu);
        out[2] = clamp_byte(y + rv);
        out += 3;
      }
    }
  }
}

LRESULT CALLBACK grabber_yuy2_driver(DWORD_PTR id, HDRVR driver, UINT message, LPARAM lparam1, LPARAM lparam2) {
  switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_INSTALL:
    case DRV_REMOVE:
      return 1;
    case DRV_OPEN: {
      auto* open = reinterpret_cast<ICOPEN*>(lparam2);
      if (open && open->fccType != ICTYPE_VIDEO) return 0;
      if (open) open->dwError = ICERR_OK;
      return 1;
    }
    case DRV_CLOSE:
      return 1;
    case DRV_QUERYCONFIGURE:
      return 0;
    case ICM_GETINFO: {
      auto* info = reinterpret_cast<ICINFO*>(lparam1);
      if (!info || DWORD(lparam2) < sizeof(ICINFO)) return 0;
      std::memset(info, 0, sizeof(ICINFO));
      info->dwSize = sizeof(ICINFO);
      info->fccType = ICTYPE_VIDEO;
      info->fccHandler = MAKEFOURCC('y', 'u', 'y', '2');
      info->dwVersion = 1;
      info->dwVersionICM = ICVERSION;
      lstrcpyW(info->szName, L"YUY2");
      lstrcpyW(info->szDescription, L"YUY2 to RGB (stand-in)");
      return sizeof(ICINFO);
    }
    case ICM_DECOMPRESS_QUERY: {
      auto* in = reinterpret_cast<const BITMAPINFO*>(lparam1);
      auto* out = reinterpret_cast<const BITMAPINFO*>(lparam2);
      if (!in || !is_yuy2(&in->bmiHeader)) return ICERR_BADFORMAT;
      if (out && !is_rgb24_for(&in->bmiHeader, &out->bmiHeader)) return ICERR_BADFORMAT;
      return ICERR_OK;
    }
    case ICM_DECOMPRESS_GET_FORMAT: {
      auto* in = reinterpret_cast<const BITMAPINFO*>(lparam1);
      auto* out = reinterpret_cast<BITMAPINFO*>(lparam2);
      if (!in || !is_yuy2(&in->bmiHeader)) return ICERR_BADFORMAT;
      if (!out) return sizeof(BITMAPINFOHEADER);
      BITMAPINFOHEADER& h = out->bmiHeader;
      h = in->bmiHeader;
      h.biSize = sizeof(BITMAPINFOHEADER);
      h.biBitCount = 24;
      h.biCompression = BI_RGB;
      h.biHeight = std::abs(in->bmiHeader.biHeight);
      h.biSizeImage = DWORD(((h.biWidth * 3 + 3) & ~3) * h.biHeight);
      h.biClrUsed = h.biClrImportant = 0;
      return ICERR_OK;
    }
    case ICM_DECOMPRESS_BEGIN: {
      auto* in = reinterpret_cast<const BITMAPINFO*>(lparam1);
      return in && is_yuy2(&in->bmiHeader) ? ICERR_OK : ICERR_BADFORMAT;
    }
    case ICM_DECOMPRESS:
      return decompress(reinterpret_cast<const ICDECOMPRESS*>(lparam1));
    case ICM_DECOMPRESS_END:
      return ICERR_OK;
    default:
      if (message < DRV_USER) return DefDriverProc(id, driver, message, lparam1, lparam2);
      return ICERR_UNSUPPORTED;
  }
}
