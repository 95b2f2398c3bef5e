// The editor on denser screens: editor pixels map to device pixels and back, bitmaps come from the
// densest artwork needed and text is rendered at the scaled size.

#include <gtest/gtest.h>

#include <cmath>

#include "TestPlug.h"
#include "framework/graphics/IBitmapControl.h"
#include "framework/graphics/ITextControl.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "raster/RasterBitmap.h"

namespace {
constexpr double kScales[] = {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0};

// Artwork at 1x and 2x in two colours; nothing at 3x.
class DenseArtEditor : public IGraphicsHeadless {
 public:
  using IGraphicsHeadless::IGraphicsHeadless;
  std::unique_ptr<RasterBitmap> OSLoadBitmap(int id, const char* name) override {
    const std::string file(name);
    if (file == "art.png") return std::make_unique<RasterBitmap>(10, 8, kOne);
    if (file == "art@2x.png") return std::make_unique<RasterBitmap>(20, 16, kTwo);
    return nullptr;
  }
  static constexpr uint32_t kOne = 0xFF112233u, kTwo = 0xFF445566u;
};

// Rows holding ink of a colour other than black, in the whole draw bitmap.
int InkRows(const RasterBitmap& b) {
  int rows = 0;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      if ((b.GetPixel(x, y) & 0xFFFFFF) != 0) {
        ++rows;
        break;
      }
    }
  }
  return rows;
}
}  // namespace

TEST(ScreenScale, EditorAndDevicePixelsMapBackAndForth) {
  TestPlug plug;
  IGraphicsHeadless gui(&plug, 730, 431);
  for (double s : kScales) {
    gui.SetScale(s);
    ASSERT_EQ(gui.GetScale(), s);
    EXPECT_EQ(gui.DeviceWidth(), int(std::floor(730 * s + 0.5)));
    for (int v = -40; v < 800; ++v) {
      // Every device pixel of an editor pixel maps back to it, so pixels tile without gaps.
      ASSERT_LT(gui.ToDevice(v), gui.ToDevice(v + 1)) << s;
      for (int d = gui.ToDevice(v); d < gui.ToDevice(v + 1); ++d)
        ASSERT_EQ(gui.ToEditor(d), v) << s << " " << d;
    }
  }
  gui.SetScale(NAN);
  EXPECT_EQ(gui.GetScale(), 3.0);
  gui.SetScale(10.0);
  EXPECT_EQ(gui.GetScale(), IGraphics::kMaxScale);
  gui.SetScale(0.5);
  EXPECT_EQ(gui.GetScale(), IGraphics::kMinScale);
  EXPECT_EQ(IGraphics::DensityName("resources/img/fader.png", 2), "resources/img/fader@2x.png");
  EXPECT_EQ(IGraphics::DensityName("img.d/fader", 3), "");
}

TEST(ScreenScale, BitmapsComeFromTheDensestArtworkNeeded) {
  TestPlug plug;
  DenseArtEditor gui(&plug, 10, 8);
  gui.PrepDraw();
  gui.AttachBackground(1, "art.png");
  const struct {
    double scale;
    uint32_t colour;
  } cases[] = {{1.0, DenseArtEditor::kOne},
               {1.5, DenseArtEditor::kTwo},
               {2.0, DenseArtEditor::kTwo},
               {3.0, DenseArtEditor::kTwo}};
  for (const auto& c : cases) {
    gui.SetScale(c.scale);
    gui.RedrawAll();
    const RasterBitmap& b = *gui.GetDrawBitmap();
    ASSERT_EQ(b.Width(), gui.DeviceWidth());
    // The whole picture, to its last device pixel, is the artwork's.
    EXPECT_EQ(b.GetPixel(0, 0), c.colour) << c.scale;
    EXPECT_EQ(b.GetPixel(b.Width() - 1, b.Height() - 1), c.colour) << c.scale;
  }
}

TEST(ScreenScale, TextIsRenderedAtTheScaledSize) {
  TestPlug plug;
  IGraphicsHeadless gui(&plug, 60, 40);
  gui.PrepDraw();
  IText style(20, &COLOR_WHITE);
  gui.AttachControl(new ITextControl(&plug, IRECT(0, 5, 60, 35), &style, "Eg"));
  gui.RedrawAll();
  const int rows1 = InkRows(*gui.GetDrawBitmap());
  gui.SetScale(2.0);
  gui.RedrawAll();
  const RasterBitmap& b = *gui.GetDrawBitmap();
  EXPECT_NEAR(InkRows(b), 2 * rows1, 2);
  // Not an enlarged 1x picture: some 2 x 2 blocks of device pixels differ within.
  int mixed = 0;
  for (int y = 0; y + 1 < b.Height(); y += 2)
    for (int x = 0; x + 1 < b.Width(); x += 2) {
      const uint32_t p = b.GetPixel(x, y);
      if (b.GetPixel(x + 1, y) != p || b.GetPixel(x, y + 1) != p || b.GetPixel(x + 1, y + 1) != p) ++mixed;
    }
  EXPECT_GT(mixed, 10);
}
