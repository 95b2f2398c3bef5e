#include "tools/artwork/ArtTheme.h"

namespace theme {

void button(ArtCanvas& canvas, ArtText& text, const layout::Rect& r, const std::string& caption,
            ButtonStyle style) {
  const bool accent = style == ButtonStyle::Accent;
  const ArtColor top = accent ? art_rgb(0x12c4ce) : art_rgb(0x414b52);
  const ArtColor bottom = accent ? art_rgb(0x008990) : art_rgb(0x2c3338);
  const ArtColor edge = accent ? art_rgb(0x006a70) : art_rgb(0x13171a);
  // drop shadow, body, rim light along the top
  canvas.fill_round_rect(r.left, r.top + 1, r.right, r.bottom + 1, 4, art_rgb(0x000000, 110),
                         art_rgb(0x000000, 110));
  canvas.fill_round_rect(r.left, r.top, r.right, r.bottom, 4, edge, edge);
  canvas.fill_round_rect(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, 3, top, bottom);
  canvas.hline(r.left + 3, r.right - 3, r.top + 1, accent ? art_rgb(0x7ff0f6, 160) : art_rgb(0x6b777e, 160));
  if (caption.empty()) return;
  // the largest size up to 11 pixels that leaves a margin on both sides
  ArtFont font{11, true};
  while (font.size > 8 && text.width(font, caption) > r.width() - 10) --font.size;
  text.draw(canvas, font, caption, r.left, r.top, r.right, r.bottom, accent ? art_rgb(0xffffff) : kText,
            ArtAlign::Centre);
}

void groove(ArtCanvas& canvas, double x0, double y0, double x1, double y1, double radius) {
  canvas.fill_round_rect(x0, y0, x1, y1 + 1, radius, art_rgb(0x50606a, 120), art_rgb(0x50606a, 120));
  canvas.fill_round_rect(x0, y0, x1, y1, radius, kInset, art_rgb(0x15191c));
}

void arrow(ArtCanvas& canvas, double cx, double cy, bool left, ArtColor c) {
  const double dir = left ? -1.0 : 1.0;
  canvas.fill_triangle(cx + dir * 9, cy, cx + dir * 1, cy - 6, cx + dir * 1, cy + 6, c);
  canvas.fill_rect(int(left ? cx + 1 : cx - 8), int(cy) - 1, int(left ? cx + 8 : cx - 1), int(cy) + 2, c);
}

}  // namespace theme
