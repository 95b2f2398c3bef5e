#include <gtest/gtest.h>

#include <limits>

#include "TestEffect.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"

namespace {

class ValueControl : public IControl {
 public:
  ValueControl(IEffectBase* plug, int paramIdx) : IControl(plug, IRECT(0, 0, 10, 10), paramIdx) {}
  bool Draw(IGraphics*) override { return true; }
};

// A plug-in with an editor holding one control per parameter.
struct EffectWithEditor {
  EffectWithEditor() {
    auto* editor = new IGraphicsHeadless(&fx, 40, 20);
    for (int i = 0; i < fx.NParams(); ++i) editor->AttachControl(new ValueControl(&fx, i));
    fx.AttachGraphics(editor);
  }
  double shown(int idx) { return fx.GetGUI()->GetControl(idx)->GetValue(); }
  TestEffect fx{3, "1-1", 1};
};

}  // namespace

TEST(EditorLink, AttachingHandsEveryParameterToTheEditor) {
  TestEffect fx(3, "1-1", 1);
  fx.GetParam(1)->Set(0.25);
  auto* editor = new IGraphicsHeadless(&fx, 40, 20);
  for (int i = 0; i < 3; ++i) editor->AttachControl(new ValueControl(&fx, i));
  fx.AttachGraphics(nullptr);  // ignored
  EXPECT_EQ(fx.GetGUI(), nullptr);
  fx.AttachGraphics(editor);
  ASSERT_EQ(fx.GetGUI(), editor);
  EXPECT_DOUBLE_EQ(editor->GetControl(1)->GetValue(), 0.25);
  EXPECT_EQ(editor->GetDrawBitmap(), nullptr);  // a closed editor holds no picture
}

TEST(EditorLink, HostChangesReachEditorThenPlugIn) {
  EffectWithEditor e;
  e.fx.SetParameterFromHost(2, 0.75);
  EXPECT_DOUBLE_EQ(e.shown(2), 0.75);
  EXPECT_DOUBLE_EQ(e.fx.GetParam(2)->Value(), 0.75);
  EXPECT_EQ(e.fx.changed, std::vector<int>{2});
  EXPECT_TRUE(e.fx.informed.empty());  // the host is not told of its own change

  e.fx.SetParameterFromHost(2, 3.0);
  EXPECT_DOUBLE_EQ(e.fx.GetParam(2)->Value(), 1.0);
  EXPECT_DOUBLE_EQ(e.shown(2), 1.0);
  e.fx.SetParameterFromHost(2, std::numeric_limits<double>::quiet_NaN());
  e.fx.SetParameterFromHost(7, 0.5);
  e.fx.SetParameterFromHost(-1, 0.5);
  EXPECT_DOUBLE_EQ(e.fx.GetParam(2)->Value(), 1.0);
  EXPECT_EQ(e.fx.changed.size(), 2u);
}

TEST(EditorLink, RestoredPresetsRedrawTheControls) {
  EffectWithEditor e;
  e.fx.GetParam(0)->Set(0.6);
  e.fx.MakeDefaultPreset("saved", 1);
  e.fx.GetParam(0)->Set(0.1);
  e.fx.RedrawParamControls();
  EXPECT_DOUBLE_EQ(e.shown(0), 0.1);
  ASSERT_TRUE(e.fx.RestorePreset("saved"));
  EXPECT_DOUBLE_EQ(e.fx.GetParam(0)->Value(), 0.6);
  EXPECT_DOUBLE_EQ(e.shown(0), 0.6);
}
