#include <gtest/gtest.h>

#include <utility>

#include "raster/RasterBlend.h"
#include "raster/RasterResample.h"

namespace {
constexpr uint32_t kBackground = 0xFF102030u;

// A source whose every pixel is distinct, so a misplaced pixel cannot pass.
RasterBitmap MakeSource(int w, int h) {
  RasterBitmap src(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      src.SetPixel(x, y, 0xFF000000u | uint32_t(x + 1) << 16 | uint32_t(y + 1) << 8 | 0x77u);
  return src;
}

struct BlitCase {
  const char* name;
  int dstX, dstY, srcX, srcY, w, h;
  RasterRect clip;
};

// Every destination pixel is either the source pixel it maps to (inside block, source, bitmap and
// clip) or untouched.
void ExpectBlit(const BlitCase& c) {
  const RasterBitmap src = MakeSource(6, 5);
  RasterBitmap dst(10, 8, kBackground);
  RasterBlit(dst, src, c.dstX, c.dstY, c.srcX, c.srcY, c.w, c.h, RasterBlendMode::kCopy, 1.0f, c.clip);
  for (int y = 0; y < dst.Height(); ++y)
    for (int x = 0; x < dst.Width(); ++x) {
      const int sx = x - c.dstX + c.srcX, sy = y - c.dstY + c.srcY;
      const bool inBlock = x >= c.dstX && x < c.dstX + c.w && y >= c.dstY && y < c.dstY + c.h;
      const bool inSource = sx >= 0 && sx < src.Width() && sy >= 0 && sy < src.Height();
      const bool inClip = x >= c.clip.l && x < c.clip.r && y >= c.clip.t && y < c.clip.b;
      const uint32_t expected = inBlock && inSource && inClip ? src.GetPixel(sx, sy) : kBackground;
      ASSERT_EQ(dst.GetPixel(x, y), expected) << c.name << " at " << x << "," << y;
    }
}
}  // namespace

TEST(RasterBlit, ClipsAtEveryEdge) {
  const RasterRect all{0, 0, 10, 8};
  const BlitCase cases[] = {
      {"inside", 2, 1, 0, 0, 6, 5, all},
      {"past left edge", -3, 1, 0, 0, 6, 5, all},
      {"past top edge", 2, -2, 0, 0, 6, 5, all},
      {"past right edge", 7, 1, 0, 0, 6, 5, all},
      {"past bottom edge", 2, 6, 0, 0, 6, 5, all},
      {"clip left", 2, 1, 0, 0, 6, 5, RasterRect{4, 0, 10, 8}},
      {"clip top", 2, 1, 0, 0, 6, 5, RasterRect{0, 3, 10, 8}},
      {"clip right", 2, 1, 0, 0, 6, 5, RasterRect{0, 0, 5, 8}},
      {"clip bottom", 2, 1, 0, 0, 6, 5, RasterRect{0, 0, 10, 4}},
      {"clip beyond bitmap", 2, 1, 0, 0, 6, 5, RasterRect{-50, -50, 50, 50}},
      {"source offset", 1, 1, 2, 1, 4, 4, all},
      {"block larger than source", 1, 1, 3, 2, 6, 6, all},
      {"negative source offset", 1, 1, -2, -1, 5, 5, all},
      {"entirely outside", 20, 20, 0, 0, 6, 5, all},
      {"empty block", 2, 2, 0, 0, 0, 3, all},
      {"empty clip", 2, 1, 0, 0, 6, 5, RasterRect{3, 3, 3, 6}},
  };
  for (const BlitCase& c : cases) ExpectBlit(c);
}

TEST(RasterBlit, EmptyBitmapsAreHarmless) {
  RasterBitmap empty;
  RasterBitmap dst(3, 3, kBackground);
  RasterBlit(dst, empty, 0, 0, 0, 0, 3, 3, RasterBlendMode::kCopy, 1.0f, dst.Bounds());
  RasterBlit(empty, dst, 0, 0, 0, 0, 3, 3, RasterBlendMode::kCopy, 1.0f, dst.Bounds());
  RasterFillRect(empty, RasterRect{0, 0, 3, 3}, 0xFFFFFFFFu, RasterBlendMode::kCopy, 1.0f,
                 RasterRect{0, 0, 3, 3});
  EXPECT_EQ(dst.GetPixel(1, 1), kBackground);
  EXPECT_TRUE(RasterBitmap(-4, 5).Empty());
}

TEST(RasterBlit, FillClipsToBitmapAndClip) {
  RasterBitmap dst(5, 5, kBackground);
  RasterFillRect(dst, RasterRect{-10, -10, 3, 30}, 0xFFFFFFFFu, RasterBlendMode::kCopy, 1.0f,
                 RasterRect{1, 2, 100, 4});
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(dst.GetPixel(x, y), (x >= 1 && x < 3 && y >= 2 && y < 4) ? 0xFFFFFFFFu : kBackground);
}

// Resizing between densities: a uniform picture stays uniform at any size, transparent pixels lend
// no colour to their neighbours, and the same size is an exact copy.
TEST(RasterResample, AveragesAreaWithoutBleedingTransparency) {
  RasterBitmap src(6, 4, 0x00FF0000u);  // transparent red
  for (int y = 0; y < 4; ++y)
    for (int x = 3; x < 6; ++x) src.SetPixel(x, y, 0xFF2080C0u);
  for (const auto& size :
       {std::pair{6, 4}, std::pair{4, 3}, std::pair{5, 2}, std::pair{9, 6}, std::pair{1, 1}}) {
    const RasterBitmap out = RasterResample(src, size.first, size.second);
    ASSERT_EQ(out.Width(), size.first);
    for (int y = 0; y < out.Height(); ++y) {
      for (int x = 0; x < out.Width(); ++x) {
        const uint32_t p = out.GetPixel(x, y);
        if (p >> 24) {
          EXPECT_EQ(p & 0xFFFFFF, 0x2080C0u) << x << "," << y;
        }
      }
    }
  }
  const RasterBitmap same = RasterResample(src, 6, 4);
  for (int x = 0; x < 6; ++x)
    EXPECT_EQ(same.GetPixel(x, 1), src.GetPixel(x, 1) >> 24 ? src.GetPixel(x, 1) : 0u);
  EXPECT_TRUE(RasterResample(src, 0, 3).Empty());
}
