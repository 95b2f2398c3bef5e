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
