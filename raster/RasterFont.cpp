#include "raster/RasterFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace {
// One library for the process; FreeType wants face creation and release serialised on it. Left alive
// at exit so that fonts in static caches may still release their faces.
struct Library {
  FT_Library lib = nullptr;
  std::mutex mutex;
};
Library& TheLibrary() {
  static Library* library = [] {
    auto* l = new Library;
    if (FT_Init_FreeType(&l->lib) != 0) l->lib = nullptr;
    return l;
  }();
  return *library;
}

// 0.2 of the height to the right per unit up: the slant of an oblique face.
constexpr FT_Fixed kSlant = 0x3333;
}  // namespace

struct RasterFont::Face {
  FT_Face face = nullptr;
  ~Face() {
    if (face) {
      std::lock_guard<std::mutex> lock(TheLibrary().mutex);
      FT_Done_Face(face);
    }
  }
};

RasterFont::~RasterFont() = default;

std::unique_ptr<RasterFont> RasterFont::Create(const Spec& spec) {
  Library& library = TheLibrary();
  if (!library.lib || spec.file.empty() || spec.height < 1 || spec.height > 1000) return nullptr;
  auto face = std::make_unique<Face>();
  {
    std::lock_guard<std::mutex> lock(library.mutex);
    if (FT_New_Face(library.lib, spec.file.c_str(), 0, &face->face) != 0) {
      face->face = nullptr;
      return nullptr;
    }
  }
  FT_Face f = face->face;
  if (!FT_IS_SCALABLE(f) || FT_Set_Pixel_Sizes(f, 0, FT_UInt(spec.height)) != 0) return nullptr;
  if (spec.italic && !(f->style_flags & FT_STYLE_FLAG_ITALIC)) {
    FT_Matrix slant{0x10000, kSlant, 0, 0x10000};
    FT_Set_Transform(f, &slant, nullptr);
  }
  std::unique_ptr<RasterFont> font(new RasterFont);
  font->mFace = std::move(face);
  font->mAntiAlias = spec.antiAlias;
  // From the design metrics, rounded once: a line of the em size times (ascender - descender).
  const double scale = double(spec.height) / f->units_per_EM;
  font->mAscent = int(f->ascender * scale + 0.5);
  font->mLineHeight = int((f->ascender - f->descender) * scale + 0.5);
  return font;
}

const RasterFont::Glyph& RasterFont::GetGlyph(uint32_t codepoint) {
  auto it = mGlyphs.find(codepoint);
  if (it != mGlyphs.end()) return it->second;
  Glyph& glyph = mGlyphs[codepoint];
  FT_Face f = mFace->face;
  const FT_Int32 flags = FT_LOAD_RENDER | (mAntiAlias ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
  if (FT_Load_Char(f, codepoint, flags) != 0)
    return glyph;  // an empty glyph: draws nothing, advances nothing
  const FT_GlyphSlot slot = f->glyph;
  const FT_Bitmap& bm = slot->bitmap;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.advance = int((slot->advance.x + 32) >> 6);
  glyph.width = int(bm.width);
  glyph.height = int(bm.rows);
  glyph.coverage.assign(size_t(glyph.width) * size_t(glyph.height), 0);
  for (int y = 0; y < glyph.height; ++y) {
    const unsigned char* row = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
    for (int x = 0; x < glyph.width; ++x) {
      uint8_t c = 0;
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
        c = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
      else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
        c = row[x];
      glyph.coverage[size_t(y) * size_t(glyph.width) + size_t(x)] = c;
    }
  }
  return glyph;
}
