// The editor's drawing primitives, at device resolution.
#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>

#include "raster/RasterBitmap.h"
#include "raster/RasterBlend.h"
#include "raster/RasterLine.h"
#include "raster/RasterResample.h"

// ---- drawing ----

namespace {
RasterBlendMode ModeOf(const IChannelBlend* blend) {
  switch (blend ? blend->mMethod : IChannelBlend::kBlendNone) {
    case IChannelBlend::kBlendClobber:
      return RasterBlendMode::kCopy;
    case IChannelBlend::kBlendAdd:
      return RasterBlendMode::kAdd;
    case IChannelBlend::kBlendColorDodge:
      return RasterBlendMode::kColorDodge;
    default:
      return RasterBlendMode::kCopyAlpha;
  }
}
float WeightOf(const IChannelBlend* blend) {
  return blend ? blend->mWeight : 1.0f;
}
RasterRect ToRaster(const IRECT& r) {
  return RasterRect{r.L, r.T, r.R, r.B};
}
}  // namespace

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend) {
  if (!bitmap || !dest) return true;
  int srcX = 0, srcY = 0;
  if (bitmap->N >= 2 && frame > 1) {
    const double offset = double(frame - 1) / double(bitmap->N);
    if (bitmap->mFramesAreHorizontal)
      srcX = int(offset * bitmap->W + 0.5);
    else
      srcY = int(offset * bitmap->H + 0.5);
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

const RasterBitmap* IGraphics::DeviceImage(const IBitmap& bitmap) {
  // The least dense artwork that is at least as dense as the screen, else the densest there is.
  const int wanted = std::clamp(int(std::ceil(mScale - 1e-6)), 1, IBitmap::kMaxDensity);
  const RasterBitmap* image = nullptr;
  for (int d = wanted; d <= IBitmap::kMaxDensity && !image; ++d) image = ImageAtDensity(bitmap, d);
  for (int d = wanted - 1; d >= 1 && !image; --d) image = ImageAtDensity(bitmap, d);
  if (!image) return nullptr;
  const int w = ToDevice(bitmap.W), h = ToDevice(bitmap.H);
  if (image->Width() == w && image->Height() == h) return image;
  std::unique_ptr<RasterBitmap>& resized = mResized[image];
  if (!resized) resized = std::make_unique<RasterBitmap>(RasterResample(*image, w, h));
  return resized.get();
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend) {
  if (!bitmap || !bitmap->mData || !dest || !mDrawBitmap) return true;
  const RasterBitmap* image = DeviceImage(*bitmap);
  if (!image) return true;
  const IRECT d = ToDevice(*dest);
  RasterBlit(*mDrawBitmap, *image, d.L, d.T, ToDevice(srcX), ToDevice(srcY), d.W(), d.H(), ModeOf(blend),
             WeightOf(blend), ToRaster(ToDevice(mDrawRECT)));
  return true;
}

bool IGraphics::FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend) {
  if (!color || !rect || !mDrawBitmap) return true;
  RasterFillRect(*mDrawBitmap, ToRaster(ToDevice(*rect)), color->ARGB(), ModeOf(blend), WeightOf(blend),
                 ToRaster(ToDevice(mDrawRECT)));
  return true;
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias) {
  if (!color || !mDrawBitmap) return true;
  // A line one editor pixel wide: as many device-pixel strokes side by side, centred on the pixels.
  const float s = float(mScale);
  const int strokes = std::max(1, int(std::lround(mScale)));
  const bool steep = std::fabs(y2 - y1) > std::fabs(x2 - x1);
  for (int i = 0; i < strokes; ++i) {
    const float off = (s - float(strokes)) * 0.5f + float(i);
    const float ox = steep ? off : 0.0f, oy = steep ? 0.0f : off;
    RasterLine(*mDrawBitmap, x1 * s + ox, y1 * s + oy, x2 * s + ox, y2 * s + oy, color->ARGB(), ModeOf(blend),
               WeightOf(blend), antiAlias, ToRaster(ToDevice(mDrawRECT)));
  }
  return true;
}
