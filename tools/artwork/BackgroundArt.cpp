// The window background: frame, plot grid and scales, fader tracks, meter well, captions and button
// faces. Everything sits where the editor's controls and the plot mapping put it.

#include <cmath>
#include <cstdio>
#include <string>

#include "tools/artwork/ArtTheme.h"

using namespace layout;
using namespace theme;

namespace {

// Bands of the C notes C1 .. C10 (band 0 is E0, four semitones above C0).
constexpr int kFirstC = 8;
constexpr int kOctaves = 10;

double band_frequency(int band) {
  return 440.0 * std::pow(2.0, (band - 53) / 12.0);
}

std::string hertz_label(double f) {
  char text[16];
  if (f < 1000.0)
    std::snprintf(text, sizeof text, "%.0f", f);
  else if (f < 10000.0)
    std::snprintf(text, sizeof text, "%.1fk", f / 1000.0);
  else
    std::snprintf(text, sizeof text, "%.0fk", f / 1000.0);
  return text;
}

void paint_frame(ArtCanvas& c) {
  c.fill_gradient(0, 0, kWindowWidth, kWindowHeight, kWindowTop, kWindowBottom);
  // left bay: plot, scales and sliders; right bay: the controls
  c.fill_round_rect(4, 3, 530, 427, 6, art_rgb(0x0e1113), art_rgb(0x0e1113));
  c.fill_round_rect(5, 4, 529, 426, 5, art_rgb(0x1d2226), art_rgb(0x171b1e));
  c.fill_round_rect(535, 3, 726, 427, 6, art_rgb(0x0e1113), art_rgb(0x0e1113));
  c.fill_round_rect(536, 4, 725, 426, 5, kPanelTop, kPanelBottom);
  c.hline(541, 720, 5, art_rgb(0x4a565e, 150));
}

void paint_plot(ArtCanvas& c, ArtText& text) {
  // a bezel one pixel outside the plot, then the black plot itself
  c.fill_rect(kPlotLeft - 2, kPlotTop - 2, kPlotRight + 2, kPlotBottom + 2, art_rgb(0x070809));
  c.fill_rect(kPlotLeft - 1, kPlotTop - 1, kPlotRight + 1, kPlotBottom + 1, kInsetEdge);
  c.fill_rect(kPlotLeft, kPlotTop, kPlotRight, kPlotBottom, art_rgb(0x000000));

  // half octaves (the F# bands) faint, octaves (the C bands) stronger
  for (int k = 0; k < kOctaves; ++k) {
    const int fs = kFirstC + 12 * k - 6;
    if (fs >= 0) c.vline(band_column(fs), kPlotTop, kPlotBottom, kGridMinor);
    c.vline(band_column(kFirstC + 12 * k), kPlotTop, kPlotBottom, kGridMajor);
  }
  const int lastFs = kFirstC + 12 * (kOctaves - 1) + 6;
  if (lastFs < kPlotBands) c.vline(band_column(lastFs), kPlotTop, kPlotBottom, kGridMinor);

  // level lines every 5 dB; the line of the scale's 0 dB is where fresh curves lie
  for (double db = 0.0; db >= -kPlotRangeDb; db -= kScaleStepDb) {
    const int row = int(level_row(db));
    if (row < kPlotTop || row >= kPlotBottom) continue;
    const bool zero = db == kScaleZeroDb;
    c.hline(kPlotLeft, kPlotRight, row, zero ? kGridZero : kGridMajor);
  }

  // level scale, left of the plot
  for (double db = 0.0; db >= -kPlotRangeDb; db -= kScaleStepDb) {
    const int label = int(std::lround(db - kScaleZeroDb));
    char s[16];
    std::snprintf(s, sizeof s, label > 0 ? "+%d" : "%d", label);
    const int row = int(level_row(db));
    text.draw(c, {9, label == 0}, s, 8, row - 5, kPlotLeft - 5, row + 5, label == 0 ? kText : kTextMuted,
              ArtAlign::Right);
    c.hline(kPlotLeft - 4, kPlotLeft - 1, row, kInsetEdge);
  }

  // frequency scale, under the plot: note names of the octaves and their frequencies
  for (int k = 0; k < kOctaves; ++k) {
    const int band = kFirstC + 12 * k;
    const int x = band_column(band);
    c.vline(x, kPlotBottom + 1, kPlotBottom + 4, kInsetEdge);
    text.draw(c, {9, true}, "C" + std::to_string(k + 1), x - 20, kPlotBottom + 4, x + 21, kPlotBottom + 13,
              kText, ArtAlign::Centre);
    text.draw(c, {8}, hertz_label(band_frequency(band)), x - 20, kPlotBottom + 13, x + 21, kPlotBottom + 22,
              kTextMuted, ArtAlign::Centre);
  }
  text.draw(c, {8}, "dB", 9, kPlotTop - 3, kPlotLeft - 5, kPlotTop + 7, kTextMuted, ArtAlign::Left);
  text.draw(c, {8}, "note", 9, kPlotBottom + 4, kPlotLeft - 5, kPlotBottom + 13, kTextMuted, ArtAlign::Left);
  text.draw(c, {8}, "Hz", 9, kPlotBottom + 13, kPlotLeft - 5, kPlotBottom + 22, kTextMuted, ArtAlign::Left);
}

void paint_fader_tracks(ArtCanvas& c, ArtText& text) {
  const Track& v = kVerticalSlider;
  groove(c, v.x + kFaderBarOffset - 1, v.y, v.x + kFaderBarEnd + 1, v.y + v.len, 2);
  // level ticks beside the vertical slider: 0 dB at the top, -45 dB at the bottom, every 15 dB
  for (int i = 0; i <= 3; ++i) {
    const int y = v.y + kFader.height / 2 + i * (v.len - kFader.height) / 3;
    c.hline(v.x + kFader.width + 1, v.x + kFader.width + 5, y, kInsetEdge);
  }

  const Track& n = kNoteSlider;
  groove(c, n.x, n.y + kFaderBarOffset - 1, n.x + n.len, n.y + kFaderBarEnd + 1, 2);
  text.draw(c, {8}, "note", n.x + n.len + 6, n.y, 528, n.y + kFader.height, kTextMuted, ArtAlign::Left);

  const Track& b = kVolumeSlider;
  groove(c, b.x, b.y + kFaderBarOffset - 1, b.x + b.len, b.y + kFaderBarEnd + 1, 2);
  // centre mark: 0.0 dB
  c.vline(b.x + b.len / 2, b.y + kFaderBarEnd + 2, b.y + kFaderBarEnd + 5, kInsetEdge);
  c.fill_round_rect(kVolumeReadout.left - 1, kVolumeReadout.top - 3, kVolumeReadout.right + 4,
                    kVolumeReadout.bottom + 3, 3, kInset, art_rgb(0x121518));
}

void separator(ArtCanvas& c, int y) {
  c.hline(545, 707, y, art_rgb(0x111416));
  c.hline(545, 707, y + 1, art_rgb(0x3d474e));
}

void paint_controls(ArtCanvas& c, ArtText& text) {
  // title
  text.draw_spaced(c, {9, true}, "KORVANE", 545, 12, 707, 22, kAccent, ArtAlign::Centre, 3);
  text.draw(c, {24, true}, "Resonix", 545, 24, 707, 54, kText, ArtAlign::Centre);

  button(c, text, kHelpButton, "Help");
  button(c, text, kAboutButton, "About");
  button(c, text, kStartButton, "Start measurement", ButtonStyle::Accent);

  // mode: the radio buttons sit at the top and bottom of their rectangle
  const int frame = kRadio.height / kRadio.frames;
  text.draw(c, {11, true}, "Resonix", kModeRadios.right + 7, kModeRadios.top, 707, kModeRadios.top + frame,
            kText, ArtAlign::Left);
  text.draw(c, {11, true}, "Bypass", kModeRadios.right + 7, kModeRadios.bottom - frame, 707,
            kModeRadios.bottom, kText, ArtAlign::Left);
  text.draw(c, {8}, "EQ on", 650, kModeRadios.top, 707, kModeRadios.top + frame, kTextMuted, ArtAlign::Right);
  text.draw(c, {8}, "dry", 650, kModeRadios.bottom - frame, 707, kModeRadios.bottom, kTextMuted,
            ArtAlign::Right);
  separator(c, 167);

  text.draw(c, {10, true}, "Bypass volume", 545, 175, 707, 187, kTextMuted, ArtAlign::Left);
  separator(c, 214);

  text.draw(c, {10, true}, "Mic signal", 545, 223, 707, 235, kTextMuted, ArtAlign::Left);
  text.draw(c, {8}, "input level", 600, 223, 707, 235, art_rgb(0x6b787e), ArtAlign::Right);
  c.fill_round_rect(kMeter.left - 2, kMeter.top - 2, kMeter.right + 2, kMeter.bottom + 2, 3,
                    art_rgb(0x070809), art_rgb(0x070809));
  c.fill_gradient(kMeter.left, kMeter.top, kMeter.right, kMeter.bottom, art_rgb(0x0a1a0d), art_rgb(0x06100a));
  for (int x = kMeter.left + 8; x < kMeter.right; x += 8)
    c.vline(x, kMeter.top, kMeter.bottom, art_rgb(0x000000, 120));
  separator(c, 262);

  button(c, text, kUndoButton, "");
  button(c, text, kRedoButton, "");
  const double undoMid = (kUndoButton.top + kUndoButton.bottom) * 0.5;
  theme::arrow(c, kUndoButton.left + 22, undoMid, true, kText);
  text.draw(c, {10, true}, "Undo", kUndoButton.left + 28, kUndoButton.top, kUndoButton.right - 4,
            kUndoButton.bottom, kText, ArtAlign::Centre);
  theme::arrow(c, kRedoButton.right - 22, undoMid, false, kText);
  text.draw(c, {10, true}, "Redo", kRedoButton.left + 4, kRedoButton.top, kRedoButton.right - 28,
            kRedoButton.bottom, kText, ArtAlign::Centre);

  button(c, text, kSaveButton, "Save preset");
  button(c, text, kLoadButton, "Load preset");
  button(c, text, kLoadTargetButton, "Load target curve");
  button(c, text, kResetTargetButton, "Reset target curve");
  button(c, text, kResetAllButton, "Reset all curves");
}

}  // namespace

ArtCanvas paint_background(ArtText& text, int density) {
  ArtCanvas c(kBackground.width, kBackground.height, art_rgb(0x000000), density);
  paint_frame(c);
  paint_plot(c, text);
  paint_fader_tracks(c, text);
  paint_controls(c, text);
  return c;
}
