#pragma once
// A client-side X image the size of a window, filled from a raster bitmap and copied to the window
// with XPutImage. The common 24-bit TrueColor layout is copied row by row; any other visual goes
// pixel by pixel through its colour masks.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <vector>

#include "raster/RasterBitmap.h"

class X11Image {
 public:
  X11Image(Display* display, int width, int height);
  ~X11Image();
  X11Image(const X11Image&) = delete;
  X11Image& operator=(const X11Image&) = delete;

  bool Valid() const { return mImage != nullptr; }
  // Takes rect (clipped to both) from the bitmap.
  void Fill(const RasterBitmap& bitmap, RasterRect rect);
  // Copies rect of the image to the window at the same place.
  void Put(Window window, GC gc, RasterRect rect);

 private:
  unsigned long PixelOf(uint32_t argb) const;

  Display* mDisplay;
  XImage* mImage = nullptr;
  std::vector<char> mData;
  bool mDirectCopy = false;
  int mWidth;
  int mHeight;
};
