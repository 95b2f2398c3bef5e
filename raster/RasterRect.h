#pragma once
// Pixel rectangle of the raster back-end; right and bottom are exclusive.

#include <algorithm>

struct RasterRect {
  int l = 0, t = 0, r = 0, b = 0;

  bool Empty() const { return r <= l || b <= t; }
  int W() const { return r - l; }
  int H() const { return b - t; }
  RasterRect Intersect(const RasterRect& o) const {
    RasterRect x{std::max(l, o.l), std::max(t, o.t), std::min(r, o.r), std::min(b, o.b)};
    return x.Empty() ? RasterRect{} : x;
  }
};
