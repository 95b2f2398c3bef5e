#include "raster/RasterBitmap.h"

#include <algorithm>

RasterBitmap::RasterBitmap(int w, int h, uint32_t fill) {
  Resize(w, h, fill);
}

void RasterBitmap::Resize(int w, int h, uint32_t fill) {
  if (w <= 0 || h <= 0) w = h = 0;
  mWidth = w;
  mHeight = h;
  mPixels.assign(size_t(w) * size_t(h), fill);
}

uint32_t RasterBitmap::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) return 0;
  return Row(y)[x];
}

void RasterBitmap::SetPixel(int x, int y, uint32_t argb) {
  if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) return;
  Row(y)[x] = argb;
}

void RasterBitmap::Fill(uint32_t argb) {
  std::fill(mPixels.begin(), mPixels.end(), argb);
}
