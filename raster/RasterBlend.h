#pragma once
// Blits and fills with the four blend modes. alpha is the operation's weight (1.0 opaque); every
// operation is clipped to the destination and to the clip rectangle.
//
//   kCopyAlpha: out = dst + (src - dst) * a, a = srcA / 255 * alpha; out alpha = a*255 + dstA*(1-a)
//   kCopy:      out = dst + (src - dst) * alpha, all four channels (alpha 1: exact copy)
//   kAdd:       out = min(255, dst + src * a) per colour channel; alpha as kCopyAlpha
//   kColorDodge: d = dst * 256 / (256 - src), at most 255; out = dst + (d - dst) * a; alpha as kCopyAlpha
// Results are rounded to the nearest integer.

#include <cstdint>

#include "raster/RasterBitmap.h"

enum class RasterBlendMode { kCopyAlpha = 0, kCopy = 1, kAdd = 2, kColorDodge = 3 };

// Blends one source pixel over one destination pixel.
uint32_t RasterBlendPixel(uint32_t dst, uint32_t src, RasterBlendMode mode, float alpha);

// Copies the w x h block at (srcX, srcY) of src to (dstX, dstY) of dst.
void RasterBlit(RasterBitmap& dst, const RasterBitmap& src, int dstX, int dstY, int srcX, int srcY, int w,
                int h, RasterBlendMode mode, float alpha, const RasterRect& clip);

void RasterFillRect(RasterBitmap& dst, const RasterRect& rect, uint32_t argb, RasterBlendMode mode,
                    float alpha, const RasterRect& clip);
