#include <gtest/gtest.h>

#include <filesystem>

#include "TestPlug.h"
#include "framework/graphics/IPanelControl.h"
#include "framework/graphics/ITextControl.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "raster/PngCodec.h"
#include "raster/RasterBitmap.h"

namespace {
std::string TempPath(const char* name) {
  return std::string(RESONIX_BINARY_DIR) + "/test-home/" + name;
}

// Counts platform loads of the 1x images to show the process-wide cache at work; "panel.png" also
// comes at 2x, in another colour.
class CountingEditor : public IGraphicsHeadless {
 public:
  using IGraphicsHeadless::IGraphicsHeadless;
  std::unique_ptr<RasterBitmap> OSLoadBitmap(int id, const char* name) override {
    const std::string file(name);
    if (file == "panel@2x.png") return std::make_unique<RasterBitmap>(14, 18, 0xFF654321u);
    if (file.find('@') != std::string::npos) return nullptr;
    ++loads;
    if (file == "missing.png") return nullptr;
    return std::make_unique<RasterBitmap>(7, 9, 0xFF123456u);
  }
  int loads = 0;
};
}  // namespace

TEST(HeadlessEditor, RecordsNoticesAndAnswersPromptsFromTheQueue) {
  TestPlug plug;
  IGraphicsHeadless gui(&plug, 10, 10);
  EXPECT_EQ(gui.ShowMessageBox("Error_003", "Info", kMB_OK), kIDOK);
  gui.SetMessageBoxAnswer(kIDNO);
  EXPECT_EQ(gui.ShowMessageBox("Sure?", "Info", kMB_YESNO), kIDNO);
  ASSERT_EQ(gui.Notices().size(), 2u);
  EXPECT_EQ(gui.Notices()[0].text, "Error_003");
  EXPECT_EQ(gui.LastNotice()->caption, "Info");
  EXPECT_EQ(gui.LastNotice()->type, kMB_YESNO);

  gui.QueueFileAnswer("/some/folder/preset.rzn");
  gui.QueueFileAnswer("");
  std::string file = "initial.rzn", dir = "/start";
  gui.PromptForFile(&file, kFileSave, &dir, "rzn");
  EXPECT_EQ(file, "/some/folder/preset.rzn");
  EXPECT_EQ(dir, "/some/folder");
  gui.PromptForFile(&file, kFileOpen, &dir, "rzn");  // cancelled
  EXPECT_EQ(file, "");
  EXPECT_EQ(dir, "/some/folder");
  file = "x";
  gui.PromptForFile(&file, kFileOpen, &dir, "frd cal");  // nothing queued: cancelled
  EXPECT_EQ(file, "");
  ASSERT_EQ(gui.FilePrompts().size(), 3u);
  EXPECT_EQ(gui.FilePrompts()[0].action, kFileSave);
  EXPECT_EQ(gui.FilePrompts()[0].file, "initial.rzn");
  EXPECT_EQ(gui.FilePrompts()[2].extensions, "frd cal");
  gui.PromptForFile(nullptr, kFileOpen, nullptr, nullptr);  // tolerated

  EXPECT_TRUE(gui.OpenURL("file:///help/index.html"));
  EXPECT_EQ(gui.OpenedURLs().back(), "file:///help/index.html");
  EXPECT_FALSE(gui.WindowIsOpen());
  gui.OpenWindow(nullptr);
  EXPECT_TRUE(gui.WindowIsOpen());
  gui.CloseWindow();
  EXPECT_FALSE(gui.WindowIsOpen());
}

TEST(HeadlessEditor, SavesWhatItDrewAsPng) {
  TestPlug plug;
  IGraphicsHeadless gui(&plug, 30, 20);
  gui.PrepDraw();
  gui.AttachPanelBackground(&COLOR_BLUE);
  gui.AttachControl(new IPanelControl(&plug, IRECT(5, 5, 10, 10), &COLOR_ORANGE));
  gui.RedrawAll();
  const std::string path = TempPath("headless.png");
  ASSERT_TRUE(gui.SavePNG(path));
  auto image = PngCodec::DecodeFile(path);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Width(), 30);
  EXPECT_EQ(image->GetPixel(0, 0), COLOR_BLUE.ARGB());
  EXPECT_EQ(image->GetPixel(7, 7), COLOR_ORANGE.ARGB());
  EXPECT_FALSE(gui.SavePNG("/nonexistent/folder/x.png"));
  IGraphicsHeadless unprepared(&plug, 30, 20);
  EXPECT_FALSE(unprepared.SavePNG(path));
}

TEST(HeadlessEditor, BitmapsAreDecodedOncePerProcessAndMissingOnesDrawNothing) {
  TestPlug plug;
  CountingEditor first(&plug, 20, 20), second(&plug, 20, 20);
  IBitmap a = first.LoadIBitmap(90001, "panel.png", 3);
  IBitmap b = second.LoadIBitmap(90001, "panel.png", 3);
  EXPECT_EQ(first.loads + second.loads, 1);
  EXPECT_EQ(a.mData, b.mData);
  EXPECT_EQ(a.W, 7);
  EXPECT_EQ(a.H, 9);
  EXPECT_EQ(a.N, 3);
  EXPECT_EQ(a.FrameHeight(), 3);

  IBitmap missing = first.LoadIBitmap(90002, "missing.png");
  EXPECT_EQ(missing.mData, nullptr);
  first.PrepDraw();
  first.AttachBackground(90002, "missing.png");
  first.RedrawAll();
  EXPECT_EQ(first.GetDrawBitmap()->GetPixel(1, 1), 0xFF000000u);

  // The background goes to the front of the list with the size of its image.
  second.AttachControl(new IPanelControl(&plug, IRECT(0, 0, 2, 2), &COLOR_RED));
  second.AttachBackground(90001, "panel.png");
  ASSERT_EQ(second.NControls(), 2);
  EXPECT_EQ(*second.GetControl(0)->GetRECT(), IRECT(0, 0, 7, 9));
  EXPECT_EQ(second.GetControl(0)->GetBlend()->mMethod, IChannelBlend::kBlendClobber);

  // The default platform load reads PNG files only, from the resource folder.
  IGraphicsHeadless plain(&plug, 20, 20);
  plain.SetResourceFolder(std::string(RESONIX_BINARY_DIR) + "/test-home");
  RasterBitmap saved(3, 2, 0xFF00FF00u);
  ASSERT_TRUE(PngCodec::EncodeFile(saved, TempPath("tiny.png")));
  auto loaded = plain.OSLoadBitmap(1, "resources/tiny.png");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->GetPixel(2, 1), 0xFF00FF00u);
  EXPECT_FALSE(plain.OSLoadBitmap(1, "tiny.bmp"));
  EXPECT_FALSE(plain.OSLoadBitmap(1, nullptr));
}

TEST(HeadlessEditor, MeasuredTextExtentFollowsTheAlignment) {
  TestPlug plug;
  IGraphicsHeadless gui(&plug, 200, 50);
  gui.PrepDraw();
  const IRECT box(20, 10, 120, 30);
  IRECT extent[3];
  for (int align = 0; align < 3; ++align) {
    IText style(12, &COLOR_WHITE, "Verdana", IText::kStyleNormal, IText::EAlign(align));
    extent[align] = box;
    ASSERT_TRUE(gui.MeasureIText(&style, "Korvane", &extent[align]));
    EXPECT_EQ(extent[align].T, box.T);
    EXPECT_EQ(extent[align].H(), 12) << "a line as high as the size";
  }
  const int w = extent[0].W();
  EXPECT_GT(w, 20);
  EXPECT_EQ(extent[0].L, box.L);
  EXPECT_EQ(extent[2].R, box.R);
  EXPECT_EQ(extent[2].W(), w);
  EXPECT_EQ(extent[1].L, box.MW() - w / 2);
  EXPECT_EQ(extent[1].R, box.MW() + w / 2);

  // Drawn text lands inside its measured extent (give or take a side bearing).
  IText centred(12, &COLOR_WHITE, "Verdana", IText::kStyleBold, IText::kAlignCenter);
  auto* label = new ITextControl(&plug, box, &centred, "Korvane");
  gui.AttachControl(label);
  gui.RedrawAll();
  IRECT measured = box;
  gui.MeasureIText(&centred, "Korvane", &measured);
  int inkL = 1000, inkR = -1;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 200; ++x)
      if (gui.GetDrawBitmap()->GetPixel(x, y) != 0xFF000000u) {
        inkL = std::min(inkL, x);
        inkR = std::max(inkR, x + 1);
        EXPECT_GE(y, box.T);
        EXPECT_LT(y, box.T + 12 + 2);
      }
  EXPECT_NEAR(inkL, measured.L, 2);
  EXPECT_NEAR(inkR, measured.R, 2);

  IRECT untouched = box;
  EXPECT_TRUE(gui.DrawIText(&centred, "", &untouched, true));
  EXPECT_TRUE(gui.DrawIText(&centred, nullptr, &untouched));
  EXPECT_EQ(untouched, box);
}

TEST(HeadlessEditor, BitmapsLiveAsLongAsAnyEditor) {
  TestPlug plug;
  auto first = std::make_unique<CountingEditor>(&plug, 20, 20);
  first->LoadIBitmap(90011, "panel.png");
  {
    CountingEditor second(&plug, 20, 20);
    second.LoadIBitmap(90011, "panel.png");
    EXPECT_EQ(second.loads, 0);
  }
  // Another editor still draws with it.
  EXPECT_GE(IGraphics::CachedBitmapCount(), 1);
  first.reset();
  EXPECT_EQ(IGraphics::CachedBitmapCount(), 0);

  // A later editor decodes it again.
  CountingEditor third(&plug, 20, 20);
  third.LoadIBitmap(90011, "panel.png");
  EXPECT_EQ(third.loads, 1);
}
