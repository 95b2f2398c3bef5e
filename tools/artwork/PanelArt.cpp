// The About panel and the knock panel shown over the plot. Their captions leave room for the text
// controls the editor draws on them (version and countdown) and the About panel's OK button.

#include "tools/artwork/ArtTheme.h"

using namespace layout;
using namespace theme;

namespace {

void panel_face(ArtCanvas& c, ArtColor edge) {
  const int w = c.width(), h = c.height();
  c.fill_round_rect(0, 0, w, h, 7, art_rgb(0x050607), art_rgb(0x050607));
  c.fill_round_rect(1, 1, w - 1, h - 1, 6, edge, art_mix(edge, art_rgb(0x000000), 0.5));
  c.fill_round_rect(2, 2, w - 2, h - 2, 5, art_rgb(0x2c343a), art_rgb(0x1a1f23));
  c.hline(7, w - 7, 3, art_rgb(0x5a666e, 120));
}

// A rectangle of window coordinates moved into the panel's own.
Rect local(const Rect& r, int x, int y) {
  return {r.left - x, r.top - y, r.right - x, r.bottom - y};
}

}  // namespace

ArtCanvas paint_about_panel(ArtText& text, int density) {
  ArtCanvas c(kAboutPanel.width, kAboutPanel.height / kAboutPanel.frames, art_rgb(0x000000, 0), density);
  panel_face(c, kAccentDark);
  const int w = c.width();
  text.draw_spaced(c, {8, true}, "KORVANE", 0, 9, w, 17, kAccent, ArtAlign::Centre, 2);
  // the version text control starts at the panel's left + 117; its caption ends just before
  const Rect version = local(kVersionText, kAboutX, kAboutY);
  text.draw(c, {16, true}, "Resonix", 14, version.top - 1, version.left - 6, version.top + 16, kText,
            ArtAlign::Right);
  c.hline(14, w - 14, 55, art_rgb(0x111416));
  c.hline(14, w - 14, 56, art_rgb(0x3d474e));
  const char* lines[] = {"Body resonance correction", "for acoustic and classical guitars",
                         "120 semitone bands, 64-bit, zero latency"};
  int y = 64;
  for (const char* line : lines) {
    text.draw(c, {9, y == 64}, line, 0, y, w, y + 12, y == 64 ? kText : kTextMuted, ArtAlign::Centre);
    y += 15;
  }
  text.draw(c, {8}, "\xC2\xA9 Korvane. All rights reserved.", 0, 117, w, 128, art_rgb(0x6b787e),
            ArtAlign::Centre);
  button(c, text, local(kAboutOkButton, kAboutX, kAboutY), "OK", ButtonStyle::Accent);
  return c;
}

ArtCanvas paint_knock_panel(ArtText& text, int density) {
  ArtCanvas c(kKnockPanel.width, kKnockPanel.height / kKnockPanel.frames, art_rgb(0x000000, 0), density);
  panel_face(c, kAccentDark);
  const int w = c.width();
  // a red "recording" lamp beside the caption
  const int capWidth = text.width({10, true}, "MEASURING") + 3 * 8;
  const int lampX = (w - capWidth) / 2 - 10;
  c.fill_circle(lampX, 17, 6, art_rgb(0xff3b30, 70), art_rgb(0xff3b30, 70));
  c.fill_circle(lampX, 17, 4, art_rgb(0xff6a5f), art_rgb(0xd0241a));
  text.draw_spaced(c, {10, true}, "MEASURING", lampX + 10, 11, w, 23, kText, ArtAlign::Left, 3);
  // the countdown control covers the middle band
  const Rect countdown = local(kKnockCountdown, kKnockX, kKnockY);
  c.fill_round_rect(10, countdown.top - 4, w - 10, countdown.bottom + 4, 5, art_rgb(0x0c0e10, 200),
                    art_rgb(0x121518, 200));
  text.draw(c, {11}, "Mute the strings and tap the bridge evenly with a pick.", 0, countdown.bottom + 9, w,
            countdown.bottom + 22, kTextMuted, ArtAlign::Centre);
  text.draw(c, {9}, "The output is silent while the plug-in records.", 0, countdown.bottom + 24, w,
            countdown.bottom + 35, art_rgb(0x6b787e), ArtAlign::Centre);
  return c;
}
