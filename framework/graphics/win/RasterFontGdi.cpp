// RasterFont's glyphs from GDI: the face is chosen by name ("Verdana", "Tahoma"), and each glyph's
// coverage comes from GetGlyphOutlineW, so the shared layout code draws it like any other font.

#include <windows.h>

#include <algorithm>

#include "raster/RasterFont.h"

struct RasterFont::Face {
  HDC dc = nullptr;
  HFONT font = nullptr;
  HGDIOBJ previous = nullptr;
  ~Face() {
    if (dc && previous) SelectObject(dc, previous);
    if (font) DeleteObject(font);
    if (dc) DeleteDC(dc);
  }
};

RasterFont::~RasterFont() = default;

std::unique_ptr<RasterFont> RasterFont::Create(const Spec& spec) {
  if (spec.height < 1 || spec.height > 1000) return nullptr;
  const std::string name = spec.file.empty() ? std::string("Verdana") : spec.file;
  auto face = std::make_unique<Face>();
  face->dc = CreateCompatibleDC(nullptr);
  if (!face->dc) return nullptr;
  // A negative height asks for the em size in pixels, as FreeType's pixel size does.
  face->font = CreateFontA(-spec.height, 0, 0, 0, spec.bold ? FW_BOLD : FW_NORMAL, spec.italic ? TRUE : FALSE,
                           FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                           spec.antiAlias ? ANTIALIASED_QUALITY : NONANTIALIASED_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, name.substr(0, LF_FACESIZE - 1).c_str());
  if (!face->font) return nullptr;
  face->previous = SelectObject(face->dc, face->font);
  TEXTMETRICA metrics = {};
  if (!GetTextMetricsA(face->dc, &metrics)) return nullptr;

  std::unique_ptr<RasterFont> font(new RasterFont);
  font->mFace = std::move(face);
  font->mAntiAlias = spec.antiAlias;
  font->mAscent = int(metrics.tmAscent);
  font->mLineHeight = int(metrics.tmAscent + metrics.tmDescent);
  return font;
}

const RasterFont::Glyph& RasterFont::GetGlyph(uint32_t codepoint) {
  auto it = mGlyphs.find(codepoint);
  if (it != mGlyphs.end()) return it->second;
  Glyph& glyph = mGlyphs[codepoint];
  // GDI glyph indices are 16-bit code units: characters beyond them draw nothing.
  if (codepoint > 0xFFFF) return glyph;

  const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  const UINT format = mAntiAlias ? GGO_GRAY8_BITMAP : GGO_BITMAP;
  GLYPHMETRICS gm = {};
  const DWORD size = GetGlyphOutlineW(mFace->dc, UINT(codepoint), format, &gm, 0, nullptr, &identity);
  if (size == GDI_ERROR) return glyph;
  glyph.advance = gm.gmCellIncX;
  glyph.left = gm.gmptGlyphOrigin.x;
  glyph.top = gm.gmptGlyphOrigin.y;
  // Blank glyphs (space) have a nominal 1 x 1 box but no bitmap.
  if (size == 0) return glyph;
  std::vector<uint8_t> bits(size);
  if (GetGlyphOutlineW(mFace->dc, UINT(codepoint), format, &gm, size, bits.data(), &identity) == GDI_ERROR)
    return glyph;
  glyph.width = int(gm.gmBlackBoxX);
  glyph.height = int(gm.gmBlackBoxY);
  // Rows are padded to 32 bits; gray levels run 0..64, monochrome rows hold one bit per pixel.
  const size_t pitch =
      mAntiAlias ? (size_t(glyph.width) + 3) & ~size_t(3) : ((size_t(glyph.width) + 31) / 32) * 4;
  if (pitch * size_t(glyph.height) > bits.size()) {
    glyph.width = glyph.height = 0;
    return glyph;
  }
  glyph.coverage.assign(size_t(glyph.width) * size_t(glyph.height), 0);
  for (int y = 0; y < glyph.height; ++y) {
    const uint8_t* row = bits.data() + size_t(y) * pitch;
    for (int x = 0; x < glyph.width; ++x) {
      const uint8_t c = mAntiAlias ? uint8_t(std::min(255, row[x] * 255 / 64))
                                   : ((row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0);
      glyph.coverage[size_t(y) * size_t(glyph.width) + size_t(x)] = c;
    }
  }
  return glyph;
}
