#pragma once
// A FreeType face (on Windows a GDI font) at one pixel size, with a glyph cache. Fonts are created
// through FontCache and live as long as the process.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "raster/RasterBlend.h"

class RasterFont {
 public:
  enum EAlign { kAlignLeft = 0, kAlignCenter = 1, kAlignRight = 2 };
  struct Spec {
    std::string file;     // the TrueType file (on Windows the GDI face name)
    int height = 12;      // pixel size of the em
    bool italic = false;  // slanted when the file is not an italic face
    bool bold = false;    // for GDI faces, which are chosen by name and weight
    bool antiAlias = true;
  };

  ~RasterFont();

  // Null when the file cannot be read as a font.
  static std::unique_ptr<RasterFont> Create(const Spec& spec);

  // Ascender to descender, whole pixels.
  int LineHeight() const { return mLineHeight; }
  int Ascent() const { return mAscent; }
  // Advance width of the text (UTF-8) in whole pixels.
  int MeasureWidth(const char* text);
  // Draws the text with the top of its line at rect.t, placed in rect by alignment, not clipped to
  // rect (only to clip). Colour alpha below 255 makes the text translucent.
  void Draw(RasterBitmap& dst, const char* text, const RasterRect& rect, EAlign align, uint32_t argb,
            const RasterRect& clip);

 private:
  struct Glyph {
    int left = 0, top = 0, width = 0, height = 0, advance = 0;
    std::vector<uint8_t> coverage;  // width x height, 0..255
  };

  RasterFont() = default;
  const Glyph& GetGlyph(uint32_t codepoint);
  // Left edge of the text for an alignment inside rect.
  static int PlaceX(const RasterRect& rect, int width, EAlign align);

  struct Face;
  std::unique_ptr<Face> mFace;
  bool mAntiAlias = true;
  int mLineHeight = 0;
  int mAscent = 0;
  std::map<uint32_t, Glyph> mGlyphs;
  std::mutex mMutex;  // FreeType faces are not thread-safe
};
