#include "raster/RasterLine.h"

#include <cmath>
#include <utility>

namespace {
struct Plotter {
  RasterBitmap& dst;
  RasterRect clip;
  uint32_t argb;
  RasterBlendMode mode;
  float alpha;
  bool steep;

  void operator()(int major, int minor, double coverage) const {
    if (coverage <= 0.0) return;
    const int x = steep ? minor : major;
    const int y = steep ? major : minor;
    if (x < clip.l || x >= clip.r || y < clip.t || y >= clip.b) return;
    uint32_t& p = dst.Row(y)[x];
    p = RasterBlendPixel(p, argb, mode, float(alpha * coverage));
  }
};
}  // namespace

void RasterLine(RasterBitmap& dst, float x1, float y1, float x2, float y2, uint32_t argb,
                RasterBlendMode mode, float alpha, bool antiAlias, const RasterRect& clip) {
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2) || alpha <= 0.0f)
    return;
  const RasterRect area = dst.Bounds().Intersect(clip);
  if (area.Empty()) return;
  double ax = x1, ay = y1, bx = x2, by = y2;
  const bool steep = std::fabs(by - ay) > std::fabs(bx - ax);
  if (steep) {
    std::swap(ax, ay);
    std::swap(bx, by);
  }
  if (ax > bx) {
    std::swap(ax, bx);
    std::swap(ay, by);
  }
  const Plotter plot{dst, area, argb, mode, alpha, steep};
  const double gradient = bx > ax ? (by - ay) / (bx - ax) : 0.0;
  // Only the steps that can reach the clip area; coordinates far outside it cost nothing.
  const double lo = steep ? area.t : area.l, hi = steep ? area.b - 1 : area.r - 1;
  const double minorLo = (steep ? area.l : area.t) - 1, minorHi = steep ? area.r : area.b;
  const double first = std::max(std::floor(ax + 0.5), lo), last = std::min(std::floor(bx + 0.5), hi);
  for (double m = first; m <= last; m += 1.0) {
    const double minor = ay + gradient * (m - ax);
    const double base = antiAlias ? std::floor(minor) : std::floor(minor + 0.5);
    if (base < minorLo || base > minorHi) continue;  // also keeps the conversions below in range
    if (!antiAlias) {
      plot(int(m), int(base), 1.0);
      continue;
    }
    const double f = minor - base;
    plot(int(m), int(base), 1.0 - f);
    plot(int(m), int(base) + 1, f);
  }
}
