// The two small bitmaps: the Mode radio button (off above, on below) and the fader handle.

#include "tools/artwork/ArtTheme.h"

using namespace layout;
using namespace theme;

ArtCanvas paint_radio(int density) {
  ArtCanvas c(kRadio.width, kRadio.height, art_rgb(0x000000, 0), density);
  const int frame = kRadio.height / kRadio.frames;
  for (int f = 0; f < kRadio.frames; ++f) {
    const double cx = kRadio.width * 0.5, cy = f * frame + frame * 0.5;
    c.fill_circle(cx, cy + 0.5, 7.5, art_rgb(0x5a6870, 90), art_rgb(0x5a6870, 90));
    c.fill_circle(cx, cy, 7.0, art_rgb(0x0b0d0f), art_rgb(0x0b0d0f));
    c.fill_circle(cx, cy, 6.0, art_rgb(0x12161a), art_rgb(0x232a2f));
    if (f == 1) {
      c.fill_circle(cx, cy, 4.5, art_rgb(0x00e0ea, 90), art_rgb(0x00e0ea, 90));
      c.fill_circle(cx, cy, 3.5, art_rgb(0x7ff6fb), art_rgb(0x00b0ba));
    }
  }
  return c;
}

ArtCanvas paint_fader(int density) {
  ArtCanvas c(kFader.width, kFader.height, art_rgb(0x000000, 0), density);
  const double mid = kFader.width * 0.5;
  c.fill_circle(mid, mid, 6.0, art_rgb(0x050607), art_rgb(0x050607));
  c.fill_circle(mid, mid, 5.2, art_rgb(0xf2f5f6), art_rgb(0x8a969c));
  c.fill_circle(mid, mid, 2.0, kAccent, kAccentDark);
  return c;
}
