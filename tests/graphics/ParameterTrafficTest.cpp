#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "TestEditor.h"
#include "framework/graphics/ITextControl.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"

TEST(ParameterTraffic, PlugValuesReachEveryBoundControlAndAuxParams) {
  TestEditor e;
  RecordingControl* a = e.Add(IRECT(0, 0, 10, 10), 1);
  RecordingControl* b = e.Add(IRECT(0, 0, 10, 10), 1);
  RecordingControl* other = e.Add(IRECT(0, 0, 10, 10), 2);
  other->AddAuxParam(1);
  e.gui.SetParameterFromPlug(1, 5.0, false);  // plain value in -10..10
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(b->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(other->GetValue(), 0.0);
  EXPECT_DOUBLE_EQ(other->GetAuxParam(0)->mValue, 0.75);
  e.gui.SetParameterFromPlug(7, 0.5, true);    // no control has it
  e.gui.SetParameterFromPlug(-1, 0.5, false);  // no such parameter
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.75);
  EXPECT_TRUE(e.plug.events.empty());  // values from the plug-in never echo back

  e.gui.SetParameterFromGUI(1, 0.25);
  EXPECT_DOUBLE_EQ(b->GetValue(), 0.25);
  EXPECT_DOUBLE_EQ(e.plug.GetParam(1)->GetNormalized(), 0.25);
}

TEST(ParameterTraffic, ControlByIndexAndOutOfRangeIndicesIgnored) {
  TestEditor e;
  RecordingControl* c = e.Add(IRECT(0, 0, 10, 10), -1);
  e.gui.SetControlFromPlug(0, 0.0);  // first value: default
  e.gui.SetControlFromPlug(0, 0.55555555);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.55555555);
  EXPECT_TRUE(c->IsDirty());
  e.gui.SetControlFromPlug(1, 0.3);
  e.gui.SetControlFromPlug(-1, 0.3);
  e.gui.SetControlFromPlug(1 << 30, 0.3);
  EXPECT_EQ(e.gui.GetControl(1), nullptr);
  EXPECT_EQ(e.gui.GetControl(-1), nullptr);
}

TEST(ParameterTraffic, HideGrayAndClampByParameter) {
  TestEditor e;
  RecordingControl* a = e.Add(IRECT(0, 0, 10, 10), 3);
  RecordingControl* b = e.Add(IRECT(0, 0, 10, 10), 3);
  RecordingControl* other = e.Add(IRECT(0, 0, 10, 10), 0);
  e.gui.HideControl(3, true);
  EXPECT_TRUE(a->IsHidden());
  EXPECT_TRUE(b->IsHidden());
  EXPECT_FALSE(other->IsHidden());
  e.gui.GrayOutControl(3, true);
  EXPECT_TRUE(b->IsGrayed());
  e.gui.ClampControl(3, -5.0, 5.0, false);
  EXPECT_DOUBLE_EQ(a->GetClampLo(), 0.25);
  EXPECT_DOUBLE_EQ(a->GetClampHi(), 0.75);
  a->SetValueFromUserInput(0.9);
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(e.plug.GetParam(3)->GetNormalized(), 0.75);
  e.gui.ClampControl(0, 0.1, 0.2, true);
  EXPECT_DOUBLE_EQ(other->GetClampHi(), 0.2);
}

TEST(ParameterTraffic, TextEntryCommitParsesClampsAndNegates) {
  TestEditor e;
  RecordingControl* c = e.Add(IRECT(0, 0, 10, 10), 1);
  IParam* param = e.plug.GetParam(1);
  e.gui.SetFromStringAfterPrompt(c, param, "-0.5");
  EXPECT_DOUBLE_EQ(param->Value(), -0.5);
  e.gui.SetFromStringAfterPrompt(c, param, "1e9");
  EXPECT_DOUBLE_EQ(param->Value(), 10.0);
  e.gui.SetFromStringAfterPrompt(c, param, "nan");
  EXPECT_DOUBLE_EQ(param->Value(), 10.0);
  param->SetNegateDisplay(true);
  e.gui.SetFromStringAfterPrompt(c, param, "3");
  EXPECT_DOUBLE_EQ(param->Value(), -3.0);

  IParam* mode = e.plug.GetParam(TestPlug::kModeParam);
  e.gui.SetFromStringAfterPrompt(c, mode, "Bypass");
  EXPECT_DOUBLE_EQ(c->GetValue(), 1.0);
  e.gui.SetFromStringAfterPrompt(c, mode, "nonsense");
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.0);
}

TEST(ParameterTraffic, PromptsStayDisabledByDefault) {
  TestEditor e;
  RecordingControl* c = e.Add(IRECT(0, 0, 10, 10), 1);
  IMouseMod right(false, true);
  c->IControl::OnMouseDown(5, 5, &right);  // the base behaviour: prompt, which is disabled
  c->PromptUserInput();
  EXPECT_FALSE(c->GetRedraw());
}

// The audio thread signals the editor as the engine does: value, then dirty. Every signal must end in a
// draw that sees it, with no data race (run under ThreadSanitizer).
TEST(ParameterTraffic, AudioThreadSignalsAreNeverLost) {
  TestEditor e;
  RecordingControl* meter = e.Add(IRECT(0, 0, 50, 5), -1);
  e.gui.PrepDraw();
  e.gui.SetControlFromPlug(0, 0.0);
  std::atomic<bool> done{false};
  std::thread audio([&] {
    for (int i = 1; i <= 20000; ++i) {
      e.gui.SetControlFromPlug(0, i / 20000.0);
      meter->SetDirty(false);
    }
    done = true;
  });
  while (!done) e.gui.Tick();
  audio.join();
  while (e.gui.Tick()) {
  }
  EXPECT_DOUBLE_EQ(meter->GetValue(), 1.0);
  EXPECT_FALSE(meter->IsDirty());
}

namespace {
// A platform that picks the second menu item and remembers the text entry it was asked for.
class PromptingEditor : public IGraphicsHeadless {
 public:
  using IGraphicsHeadless::IGraphicsHeadless;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override {
    shownItems = menu->GetNItems();
    checkedFirst = menu->GetItem(0)->GetChecked();
    menu->SetChosenItemIdx(1);
    return menu;
  }
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str, IParam* param) override {
    entryText = str;
  }
  int shownItems = 0;
  bool checkedFirst = false;
  std::string entryText;
};
}  // namespace

TEST(ParameterTraffic, EnabledPromptsOfferTheDisplayTextsOrTheValueText) {
  TestPlug plug;
  auto* gui = new PromptingEditor(&plug, 100, 80);
  auto* mode = new RecordingControl(&plug, IRECT(0, 0, 10, 10), 0, nullptr, TestPlug::kModeParam);
  auto* level = new RecordingControl(&plug, IRECT(20, 0, 30, 10), 1, nullptr, 1);
  gui->AttachControl(mode);
  gui->AttachControl(level);
  plug.AttachGraphics(gui);
  mode->DisablePrompt(false);
  level->DisablePrompt(false);
  plug.GetParam(1)->Set(-2.5);

  mode->PromptUserInput();
  EXPECT_EQ(gui->shownItems, 2);
  EXPECT_TRUE(gui->checkedFirst);
  EXPECT_DOUBLE_EQ(mode->GetValue(), 1.0);
  EXPECT_EQ(plug.GetParam(TestPlug::kModeParam)->Int(), 1);
  EXPECT_TRUE(mode->GetRedraw());

  level->PromptUserInput();
  EXPECT_EQ(gui->entryText, plug.GetParam(1)->GetDisplayForHost());
}

TEST(ParameterTraffic, UserChangeUpdatesTheValueDisplayAndAuxParams) {
  TestEditor e;
  RecordingControl* c = e.Add(IRECT(0, 0, 10, 10), 1);
  IText style(12);
  auto* display = new ITextControl(&e.plug, IRECT(0, 20, 50, 30), &style, "");
  e.gui.AttachControl(display);
  c->SetValDisplayControl(display);
  c->AddAuxParam(2);
  c->GetAuxParam(0)->mValue = 0.25;
  c->SetValueFromUserInput(0.75);
  const std::string expected =
      e.plug.GetParam(1)->GetDisplayForHost() + " " + e.plug.GetParam(1)->GetLabelForHost();
  EXPECT_STREQ(display->GetTextForPlug(), expected.c_str());
  EXPECT_DOUBLE_EQ(e.plug.GetParam(2)->GetNormalized(), 0.25);
  EXPECT_EQ(e.plug.Kinds(), "cc");
  EXPECT_EQ(c->AuxParamIdx(2), 0);
  EXPECT_EQ(c->AuxParamIdx(3), -1);
  EXPECT_EQ(c->GetAuxParam(1), nullptr);
}
