#include <gtest/gtest.h>

#include "TestPlug.h"
#include "framework/graphics/IBitmapControl.h"
#include "framework/graphics/IFaderControl.h"
#include "framework/graphics/IRadioButtonsControl.h"
#include "framework/graphics/ITextControl.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "raster/RasterBitmap.h"

namespace {
// A bitmap whose frames are uniform colours 0xFF000001, 0xFF000002, ... stacked vertically.
struct Frames {
  RasterBitmap pixels;
  IBitmap bitmap;
  Frames(int w, int frameH, int n, bool horizontal = false)
      : pixels(horizontal ? w * n : w, horizontal ? frameH : frameH * n) {
    for (int y = 0; y < pixels.Height(); ++y)
      for (int x = 0; x < pixels.Width(); ++x)
        pixels.SetPixel(x, y, 0xFF000000u | uint32_t(1 + (horizontal ? x / w : y / frameH)));
    bitmap = IBitmap(&pixels, pixels.Width(), pixels.Height(), n, horizontal);
  }
};

struct Editor {
  TestPlug plug;
  IGraphicsHeadless gui{&plug, 730, 431};
  Editor() { gui.PrepDraw(); }
  uint32_t Pixel(int x, int y) const { return gui.GetDrawBitmap()->GetPixel(x, y); }
};
}  // namespace

TEST(FaderControl, HandleTravelsTheLengthLessTheHandle) {
  Editor e;
  Frames handle(12, 10, 1);
  auto* fader = new IFaderControl(&e.plug, 508, 8, 342, 1, &handle.bitmap, kVertical);
  e.gui.AttachControl(fader);
  EXPECT_EQ(*fader->GetRECT(), IRECT(508, 8, 520, 350));
  EXPECT_EQ(fader->GetHandleRECT(1.0), IRECT(508, 8, 520, 18));
  EXPECT_EQ(fader->GetHandleRECT(0.0), IRECT(508, 340, 520, 350));  // 332 pixels lower
  EXPECT_EQ(fader->GetHandleRECT(0.5).T, 8 + 166);

  // The pointer holds the handle's centre: clicking a handle's centre gives its value back.
  e.gui.OnMouseDown(510, fader->GetHandleRECT(0.25).T + 5, nullptr);
  EXPECT_NEAR(fader->GetValue(), 0.25, 1.0 / 332);
  e.gui.OnMouseDrag(510, 0, nullptr);  // above the track: clamped
  EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0);
  e.gui.OnMouseUp(510, 0, nullptr);
  EXPECT_DOUBLE_EQ(e.plug.GetParam(1)->GetNormalized(), 1.0);

  auto* horizontal = new IFaderControl(&e.plug, 545, 192, 120, 2, &handle.bitmap, kHorizontal);
  EXPECT_EQ(*horizontal->GetRECT(), IRECT(545, 192, 665, 202));
  EXPECT_EQ(horizontal->GetHandleRECT(1.0).L, 545 + 108);
  delete horizontal;
}

TEST(FaderControl, WheelStepsAndStaysInRange) {
  Editor e;
  Frames handle(12, 10, 1);
  auto* fader = new IFaderControl(&e.plug, 0, 0, 100, 0, &handle.bitmap, kVertical);
  e.gui.AttachControl(fader);
  fader->SetValueFromUserInput(0.5);
  IMouseMod none, shift(false, false, true), control(false, false, false, true);
  e.gui.OnMouseWheel(5, 5, &none, 3);
  EXPECT_NEAR(fader->GetValue(), 0.53, 1e-12);
  e.gui.OnMouseWheel(5, 5, &shift, 3);
  EXPECT_NEAR(fader->GetValue(), 0.533, 1e-12);
  e.gui.OnMouseWheel(5, 5, &control, -3);
  EXPECT_NEAR(fader->GetValue(), 0.530, 1e-12);
  e.gui.OnMouseWheel(5, 5, &none, 100);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0);
  e.gui.OnMouseWheel(5, 5, &none, -300);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 0.0);
  EXPECT_DOUBLE_EQ(e.plug.GetParam(0)->GetNormalized(), 0.0);
}

TEST(FaderControl, HandleOnlyFaderIsHitOnTheHandle) {
  Editor e;
  Frames handle(12, 10, 1);
  IFaderControl fader(&e.plug, 0, 0, 100, -1, &handle.bitmap, kVertical, true);
  fader.SetValueFromPlug(1.0);
  EXPECT_TRUE(fader.IsHit(5, 5));
  EXPECT_FALSE(fader.IsHit(5, 50));
  IFaderControl full(&e.plug, 0, 0, 100, -1, &handle.bitmap, kVertical);
  EXPECT_TRUE(full.IsHit(5, 50));
}

TEST(RadioButtonsControl, ClickSelectsAndValueDrawsTheNearestButton) {
  Editor e;
  Frames frames(23, 10, 2);  // frame 1 off, frame 2 on
  auto* radio = new IRadioButtonsControl(&e.plug, IRECT(545, 127, 568, 160), 0, 2, &frames.bitmap);
  e.gui.AttachControl(radio);
  EXPECT_EQ(*radio->GetButtonRECT(0), IRECT(545, 127, 568, 137));
  EXPECT_EQ(*radio->GetButtonRECT(1), IRECT(545, 150, 568, 160));  // gap of 13

  IMouseMod left(true);
  e.gui.OnMouseDown(550, 155, &left);
  EXPECT_DOUBLE_EQ(radio->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(e.plug.GetParam(0)->GetNormalized(), 1.0);
  e.plug.events.clear();
  e.gui.OnMouseDown(550, 143, &left);  // between the buttons
  EXPECT_DOUBLE_EQ(radio->GetValue(), 1.0);
  EXPECT_EQ(e.plug.Kinds(), "ebc");  // previous gesture closed, value sent again

  radio->SetValueFromPlug(0.4);
  e.gui.RedrawAll();
  EXPECT_EQ(e.Pixel(550, 130), 0xFF000002u);  // first button selected
  EXPECT_EQ(e.Pixel(550, 155), 0xFF000001u);

  IRadioButtonsControl reversed(&e.plug, IRECT(0, 0, 100, 10), 0, 3, &frames.bitmap, kHorizontal, true);
  EXPECT_EQ(*reversed.GetButtonRECT(0), IRECT(76, 0, 99, 10));  // gaps of 15
  EXPECT_EQ(*reversed.GetButtonRECT(2), IRECT(0, 0, 23, 10));
}

TEST(BitmapControl, ValuePicksTheFrame) {
  Editor e;
  Frames frames(10, 4, 3);
  auto* control = new IBitmapControl(&e.plug, 20, 30, 3, &frames.bitmap);
  e.gui.AttachControl(control);
  EXPECT_EQ(*control->GetRECT(), IRECT(20, 30, 30, 34));  // one frame
  const std::pair<double, uint32_t> cases[] = {{0.0, 1}, {0.24, 1}, {0.26, 2}, {0.5, 2}, {1.0, 3}, {7.0, 3}};
  for (auto [value, frame] : cases) {
    control->SetValueFromPlug(value);
    control->SetClean();
    EXPECT_EQ(control->Frame(), int(frame)) << value;
    e.gui.RedrawAll();
    EXPECT_EQ(e.Pixel(25, 32), 0xFF000000u | frame) << value;
  }

  Frames across(5, 5, 4, true);
  IBitmapControl horizontal(&e.plug, 0, 0, -1, &across.bitmap);
  EXPECT_EQ(*horizontal.GetRECT(), IRECT(0, 0, 5, 5));
}

TEST(TextControl, NewTextMarksDirtyOnlyWhenItChanged) {
  Editor e;
  IText style(12);
  auto* text = new ITextControl(&e.plug, IRECT(10, 10, 100, 30), &style, "0.0 dB");
  e.gui.AttachControl(text);
  text->SetClean();
  text->SetTextFromPlug("0.0 dB");
  EXPECT_FALSE(text->IsDirty());
  text->SetTextFromPlug("-3.0 dB");
  EXPECT_TRUE(text->IsDirty());
  EXPECT_STREQ(text->GetTextForPlug(), "-3.0 dB");
  text->SetTextFromPlug(nullptr);
  EXPECT_STREQ(text->GetTextForPlug(), "");
}
