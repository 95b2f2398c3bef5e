#include <gtest/gtest.h>

#include "raster/RasterBlend.h"

namespace {
constexpr uint32_t Argb(int a, int r, int g, int b) {
  return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}
constexpr uint32_t kBackground = Argb(255, 100, 60, 20);

uint32_t BlendOne(uint32_t src, RasterBlendMode mode, float weight, uint32_t dst = kBackground) {
  RasterBitmap dstBitmap(1, 1, dst), srcBitmap(1, 1, src);
  RasterBlit(dstBitmap, srcBitmap, 0, 0, 0, 0, 1, 1, mode, weight, dstBitmap.Bounds());
  return dstBitmap.GetPixel(0, 0);
}
}  // namespace

// Expected values worked out by hand from the mode definitions.
TEST(RasterBlend, CopyWithSourceAlpha) {
  const uint32_t src = Argb(255, 200, 100, 0);
  EXPECT_EQ(BlendOne(src, RasterBlendMode::kCopyAlpha, 1.0f), src);
  EXPECT_EQ(BlendOne(src, RasterBlendMode::kCopyAlpha, 0.25f), Argb(255, 125, 70, 15));
  // Half-transparent source at weight 1: a = 102/255 = 0.4.
  EXPECT_EQ(BlendOne(Argb(102, 200, 160, 120), RasterBlendMode::kCopyAlpha, 1.0f), Argb(255, 140, 100, 60));
  // Fully transparent source changes nothing.
  EXPECT_EQ(BlendOne(Argb(0, 255, 255, 255), RasterBlendMode::kCopyAlpha, 1.0f), kBackground);
}

TEST(RasterBlend, PlainCopyIgnoresSourceAlpha) {
  const uint32_t src = Argb(128, 200, 100, 0);
  EXPECT_EQ(BlendOne(src, RasterBlendMode::kCopy, 1.0f), src);
  // Every channel, alpha included, moves a quarter of the way.
  EXPECT_EQ(BlendOne(src, RasterBlendMode::kCopy, 0.25f), Argb(223, 125, 70, 15));
}

TEST(RasterBlend, AddWithAlphaSaturates) {
  const uint32_t src = Argb(255, 100, 250, 10);
  EXPECT_EQ(BlendOne(src, RasterBlendMode::kAdd, 1.0f), Argb(255, 200, 255, 30));
  EXPECT_EQ(BlendOne(src, RasterBlendMode::kAdd, 0.25f), Argb(255, 125, 123, 23));
}

TEST(RasterBlend, ColorDodgeWithAlpha) {
  // dodge = dst * 256 / (256 - src): 100/128 -> 200, 60/192 -> 240, 20/255 -> saturated.
  const uint32_t src = Argb(255, 128, 192, 255);
  EXPECT_EQ(BlendOne(src, RasterBlendMode::kColorDodge, 1.0f), Argb(255, 200, 240, 255));
  EXPECT_EQ(BlendOne(src, RasterBlendMode::kColorDodge, 0.25f), Argb(255, 125, 105, 79));
}

TEST(RasterBlend, WeightOutsideRangeIsClampedOrSkipped) {
  const uint32_t src = Argb(255, 200, 100, 0);
  EXPECT_EQ(BlendOne(src, RasterBlendMode::kCopyAlpha, 0.0f), kBackground);
  EXPECT_EQ(BlendOne(src, RasterBlendMode::kCopyAlpha, -1.0f), kBackground);
  EXPECT_EQ(BlendOne(src, RasterBlendMode::kCopy, 7.0f), src);
}

TEST(RasterFill, FillsWithEveryModeAndWeight) {
  RasterBitmap bitmap(4, 3, kBackground);
  RasterFillRect(bitmap, RasterRect{1, 1, 3, 2}, Argb(255, 200, 100, 0), RasterBlendMode::kCopyAlpha, 0.25f,
                 bitmap.Bounds());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool inside = y == 1 && (x == 1 || x == 2);
      EXPECT_EQ(bitmap.GetPixel(x, y), inside ? Argb(255, 125, 70, 15) : kBackground) << x << "," << y;
    }
  RasterFillRect(bitmap, RasterRect{0, 0, 4, 3}, Argb(255, 100, 250, 10), RasterBlendMode::kAdd, 1.0f,
                 bitmap.Bounds());
  EXPECT_EQ(bitmap.GetPixel(0, 0), Argb(255, 200, 255, 30));
}
