#include "tools/artwork/ArtText.h"

#include <cmath>
#include <map>
#include <memory>
#include <utility>

#include "raster/RasterFont.h"

struct ArtText::Impl {
  std::string folder;
  std::map<std::pair<int, bool>, std::unique_ptr<RasterFont>> fonts;

  RasterFont* font(const ArtFont& f) {
    auto& slot = fonts[{f.size, f.bold}];
    if (!slot) {
      RasterFont::Spec spec;
      spec.file = folder + (f.bold ? "/DejaVuSans-Bold.ttf" : "/DejaVuSans.ttf");
      spec.height = f.size;
      slot = RasterFont::Create(spec);
    }
    return slot.get();
  }
};

ArtText::ArtText(std::string fontDir) : mImpl(new Impl) {
  mImpl->folder = std::move(fontDir);
}

ArtText::~ArtText() {
  delete mImpl;
}

bool ArtText::ok() const {
  return mImpl->font({12, false}) && mImpl->font({12, true});
}

int ArtText::width(const ArtFont& font, const std::string& text) {
  RasterFont* f = mImpl->font(font);
  return f ? f->MeasureWidth(text.c_str()) : 0;
}

void ArtText::draw(ArtCanvas& canvas, const ArtFont& font, const std::string& text, int left, int top,
                   int right, int bottom, ArtColor colour, ArtAlign align) {
  draw_spaced(canvas, font, text, left, top, right, bottom, colour, align, 0);
}

void ArtText::draw_spaced(ArtCanvas& canvas, const ArtFont& logical, const std::string& text, int left,
                          int top, int right, int bottom, ArtColor colour, ArtAlign align, int spacing) {
  // Denser canvases get glyphs rendered at their own size, placed in image pixels.
  const int d = canvas.density();
  const ArtFont font{logical.size * d, logical.bold};
  left *= d, top *= d, right *= d, bottom *= d, spacing *= d;
  RasterFont* f = mImpl->font(font);
  if (!f || text.empty()) return;
  // Centre the capital letters: cap height is about 0.73 of the em in DejaVu Sans.
  const int capHeight = int(std::lround(font.size * 0.73));
  const int baseline = top + (bottom - top + capHeight) / 2;
  const int lineTop = baseline - f->Ascent();
  const uint32_t argb = (uint32_t(colour.a) << 24) | (uint32_t(colour.r) << 16) | (uint32_t(colour.g) << 8) |
                        uint32_t(colour.b);
  RasterBitmap& target = canvas.bitmap();
  const RasterRect clip = target.Bounds();
  if (spacing == 0) {
    const RasterFont::EAlign a = align == ArtAlign::Left     ? RasterFont::kAlignLeft
                                 : align == ArtAlign::Centre ? RasterFont::kAlignCenter
                                                             : RasterFont::kAlignRight;
    f->Draw(target, text.c_str(), RasterRect{left, lineTop, right, bottom}, a, argb, clip);
    return;
  }
  // Letter-spaced captions are ASCII: place them one character at a time.
  int total = 0;
  for (char c : text) total += f->MeasureWidth(std::string(1, c).c_str()) + spacing;
  total -= spacing;
  int x = align == ArtAlign::Left     ? left
          : align == ArtAlign::Centre ? left + (right - left - total) / 2
                                      : right - total;
  for (char c : text) {
    const std::string one(1, c);
    f->Draw(target, one.c_str(), RasterRect{x, lineTop, x + 100, bottom}, RasterFont::kAlignLeft, argb, clip);
    x += f->MeasureWidth(one.c_str()) + spacing;
  }
}
