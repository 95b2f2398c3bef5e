// Drawing the target with the mouse: straight lines with the left button, freehand with the right,
// one undo step and one design per stroke.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "editor/EditorUnderTest.h"

namespace {

using namespace layout;

// A column that selects the band.
int x_of(int band) {
  return kPlotLeft + int(band * 437.0 / 119.0 + 0.5);
}
double level_at(int y) {
  return std::pow(10.0, -2.5 * (y - 11) / 369.0);
}

std::vector<double> target_of(EditorUnderTest& e) {
  return {e->target, e->target + kNumBands};
}
std::vector<double> corrected_of(EditorUnderTest& e) {
  return {e->corrected, e->corrected + kNumBands};
}

TEST(PlotStroke, LeftClickSetsOneBandAndOwnColumnChangesNothing) {
  EditorUnderTest e;
  const auto before = target_of(e);
  e.press(x_of(30), 100);
  e.drag(x_of(30) + 1, 250);  // still band 30: the anchor's own column
  e.drag(x_of(30), 40);
  const auto after = target_of(e);
  for (int i = 0; i < kNumBands; ++i) {
    if (i == 30) {
      EXPECT_DOUBLE_EQ(after[i], level_at(100));
    } else {
      EXPECT_DOUBLE_EQ(after[i], before[i]) << "band " << i;
    }
  }
  e.release(x_of(30), 40);
}

TEST(PlotStroke, RubberBandFollowsThePointerAndKeepsWhatALongerLineWrote) {
  EditorUnderTest e;
  e.press(x_of(10), 100);
  e.drag(x_of(20), 300);
  const double a = std::log10(level_at(100)), b = std::log10(level_at(300));
  for (int k = 1; k < 10; ++k) EXPECT_NEAR(std::log10(e->target[10 + k]), a + k * (b - a) / 10, 1e-12);
  EXPECT_DOUBLE_EQ(e->target[20], level_at(300));
  const auto longLine = target_of(e);

  e.drag(x_of(15), 200);
  const double c = std::log10(level_at(200));
  EXPECT_DOUBLE_EQ(e->target[15], level_at(200));
  for (int k = 1; k < 5; ++k) EXPECT_NEAR(std::log10(e->target[10 + k]), a + k * (c - a) / 5, 1e-12);
  for (int i = 16; i <= 20; ++i) EXPECT_EQ(e->target[i], longLine[i]) << "band " << i;
  EXPECT_DOUBLE_EQ(e->target[10], level_at(100));

  // backwards from the anchor: the line runs the other way
  e.drag(x_of(4), 350);
  const double d = std::log10(level_at(350));
  for (int k = 1; k < 6; ++k) EXPECT_NEAR(std::log10(e->target[4 + k]), d + k * (a - d) / 6, 1e-12);
  e.release(x_of(4), 350);
}

TEST(PlotStroke, RightDragWritesOnlyTheBandsUnderThePointer) {
  EditorUnderTest e;
  const auto before = target_of(e);
  e.press(x_of(30), 120, EditorUnderTest::right());
  e.drag(x_of(40), 220, EditorUnderTest::right());
  const auto after = target_of(e);
  for (int i = 0; i < kNumBands; ++i) {
    if (i != 30 && i != 40) {
      EXPECT_DOUBLE_EQ(after[i], before[i]) << "band " << i;
    }
  }
  EXPECT_DOUBLE_EQ(after[30], level_at(120));
  EXPECT_DOUBLE_EQ(after[40], level_at(220));
  e.release(x_of(40), 220, EditorUnderTest::right());
}

TEST(PlotStroke, BottomLineIsMinus50AndDragsOutsideThePlotAreIgnored) {
  EditorUnderTest e;
  e.press(x_of(50), 200);
  e.drag(x_of(60), 380);
  EXPECT_DOUBLE_EQ(e->target[60], std::pow(10.0, -2.5));
  e.gui->Tick();
  ASSERT_FALSE(e.plot()->IsDirty());
  const auto before = target_of(e);
  for (auto [x, y] : {std::pair{48, 200}, {488, 200}, {x_of(70), 10}, {x_of(70), 381}}) {
    e.drag(x, y);
    EXPECT_EQ(target_of(e), before) << x << "," << y;
    EXPECT_FALSE(e.plot()->IsDirty()) << x << "," << y;
  }
  e.release(x_of(60), 380);

  // A press just outside the rectangle does not reach the plot at all.
  const auto untouched = target_of(e);
  const int steps = e.undo_steps();
  e.click(kPlotRight, 200);
  e.click(x_of(50), kPlotBottom);
  EXPECT_EQ(target_of(e), untouched);
  EXPECT_EQ(e.undo_steps(), steps);
}

TEST(PlotStroke, SliderFollowsThePeakUnlessItIsAtTheTop) {
  EditorUnderTest e;
  // a peak of about 0.52 becomes the target level and moves the vertical slider
  e.click(x_of(40), 55);
  EXPECT_DOUBLE_EQ(e->target_level, level_at(55));
  const double expected = 20.0 * std::log10(level_at(55)) / 45.0 + 1.0;
  EXPECT_DOUBLE_EQ(e->vslider_pos, expected);
  EXPECT_NEAR(e.fader(e->ui.vslider_control)->GetValue(), expected, 1e-12);
  EXPECT_NEAR(e->GetParam(kParamVerticalSlider)->Value(), expected, 1e-4);
  for (int i = 0; i < kNumBands; ++i) EXPECT_DOUBLE_EQ(e->target_shape[i], e->target[i] / e->target_level);

  // a peak at the top (1.0) leaves level and slider alone; the shape still follows the target
  const double level = e->target_level, slider = e->vslider_pos;
  e.click(x_of(80), 11);
  EXPECT_EQ(e->target_level, level);
  EXPECT_EQ(e->vslider_pos, slider);
  EXPECT_DOUBLE_EQ(e->target_shape[80], 1.0 / level);
}

TEST(PlotStroke, PeaksWithinAThousandthBelowTheTopLeaveTheSlider) {
  EditorUnderTest e;
  e->target[5] = 0.9995;  // as if drawn earlier; the next event sees the peak
  const double level = e->target_level;
  e->from_drawing(x_of(90), 300, 0);
  EXPECT_EQ(e->target_level, level);
  e->target[5] = 0.9985;  // below 0.999 the peak is the level again
  e->from_drawing(x_of(90), 300, 0);
  EXPECT_DOUBLE_EQ(e->target_level, 0.9985);
}

TEST(PlotStroke, TheCorrectionFollowsThePenAndTheReleaseMakesOneUndoStep) {
  EditorUnderTest e;
  const int steps = e.undo_steps();
  const auto designed = corrected_of(e);
  e.press(x_of(20), 60);
  for (int band = 21; band < 60; band += 3) e.drag(x_of(band), 60 + band);
  EXPECT_EQ(e.undo_steps(), steps);
  e->wait_for_design();
  const auto following = corrected_of(e);
  EXPECT_NE(following, designed) << "the correction follows the pen while the button is held";
  e.release(x_of(59), 119);
  EXPECT_EQ(e.undo_steps(), steps + 1);
  e->wait_for_design();
  EXPECT_EQ(corrected_of(e), following) << "the final design of the same curve";

  // a click that changes nothing visible still makes one step
  e.click(x_of(59), 119, EditorUnderTest::right());
  EXPECT_EQ(e.undo_steps(), steps + 2);
  e->undo();
  e->undo();
  EXPECT_DOUBLE_EQ(e->target[30], kInitialLevel);
}

// A stroke begun with the right button and continued with the left has no anchor: it starts a
// line where the left button took over instead of reading beyond the curve.
TEST(PlotStroke, LeftDragAfterRightPressStartsANewLine) {
  EditorUnderTest e;
  ASSERT_EQ(e->ui.previous, 1000);
  e.press(x_of(30), 150, EditorUnderTest::right());
  e.drag(x_of(40), 250, EditorUnderTest::left());
  EXPECT_EQ(e->ui.previous, 40);
  EXPECT_DOUBLE_EQ(e->target[40], level_at(250));
  EXPECT_DOUBLE_EQ(e->target[35], kInitialLevel);
  e.drag(x_of(44), 250, EditorUnderTest::left());
  EXPECT_DOUBLE_EQ(e->target[42], level_at(250));
  e.release(x_of(44), 250);

  // positions off the plot take the nearest band
  e->from_drawing(-500, 100, 1);
  EXPECT_EQ(e->ui.previous, 0);
  e->from_drawing(5000, 100, 2);
  EXPECT_DOUBLE_EQ(e->target[kNumBands - 1], level_at(100));
}

}  // namespace
