#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <utility>

#include "raster/RasterLine.h"

namespace {
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kGreen = 0xFF00FF00u;

using Pixels = std::set<std::pair<int, int>>;

// Draws with alpha 1.0, copy mode, anti-aliasing on, as the response plot does.
RasterBitmap Draw(float x1, float y1, float x2, float y2, RasterRect clip = RasterRect{0, 0, 12, 10}) {
  RasterBitmap bitmap(12, 10, kBlack);
  RasterLine(bitmap, x1, y1, x2, y2, kGreen, RasterBlendMode::kCopy, 1.0f, true, clip);
  return bitmap;
}

void ExpectExactly(const RasterBitmap& bitmap, const Pixels& lit) {
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      EXPECT_EQ(bitmap.GetPixel(x, y), lit.count({x, y}) ? kGreen : kBlack) << x << "," << y;
}
}  // namespace

TEST(RasterLine, AxisParallelAndDiagonalLinesAreSolidAndIncludeBothEnds) {
  Pixels horizontal, vertical, diagonal;
  for (int x = 2; x <= 8; ++x) horizontal.insert({x, 5});
  for (int y = 1; y <= 9; ++y) vertical.insert({3, y});
  for (int i = 1; i <= 6; ++i) diagonal.insert({i, i});
  ExpectExactly(Draw(2, 5, 8, 5), horizontal);
  ExpectExactly(Draw(8, 5, 2, 5), horizontal);
  ExpectExactly(Draw(3, 1, 3, 9), vertical);
  ExpectExactly(Draw(3, 9, 3, 1), vertical);
  ExpectExactly(Draw(1, 1, 6, 6), diagonal);
  ExpectExactly(Draw(6, 6, 1, 1), diagonal);
  ExpectExactly(Draw(4, 4, 4, 4), Pixels{{4, 4}});
}

TEST(RasterLine, ShallowLineSharesCoverageBetweenTwoRows) {
  // (0,0)-(8,4): at column x the ideal row is x/2, so odd columns split evenly.
  const RasterBitmap bitmap = Draw(0, 0, 8, 4);
  for (int x = 0; x <= 8; ++x) {
    int total = 0, rows = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
      const int g = int((bitmap.GetPixel(x, y) >> 8) & 0xFF);
      total += g;
      rows += g > 0;
    }
    EXPECT_NEAR(total, 255, 1) << "column " << x;
    EXPECT_EQ(rows, x % 2 ? 2 : 1) << "column " << x;
  }
  EXPECT_EQ(bitmap.GetPixel(1, 0), 0xFF008000u);  // half coverage, rounded
}

TEST(RasterLine, ClipsAndSurvivesWildCoordinates) {
  Pixels clipped;
  for (int x = 4; x < 7; ++x) clipped.insert({x, 5});
  ExpectExactly(Draw(-100, 5, 100, 5, RasterRect{4, 0, 7, 10}), clipped);
  ExpectExactly(Draw(0, -3, 0, -30), Pixels{});
  ExpectExactly(Draw(-1e30f, -1e30f, 1e30f, 1e30f, RasterRect{0, 0, 0, 0}), Pixels{});
  const float nan = std::numeric_limits<float>::quiet_NaN();
  ExpectExactly(Draw(nan, 0, 5, 5), Pixels{});
  // A huge but finite line still draws its part inside the bitmap.
  const RasterBitmap huge = Draw(-1e9f, 3, 1e9f, 3);
  EXPECT_EQ(huge.GetPixel(0, 3), kGreen);
  EXPECT_EQ(huge.GetPixel(11, 3), kGreen);
}
