// The glyph-independent half of RasterFont: measuring and drawing text from the glyphs a font
// back-end supplies (FreeType; GDI on Windows).

#include "raster/RasterFont.h"

#include <algorithm>

namespace {
// Next code point of a UTF-8 string; a byte that starts no valid sequence stands for itself.
uint32_t NextCodepoint(const unsigned char*& p) {
  const unsigned char c = *p++;
  int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
  if (c >= 0xF8) extra = 0;
  uint32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : extra == 1 ? c & 0x1F : c;
  for (int i = 0; i < extra; ++i) {
    if ((p[i] & 0xC0) != 0x80) return c;
  }
  for (int i = 0; i < extra; ++i) cp = (cp << 6) | (*p++ & 0x3F);
  return cp;
}
}  // namespace

int RasterFont::MeasureWidth(const char* text) {
  if (!text) return 0;
  std::lock_guard<std::mutex> lock(mMutex);
  int width = 0;
  for (auto p = reinterpret_cast<const unsigned char*>(text); *p;)
    width += GetGlyph(NextCodepoint(p)).advance;
  return width;
}

int RasterFont::PlaceX(const RasterRect& rect, int width, EAlign align) {
  switch (align) {
    case kAlignCenter:
      return (rect.l + rect.r) / 2 - width / 2;
    case kAlignRight:
      return rect.r - width;
    default:
      return rect.l;
  }
}

void RasterFont::Draw(RasterBitmap& dst, const char* text, const RasterRect& rect, EAlign align,
                      uint32_t argb, const RasterRect& clip) {
  if (!text || !*text) return;
  const RasterRect area = dst.Bounds().Intersect(clip);
  if (area.Empty()) return;
  const int width = MeasureWidth(text);
  std::lock_guard<std::mutex> lock(mMutex);
  const float alpha = float((argb >> 24) & 0xFF) / 255.0f;
  const uint32_t opaque = argb | 0xFF000000u;
  int penX = PlaceX(rect, width, align);
  const int baseline = rect.t + mAscent;
  for (auto p = reinterpret_cast<const unsigned char*>(text); *p;) {
    const Glyph& g = GetGlyph(NextCodepoint(p));
    const int gx = penX + g.left, gy = baseline - g.top;
    const RasterRect box = RasterRect{gx, gy, gx + g.width, gy + g.height}.Intersect(area);
    for (int y = box.t; y < box.b; ++y) {
      uint32_t* out = dst.Row(y);
      const uint8_t* cov = g.coverage.data() + size_t(y - gy) * size_t(g.width);
      for (int x = box.l; x < box.r; ++x) {
        const uint8_t c = cov[x - gx];
        if (c == 0) continue;
        out[x] = c == 255 && alpha >= 1.0f
                     ? opaque
                     : RasterBlendPixel(out[x], opaque, RasterBlendMode::kCopyAlpha, alpha * (c / 255.0f));
      }
    }
    penX += g.advance;
  }
}
