#include "framework/graphics/linux/X11Image.h"

#include <bit>
#include <cstring>

X11Image::X11Image(Display* display, int width, int height)
    : mDisplay(display), mWidth(width), mHeight(height) {
  if (!display || width <= 0 || height <= 0) return;
  const int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  const int depth = DefaultDepth(display, screen);
  mImage = XCreateImage(display, visual, unsigned(depth), ZPixmap, 0, nullptr, unsigned(width),
                        unsigned(height), 32, 0);
  if (!mImage) return;
  mData.assign(size_t(mImage->bytes_per_line) * size_t(height), 0);
  mImage->data = mData.data();
  mDirectCopy = mImage->bits_per_pixel == 32 && mImage->byte_order == LSBFirst &&
                mImage->red_mask == 0xFF0000 && mImage->green_mask == 0xFF00 && mImage->blue_mask == 0xFF;
}

X11Image::~X11Image() {
  if (mImage) {
    mImage->data = nullptr;  // the pixels belong to mData
    XDestroyImage(mImage);
  }
}

unsigned long X11Image::PixelOf(uint32_t argb) const {
  // Scales each 8-bit channel into its mask.
  auto channel = [](uint32_t value8, unsigned long mask) -> unsigned long {
    if (!mask) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const unsigned long v = bits >= 8 ? (value8 << (bits - 8)) : (value8 >> (8 - bits));
    return (v << shift) & mask;
  };
  return channel((argb >> 16) & 0xFF, mImage->red_mask) | channel((argb >> 8) & 0xFF, mImage->green_mask) |
         channel(argb & 0xFF, mImage->blue_mask);
}

void X11Image::Fill(const RasterBitmap& bitmap, RasterRect rect) {
  if (!mImage) return;
  rect = rect.Intersect(bitmap.Bounds()).Intersect(RasterRect{0, 0, mWidth, mHeight});
  if (rect.Empty()) return;
  for (int y = rect.t; y < rect.b; ++y) {
    const uint32_t* src = bitmap.Row(y) + rect.l;
    if (mDirectCopy)
      std::memcpy(mImage->data + size_t(y) * size_t(mImage->bytes_per_line) + size_t(rect.l) * 4, src,
                  size_t(rect.W()) * 4);
    else
      for (int x = rect.l; x < rect.r; ++x) XPutPixel(mImage, x, y, PixelOf(src[x - rect.l]));
  }
}

void X11Image::Put(Window window, GC gc, RasterRect rect) {
  rect = rect.Intersect(RasterRect{0, 0, mWidth, mHeight});
  if (!mImage || !window || rect.Empty()) return;
  XPutImage(mDisplay, window, gc, mImage, rect.l, rect.t, rect.l, rect.t, unsigned(rect.W()),
            unsigned(rect.H()));
}
