#pragma once
// The colours and the button face shared by every picture of the editor.

#include <string>

#include "editor/EditorLayout.h"
#include "tools/artwork/ArtCanvas.h"
#include "tools/artwork/ArtText.h"

namespace theme {

constexpr ArtColor kWindowTop = art_rgb(0x262c30);
constexpr ArtColor kWindowBottom = art_rgb(0x15191c);
constexpr ArtColor kPanelTop = art_rgb(0x2b3237);
constexpr ArtColor kPanelBottom = art_rgb(0x1e2327);
constexpr ArtColor kPanelEdge = art_rgb(0x3b464d);
constexpr ArtColor kInset = art_rgb(0x0c0e10);
constexpr ArtColor kInsetEdge = art_rgb(0x46525a);
constexpr ArtColor kAccent = art_rgb(0x00b8c2);
constexpr ArtColor kAccentDark = art_rgb(0x007f87);
constexpr ArtColor kText = art_rgb(0xe4ecee);
constexpr ArtColor kTextMuted = art_rgb(0x8d9ba2);
constexpr ArtColor kGridMinor = art_rgb(0x182125);
constexpr ArtColor kGridMajor = art_rgb(0x26363c);
constexpr ArtColor kGridZero = art_rgb(0x3a5860);

enum class ButtonStyle { Normal, Accent };

// A raised button face over r with its caption centred.
void button(ArtCanvas& canvas, ArtText& text, const layout::Rect& r, const std::string& caption,
            ButtonStyle style = ButtonStyle::Normal);

// A dark recessed groove, for fader tracks and the meter.
void groove(ArtCanvas& canvas, double x0, double y0, double x1, double y1, double radius);

// A left- or right-pointing arrow centred at (cx, cy).
void arrow(ArtCanvas& canvas, double cx, double cy, bool left, ArtColor c);

}  // namespace theme

// The five bitmaps of the editor, at a density of 1, 2 or 3 image pixels per editor pixel.
ArtCanvas paint_background(ArtText& text, int density);
ArtCanvas paint_radio(int density);
ArtCanvas paint_fader(int density);
ArtCanvas paint_about_panel(ArtText& text, int density);
ArtCanvas paint_knock_panel(ArtText& text, int density);
