// The editor's own controls: faders, buttons, the level meter and the audio thread's messages.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "editor/EditorUnderTest.h"
#include "editor/IPeakMeterHoriz.h"

namespace {

using namespace layout;

IMouseMod shift() {
  return IMouseMod(false, false, true);
}
IMouseMod ctrl() {
  return IMouseMod(false, false, false, true);
}
int x_of_plot(int band) {
  return kPlotLeft + int(band * 437.0 / 119.0 + 0.5);
}

TEST(Faders, VerticalSliderIgnoresWheelAndDoubleClickAndRedesignsOnRelease) {
  EditorUnderTest e;
  IMyFaderControl* slider = e.fader(e->ui.vslider_control);
  const double before = slider->GetValue();
  IMouseMod none;
  e.gui->OnMouseWheel(514, 100, &none, 3);
  e.gui->OnMouseDblClick(514, 100, &none);
  EXPECT_EQ(slider->GetValue(), before);

  // The press moves the curve (one step); a release where it was pressed adds none but designs.
  const int steps = e.undo_steps();
  const double corrected = e->corrected[40];
  e.press(514, 100);
  EXPECT_EQ(e.undo_steps(), steps + 1);
  EXPECT_DOUBLE_EQ(slider->GetValue(), 1.0 - (100 - 8 - 6) / 330.0);
  EXPECT_DOUBLE_EQ(e->vslider_pos, e->GetParam(kParamVerticalSlider)->Value());
  e.release(514, 100);
  EXPECT_EQ(e.undo_steps(), steps + 1);
  EXPECT_EQ(e->ui.rerun_pending, 0);
  e->wait_for_design();
  EXPECT_NE(e->corrected[40], corrected) << "the release ran the design";
}

TEST(Faders, HorizontalWheelStepsAndClamps) {
  EditorUnderTest e;
  IMyFaderControl* volume = e.fader(e->ui.volume_control);
  const int x = 600, y = 197;
  IMouseMod none;
  e.gui->OnMouseWheel(x, y, &none, 1);
  EXPECT_NEAR(volume->GetValue(), 0.51, 1e-12);
  IMouseMod s = shift(), c = ctrl();
  e.gui->OnMouseWheel(x, y, &s, -1);
  e.gui->OnMouseWheel(x, y, &c, -1);
  EXPECT_NEAR(volume->GetValue(), 0.508, 1e-12);
  EXPECT_NEAR(e->bypass_volume.load(), volume->GetValue(), 1e-3);
  e.gui->OnMouseWheel(x, y, &none, 200);
  EXPECT_EQ(volume->GetValue(), 1.0);
  EXPECT_EQ(e.text_of(e->ui.volume_text), "20.0 dB");
  e.gui->OnMouseWheel(x, y, &none, -500);
  EXPECT_EQ(volume->GetValue(), 0.0);
  EXPECT_EQ(e.text_of(e->ui.volume_text), "-20.0 dB");
}

TEST(Faders, DoubleClickRestoresTheValueThePlugInGaveFirst) {
  EditorUnderTest e;
  IMyFaderControl* volume = e.fader(e->ui.volume_control);
  e.press(650, 197);
  e.release(650, 197);
  ASSERT_NE(e.text_of(e->ui.volume_text), "0.0 dB");
  IMouseMod none;
  e.gui->OnMouseDblClick(650, 197, &none);
  EXPECT_EQ(volume->GetValue(), 0.5);
  EXPECT_EQ(e.text_of(e->ui.volume_text), "0.0 dB");

  // A fader that never received a value from the plug-in keeps its place, and still reports.
  IBitmap noImage;
  auto* fresh = new IMyFaderControl(e.plug.get(), kVolumeSlider.x, kVolumeSlider.y, kVolumeSlider.len,
                                    kParamBypassVolume, &noImage, kHorizontal);
  e.gui->AttachControl(fresh);
  ASSERT_LT(fresh->GetDefaultValue(), 0.0);
  e->GetParam(kParamBypassVolume)->Set(1.0);
  fresh->OnMouseDblClick(600, 197, &none);
  EXPECT_EQ(fresh->GetValue(), 0.0);
  EXPECT_EQ(e.text_of(e->ui.volume_text), "20.0 dB");
}

TEST(Faders, RightPressDoesNothingAndFillBarSpansTheTrack) {
  EditorUnderTest e;
  IMyFaderControl* note = e.fader(e->ui.note_control);
  e.press(300, 410, EditorUnderTest::right());
  e.release(300, 410, EditorUnderTest::right());
  EXPECT_EQ(note->GetValue(), 0.0);
  EXPECT_EQ(e->note_pos, 0.0);
  EXPECT_EQ(note->BarRECT().W(), 0);

  note->SetValueFromUserInput(1.0);
  EXPECT_EQ(note->BarRECT(), IRECT(45, 409, 45 + 447, 411));
  IMyFaderControl* slider = e.fader(e->ui.vslider_control);
  slider->SetValueFromUserInput(1.0);
  EXPECT_EQ(slider->BarRECT(), IRECT(513, 8, 515, 350));
  slider->SetValueFromUserInput(0.0);
  EXPECT_EQ(slider->BarRECT().H(), 0);
  // the handle's centre follows the pointer
  e.press(45 + 6 + 200, 410);
  EXPECT_DOUBLE_EQ(note->GetValue(), 200.0 / 435.0);
  EXPECT_EQ(note->GetHandleRECT().L + 6, 45 + 6 + 200);
  e.release(45 + 6 + 200, 410);
}

TEST(Buttons, AnyButtonSendsItsCommandAndFlipsItsParameter) {
  EditorUnderTest e;
  e->ClearHostEvents();
  e.press(660, 74, EditorUnderTest::right());  // About, with the right button
  EXPECT_FALSE(e.hidden(e->ui.about_bitmap));
  e.release(660, 74);
  e.click(kAboutButton);
  std::vector<double> values;
  for (const auto& ev : e->HostEvents())
    if (ev.mKind == IEffectHeadless::HostEvent::kChange && ev.mParamIdx == kParamAbout)
      values.push_back(ev.mNormalized);
  EXPECT_EQ(values, (std::vector<double>{1.0, 0.0}));
}

// What the platform reports as a double-click is still a click to the user: every button acts on
// it, the plot takes it as a stroke (no step without one), and what reaches the host is inside a
// begin/end gesture.
TEST(Buttons, SecondClickOfADoubleClickCountsEverywhere) {
  EditorUnderTest e;
  IMouseMod left = EditorUnderTest::left();
  for (int k = 0; k < 3; ++k) e.click(x_of_plot(20 + 10 * k), 100);
  const int steps = e.undo_steps();
  e->ClearHostEvents();
  const int ux = (kUndoButton.left + kUndoButton.right) / 2, uy = (kUndoButton.top + kUndoButton.bottom) / 2;
  e.click(ux, uy);
  e.gui->OnMouseDblClick(ux, uy, &left);
  e.release(ux, uy);
  EXPECT_EQ(e.undo_steps(), steps - 2);

  const int px = x_of_plot(40);
  e.gui->OnMouseDblClick(px, 100, &left);
  e.release(px, 100);
  EXPECT_EQ(e.undo_steps(), steps - 1) << "the second press drew one stroke";
  IMouseMod none;
  e.gui->OnMouseUp(px, 100, &none);  // a release with no press behind it
  EXPECT_EQ(e.undo_steps(), steps - 1);

  e.press(650, 197);
  e.release(650, 197);
  e.gui->OnMouseDblClick(650, 197, &none);  // the volume fader's reset
  int open = 0;
  for (const auto& ev : e->HostEvents()) {
    if (ev.mKind == IEffectHeadless::HostEvent::kBegin) ++open;
    if (ev.mKind == IEffectHeadless::HostEvent::kEnd) --open;
    if (ev.mKind == IEffectHeadless::HostEvent::kChange) {
      EXPECT_EQ(open, 1) << "param " << ev.mParamIdx;
    }
  }
  EXPECT_EQ(open, 0);
}

TEST(Meter, FallsTwoPercentPerFrameAndRisesAtOnce) {
  EditorUnderTest e;
  auto* meter = e.control<IPeakMeterHoriz>(e->ui.meter_control);
  ASSERT_NE(meter, nullptr);
  e.gui->SetControlFromPlug(e->ui.meter_control, 1.0);
  e.gui->Tick();
  EXPECT_EQ(meter->Smoothed(), 1.0);
  e.gui->SetControlFromPlug(e->ui.meter_control, 0.0);
  e.gui->Tick();
  EXPECT_NEAR(meter->Smoothed(), 0.98, 1e-12);
  e.gui->Tick();
  EXPECT_NEAR(meter->Smoothed(), 0.96, 1e-12);
  for (int frame = 3; frame <= 51; ++frame) e.gui->Tick();
  EXPECT_EQ(meter->Smoothed(), 0.0);
  EXPECT_FALSE(e.gui->Tick());  // a level at rest draws nothing

  e.gui->SetControlFromPlug(e->ui.meter_control, 0.5);
  e.gui->Tick();
  e.gui->SetControlFromPlug(e->ui.meter_control, 0.51);
  e.gui->Tick();
  EXPECT_EQ(meter->Smoothed(), 0.51);
  EXPECT_EQ(e.pixel(545 + 80, 247), 0x00FF00u);
  EXPECT_NE(e.pixel(545 + 84, 247), 0x00FF00u);

  // each instance's meter falls on its own
  EditorUnderTest other;
  other.gui->Tick();
  EXPECT_EQ(other.control<IPeakMeterHoriz>(other->ui.meter_control)->Smoothed(), 0.0);
}

// The audio thread sets the meter while the editor draws it: values cross as atomics, no lock.
TEST(Meter, AudioThreadFeedsTheMeterWhileTheEditorDraws) {
  EditorUnderTest e;
  e->HostSetSampleRate(48000.0);
  e->HostSetBlockSize(256);
  std::atomic<bool> done{false};
  std::thread audio([&] {
    std::vector<double> in(256), out(256);
    double* ins[] = {in.data()};
    double* outs[] = {out.data()};
    for (int block = 0; block < 2000; ++block) {
      for (int s = 0; s < 256; ++s) in[size_t(s)] = 0.5 * ((block / 100) % 2) * ((s % 2) ? 1.0 : -1.0);
      e->HostProcess(ins, outs, 256);
    }
    done = true;
  });
  auto* meter = e.control<IPeakMeterHoriz>(e->ui.meter_control);
  double highest = 0.0;
  while (!done) {
    e.gui->Tick();
    highest = std::max(highest, meter->Smoothed());
  }
  audio.join();
  e.gui->Tick();  // the last blocks are loud: the meter has a level even if the audio outran the editor
  highest = std::max(highest, meter->Smoothed());
  EXPECT_GT(highest, 0.0);
  EXPECT_LE(highest, 1.0);
}

// A host automating the bypass volume and the note while the editor draws their readouts and the
// cursor: only values cross the threads, the texts are made where they are drawn. Under
// ThreadSanitizer this fails on any shared text.
TEST(Readouts, HostAutomationWhileTheEditorDraws) {
  EditorUnderTest e;
  std::atomic<bool> done{false};
  std::thread host([&] {
    for (int k = 0; k < 400; ++k) {
      e->HostSetParameter(kParamBypassVolume, (k % 41) / 40.0);
      e->HostSetParameter(kParamNoteIndicator, (k % 120) / 119.0);
    }
    e->HostSetParameter(kParamBypassVolume, 0.25);
    e->HostSetParameter(kParamNoteIndicator, 53.0 / 119.0);
    done = true;
  });
  while (!done) e.gui->Tick();
  host.join();
  e.gui->Tick();
  EXPECT_EQ(e.text_of(e->ui.volume_text), "-10.0 dB");
  EXPECT_EQ(e.text_of(e->ui.note_text), "A4");
}

TEST(Mailbox, CountdownEventUpdatesTheTextOnlyWhileSecondsRemain) {
  EditorUnderTest e;
  IControl* box = e.gui->GetControl(e->ui.dummy_control);
  auto* text = e.control<ITextControl>(e->ui.knock_text);
  text->SetTextFromPlug("as it was");
  e->messages.post(AudioMessages::kCountdownChanged);
  e.gui->Tick();
  EXPECT_EQ(e->messages.take(), 0u) << "the frame took the event";
  EXPECT_EQ(e.text_of(e->ui.knock_text), "as it was");

  // the receiver's own value carries no message and is left alone
  e.gui->SetControlFromPlug(e->ui.dummy_control, 0.3);
  box->SetDirty(false);
  e.gui->Tick();
  EXPECT_EQ(box->GetValue(), 0.3);
}

// A whole measurement through the editor's redraws: the countdown appears with the first recorded
// second, and the end of the window runs the analysis on the next frame.
TEST(Mailbox, MeasurementRunsThroughTheEditorsFrames) {
  EditorUnderTest e;
  e->HostSetSampleRate(44100.0);
  e->HostSetBlockSize(4096);
  e.click(kStartButton);
  EXPECT_FALSE(e.hidden(e->ui.knock_bitmap));
  EXPECT_FALSE(e.hidden(e->ui.knock_text));

  std::vector<double> in(4096), out(4096);
  double* ins[] = {in.data()};
  double* outs[] = {out.data()};
  unsigned noise = 1;
  std::string first;
  int blocks = 0;
  for (; blocks < 200 && !e.hidden(e->ui.knock_text); ++blocks) {
    for (double& s : in) {
      noise = noise * 1103515245u + 12345u;
      s = 0.2 * (double((noise >> 8) & 0xFFFF) / 65536.0 - 0.5);
    }
    e->HostProcess(ins, outs, 4096);
    e.gui->Tick();
    if (first.empty()) first = e.text_of(e->ui.knock_text);
  }
  EXPECT_EQ(first, "Knock. Time left: 12 sec.");
  EXPECT_TRUE(e.hidden(e->ui.knock_bitmap));
  EXPECT_LT(blocks, 200);
  double peak = 0.0;
  for (double m : e->measured) peak = std::max(peak, m);
  EXPECT_DOUBLE_EQ(peak, 1.0) << "the analysis ran";
  EXPECT_EQ(e->vslider_pos, 1.0);
}

}  // namespace
