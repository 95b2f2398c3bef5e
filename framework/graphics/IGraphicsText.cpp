// Text drawing and the resources the editor reads from its resource folder.

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "framework/graphics/IGraphics.h"
#include "raster/FontCache.h"
#include "raster/PngCodec.h"
#include "raster/RasterBitmap.h"

namespace {
// Where Debian keeps the fonts, for a resource folder without its copy.
constexpr const char* kSystemFontFolder = "/usr/share/fonts/truetype/dejavu";

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}
}  // namespace

std::string IGraphics::FontFile(const std::string& resourceFolder, const char* file) {
  const std::string bundled = resourceFolder + "/fonts/" + file;
  if (!resourceFolder.empty() && Exists(bundled)) return bundled;
  return std::string(kSystemFontFolder) + "/" + file;
}

RasterFont* IGraphics::CacheFont(IText* text, double scale) {
  const bool unscaled = scale == 1.0;
  if (unscaled && text->mCached) return text->mCached;
  if (!unscaled && text->mCachedScaled && text->mCachedScale == scale) return text->mCachedScaled;
  // On Linux every face this editor names is drawn with DejaVu Sans, so all machines draw the same
  // pixels.
  const bool bold = text->mStyle == IText::kStyleBold;
  const bool italic = text->mStyle == IText::kStyleItalic;
  RasterFont::Spec spec;
#if defined(_WIN32)
  // Windows has the faces the editor names; GDI draws them.
  spec.file = text->mFont;
#else
  spec.file = FontFile(mResourceFolder, bold ? "DejaVuSans-Bold.ttf" : "DejaVuSans.ttf");
  if (italic) {
    const std::string oblique = FontFile(mResourceFolder, "DejaVuSans-Oblique.ttf");
    if (Exists(oblique)) spec.file = oblique;
  }
#endif
  spec.italic = italic;
  spec.bold = bold;
  // At a denser screen the glyphs are rendered at the scaled size, not enlarged.
  spec.height = std::max(2, int(std::max(2, text->mSize) * scale + 0.5));
  const int q = text->mQuality;
  spec.antiAlias =
      q == IText::kQualityDefault || q == IText::kQualityAntiAliased || q == IText::kQualityClearType;
  RasterFont* font = FontCache::Get(spec);
  // Sized so that its line is as high as the style's size.
  if (font && font->LineHeight() > 0 && font->LineHeight() != spec.height) {
    const int size = spec.height;
    spec.height = std::max(1, int(double(size) * size / font->LineHeight() + 0.5));
    font = FontCache::Get(spec);
  }
  if (unscaled) {
    text->mCached = font;
  } else {
    text->mCachedScaled = font;
    text->mCachedScale = scale;
  }
  return font;
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* rect, bool measure) {
  if (!str || !*str || !text || !rect) return true;
  RasterFont* font = CacheFont(text);
  if (!font) return false;
  const auto align = RasterFont::EAlign(std::clamp(int(text->mAlign), 0, 2));
  if (measure) {
    const int w = font->MeasureWidth(str), h = font->LineHeight();
    const IRECT r = *rect;
    switch (align) {
      case RasterFont::kAlignCenter:
        *rect = IRECT(r.MW() - w / 2, r.T, r.MW() + w / 2, r.T + h);
        break;
      case RasterFont::kAlignRight:
        *rect = IRECT(r.R - w, r.T, r.R, r.T + h);
        break;
      default:
        *rect = IRECT(r.L, r.T, r.L + w, r.T + h);
        break;
    }
    return true;
  }
  if (!mDrawBitmap) return true;
  // Measuring above stays in editor pixels at the unscaled size; drawing uses the scaled font.
  RasterFont* device = mScale == 1.0 ? font : CacheFont(text, mScale);
  if (!device) return false;
  const IRECT r = ToDevice(*rect), clip = ToDevice(mDrawRECT);
  device->Draw(*mDrawBitmap, str, RasterRect{r.L, r.T, r.R, r.B}, align, text->mColor.ARGB(),
               RasterRect{clip.L, clip.T, clip.R, clip.B});
  return true;
}

bool IGraphics::MeasureIText(IText* text, const char* str, IRECT* destRect) {
  return DrawIText(text, str, destRect, true);
}

std::unique_ptr<RasterBitmap> IGraphics::OSLoadBitmap(int id, const char* name) {
  if (!name) return nullptr;
  std::string rel = name;
  const std::string ext = rel.size() > 4 ? rel.substr(rel.size() - 4) : "";
  std::string lower = ext;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  if (lower != ".png") return nullptr;
  if (rel.rfind("resources/", 0) == 0) rel = rel.substr(10);
  std::vector<std::string> candidates;
  if (!rel.empty() && rel[0] == '/')
    candidates.push_back(rel);
  else {
    candidates.push_back(mResourceFolder + "/" + rel);
    candidates.push_back(std::string(RESONIX_SOURCE_RESOURCES_DIR) + "/" + rel);
  }
  for (const std::string& path : candidates) {
    if (Exists(path)) return PngCodec::DecodeFile(path);
  }
  return nullptr;
}
