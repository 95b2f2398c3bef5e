#include "tools/artwork/ArtCanvas.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSamples = 4;

uint32_t pack(ArtColor c) {
  return (uint32_t(c.a) << 24) | (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | uint32_t(c.b);
}

ArtColor unpack(uint32_t p) {
  return {int(p >> 24), int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
}

// Signed distance to a rounded rectangle, negative inside.
double round_rect_distance(double x, double y, double x0, double y0, double x1, double y1, double radius) {
  const double cx = (x0 + x1) * 0.5, cy = (y0 + y1) * 0.5;
  const double hx = (x1 - x0) * 0.5 - radius, hy = (y1 - y0) * 0.5 - radius;
  const double qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
  const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

}  // namespace

ArtColor art_mix(ArtColor from, ArtColor to, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto lerp = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
  return {lerp(from.a, to.a), lerp(from.r, to.r), lerp(from.g, to.g), lerp(from.b, to.b)};
}

ArtCanvas::ArtCanvas(int width, int height, ArtColor fill, int density)
    : mWidth(width),
      mHeight(height),
      mDensity(std::max(1, density)),
      mBitmap(width * mDensity, height * mDensity, pack(fill)) {}

ArtColor ArtCanvas::at(int x, int y) const {
  return unpack(mBitmap.GetPixel(x, y));
}

void ArtCanvas::blend(int x, int y, ArtColor c, double coverage) {
  if (x < 0 || y < 0 || x >= mBitmap.Width() || y >= mBitmap.Height() || coverage <= 0.0) return;
  const double sa = c.a / 255.0 * std::min(coverage, 1.0);
  const ArtColor d = at(x, y);
  const double da = d.a / 255.0;
  const double oa = sa + da * (1.0 - sa);
  if (oa <= 0.0) return;
  auto channel = [&](int s, int dst) { return int(std::lround((s * sa + dst * da * (1.0 - sa)) / oa)); };
  const ArtColor out{int(std::lround(oa * 255.0)), channel(c.r, d.r), channel(c.g, d.g), channel(c.b, d.b)};
  mBitmap.SetPixel(x, y, pack(out));
}

void ArtCanvas::fill_shape(double x0, double y0, double x1, double y1,
                           const std::function<bool(double, double)>& inside, ArtColor top, ArtColor bottom) {
  const double d = mDensity;
  const int px0 = std::max(0, int(std::floor(x0 * d))),
            px1 = std::min(mBitmap.Width(), int(std::ceil(x1 * d)));
  const int py0 = std::max(0, int(std::floor(y0 * d))),
            py1 = std::min(mBitmap.Height(), int(std::ceil(y1 * d)));
  const double span = std::max(1.0, y1 - y0);
  for (int y = py0; y < py1; ++y) {
    const ArtColor c = art_mix(top, bottom, ((y + 0.5) / d - y0) / span);
    for (int x = px0; x < px1; ++x) {
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx)
          if (inside((x + (sx + 0.5) / kSamples) / d, (y + (sy + 0.5) / kSamples) / d)) ++hits;
      if (hits) blend(x, y, c, double(hits) / (kSamples * kSamples));
    }
  }
}

void ArtCanvas::fill_rect(int x0, int y0, int x1, int y1, ArtColor c) {
  fill_gradient(x0, y0, x1, y1, c, c);
}

void ArtCanvas::fill_gradient(int x0, int y0, int x1, int y1, ArtColor top, ArtColor bottom) {
  const double span = std::max(1, y1 - y0);
  const int d = mDensity;
  for (int y = std::max(0, y0 * d); y < std::min(mBitmap.Height(), y1 * d); ++y) {
    const ArtColor c = art_mix(top, bottom, ((y + 0.5) / d - y0) / span);
    for (int x = std::max(0, x0 * d); x < std::min(mBitmap.Width(), x1 * d); ++x) blend(x, y, c);
  }
}

void ArtCanvas::fill_round_rect(double x0, double y0, double x1, double y1, double radius, ArtColor top,
                                ArtColor bottom) {
  fill_shape(
      x0, y0, x1, y1,
      [=](double x, double y) { return round_rect_distance(x, y, x0, y0, x1, y1, radius) <= 0.0; }, top,
      bottom);
}

void ArtCanvas::stroke_round_rect(double x0, double y0, double x1, double y1, double radius, double width,
                                  ArtColor c) {
  fill_shape(
      x0, y0, x1, y1,
      [=](double x, double y) {
        const double d = round_rect_distance(x, y, x0, y0, x1, y1, radius);
        return d <= 0.0 && d > -width;
      },
      c, c);
}

void ArtCanvas::fill_circle(double cx, double cy, double radius, ArtColor top, ArtColor bottom) {
  fill_shape(
      cx - radius, cy - radius, cx + radius, cy + radius,
      [=](double x, double y) { return std::hypot(x - cx, y - cy) <= radius; }, top, bottom);
}

void ArtCanvas::fill_triangle(double ax, double ay, double bx, double by, double cx, double cy, ArtColor c) {
  auto edge = [](double px, double py, double qx, double qy, double x, double y) {
    return (qx - px) * (y - py) - (qy - py) * (x - px);
  };
  const double area = edge(ax, ay, bx, by, cx, cy);
  fill_shape(
      std::min({ax, bx, cx}), std::min({ay, by, cy}), std::max({ax, bx, cx}), std::max({ay, by, cy}),
      [=](double x, double y) {
        const double e0 = edge(ax, ay, bx, by, x, y), e1 = edge(bx, by, cx, cy, x, y),
                     e2 = edge(cx, cy, ax, ay, x, y);
        return area > 0 ? (e0 >= 0 && e1 >= 0 && e2 >= 0) : (e0 <= 0 && e1 <= 0 && e2 <= 0);
      },
      c, c);
}

void ArtCanvas::hline(int x0, int x1, int y, ArtColor c) {
  fill_rect(x0, y, x1, y + 1, c);
}

void ArtCanvas::vline(int x, int y0, int y1, ArtColor c) {
  fill_rect(x, y0, x + 1, y1, c);
}
