#include "raster/RasterResample.h"

#include <algorithm>
#include <cmath>

namespace {
struct Tap {
  int index;
  double weight;
};

// For each of n output pixels along one axis, the source pixels it covers and their shares.
std::vector<std::vector<Tap>> Taps(int srcN, int n) {
  std::vector<std::vector<Tap>> taps(static_cast<size_t>(n));
  const double step = double(srcN) / n;
  for (int d = 0; d < n; ++d) {
    const double lo = d * step, hi = std::min(double(srcN), (d + 1) * step);
    for (int i = int(std::floor(lo)); i < srcN && i < hi; ++i) {
      const double w = std::min(hi, i + 1.0) - std::max(lo, double(i));
      if (w > 1e-9) taps[size_t(d)].push_back(Tap{i, w / step});
    }
  }
  return taps;
}
}  // namespace

RasterBitmap RasterResample(const RasterBitmap& src, int w, int h) {
  if (w < 1 || h < 1 || src.Empty()) return RasterBitmap();
  RasterBitmap out(w, h);
  const auto xs = Taps(src.Width(), w), ys = Taps(src.Height(), h);
  for (int y = 0; y < h; ++y) {
    uint32_t* row = out.Row(y);
    for (int x = 0; x < w; ++x) {
      // Colours are averaged premultiplied, so transparent pixels lend them no colour.
      double a = 0, r = 0, g = 0, b = 0;
      for (const Tap& ty : ys[size_t(y)]) {
        const uint32_t* in = src.Row(ty.index);
        for (const Tap& tx : xs[size_t(x)]) {
          const uint32_t p = in[tx.index];
          const double pa = double(p >> 24) * tx.weight * ty.weight;
          a += pa;
          r += pa * double((p >> 16) & 0xFF);
          g += pa * double((p >> 8) & 0xFF);
          b += pa * double(p & 0xFF);
        }
      }
      if (a <= 0.0) {
        row[x] = 0;
        continue;
      }
      auto chan = [](double v) { return uint32_t(std::clamp(int(v + 0.5), 0, 255)); };
      row[x] = chan(a) << 24 | chan(r / a) << 16 | chan(g / a) << 8 | chan(b / a);
    }
  }
  return out;
}
