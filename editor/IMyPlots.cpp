#include "editor/IMyPlots.h"

#include <algorithm>
#include <cmath>

#include "editor/EditorLayout.h"
#include "framework/graphics/IGraphics.h"
#include "raster/RasterLine.h"

using namespace layout;

namespace {

struct PointD {
  double x, y;
};

// Truncation toward zero that stays defined for heights no curve can have.
int trunc_row(double y) {
  if (!(y > -1e6 && y < 1e6)) return -1;
  return int(y);
}

// Clipping against the top line T and the bottom line B - 1, segment by segment; a change to the
// right end is what the next segment sees as its left end.
void clip_rows(MyPoint* out, int columns, int top, int bottom) {
  const int last = bottom - 1;
  for (int k = 0; k + 1 < columns; ++k) {
    int& y1 = out[k].y;
    int& y2 = out[k + 1].y;
    if (y1 == -1) continue;
    if (y1 > top && y2 < top)
      y2 = top;
    else if (y1 < top && y2 > top)
      y1 = top;
    else if (y1 == top && y2 < top)
      y2 = -1;
    else if (y1 < top && y2 <= top)
      y1 = -1;
    else if (y1 < last && y2 >= bottom)
      y2 = last;
    else if (y1 >= bottom && y2 < last)
      y1 = last;
    else if (y1 == last && y2 >= bottom)
      y2 = -1;
    else if (y1 >= bottom && y2 >= last)
      y1 = -1;
  }
}

}  // namespace

IMyPlots::IMyPlots(EditorLink* link)
    : IControl(link->link_base(), IRECT(kPlotLeft, kPlotTop, kPlotRight, kPlotBottom)), effect(link) {
  SetDblAsSingleClick(true);  // a quick second stroke draws like the first
}

IMyPlots::~IMyPlots() = default;

void IMyPlots::Bezier(const double* values, int L, int R, int T, int B, int n, MyPoint* out) {
  BezierAt(values, L, R, T, B, n, 1.0, out);
}

int IMyPlots::BezierAt(const double* values, int L, int R, int T, int B, int n, double scale, MyPoint* out) {
  const int columns = R - L;
  if (n < 3 || n > kMaxKnots || columns < 2 || columns > kColumns) return 0;
  if (!(scale >= 1.0 && scale <= double(kMaxDeviceColumns) / kColumns)) return 0;

  // knots: integer columns, heights from the level in dB, limited to +-1.2 of the half range
  double knotX[kMaxKnots], knotY[kMaxKnots];
  for (int i = 0; i < n; ++i) {
    knotX[i] = double((i * (columns - 1)) / (n - 1));
    double v = std::log10(values[i]) * 40.0 / 50.0 + 1.0;
    if (!(v >= -1.2)) v = -1.2;  // also a value of 0 or below
    if (v > 1.2) v = 1.2;
    knotY[i] = knot_height(v, T, B);
  }

  // control polygon: each interior knot gets a handle on either side
  PointD P[3 * kMaxKnots - 2];
  const double d = n == 120 ? 2.0 : double((columns / n) / 2);
  for (int i = 0; i < n; ++i) P[3 * i] = {knotX[i], knotY[i]};
  for (int i = 1; i <= n - 2; ++i) {
    const double yp = knotY[i - 1], y = knotY[i], yn = knotY[i + 1];
    P[3 * i - 1].x = knotX[i] - d;
    P[3 * i + 1].x = knotX[i] + d;
    if ((yp >= y && yn >= y) || (y >= yp && y >= yn)) {
      // an extremum or a flat step: horizontal tangent
      P[3 * i - 1].y = P[3 * i + 1].y = y;
    } else {
      const double D = std::fabs(y - yp) >= std::fabs(yn - y) ? yn - y : y - yp;
      P[3 * i - 1].y = y - 0.5 * D;
      P[3 * i + 1].y = y + 0.5 * D;
    }
  }
  P[1] = P[2];
  P[3 * n - 4] = P[3 * n - 5];

  // Device column c lies at editor column (c + left) / scale - L; at scale 1 both are the same.
  const int left = int(std::floor(L * scale + 0.5));
  auto device_column = [&](double x) { return (L + x) * scale - left; };

  // rasterise each segment column by column, solving the cubic x(t) = column with Cardano
  for (int i = 0; i + 1 < n; ++i) {
    const double x0 = P[3 * i].x, y0 = P[3 * i].y;
    const double x1 = P[3 * i + 1].x, y1 = P[3 * i + 1].y;
    const double x2 = P[3 * i + 2].x, y2 = P[3 * i + 2].y;
    const double x3 = P[3 * i + 3].x, y3 = P[3 * i + 3].y;
    out[int(device_column(x0))].y = trunc_row(y0 * scale);
    const double a = x3 - 3.0 * x2 + 3.0 * x1 - x0;
    const double b = 3.0 * x0 - 6.0 * x1 + 3.0 * x2;
    const double c = 3.0 * x1 - 3.0 * x0;
    const double end = device_column(x3);
    for (int col = int(device_column(x0) + 1.0); col < end; ++col) {
      const double x = scale == 1.0 ? double(col) : (col + left) / scale - L;
      const double p = (3.0 * a * c - b * b) / (3.0 * a * a);
      const double q = (2.0 * b * b * b - 9.0 * a * b * c + 27.0 * a * a * (x0 - x)) / (27.0 * a * a * a);
      const double s = std::sqrt(q * q / 4.0 + p * p * p / 27.0);
      const double t = std::pow(s - q / 2.0, 1.0 / 3.0) - std::pow(q / 2.0 + s, 1.0 / 3.0) - b / (3.0 * a);
      const double u = 1.0 - t;
      const double y = u * u * u * y0 + 3.0 * t * u * u * y1 + 3.0 * t * t * u * y2 + t * t * t * y3;
      out[col].y = trunc_row(y * scale);
    }
  }
  // The last knot's own device column, so the curve reaches the plot's last column at any scale.
  const int last = int(device_column(knotX[n - 1]) + 0.5);
  out[last].y = trunc_row(knotY[n - 1] * scale);

  const int written = last + 1;
  for (int k = 0; k < written; ++k) out[k].x = left + k;
  clip_rows(out, written, int(std::floor(T * scale + 0.5)), int(std::floor(B * scale + 0.5)));
  return written;
}

int IMyPlots::CursorColumn(double notePos) {
  return int(notePos * (kPlotRight - kPlotLeft - 1) + kPlotLeft);
}

// While the button is held the correction follows the pen through quick designs that supersede
// each other; the release alone makes an undo step and the final design.
void IMyPlots::OnMouseDown(int x, int y, IMouseMod* mod) {
  drawing = 1;
  effect->stroke(x, y, mod && mod->L ? 1 : mod && mod->R ? 0 : -1);
  SetDirty(false);
}

void IMyPlots::OnMouseDrag(int x, int y, int, int, IMouseMod* mod) {
  if (drawing != 1 || x < kPlotLeft || x > kPlotRight || y < kPlotTop || y > kPlotBottom) return;
  effect->stroke(x, y, mod && mod->L ? 2 : mod && mod->R ? 0 : -1);
  SetDirty(false);
}

// Every release of a stroke ends it: one undo step and one design. A release without a press on
// the plot (the end of a double-click elsewhere) is no stroke.
void IMyPlots::OnMouseUp(int, int, IMouseMod*) {
  if (drawing != 1) return;
  drawing = 0;
  effect->stroke_end();
}

bool IMyPlots::Draw(IGraphics* graphics) {
  RasterBitmap* canvas = graphics->GetDrawBitmap();
  if (!canvas) return false;
  // Everything below is in device pixels: the curves are computed at the screen's density.
  const double scale = graphics->GetScale();
  const IRECT area = graphics->ToDevice(graphics->GetDrawRECT());
  const RasterRect clip{area.L, area.T, area.R, area.B};
  auto line = [&](unsigned colour, int xa, int ya, int xb, int yb) {
    RasterLine(*canvas, float(xa), float(ya), float(xb), float(yb), colour, RasterBlendMode::kCopy, 1.0f,
               true, clip);
  };

  // Never the live curves: a host load, the slider's automation or the design may be changing them.
  effect->snapshot(&curves);
  const int n =
      BezierAt(curves.target, kPlotLeft, kPlotRight, kPlotTop, kPlotBottom, kPlotBands, scale, target_points);
  BezierAt(curves.measured, kPlotLeft, kPlotRight, kPlotTop, kPlotBottom, kPlotBands, scale, measured_points);
  BezierAt(curves.corrected, kPlotLeft, kPlotRight, kPlotTop, kPlotBottom, kPlotBands, scale,
           corrected_points);

  const int top = graphics->ToDevice(kPlotTop), right = graphics->ToDevice(kPlotRight);
  const int xc = CursorColumn(curves.note_pos);
  for (int x = graphics->ToDevice(xc); x < graphics->ToDevice(xc + 1); ++x)
    line(kCursorColour, x, top, x, graphics->ToDevice(kPlotBottom) - 1);

  // A curve w device pixels wide: the segment, plus copies moved up and right by 1 .. w - 1 pixels
  // that stay inside the plot (raised ones keep margin pixels below the top line).
  const int segments = n - 1;
  auto stroke = [&](const MyPoint* pts, unsigned colour, int w, int margin) {
    for (int k = 0; k < segments; ++k) {
      const MyPoint& a = pts[k];
      const MyPoint& b = pts[k + 1];
      if (a.y == -1 || b.y == -1) continue;
      line(colour, a.x, a.y, b.x, b.y);
      for (int j = 1; j < w; ++j) {
        if (a.y - j >= top + margin && b.y - j >= top + margin) line(colour, a.x, a.y - j, b.x, b.y - j);
        if (b.x + j <= right - 1) line(colour, a.x + j, a.y, b.x + j, b.y);
      }
    }
  };
  const int thin = std::max(1, int(std::lround(scale))), thick = std::max(2, int(std::lround(2.0 * scale)));
  stroke(target_points, kTargetColour, thin, 0);
  stroke(measured_points, kMeasuredColour, thick, 0);
  stroke(corrected_points, kCorrectedColour, thick, thin);
  return true;
}
