#pragma once
// Geometry of the editor window: the plot mapping and the place of every control. The editor
// builds its controls from these, and the artwork generator paints the background, the grid and
// the captions from the same numbers, so pictures and controls cannot drift apart.

namespace layout {

struct Rect {
  int left, top, right, bottom;  // right and bottom exclusive
  constexpr int width() const { return right - left; }
  constexpr int height() const { return bottom - top; }
};

constexpr int kWindowWidth = 730;
constexpr int kWindowHeight = 431;

// ---- response plot ----
constexpr int kPlotLeft = 49;
constexpr int kPlotTop = 11;
constexpr int kPlotRight = 487;
constexpr int kPlotBottom = 380;
constexpr Rect kPlot{kPlotLeft, kPlotTop, kPlotRight, kPlotBottom};
constexpr int kPlotBands = 120;
// Span of the plot in dB: the top line is 0 dB of curve level, the bottom -50 dB.
constexpr double kPlotRangeDb = 50.0;

// Column of band i: band 0 at the left edge, band 119 at the last column.
constexpr int band_column(int band) {
  return kPlotLeft + band * (kPlotRight - kPlotLeft - 1) / (kPlotBands - 1);
}

// Height of a knot with normalised level v (0 dB -> 1, -50 dB -> -1) in a plot from top to bottom.
constexpr double knot_height(double v, int top, int bottom) {
  return v * ((bottom - top) - 1.5) * (-0.5) + (top + bottom) * 0.5 + 1.0;
}

// Row of a curve level in dB (0 dB at the top of the plot).
constexpr double level_row(double db) {
  return knot_height(db / (kPlotRangeDb * 0.5) + 1.0, kPlotTop, kPlotBottom);
}

// The level scale is labelled around the middle of the plot: the label "0 dB" stands at the
// curve level -25 dB, where fresh curves start.
constexpr double kScaleZeroDb = -25.0;
constexpr double kScaleStepDb = 5.0;

// ---- controls (window pixels) ----
constexpr Rect kCalibrationName{150, 21, 480, 29};
constexpr Rect kVolumeReadout{667, 191, 715, 204};
constexpr Rect kHelpButton{545, 63, 622, 84};
constexpr Rect kAboutButton{630, 63, 707, 84};
constexpr Rect kStartButton{545, 94, 707, 115};
constexpr Rect kUndoButton{545, 270, 622, 291};
constexpr Rect kRedoButton{630, 270, 707, 291};
constexpr Rect kSaveButton{545, 301, 622, 322};
constexpr Rect kLoadButton{630, 301, 707, 322};
constexpr Rect kLoadTargetButton{545, 332, 707, 353};
constexpr Rect kResetTargetButton{545, 363, 707, 384};
constexpr Rect kResetAllButton{545, 394, 707, 415};
constexpr Rect kNoteName{57, 18, 100, 60};
constexpr Rect kModeRadios{545, 127, 568, 160};
constexpr Rect kMeter{545, 241, 707, 254};
constexpr Rect kDummy{0, 0, 1, 1};
constexpr Rect kVersionText{275, 91, 476, 99};
constexpr Rect kKnockCountdown{57, 141, 479, 181};
constexpr Rect kAboutOkButton{189, 203, 262, 224};

// Faders: x, y and track length; the rectangle follows from the handle bitmap.
struct Track {
  int x, y, len;
};
constexpr Track kVerticalSlider{508, 8, 342};
constexpr Track kVolumeSlider{545, 192, 120};
constexpr Track kNoteSlider{45, 404, 447};

// Panels: top-left corners; their size is their bitmap's.
constexpr int kAboutX = 158, kAboutY = 60;
constexpr int kKnockX = 57, kKnockY = 100;

// ---- bitmaps ----
struct Bitmap {
  int id;
  const char* name;
  int frames;
  int width, height;  // of the whole image
};
constexpr Bitmap kBackground{101, "resources/img/background.png", 1, 730, 431};
constexpr Bitmap kRadio{103, "resources/img/radio1.png", 2, 23, 32};
constexpr Bitmap kFader{110, "resources/img/fader.png", 1, 12, 12};
constexpr Bitmap kAboutPanel{113, "resources/img/about_dialog.png", 1, 220, 187};
constexpr Bitmap kKnockPanel{115, "resources/img/knock.png", 1, 422, 121};

// The fill bar of a fader lies 5 to 7 pixels into the handle's width.
constexpr int kFaderBarOffset = 5;
constexpr int kFaderBarEnd = 7;

}  // namespace layout
