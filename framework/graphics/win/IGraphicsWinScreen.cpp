// Repaint: the timer tick finds the dirty area, the paint cycle draws it and copies the draw bitmap
// to the window through a DIB section.
#include "framework/graphics/win/IGraphicsWin.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "raster/RasterBitmap.h"

void IGraphicsWin::OnTimerTick() {
  if (!mHwnd || mDrawDepth > 0) return;
  if (mEditWnd && (mEditState == EditState::kCommit || mEditState == EditState::kCancel)) {
    EndTextEntry();
    return;
  }
  OnGUIIdle();
  IRECT dirty;
  if (IsDirty(&dirty)) {
    dirty = ToDevice(dirty);
    RECT r = {dirty.L, dirty.T, dirty.R, dirty.B};
    InvalidateRect(mHwnd, &r, FALSE);
    UpdateWindow(mHwnd);
  }
}

void IGraphicsWin::Paint() {
  PAINTSTRUCT ps = {};
  HDC dc = BeginPaint(mHwnd, &ps);
  if (!dc) return;
  // The editor pixels that cover the window's update area.
  IRECT r;
  if (ps.rcPaint.right > ps.rcPaint.left && ps.rcPaint.bottom > ps.rcPaint.top)
    r = IRECT(ToEditor(ps.rcPaint.left), ToEditor(ps.rcPaint.top), ToEditor(ps.rcPaint.right - 1) + 1,
              ToEditor(ps.rcPaint.bottom - 1) + 1);
  mPaintDC = dc;
  if (mDrawDepth > 0) {
    // A notice shown while drawing: the picture drawn so far is copied, nothing is drawn again.
    DrawScreen(&r);
  } else if (!r.Empty()) {
    ++mDrawDepth;
    Draw(&r);
    --mDrawDepth;
  }
  mPaintDC = nullptr;
  EndPaint(mHwnd, &ps);
}

bool IGraphicsWin::EnsureScreenBitmap() {
  // A resized editor needs a screen copy of its new size.
  if (mScreenBitmap && (mScreenW != DeviceWidth() || mScreenH != DeviceHeight())) ReleaseScreenBitmap();
  if (mScreenBitmap) return true;
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = DeviceWidth();
  bmi.bmiHeader.biHeight = -DeviceHeight();  // top-down, as the draw bitmap
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  mScreenDC = CreateCompatibleDC(nullptr);
  if (!mScreenDC) return false;
  mScreenBitmap = CreateDIBSection(mScreenDC, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!mScreenBitmap || !bits) {
    ReleaseScreenBitmap();
    return false;
  }
  mScreenPixels = static_cast<unsigned*>(bits);
  mScreenW = DeviceWidth();
  mScreenH = DeviceHeight();
  mScreenBitmapOld = SelectObject(mScreenDC, mScreenBitmap);
  return true;
}

void IGraphicsWin::ReleaseScreenBitmap() {
  if (mScreenDC && mScreenBitmapOld) SelectObject(mScreenDC, static_cast<HGDIOBJ>(mScreenBitmapOld));
  if (mScreenBitmap) DeleteObject(mScreenBitmap);
  if (mScreenDC) DeleteDC(mScreenDC);
  mScreenDC = nullptr;
  mScreenBitmap = nullptr;
  mScreenBitmapOld = nullptr;
  mScreenPixels = nullptr;
}

bool IGraphicsWin::DrawScreen(IRECT* rect) {
  RasterBitmap* draw = GetDrawBitmap();
  if (!rect || !mPaintDC || !draw || !EnsureScreenBitmap()) return false;
  const IRECT r = ToDevice(*rect).Intersect(
      IRECT(0, 0, std::min(DeviceWidth(), draw->Width()), std::min(DeviceHeight(), draw->Height())));
  if (r.Empty()) return true;
  // 0xAARRGGBB in memory is the byte order of a 32-bit DIB (blue first).
  for (int y = r.T; y < r.B; ++y)
    std::memcpy(mScreenPixels + size_t(y) * size_t(mScreenW) + size_t(r.L), draw->Row(y) + r.L,
                size_t(r.W()) * 4);
  GdiFlush();
  BitBlt(mPaintDC, r.L, r.T, r.W(), r.H(), mScreenDC, r.L, r.T, SRCCOPY);
  return true;
}
