// The curve-to-screen routine: knots where the band grid and the level scale put them, clipping at
// the plot's top and bottom lines.

#include <gtest/gtest.h>

#include <cmath>

#include "editor/EditorLayout.h"
#include "editor/IMyPlots.h"

namespace {

using namespace layout;

struct Curve {
  double values[kPlotBands];
  MyPoint points[IMyPlots::kColumns];

  explicit Curve(double v) {
    for (double& x : values) x = v;
    for (MyPoint& p : points) p = {-7, -7};
  }
  void plot() { IMyPlots::Bezier(values, kPlotLeft, kPlotRight, kPlotTop, kPlotBottom, kPlotBands, points); }
  bool visible(int k) const { return points[k].y != -1 && points[k + 1].y != -1; }
};

double db(double d) {
  return std::pow(10.0, d / 20.0);
}

TEST(Bezier, FlatCurvesLieOnTheirRowInEveryColumn) {
  for (auto [level, row] : {std::pair{-25.0, 196}, {0.0, 12}, {-10.0, 86}, {-49.0, 372}}) {
    Curve c(db(level));
    c.plot();
    for (int k = 0; k < IMyPlots::kColumns; ++k) {
      EXPECT_EQ(c.points[k].x, kPlotLeft + k);
      EXPECT_EQ(c.points[k].y, row) << level << " dB, column " << k;
    }
    EXPECT_EQ(row, int(level_row(level)));
  }
}

TEST(Bezier, KnotsSitOnTheirBandColumns) {
  Curve c(db(-40.0));
  c.values[60] = db(-10.0);  // a single raised band peaks at its own column
  c.plot();
  EXPECT_EQ(c.points[band_column(60) - kPlotLeft].y, int(level_row(-10.0)));
  int top = 1000, at = -1;
  for (int k = 0; k < IMyPlots::kColumns; ++k)
    if (c.points[k].y < top) top = c.points[k].y, at = k;
  EXPECT_EQ(at + kPlotLeft, band_column(60));
  EXPECT_EQ(band_column(0), 49);
  EXPECT_EQ(band_column(119), 486);
}

TEST(Bezier, ZeroAndVeryLoudCurvesAreHidden) {
  Curve silent(0.0);
  silent.plot();
  Curve loud(db(8.0));
  loud.plot();
  for (int k = 0; k + 1 < IMyPlots::kColumns; ++k) {
    EXPECT_FALSE(silent.visible(k)) << k;
    EXPECT_FALSE(loud.visible(k)) << k;
  }
}

TEST(Bezier, ACurveLeavingThePlotEndsOnTheBorderLine) {
  Curve c(db(-25.0));
  for (int i = 60; i < kPlotBands; ++i) c.values[i] = db(6.0);  // above the top from band 60 on
  for (int i = 0; i < 20; ++i) c.values[i] = db(-70.0);         // below the bottom up to band 19
  c.plot();
  int lastVisible = -1, firstVisible = -1;
  for (int k = 0; k + 1 < IMyPlots::kColumns; ++k)
    if (c.visible(k)) {
      if (firstVisible < 0) firstVisible = k;
      lastVisible = k;
    }
  ASSERT_GE(firstVisible, 0);
  EXPECT_EQ(c.points[firstVisible].y, kPlotBottom - 1) << "enters on the bottom line";
  EXPECT_EQ(c.points[lastVisible + 1].y, kPlotTop) << "leaves on the top line";
  for (int k = firstVisible; k <= lastVisible + 1; ++k) {
    EXPECT_GE(c.points[k].y, kPlotTop);
    EXPECT_LE(c.points[k].y, kPlotBottom - 1);
  }
}

// On a denser screen the curve is computed for every device column: at whole scales, the device
// column over editor column k lies on the same curve one device pixel in s finer, and at any scale
// every point is in the plot or hidden.
TEST(Bezier, DeviceColumnsFollowTheSameCurve) {
  unsigned seed = 17;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return double(seed >> 8) / double(1u << 24);
  };
  static MyPoint device[IMyPlots::kMaxDeviceColumns];
  for (int trial = 0; trial < 40; ++trial) {
    Curve c(1.0);
    for (double& v : c.values) v = db(-55.0 + 62.0 * next());
    c.plot();
    for (double s : {1.25, 1.5, 2.0, 2.5, 3.0}) {
      const int n =
          IMyPlots::BezierAt(c.values, kPlotLeft, kPlotRight, kPlotTop, kPlotBottom, kPlotBands, s, device);
      const int left = int(kPlotLeft * s + 0.5), top = int(kPlotTop * s + 0.5);
      const int bottom = int(kPlotBottom * s + 0.5);
      ASSERT_EQ(n, int((kPlotRight - 1) * s + 0.5) - left + 1) << s;
      for (int k = 0; k < n; ++k) {
        ASSERT_EQ(device[k].x, left + k);
        if (device[k].y != -1) {
          ASSERT_TRUE(device[k].y >= top && device[k].y < bottom) << s << " " << k;
        }
      }
      if (s != std::floor(s)) continue;
      const int m = int(s);
      for (int k = 0; k < IMyPlots::kColumns; ++k) {
        const int y1 = c.points[k].y, yd = device[k * m].y;
        if (y1 > kPlotTop + 1 && y1 < kPlotBottom - 2 && yd > top && yd < bottom - 1) {
          ASSERT_EQ(yd / m, y1) << "scale " << s << " column " << k;
        }
      }
    }
  }
}

TEST(Bezier, NoteCursorSpansThePlot) {
  EXPECT_EQ(IMyPlots::CursorColumn(0.0), 49);
  EXPECT_EQ(IMyPlots::CursorColumn(1.0), 486);
}

TEST(Bezier, SizesItCannotHoldWriteNothing) {
  Curve c(db(-25.0));
  IMyPlots::Bezier(c.values, 0, 600, kPlotTop, kPlotBottom, kPlotBands, c.points);
  IMyPlots::Bezier(c.values, kPlotLeft, kPlotRight, kPlotTop, kPlotBottom, 200, c.points);
  EXPECT_EQ(c.points[0].y, -7);
}

}  // namespace
