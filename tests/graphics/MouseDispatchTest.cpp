#include <gtest/gtest.h>

#include <cctype>

#include "TestEditor.h"
#include "framework/graphics/KeyTable.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"

TEST(MouseDispatch, LaterOverlappingControlGetsTheClick) {
  TestEditor e;
  RecordingControl* background = e.Add(IRECT(0, 0, 100, 80));
  RecordingControl* under = e.Add(IRECT(10, 10, 50, 50));
  RecordingControl* over = e.Add(IRECT(30, 30, 70, 70));
  e.gui.OnMouseDown(40, 40, &e.left);
  e.gui.OnMouseUp(40, 40, &e.left);
  EXPECT_EQ(over->mouse, "du");
  EXPECT_EQ(under->mouse, "");
  e.gui.OnMouseDown(20, 20, &e.left);
  EXPECT_EQ(under->mouse, "d");
  // Right and bottom edges are outside.
  e.gui.OnMouseDown(70, 50, &e.left);
  EXPECT_EQ(background->mouse, "d");
}

TEST(MouseDispatch, HiddenAndGrayedControlsAreNotHit) {
  TestEditor e;
  RecordingControl* under = e.Add(IRECT(10, 10, 50, 50));
  RecordingControl* over = e.Add(IRECT(10, 10, 50, 50));
  over->Hide(true);
  e.gui.OnMouseDown(20, 20, &e.left);
  EXPECT_EQ(under->mouse, "d");
  over->Hide(false);
  over->GrayOut(true);
  e.gui.OnMouseDown(20, 20, &e.left);
  EXPECT_EQ(under->mouse, "dd");
  EXPECT_EQ(over->mouse, "");
  under->GrayOut(true);
  e.gui.OnMouseDown(20, 20, &e.left);
  EXPECT_EQ(e.gui.GetMouseCapture(), -1);
}

TEST(MouseDispatch, DragGoesToCapturedControlWithDeltasOnlyWhenMoved) {
  TestEditor e;
  RecordingControl* a = e.Add(IRECT(0, 0, 20, 20));
  RecordingControl* b = e.Add(IRECT(50, 50, 60, 60));
  e.gui.OnMouseDrag(55, 55, &e.left);  // nothing captured
  e.gui.OnMouseDown(5, 5, &e.left);
  e.gui.OnMouseDrag(5, 5, &e.left);    // no movement
  e.gui.OnMouseDrag(55, 52, &e.left);  // far outside a: still a's drag
  EXPECT_EQ(a->lastDX, 50);
  EXPECT_EQ(a->lastDY, 47);
  e.gui.OnMouseDrag(50, 50, &e.left);
  EXPECT_EQ(a->lastDX, -5);
  EXPECT_EQ(a->lastDY, -2);
  e.gui.OnMouseUp(50, 50, &e.left);
  EXPECT_EQ(a->mouse, "dmmu");
  EXPECT_EQ(b->mouse, "");
  EXPECT_EQ(e.gui.GetMouseCapture(), -1);
}

TEST(MouseDispatch, HostHearsOneGesturePerClickIncludingDoubleClicks) {
  TestEditor e;
  RecordingControl* c = e.Add(IRECT(0, 0, 20, 20), 2);
  e.gui.OnMouseDown(5, 5, &e.left);
  e.gui.OnMouseUp(5, 5, &e.left);
  EXPECT_EQ(e.plug.Kinds(), "be");
  // A double-click arrives as down, up, double-click, up: the double-click is a gesture of its own
  // (a reset), and the second up closes nothing.
  e.plug.events.clear();
  e.gui.OnMouseDown(5, 5, &e.left);
  e.gui.OnMouseUp(5, 5, &e.left);
  e.gui.OnMouseDblClick(5, 5, &e.left);
  e.gui.OnMouseUp(5, 5, &e.left);
  EXPECT_EQ(e.plug.Kinds(), "bebe");
  EXPECT_EQ(c->mouse, "dudu2u");
}

TEST(MouseDispatch, DoubleClickRestoresTheRecordedDefaultAndPushesIt) {
  TestEditor e;
  RecordingControl* c = e.Add(IRECT(0, 0, 20, 20), 1);
  e.gui.OnMouseDblClick(5, 5, &e.left);  // no default yet: no value
  EXPECT_EQ(e.plug.Kinds(), "be");
  e.gui.SetParameterFromPlug(1, 0.75, true);  // first value: the default
  c->SetValueFromUserInput(0.1);
  e.plug.events.clear();
  e.gui.OnMouseDblClick(5, 5, &e.left);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.75);
  ASSERT_EQ(e.plug.events.size(), 3u);
  EXPECT_EQ(e.plug.Kinds(), "bce");  // the reset reaches the host inside a gesture
  EXPECT_EQ(e.plug.events[1], (TestPlug::Event{'c', 1, 0.75}));
  EXPECT_DOUBLE_EQ(e.plug.GetParam(1)->GetNormalized(), 0.75);

  // Taking double-clicks as single clicks: a mouse-down that holds the mouse.
  c->SetDblAsSingleClick(true);
  EXPECT_TRUE(e.gui.OnMouseDblClick(5, 5, &e.left));
  EXPECT_EQ(e.gui.GetMouseCapture(), 0);
  EXPECT_EQ(c->mouse.back(), 'd');
}

TEST(MouseDispatch, WheelGoesToCapturedElseHitControl) {
  TestEditor e;
  RecordingControl* a = e.Add(IRECT(0, 0, 20, 20));
  RecordingControl* b = e.Add(IRECT(50, 50, 60, 60));
  e.gui.OnMouseWheel(55, 55, &e.left, 3);
  EXPECT_EQ(b->mouse, "w3");
  e.gui.OnMouseDown(5, 5, &e.left);
  e.gui.OnMouseWheel(55, 55, &e.left, -2);
  EXPECT_EQ(a->mouse, "dw-2");
  e.gui.OnMouseWheel(90, 90, &e.left, 1);  // over nothing, but a holds the mouse
  EXPECT_EQ(a->mouse, "dw-2w1");
  e.gui.ReleaseMouseCapture();
  e.gui.OnMouseWheel(90, 90, &e.left, 1);  // nothing under the pointer
  EXPECT_EQ(b->mouse, "w3");
}

TEST(MouseDispatch, KeysSkipTheBackgroundAndFallBackToTheKeyCatcher) {
  TestEditor e;
  RecordingControl* background = e.Add(IRECT(0, 0, 100, 80));
  RecordingControl* button = e.Add(IRECT(10, 10, 20, 20));
  auto* catcher = new RecordingControl(&e.plug, IRECT(), 99, nullptr);
  EXPECT_FALSE(e.gui.OnKeyDown(50, 50, KEY_SPACE));  // only the background there, no catcher
  e.gui.AttachKeyCatcher(catcher);
  EXPECT_TRUE(e.gui.OnKeyDown(50, 50, KEY_SPACE));
  EXPECT_TRUE(e.gui.OnKeyDown(15, 15, KEY_UPARROW));
  button->takesKeys = false;
  EXPECT_FALSE(e.gui.OnKeyDown(15, 15, KEY_DIGIT_0));
  EXPECT_TRUE(background->keys.empty());
  EXPECT_EQ(button->keys, (std::vector<int>{KEY_UPARROW, KEY_DIGIT_0}));
  EXPECT_EQ(catcher->keys, (std::vector<int>{KEY_SPACE}));
}

// Every window translates the host's keys through one table: space and arrows as virtual keys,
// digits and letters of either case as characters; other characters (some share a Windows arrow's
// virtual key code) and unknown virtual keys stay the host's.
TEST(MouseDispatch, HostKeysMapThroughOneTable) {
  EXPECT_EQ(KeyTable::OfHostKey(0, 7), KEY_SPACE);
  EXPECT_EQ(KeyTable::OfHostKey(0, 12), KEY_UPARROW);
  EXPECT_EQ(KeyTable::OfHostKey(0, 37), KEY_NONE);
  for (int c = 0; c < 256; ++c) {
    const bool digit = c >= '0' && c <= '9', letter = std::isalpha(c) && c < 128;
    EXPECT_EQ(KeyTable::OfHostKey(c, 0) != KEY_NONE, digit || letter || c == ' ') << c;
  }
  EXPECT_EQ(KeyTable::OfHostKey('q', 0), KeyTable::OfHostKey('Q', 0));
  TestEditor e;
  auto* catcher = new RecordingControl(&e.plug, IRECT(), 99, nullptr);
  e.gui.AttachKeyCatcher(catcher);
  EXPECT_FALSE(e.gui.OnHostKey('&', 0));
  EXPECT_TRUE(e.gui.OnHostKey('z', 0));
  EXPECT_EQ(catcher->keys, (std::vector<int>{KEY_ALPHA_Z}));
}

TEST(MouseDispatch, MouseOverIsOffUnlessAsked) {
  TestEditor e;
  e.Add(IRECT(0, 0, 20, 20));
  RecordingControl* grayed = e.Add(IRECT(0, 0, 20, 20));
  grayed->GrayOut(true);
  EXPECT_FALSE(e.gui.OnMouseOver(5, 5, &e.left));
  EXPECT_EQ(e.gui.GetMouseOver(), -1);
  e.gui.HandleMouseOver(true);
  EXPECT_TRUE(e.gui.OnMouseOver(5, 5, &e.left));
  EXPECT_EQ(e.gui.GetMouseOver(), 0);
  grayed->SetMOWhenGrayed(true);
  e.gui.OnMouseOver(5, 5, &e.left);
  EXPECT_EQ(e.gui.GetMouseOver(), 1);
  e.gui.OnMouseOut();
  EXPECT_EQ(e.gui.GetMouseOver(), -1);
}
