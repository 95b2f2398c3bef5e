#pragma once
// Off-screen 32-bit image; each pixel is 0xAARRGGBB (straight, not premultiplied alpha), rows top
// to bottom without padding.

#include <cstdint>
#include <vector>

#include "raster/RasterRect.h"

class RasterBitmap {
 public:
  RasterBitmap() = default;
  // Negative sizes give an empty bitmap.
  RasterBitmap(int w, int h, uint32_t fill = 0);

  void Resize(int w, int h, uint32_t fill = 0);
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  bool Empty() const { return mWidth == 0 || mHeight == 0; }
  RasterRect Bounds() const { return RasterRect{0, 0, mWidth, mHeight}; }

  uint32_t* Row(int y) { return mPixels.data() + size_t(y) * size_t(mWidth); }
  const uint32_t* Row(int y) const { return mPixels.data() + size_t(y) * size_t(mWidth); }
  uint32_t* Pixels() { return mPixels.data(); }
  const uint32_t* Pixels() const { return mPixels.data(); }

  // Out-of-range reads give 0 and writes are dropped.
  uint32_t GetPixel(int x, int y) const;
  void SetPixel(int x, int y, uint32_t argb);
  void Fill(uint32_t argb);

 private:
  int mWidth = 0;
  int mHeight = 0;
  std::vector<uint32_t> mPixels;
};
