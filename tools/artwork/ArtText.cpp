#include "tools/artwork/ArtText.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

struct ArtText::Impl {
  FT_Library library = nullptr;
  FT_Face regular = nullptr;
  FT_Face bold = nullptr;

  FT_Face face(const ArtFont& font) {
    FT_Face f = font.bold ? bold : regular;
    FT_Set_Pixel_Sizes(f, 0, FT_UInt(font.size));
    return f;
  }
};

ArtText::ArtText(std::string fontDir) : mImpl(new Impl) {
  if (FT_Init_FreeType(&mImpl->library)) return;
  FT_New_Face(mImpl->library, (fontDir + "/DejaVuSans.ttf").c_str(), 0, &mImpl->regular);
  FT_New_Face(mImpl->library, (fontDir + "/DejaVuSans-Bold.ttf").c_str(), 0, &mImpl->bold);
}

ArtText::~ArtText() {
  if (mImpl->regular) FT_Done_Face(mImpl->regular);
  if (mImpl->bold) FT_Done_Face(mImpl->bold);
  if (mImpl->library) FT_Done_FreeType(mImpl->library);
  delete mImpl;
}

bool ArtText::ok() const {
  return mImpl->regular && mImpl->bold;
}

namespace {

// Walks the UTF-8 text, calling visit(glyph slot, pen x) for each character.
template <typename Visit>
int layout(FT_Face face, const std::string& text, int spacing, Visit visit) {
  int pen = 0;
  FT_UInt previous = 0;
  for (size_t i = 0; i < text.size();) {
    unsigned c = static_cast<unsigned char>(text[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    unsigned code = extra ? (c & (0x3F >> extra)) : c;
    for (int k = 1; k <= extra && i + k < text.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += size_t(extra) + 1;
    const FT_UInt glyph = FT_Get_Char_Index(face, code);
    if (previous && glyph && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern);
      pen += int(kern.x >> 6);
    }
    if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT)) continue;
    visit(face->glyph, pen);
    pen += int(face->glyph->advance.x >> 6) + spacing;
    previous = glyph;
  }
  return text.empty() ? 0 : pen - spacing;
}

}  // namespace

int ArtText::width(const ArtFont& font, const std::string& text) {
  if (!ok()) return 0;
  return layout(mImpl->face(font), text, 0, [](FT_GlyphSlot, int) {});
}

void ArtText::draw(ArtCanvas& canvas, const ArtFont& font, const std::string& text, int left, int top,
                   int right, int bottom, ArtColor colour, ArtAlign align) {
  draw_spaced(canvas, font, text, left, top, right, bottom, colour, align, 0);
}

void ArtText::draw_spaced(ArtCanvas& canvas, const ArtFont& font, const std::string& text, int left, int top,
                          int right, int bottom, ArtColor colour, ArtAlign align, int spacing) {
  if (!ok()) return;
  FT_Face face = mImpl->face(font);
  const int w = layout(face, text, spacing, [](FT_GlyphSlot, int) {});
  int x = left;
  if (align == ArtAlign::Centre) x = left + (right - left - w) / 2;
  if (align == ArtAlign::Right) x = right - w;
  // Centre the capital letters: cap height is about 0.73 of the pixel size in DejaVu Sans.
  const int capHeight = int(std::lround(font.size * 0.73));
  const int baseline = top + (bottom - top + capHeight) / 2;
  layout(face, text, spacing, [&](FT_GlyphSlot slot, int pen) {
    const FT_Bitmap& bm = slot->bitmap;
    for (unsigned row = 0; row < bm.rows; ++row)
      for (unsigned col = 0; col < bm.width; ++col) {
        const int v = bm.buffer[row * unsigned(bm.pitch) + col];
        if (v)
          canvas.blend(x + pen + slot->bitmap_left + int(col), baseline - slot->bitmap_top + int(row), colour,
                       v / 255.0);
      }
  });
}
