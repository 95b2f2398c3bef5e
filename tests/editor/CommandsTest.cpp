// The command dispatcher: every id the editor's controls send, and ids that are none.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "editor/EditorUnderTest.h"

namespace {

using namespace layout;

std::vector<double> curve(const double* c) {
  return {c, c + kNumBands};
}

TEST(Commands, VerticalSliderMovesTheTargetAndTheCorrectionFollows) {
  EditorUnderTest e;
  const int steps = e.undo_steps();
  const double corrected = e->corrected[10];
  e->GetParam(kParamVerticalSlider)->Set(0.8);
  e->from_GUI(kParamVerticalSlider);
  const double level = std::pow(10.0, (1.0 - 0.8) * -45.0 / 20.0);
  EXPECT_DOUBLE_EQ(e->target_level, level);
  for (int i = 0; i < kNumBands; ++i) EXPECT_DOUBLE_EQ(e->target[i], level * e->target_shape[i]);
  EXPECT_EQ(e.undo_steps(), steps + 1);
  EXPECT_TRUE(e.plot()->IsDirty());
  e->wait_for_design();
  const double following = e->corrected[10];
  EXPECT_NE(following, corrected) << "the correction follows the slider while it is dragged";

  // the same value again is no step; a pending release runs the final design, of the same curve
  e->ui.rerun_pending = 1;
  e->from_GUI(kParamVerticalSlider);
  EXPECT_EQ(e.undo_steps(), steps + 1);
  EXPECT_EQ(e->ui.rerun_pending, 0);
  e->wait_for_design();
  EXPECT_EQ(e->corrected[10], following);
}

TEST(Commands, BypassVolumeReadout) {
  EditorUnderTest e;
  for (auto [value, text] :
       {std::pair{0.5, "0.0 dB"}, {1.0, "20.0 dB"}, {0.0, "-20.0 dB"}, {0.25, "-10.0 dB"}}) {
    e->GetParam(kParamBypassVolume)->Set(value);
    e->from_GUI(kParamBypassVolume);
    EXPECT_EQ(e.text_of(e->ui.volume_text), text);
    EXPECT_EQ(e->bypass_volume.load(), value);
  }
  // A host's automation shows in the readout as the fader's does.
  e->HostSetParameter(kParamBypassVolume, 0.75);
  EXPECT_EQ(e.text_of(e->ui.volume_text), "10.0 dB");
}

TEST(Commands, NoteIndicatorNamesTheBandAndMovesTheCursor) {
  EditorUnderTest e;
  e.gui->Tick();
  e->GetParam(kParamNoteIndicator)->Set(0.004);  // still band 0
  e->from_GUI(kParamNoteIndicator);
  EXPECT_EQ(e.text_of(e->ui.note_text), "E0");
  EXPECT_TRUE(e.plot()->IsDirty());
  e->GetParam(kParamNoteIndicator)->Set(53.0 / 119.0);
  e->from_GUI(kParamNoteIndicator);
  EXPECT_EQ(e.text_of(e->ui.note_text), "A4");
  e.gui->Tick();
  e->HostSetParameter(kParamNoteIndicator, 1.0);  // a host moves the note as the fader does
  EXPECT_EQ(e.text_of(e->ui.note_text), "D#10");
  EXPECT_TRUE(e.plot()->IsDirty());
  e.gui->Tick();
  EXPECT_EQ(e.pixel(486, 100), 0xFFFFFFu);
}

TEST(Commands, FileCommandsAskForTheRightKindOfFile) {
  EditorUnderTest e;
  const auto target = curve(e->target);
  e->from_GUI(kParamLoadTarget);
  e->from_GUI(kParamSave);
  e->from_GUI(kParamLoad);
  const auto& prompts = e.gui->FilePrompts();
  ASSERT_EQ(prompts.size(), 3u);
  EXPECT_EQ(prompts[0].action, kFileOpen);
  EXPECT_EQ(prompts[1].action, kFileSave);
  EXPECT_EQ(prompts[2].action, kFileOpen);
  EXPECT_EQ(curve(e->target), target) << "cancelled prompts change nothing";
  EXPECT_TRUE(e.gui->Notices().empty());
}

TEST(Commands, ResetTargetMakesTheCorrectionFlat) {
  EditorUnderTest e;
  for (int i = 0; i < kNumBands; ++i) e->measured[i] = 0.25 + 0.25 * std::sin(i * 0.1) * std::sin(i * 0.1);
  e->measured[70] = 0.5;
  e->from_GUI(kParamResetTarget);
  for (int i = 0; i < kNumBands; ++i) {
    EXPECT_DOUBLE_EQ(e->target[i], e->measured[i]);
    EXPECT_DOUBLE_EQ(e->target_shape[i], e->measured[i] / 0.5);
  }
  EXPECT_DOUBLE_EQ(e->target_level, 0.5);
  EXPECT_NEAR(e.fader(e->ui.vslider_control)->GetValue(), 20.0 * std::log10(0.5) / 45.0 + 1.0, 1e-12);

  // right after a measurement (largest band 1.0) nothing moves but the slider, to the top
  for (int i = 0; i < kNumBands; ++i) e->measured[i] = e->target[i] = e->target_shape[i] = i == 3 ? 1.0 : 0.3;
  e->target_level = 1.0;
  e->from_GUI(kParamResetTarget);
  EXPECT_EQ(e->target[3], 1.0);
  EXPECT_EQ(e->target[50], 0.3);
  EXPECT_EQ(e->vslider_pos, 1.0);
  EXPECT_EQ(e->GetParam(kParamVerticalSlider)->Value(), 1.0);
}

TEST(Commands, ResetAllThenUndoRestoresCurvesAndSlider) {
  EditorUnderTest e;
  e.press(100, 60);
  e.drag(300, 150);
  e.release(300, 150);
  const auto measured = curve(e->measured), target = curve(e->target);
  const double slider = e->vslider_pos;
  ASSERT_NE(target[40], kInitialLevel);

  e.click(kResetAllButton);
  for (int i = 0; i < kNumBands; ++i) {
    EXPECT_EQ(e->measured[i], kInitialLevel);
    EXPECT_EQ(e->target[i], kInitialLevel);
    EXPECT_EQ(e->target_shape[i], 1.0);
  }
  EXPECT_NEAR(e->vslider_pos, 4.0 / 9.0, 1e-12);

  e.click(kUndoButton);
  EXPECT_EQ(curve(e->measured), measured);
  for (int i = 0; i < kNumBands; ++i) EXPECT_NEAR(e->target[i], target[i], 1e-12 * target[i]);
  EXPECT_DOUBLE_EQ(e->vslider_pos, slider);
  e.click(kRedoButton);
  EXPECT_EQ(e->target[40], kInitialLevel);
}

TEST(Commands, UndoAndRedoAtTheEndsDoNothing) {
  EditorUnderTest e;
  const auto target = curve(e->target);
  e->from_GUI(kParamUndo);
  e->from_GUI(kParamRedo);
  EXPECT_EQ(curve(e->target), target);
  EXPECT_EQ(e.undo_steps(), 0);
}

TEST(Commands, AboutShowsAndOkHides) {
  EditorUnderTest e;
  for (int round = 0; round < 2; ++round) {
    e.click(kAboutButton);
    for (int index : {e->ui.about_bitmap, e->ui.version_text, e->ui.about_ok_button})
      EXPECT_FALSE(e.hidden(index));
    EXPECT_EQ(e.text_of(e->ui.version_text), "1.1.9");
    e.click(kAboutOkButton);
    for (int index : {e->ui.about_bitmap, e->ui.version_text, e->ui.about_ok_button})
      EXPECT_TRUE(e.hidden(index));
  }
}

TEST(Commands, StartShowsTheKnockPanel) {
  EditorUnderTest e;
  e.click(kStartButton);
  EXPECT_FALSE(e.hidden(e->ui.knock_bitmap));
  EXPECT_FALSE(e.hidden(e->ui.knock_text));
  EXPECT_EQ(e->measuring.load(), 1);
}

TEST(Commands, IdsThatAreNoCommandChangeNothing) {
  EditorUnderTest e;
  const auto target = curve(e->target), measured = curve(e->measured);
  const double slider = e->vslider_pos;
  for (int id : {0, 14, 200, -1}) e->from_GUI(id);
  EXPECT_EQ(curve(e->target), target);
  EXPECT_EQ(curve(e->measured), measured);
  EXPECT_EQ(e->vslider_pos, slider);
  EXPECT_EQ(e.undo_steps(), 0);
  EXPECT_TRUE(e.hidden(e->ui.about_bitmap));
  EXPECT_EQ(e->measuring.load(), 0);
  EXPECT_TRUE(e.gui->FilePrompts().empty());
}

}  // namespace
