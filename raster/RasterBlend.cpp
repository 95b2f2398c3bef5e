#include "raster/RasterBlend.h"

#include <algorithm>
#include <cstring>

namespace {
inline int Chan(uint32_t p, int shift) {
  return int((p >> shift) & 0xFF);
}
inline uint32_t Pack(int a, int r, int g, int b) {
  return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}
// Values stay within 0..255, so adding a half and truncating rounds to nearest.
inline int Round(double v) {
  return int(v + 0.5);
}
inline int Mix(int d, int s, double a) {
  return Round(d + (s - d) * a);
}
inline int Dodge(int d, int s) {
  return std::min(255, d * 256 / (256 - s));
}

RasterRect ClipTo(const RasterBitmap& dst, const RasterRect& clip) {
  return dst.Bounds().Intersect(clip);
}
}  // namespace

uint32_t RasterBlendPixel(uint32_t dst, uint32_t src, RasterBlendMode mode, float alpha) {
  const double w = std::clamp(double(alpha), 0.0, 1.0);
  const int dA = Chan(dst, 24), dR = Chan(dst, 16), dG = Chan(dst, 8), dB = Chan(dst, 0);
  const int sA = Chan(src, 24), sR = Chan(src, 16), sG = Chan(src, 8), sB = Chan(src, 0);
  if (mode == RasterBlendMode::kCopy)
    return Pack(Mix(dA, sA, w), Mix(dR, sR, w), Mix(dG, sG, w), Mix(dB, sB, w));

  const double a = sA / 255.0 * w;
  const int outA = Round(a * 255.0 + dA * (1.0 - a));
  switch (mode) {
    case RasterBlendMode::kAdd:
      return Pack(outA, std::min(255, Round(dR + sR * a)), std::min(255, Round(dG + sG * a)),
                  std::min(255, Round(dB + sB * a)));
    case RasterBlendMode::kColorDodge:
      return Pack(outA, Mix(dR, Dodge(dR, sR), a), Mix(dG, Dodge(dG, sG), a), Mix(dB, Dodge(dB, sB), a));
    default:
      return Pack(outA, Mix(dR, sR, a), Mix(dG, sG, a), Mix(dB, sB, a));
  }
}

void RasterBlit(RasterBitmap& dst, const RasterBitmap& src, int dstX, int dstY, int srcX, int srcY, int w,
                int h, RasterBlendMode mode, float alpha, const RasterRect& clip) {
  if (alpha <= 0.0f || w <= 0 || h <= 0) return;
  // Destination pixels whose source lies inside src, inside the block, inside dst and clip.
  RasterRect area{dstX, dstY, dstX + w, dstY + h};
  area = area.Intersect(
      RasterRect{dstX - srcX, dstY - srcY, dstX - srcX + src.Width(), dstY - srcY + src.Height()});
  area = area.Intersect(ClipTo(dst, clip));
  if (area.Empty()) return;
  const int dx = srcX - dstX, dy = srcY - dstY;
  const bool opaque = alpha >= 1.0f;
  for (int y = area.t; y < area.b; ++y) {
    uint32_t* out = dst.Row(y) + area.l;
    const uint32_t* in = src.Row(y + dy) + area.l + dx;
    const int n = area.W();
    if (mode == RasterBlendMode::kCopy && opaque) {
      std::memmove(out, in, size_t(n) * sizeof(uint32_t));
      continue;
    }
    for (int i = 0; i < n; ++i) {
      const uint32_t s = in[i];
      if (mode == RasterBlendMode::kCopyAlpha && opaque && (s >> 24) == 0xFF)
        out[i] = s;
      else if (mode != RasterBlendMode::kCopy && (s >> 24) == 0)
        continue;  // a transparent source pixel changes nothing in the alpha modes
      else
        out[i] = RasterBlendPixel(out[i], s, mode, alpha);
    }
  }
}

void RasterFillRect(RasterBitmap& dst, const RasterRect& rect, uint32_t argb, RasterBlendMode mode,
                    float alpha, const RasterRect& clip) {
  if (alpha <= 0.0f) return;
  const RasterRect area = rect.Intersect(ClipTo(dst, clip));
  if (area.Empty()) return;
  const bool replace = alpha >= 1.0f && (mode == RasterBlendMode::kCopy ||
                                         (mode == RasterBlendMode::kCopyAlpha && (argb >> 24) == 0xFF));
  for (int y = area.t; y < area.b; ++y) {
    uint32_t* out = dst.Row(y);
    for (int x = area.l; x < area.r; ++x)
      out[x] = replace ? argb : RasterBlendPixel(out[x], argb, mode, alpha);
  }
}
