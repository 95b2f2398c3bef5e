#include <gtest/gtest.h>

#include "TestEditor.h"
#include "framework/graphics/IBitmapControl.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "raster/RasterBitmap.h"

TEST(RedrawCycle, DirtyUnionIsRepaintedOnceInListOrder) {
  TestEditor e;
  e.Add(IRECT(0, 0, 100, 80));   // background
  e.Add(IRECT(5, 5, 15, 60));    // fader, far from the label
  e.Add(IRECT(70, 60, 95, 70));  // text label
  e.Add(IRECT(40, 30, 50, 40));  // lies inside the union, clean
  e.Add(IRECT(0, 75, 3, 78));    // outside the union
  e.CleanAll();
  IRECT r;
  EXPECT_FALSE(e.gui.IsDirty(&r));
  EXPECT_TRUE(r.Empty());

  e.gui.GetControl(2)->SetDirty(false);
  e.gui.GetControl(1)->SetDirty(false);
  ASSERT_TRUE(e.gui.IsDirty(&r));
  EXPECT_EQ(r, IRECT(5, 5, 95, 70));
  e.gui.Draw(&r);
  EXPECT_EQ(e.log.order, (std::vector<int>{0, 1, 2, 3}));
  for (const IRECT& drawRect : e.log.rects) EXPECT_EQ(drawRect, r);
  EXPECT_EQ(e.gui.ScreenCopies(), 1);
  EXPECT_EQ(e.gui.LastScreenRECT(), r);
  EXPECT_FALSE(e.gui.IsDirty(&r));
}

// A closed window gives its bitmaps back; the next tick, whatever is dirty, draws and copies it all.
TEST(RedrawCycle, AfterTheBitmapsAreReleasedTheNextDrawIsWhole) {
  TestEditor e;
  e.Add(IRECT(0, 0, 100, 80));
  e.Add(IRECT(10, 10, 20, 20));
  e.Add(IRECT(60, 60, 70, 70));
  e.CleanAll();
  e.gui.ReleaseDrawBitmaps();
  EXPECT_EQ(e.gui.GetDrawBitmap(), nullptr);
  e.log = DrawLog();
  e.gui.GetControl(1)->SetDirty(false);
  EXPECT_TRUE(e.gui.Tick());
  ASSERT_NE(e.gui.GetDrawBitmap(), nullptr);
  EXPECT_EQ(e.log.order, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(e.gui.LastScreenRECT(), IRECT(0, 0, 100, 80));
  EXPECT_FALSE(e.gui.IsDirty(nullptr));
}

TEST(RedrawCycle, ValueChangedFromPlugIsDrawnOnceMore) {
  TestEditor e;
  RecordingControl* c = e.Add(IRECT(10, 10, 20, 20));
  c->SetValueFromPlug(0.2);  // first value: the default, marks nothing new
  EXPECT_EQ(c->GetDefaultValue(), 0.2);
  e.CleanAll();
  EXPECT_FALSE(c->IsDirty());
  c->SetValueFromPlug(0.2);
  EXPECT_FALSE(c->IsDirty());  // same value
  c->SetValueFromPlug(0.7);
  EXPECT_TRUE(c->IsDirty());
  EXPECT_TRUE(e.gui.Tick());
  EXPECT_TRUE(e.gui.Tick());  // the redraw flag keeps it dirty for one more pass
  EXPECT_FALSE(e.gui.Tick());
  EXPECT_EQ(e.log.order.size(), 2u);
}

TEST(RedrawCycle, HiddenIsNotDrawnAndGrayedDrawsAtQuarterWeight) {
  TestPlug plug;
  IGraphicsHeadless gui(&plug, 20, 10);
  gui.PrepDraw();
  RasterBitmap white(4, 4, 0xFFFFFFFFu);
  IBitmap bitmap(&white, 4, 4);
  auto* hidden = new IBitmapControl(&plug, 0, 0, &bitmap);
  auto* grayed = new IBitmapControl(&plug, 10, 0, &bitmap);
  gui.AttachControl(hidden);
  gui.AttachControl(grayed);
  hidden->Hide(true);
  grayed->GrayOut(true);
  EXPECT_FLOAT_EQ(grayed->GetBlend()->mWeight, 0.25f);
  gui.RedrawAll();
  EXPECT_EQ(gui.GetDrawBitmap()->GetPixel(1, 1), 0xFF000000u);
  EXPECT_EQ(gui.GetDrawBitmap()->GetPixel(11, 1), 0xFF404040u);  // 255 x 0.25, rounded
  grayed->GrayOut(false);
  EXPECT_FLOAT_EQ(grayed->GetBlend()->mWeight, 1.0f);
}

TEST(RedrawCycle, NonStrictDrawsEachDirtyControlWithItsNeighbours) {
  TestEditor e;
  e.Add(IRECT(0, 0, 100, 80));
  e.Add(IRECT(10, 10, 30, 30));
  e.Add(IRECT(20, 20, 40, 40));  // overlaps 1
  e.Add(IRECT(60, 60, 70, 70));
  e.gui.SetStrictDrawing(false);  // marks everything dirty: background pass draws all
  IRECT r;
  ASSERT_TRUE(e.gui.IsDirty(&r));
  e.gui.Draw(&r);
  EXPECT_EQ(e.log.order, (std::vector<int>{0, 1, 2, 3}));
  e.log = DrawLog();

  e.gui.GetControl(1)->SetDirty(false);
  e.gui.GetControl(3)->SetDirty(false);
  ASSERT_TRUE(e.gui.IsDirty(&r));
  e.gui.Draw(&r);
  // Control 1's pass: background, 1, overlapping 2; control 3's pass: background, 3.
  EXPECT_EQ(e.log.order, (std::vector<int>{0, 1, 2, 0, 3}));
  EXPECT_EQ(e.log.rects[0], IRECT(10, 10, 30, 30));
  EXPECT_EQ(e.log.rects[3], IRECT(60, 60, 70, 70));
  EXPECT_FALSE(e.gui.IsDirty(&r));
}

TEST(RedrawCycle, NothingToDrawWithoutControls) {
  TestPlug plug;
  IGraphicsHeadless gui(&plug, 10, 10);
  IRECT r(0, 0, 10, 10);
  gui.Draw(&r);
  EXPECT_EQ(gui.ScreenCopies(), 0);
  EXPECT_FALSE(gui.Tick());
}
