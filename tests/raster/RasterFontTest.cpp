#include <gtest/gtest.h>

#include <string>

#include "raster/FontCache.h"

namespace {
RasterFont::Spec Spec(const char* file, int height, bool antiAlias = true) {
  RasterFont::Spec spec;
  spec.file = std::string(RESONIX_BINARY_DIR) + "/resources/fonts/" + file;
  spec.height = height;
  spec.antiAlias = antiAlias;
  return spec;
}

// Columns and rows that any glyph touched.
RasterRect Ink(const RasterBitmap& bitmap, uint32_t background) {
  RasterRect ink{bitmap.Width(), bitmap.Height(), -1, -1};
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      if (bitmap.GetPixel(x, y) != background) {
        ink.l = std::min(ink.l, x);
        ink.t = std::min(ink.t, y);
        ink.r = std::max(ink.r, x + 1);
        ink.b = std::max(ink.b, y + 1);
      }
  return ink;
}
}  // namespace

TEST(RasterFont, BundledFacesLoadAndBoldIsWider) {
  RasterFont* regular = FontCache::Get(Spec("DejaVuSans.ttf", 12));
  RasterFont* bold = FontCache::Get(Spec("DejaVuSans-Bold.ttf", 12));
  ASSERT_TRUE(regular);
  ASSERT_TRUE(bold);
  EXPECT_EQ(FontCache::Get(Spec("DejaVuSans.ttf", 12)), regular);  // cached
  EXPECT_GT(regular->LineHeight(), 12);                            // em 12 plus ascender and descender room
  EXPECT_LT(regular->LineHeight(), 18);
  EXPECT_GT(bold->MeasureWidth("Resonix"), regular->MeasureWidth("Resonix"));
  EXPECT_EQ(regular->MeasureWidth(""), 0);
  EXPECT_EQ(regular->MeasureWidth("AB"), regular->MeasureWidth("A") + regular->MeasureWidth("B"));
  EXPECT_FALSE(FontCache::Get(Spec("NoSuchFont.ttf", 12)));
  EXPECT_FALSE(RasterFont::Create(Spec("DejaVuSans.ttf", 0)));
}

TEST(RasterFont, AlignmentPlacesInkInsideTheMeasuredExtent) {
  RasterFont* font = FontCache::Get(Spec("DejaVuSans.ttf", 14));
  ASSERT_TRUE(font);
  const char* text = "HIH";
  const int w = font->MeasureWidth(text);
  const RasterRect rect{20, 5, 120, 30};
  const int expectedLeft[] = {rect.l, (rect.l + rect.r) / 2 - w / 2, rect.r - w};
  for (int align = 0; align < 3; ++align) {
    RasterBitmap bitmap(140, 40, 0xFF000000u);
    font->Draw(bitmap, text, rect, RasterFont::EAlign(align), 0xFFFFFFFFu, bitmap.Bounds());
    const RasterRect ink = Ink(bitmap, 0xFF000000u);
    // Capital H and I have small side bearings: ink sits within the advance box.
    EXPECT_GE(ink.l, expectedLeft[align]) << align;
    EXPECT_LE(ink.l, expectedLeft[align] + 3) << align;
    EXPECT_LE(ink.r, expectedLeft[align] + w) << align;
    EXPECT_GE(ink.r, expectedLeft[align] + w - 3) << align;
    EXPECT_GE(ink.t, rect.t) << align;
    EXPECT_LE(ink.b, rect.t + font->LineHeight()) << align;
  }
}

TEST(RasterFont, TextIsClippedAndTranslucentColourBlends) {
  RasterFont* font = FontCache::Get(Spec("DejaVuSans.ttf", 14));
  ASSERT_TRUE(font);
  RasterBitmap bitmap(60, 20, 0xFF000000u);
  font->Draw(bitmap, "HHHHHHHHHH", RasterRect{0, 0, 60, 20}, RasterFont::kAlignLeft, 0xFFFFFFFFu,
             RasterRect{10, 0, 20, 20});
  const RasterRect ink = Ink(bitmap, 0xFF000000u);
  EXPECT_GE(ink.l, 10);
  EXPECT_LE(ink.r, 20);

  RasterBitmap faint(30, 20, 0xFF000000u);
  font->Draw(faint, "H", RasterRect{0, 0, 30, 20}, RasterFont::kAlignLeft, 0x80FFFFFFu, faint.Bounds());
  int brightest = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) brightest = std::max(brightest, int(faint.GetPixel(x, y) & 0xFF));
  EXPECT_NEAR(brightest, 128, 1);

  // Without anti-aliasing every pixel is either untouched or the full colour.
  RasterFont* mono = FontCache::Get(Spec("DejaVuSans.ttf", 14, false));
  ASSERT_TRUE(mono);
  RasterBitmap sharp(30, 20, 0xFF000000u);
  mono->Draw(sharp, "Ag", RasterRect{0, 0, 30, 20}, RasterFont::kAlignLeft, 0xFFFFFFFFu, sharp.Bounds());
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      const uint32_t p = sharp.GetPixel(x, y);
      EXPECT_TRUE(p == 0xFF000000u || p == 0xFFFFFFFFu);
    }
  // Broken UTF-8 draws what it can and never reads past the end.
  font->Draw(sharp, "\xE2\x82", RasterRect{0, 0, 30, 20}, RasterFont::kAlignLeft, 0xFFFFFFFFu,
             sharp.Bounds());
}

TEST(RasterFont, ItalicWithoutAnItalicFaceIsSlanted) {
  RasterFont::Spec upright = Spec("DejaVuSans.ttf", 20), slanted = upright;
  slanted.italic = true;
  int width[2] = {};
  RasterFont* fonts[2] = {FontCache::Get(upright), FontCache::Get(slanted)};
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(fonts[i]);
    RasterBitmap bitmap(40, 30, 0xFF000000u);
    fonts[i]->Draw(bitmap, "l", RasterRect{10, 0, 40, 30}, RasterFont::kAlignLeft, 0xFFFFFFFFu,
                   bitmap.Bounds());
    const RasterRect ink = Ink(bitmap, 0xFF000000u);
    width[i] = ink.r - ink.l;
  }
  EXPECT_NE(fonts[0], fonts[1]);
  // A tall upright stroke leans by about a fifth of its height.
  EXPECT_GE(width[1], width[0] + 2);
}
