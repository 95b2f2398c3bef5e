#pragma once
// The response plot: the target (green), measured (grey) and corrected (white) curves over the
// 120-band grid, the note cursor, and the mouse strokes that draw the target.

#include "editor/EditorLink.h"
#include "framework/graphics/IControl.h"

class EditorLink;

struct MyPoint {
  int x;
  int y;  // -1: the point starts or ends no visible segment
};

class IMyPlots : public IControl {
 public:
  static constexpr int kColumns = 438;                    // plot width in pixels
  static constexpr int kMaxDeviceColumns = kColumns * 3;  // at the densest screen
  static constexpr int kMaxKnots = 120;
  static constexpr unsigned kTargetColour = 0xFF00FF00;
  static constexpr unsigned kMeasuredColour = 0xFFAAAAAA;
  static constexpr unsigned kCorrectedColour = 0xFFFFFFFF;
  static constexpr unsigned kCursorColour = 0xFFFFFFFF;

  explicit IMyPlots(EditorLink* link);
  ~IMyPlots() override;

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  // Turns n curve values (linear, 1.0 at the top) into R - L screen points: a smooth curve through
  // one knot per value, clipped to the lines T and B - 1. n is at most 120 and R - L at most 438;
  // outside that nothing is written.
  static void Bezier(const double* values, int L, int R, int T, int B, int n, MyPoint* out);
  // The same curve computed for a screen of scale device pixels per editor pixel: one point per
  // device column from round(L * scale) up to the last knot, in device pixels, clipped to the
  // device rows of T and B - 1. out holds kMaxDeviceColumns points; returns how many were written
  // (0 when the arguments are out of range). At scale 1 it is Bezier.
  static int BezierAt(const double* values, int L, int R, int T, int B, int n, double scale, MyPoint* out);

  // Column of the note cursor for a "Note indicator" value.
  static int CursorColumn(double notePos);

  EditorLink* effect;
  int drawing = 0;  // 1 between a mouse-down and the next mouse-up
  // In device pixels; the first kColumns at scale 1.
  MyPoint target_points[kMaxDeviceColumns];
  MyPoint measured_points[kMaxDeviceColumns];
  MyPoint corrected_points[kMaxDeviceColumns];
  // What the last Draw drew from; copied from the instance at every Draw.
  PlotSnapshot curves{};
};
