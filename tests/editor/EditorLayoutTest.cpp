// The editor as built: controls in their places, hidden panels, the picture after construction,
// the help opener and the bitmaps the artwork generator made.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor/EditorUnderTest.h"
#include "editor/IHelp.h"
#include "framework/graphics/IBitmapControl.h"
#include "framework/graphics/IRadioButtonsControl.h"

namespace {

using namespace layout;

IRECT rect_of(const Rect& r) {
  return IRECT(r.left, r.top, r.right, r.bottom);
}

// HOME pointed at a fresh folder for one test, so a calibration file there is seen by new instances.
class ScopedHome {
 public:
  ScopedHome() {
    const char* old = std::getenv("HOME");
    saved = old ? old : "";
    folder = std::filesystem::path(RESONIX_BINARY_DIR) / "test-home" / "editor-calibration";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "Documents" / "Korvane Resonix");
    setenv("HOME", folder.c_str(), 1);
  }
  ~ScopedHome() {
    setenv("HOME", saved.c_str(), 1);
    std::filesystem::remove_all(folder);
  }
  std::filesystem::path presets() const { return folder / "Documents" / "Korvane Resonix"; }

  std::string saved;
  std::filesystem::path folder;
};

TEST(EditorLayout, ControlsSitWhereTheTableSays) {
  EditorUnderTest e;
  ASSERT_NE(e.gui, nullptr);
  EXPECT_EQ(e.gui->Width(), 730);
  EXPECT_EQ(e.gui->Height(), 431);
  EXPECT_EQ(e.gui->NControls(), 25) << "background and 24 rows: no calibration file";
  EXPECT_EQ(*e.gui->GetControl(e->ui.volume_text)->GetRECT(), rect_of(kVolumeReadout));
  EXPECT_EQ(e.text_of(e->ui.volume_text), "0.0 dB");
  EXPECT_EQ(e.text_of(e->ui.note_text), "E0");
  EXPECT_EQ(*e.gui->GetControl(e->ui.plot_control)->GetRECT(), rect_of(kPlot));
  EXPECT_EQ(*e.gui->GetControl(e->ui.meter_control)->GetRECT(), rect_of(kMeter));
  EXPECT_EQ(*e.gui->GetControl(e->ui.dummy_control)->GetRECT(), IRECT(0, 0, 1, 1));
  EXPECT_EQ(*e.gui->GetControl(e->ui.vslider_control)->GetRECT(), IRECT(508, 8, 520, 350));
  EXPECT_EQ(*e.gui->GetControl(e->ui.volume_control)->GetRECT(), IRECT(545, 192, 665, 204));
  EXPECT_EQ(*e.gui->GetControl(e->ui.note_control)->GetRECT(), IRECT(45, 404, 492, 416));
  EXPECT_EQ(e.fader(e->ui.vslider_control)->GetHandleHeadroom(), 12);
  EXPECT_EQ(*e.gui->GetControl(e->ui.about_bitmap)->GetRECT(), IRECT(158, 60, 378, 247));
  EXPECT_EQ(*e.gui->GetControl(e->ui.knock_bitmap)->GetRECT(), IRECT(57, 100, 479, 221));
  auto* radios = e.control<IRadioButtonsControl>(e->ui.mode_control);
  ASSERT_NE(radios, nullptr);
  EXPECT_EQ(*radios->GetButtonRECT(0), IRECT(545, 127, 568, 143));
  EXPECT_EQ(*radios->GetButtonRECT(1), IRECT(545, 144, 568, 160));
  EXPECT_EQ(e.gui->GetControl(e->ui.meter_control)->GetDefaultValue(), 0.0);
  EXPECT_EQ(e.gui->GetControl(e->ui.dummy_control)->GetDefaultValue(), 0.0);
  EXPECT_EQ(e->ui.about_ok_button, e.gui->NControls() - 1) << "the OK button is the last control";
}

TEST(EditorLayout, ACalibrationFileAddsItsNameAndShiftsTheIndices) {
  ScopedHome home;
  std::ofstream(home.presets() / "mic 123.frd") << "20 -3\n20000 3\n";
  EditorUnderTest e;
  EXPECT_EQ(e.gui->NControls(), 26);
  auto* name = e.control<ITextControl>(1);
  ASSERT_NE(name, nullptr);
  EXPECT_STREQ(name->GetTextForPlug(), "mic 123.frd");
  EXPECT_EQ(*name->GetRECT(), rect_of(kCalibrationName));
  EditorUnderTest plain;  // the other instance was made without the file in its folder
  EXPECT_EQ(e->ui.meter_control, plain->ui.meter_control);
}

TEST(EditorLayout, HiddenPanelsIgnoreClicksAndShownOnesShieldThePlot) {
  EditorUnderTest e;
  for (int index :
       {e->ui.about_bitmap, e->ui.version_text, e->ui.knock_bitmap, e->ui.knock_text, e->ui.about_ok_button})
    EXPECT_TRUE(e.hidden(index));
  // the OK button's place is over the plot: a click there draws
  e.click(225, 213);
  EXPECT_NE(e->target[48], kInitialLevel);
  EXPECT_TRUE(e.hidden(e->ui.about_bitmap));

  // the note name lies under the plot: a click on it draws too
  const double before = e->target[6];
  e.click(70, 30);
  EXPECT_NE(e->target[6], before);

  // a shown About panel takes the click and ignores it
  e.click(kAboutButton);
  const int steps = e.undo_steps();
  const double inside = e->target[76];
  e.click(330, 150);
  EXPECT_EQ(e->target[76], inside);
  EXPECT_EQ(e.undo_steps(), steps);
  // and so does the knock panel
  e.click(kAboutOkButton);
  e.click(kStartButton);
  e.click(400, 110);
  EXPECT_DOUBLE_EQ(e->target[96], kInitialLevel);
}

// All three curves start at -25 dB: they lie on row 196, under the white corrected curve drawn last.
TEST(EditorPicture, InitialCurvesCursorAndMeter) {
  EditorUnderTest e;
  e.gui->RedrawAll();
  IMyPlots* plot = e.plot();
  for (int k = 0; k < IMyPlots::kColumns; ++k) {
    EXPECT_EQ(plot->target_points[k].y, 196) << k;
    EXPECT_EQ(plot->measured_points[k].y, 196) << k;
    EXPECT_EQ(plot->corrected_points[k].y, 196) << k;
  }
  for (int x = 49; x <= 486; ++x) EXPECT_EQ(e.pixel(x, 196), 0xFFFFFFu) << x;
  for (int x = 50; x <= 486; ++x) EXPECT_NE(e.pixel(x, 198), 0xFFFFFFu) << x;
  for (int y = 11; y <= 379; ++y) EXPECT_EQ(e.pixel(49, y), 0xFFFFFFu) << "cursor at row " << y;
  EXPECT_NE(e.pixel(50, 100), 0xFFFFFFu);
  for (int x = kMeter.left; x < kMeter.right; ++x) EXPECT_NE(e.pixel(x, 247), 0x00FF00u) << x;

  const std::string path = std::string(RESONIX_BINARY_DIR) + "/test-home/editor-initial.png";
  EXPECT_TRUE(e.gui->SavePNG(path));
}

// At twice the density the same picture is twice as large, curves and cursor drawn at device pixels.
TEST(EditorPicture, TwiceTheDensityDrawsTwiceTheSize) {
  EditorUnderTest e;
  e.gui->SetScale(2.0);
  e.gui->RedrawAll();
  ASSERT_EQ(e.gui->GetDrawBitmap()->Width(), 1460);
  ASSERT_EQ(e.gui->GetDrawBitmap()->Height(), 862);
  for (int x = 98; x <= 973; ++x) EXPECT_EQ(e.pixel(x, 393), 0xFFFFFFu) << x;
  for (int x = 102; x <= 973; ++x) EXPECT_NE(e.pixel(x, 397), 0xFFFFFFu) << x;
  for (int y = 22; y <= 759; ++y) EXPECT_EQ(e.pixel(98, y) & e.pixel(99, y), 0xFFFFFFu) << y;
  EXPECT_NE(e.pixel(100, 200), 0xFFFFFFu);
  EXPECT_TRUE(e.gui->SavePNG(std::string(RESONIX_BINARY_DIR) + "/test-home/editor-initial@2x.png"));
}

TEST(EditorPicture, BitmapsHaveTheirSizesAndTheGridMatchesThePlot) {
  EditorUnderTest e;
  for (const Bitmap& b : {kBackground, kRadio, kFader, kAboutPanel, kKnockPanel}) {
    IBitmap bitmap = e.gui->LoadIBitmap(b.id, b.name, b.frames);
    ASSERT_NE(bitmap.mData, nullptr) << b.name;
    EXPECT_EQ(bitmap.W, b.width) << b.name;
    EXPECT_EQ(bitmap.H, b.height) << b.name;
    // The artwork for denser screens is there, drawn at exactly that density.
    for (int d = 2; d <= IBitmap::kMaxDensity; ++d) {
      const RasterBitmap* dense = e.gui->ImageAtDensity(bitmap, d);
      ASSERT_NE(dense, nullptr) << b.name << " @" << d << "x";
      EXPECT_EQ(dense->Width(), d * b.width) << b.name;
      EXPECT_EQ(dense->Height(), d * b.height) << b.name;
    }
  }
  // The background's octave lines stand on the columns of the C bands, and its level lines on the
  // rows of the level mapping; between them the plot is black.
  IBitmap back = e.gui->LoadIBitmap(kBackground.id, kBackground.name);
  auto at = [&](int x, int y) { return back.mData->GetPixel(x, y) & 0xFFFFFF; };
  const int c4 = band_column(8 + 36);
  const int zero = int(level_row(kScaleZeroDb));
  EXPECT_NE(at(c4, 300), 0u);
  EXPECT_EQ(at(c4 + 2, 300), 0u);
  EXPECT_NE(at(300, zero), 0u);
  EXPECT_EQ(at(300, zero + 2), 0u);
  EXPECT_EQ(zero, 196);
}

TEST(Help, OpensTheStartPageOrSaysItIsMissing) {
  EditorUnderTest e;
  const std::string folder = IHelp::HelpFolder(e.gui);
  ASSERT_TRUE(std::filesystem::exists(folder + "/1.htm")) << folder;
  // the pages link to each other and to their figures by these names
  for (const char* name : {"1.htm", "2.htm", "3.htm", "style.css", "resonix-1.png", "resonix-2.jpg",
                           "resonix-3.png", "resonix-4.png", "resonix-5.png", "resonix-6.png",
                           "resonix-7.png", "resonix-8.png", "resonix-9.png", "resonix-example.mp3"})
    EXPECT_TRUE(std::filesystem::exists(folder + "/" + name)) << name;
  e.click(kHelpButton);
  e.click(kHelpButton);
  ASSERT_EQ(e.gui->OpenedURLs().size(), 2u);
  EXPECT_EQ(e.gui->OpenedURLs()[1], folder + "/1.htm");

  const auto empty = std::filesystem::path(RESONIX_BINARY_DIR) / "test-home" / "no help here";
  std::filesystem::create_directories(empty);
  e.gui->SetResourceFolder(empty.string());
  e.click(kHelpButton);
  EXPECT_EQ(e.gui->OpenedURLs().size(), 2u);
  ASSERT_NE(e.gui->LastNotice(), nullptr);
  EXPECT_EQ(e.gui->LastNotice()->text, "Help not found");
  EXPECT_EQ(e.gui->LastNotice()->caption, "Info");
}

}  // namespace
