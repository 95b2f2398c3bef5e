// The editor half of the plug-in class: the window with all its controls, built once at
// construction, and the dispatcher of the commands its controls send.

#include <cmath>
#include <cstdio>
#include <cstring>

#include "editor/EditorLayout.h"
#include "editor/IDummyControl.h"
#include "editor/IHelp.h"
#include "editor/IMyButton.h"
#include "editor/IMyFaderControl.h"
#include "editor/IMyPlots.h"
#include "editor/IPeakMeterHoriz.h"
#include "editor/IReadoutControl.h"
#include "engine/ParamText.h"
#include "framework/graphics/IBitmapControl.h"
#include "framework/graphics/IRadioButtonsControl.h"
#include "framework/graphics/ITextControl.h"
#include "framework/graphics/MakeGraphics.h"
#include "plugin/IResonix.h"

namespace {

IRECT rect_of(const layout::Rect& r) {
  return IRECT(r.left, r.top, r.right, r.bottom);
}

IText text_style(int size, IColor colour, const char* face, IText::EStyle style, IText::EAlign align) {
  return IText(size, &colour, face, style, align);
}

template <typename T>
T* control_at(IGraphics* gui, int index) {
  return gui ? dynamic_cast<T*>(gui->GetControl(index)) : nullptr;
}

}  // namespace

void IResonix::build_editor() {
  using namespace layout;
  IGraphics* gui = MakeGraphics(this, kWindowWidth, kWindowHeight);
  gui->AttachBackground(kBackground.id, kBackground.name);

  // 1-2: calibration name (only with a calibration file) and the bypass volume readout
  if (!calibration_name.empty()) {
    IText style = text_style(16, IColor(255, 220, 220, 220), "Verdana", IText::kStyleBold, IText::kAlignFar);
    gui->AttachControl(new ITextControl(this, rect_of(kCalibrationName), &style, calibration_name.c_str()));
  }
  {
    IText style = text_style(12, IColor(255, 255, 255, 255), "Verdana", IText::kStyleBold, IText::kAlignFar);
    ui.volume_text = gui->AttachControl(new IReadoutControl(this, rect_of(kVolumeReadout), &style,
                                                            ParamText::bypass_volume, bypass_volume.load()));
  }

  // 3-12: Help and the command buttons
  gui->AttachControl(new IHelp(this, rect_of(kHelpButton)));
  const struct {
    const Rect* rect;
    int tag;
  } buttons[] = {{&kAboutButton, kParamAbout},
                 {&kStartButton, kParamStart},
                 {&kUndoButton, kParamUndo},
                 {&kRedoButton, kParamRedo},
                 {&kSaveButton, kParamSave},
                 {&kLoadButton, kParamLoad},
                 {&kLoadTargetButton, kParamLoadTarget},
                 {&kResetTargetButton, kParamResetTarget},
                 {&kResetAllButton, kParamResetAll}};
  for (const auto& b : buttons) gui->AttachControl(new IMyButton(this, rect_of(*b.rect), b.tag));

  // 13: note name over the plot
  {
    IText style = text_style(22, COLOR_WHITE, "Tahoma", IText::kStyleNormal, IText::kAlignNear);
    ui.note_text = gui->AttachControl(
        new IReadoutControl(this, rect_of(kNoteName), &style, ParamText::note, note_pos.load()));
  }

  // 14: mode radio buttons
  IBitmap radio = gui->LoadIBitmap(kRadio.id, kRadio.name, kRadio.frames);
  ui.mode_control = gui->AttachControl(
      new IRadioButtonsControl(this, rect_of(kModeRadios), kParamMode, 2, &radio, kVertical, false));

  // 15-17: the three faders
  IBitmap handle = gui->LoadIBitmap(kFader.id, kFader.name, kFader.frames);
  ui.vslider_control =
      gui->AttachControl(new IMyFaderControl(this, kVerticalSlider.x, kVerticalSlider.y, kVerticalSlider.len,
                                             kParamVerticalSlider, &handle, kVertical));
  ui.volume_control = gui->AttachControl(new IMyFaderControl(
      this, kVolumeSlider.x, kVolumeSlider.y, kVolumeSlider.len, kParamBypassVolume, &handle, kHorizontal));
  ui.note_control = gui->AttachControl(new IMyFaderControl(
      this, kNoteSlider.x, kNoteSlider.y, kNoteSlider.len, kParamNoteIndicator, &handle, kHorizontal));

  // 18: the response plot
  ui.plot_control = gui->AttachControl(new IMyPlots(this));

  // 19-20: About panel and version, hidden
  IBitmap aboutPanel = gui->LoadIBitmap(kAboutPanel.id, kAboutPanel.name, kAboutPanel.frames);
  ui.about_bitmap = gui->AttachControl(new IBitmapControl(this, kAboutX, kAboutY, -1, &aboutPanel));
  gui->GetControl(ui.about_bitmap)->Hide(true);
  {
    IText style = text_style(16, COLOR_WHITE, "Verdana", IText::kStyleNormal, IText::kAlignNear);
    char version[16];
    const int v = GetEffectVersion(false);
    std::snprintf(version, sizeof version, "%d.%d.%d", (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    ui.version_text = gui->AttachControl(new ITextControl(this, rect_of(kVersionText), &style, version));
    gui->GetControl(ui.version_text)->Hide(true);
  }

  // 21-22: input level meter and the audio thread's mailbox; 0 becomes their recorded default
  ui.meter_control = gui->AttachControl(new IPeakMeterHoriz(this, rect_of(kMeter)));
  gui->SetControlFromPlug(ui.meter_control, 0.0);
  ui.dummy_control = gui->AttachControl(new IDummyControl(this));
  gui->SetControlFromPlug(ui.dummy_control, 0.0);

  // 23-24: knock panel and countdown, hidden until "Start"
  IBitmap knockPanel = gui->LoadIBitmap(kKnockPanel.id, kKnockPanel.name, kKnockPanel.frames);
  ui.knock_bitmap = gui->AttachControl(new IBitmapControl(this, kKnockX, kKnockY, -1, &knockPanel));
  gui->GetControl(ui.knock_bitmap)->Hide(true);
  {
    IText style =
        text_style(30, IColor(255, 255, 255, 255), "Verdana", IText::kStyleBold, IText::kAlignCenter);
    ui.knock_text =
        gui->AttachControl(new ITextControl(this, rect_of(kKnockCountdown), &style, ui.knock_text_buf));
    gui->GetControl(ui.knock_text)->Hide(true);
  }

  // 25: the About panel's OK button, hidden
  ui.about_ok_button = gui->AttachControl(new IMyButton(this, rect_of(kAboutOkButton), kParamOK));
  gui->GetControl(ui.about_ok_button)->Hide(true);

  AttachGraphics(gui);
}

void IResonix::show_about(bool shown) {
  IGraphics* gui = GetGUI();
  if (!gui) return;
  for (int index : {ui.about_bitmap, ui.version_text, ui.about_ok_button})
    if (IControl* control = gui->GetControl(index)) control->Hide(!shown);
}

void IResonix::from_GUI(int command) {
  IGraphics* gui = GetGUI();
  switch (command) {
    case kParamVerticalSlider: {
      Lock lock(mMutex);
      const double v = GetParam(kParamVerticalSlider)->Value();
      if (v != vslider_pos) {
        vslider_pos = v;
        apply_target_level();
        save_to_undo();
        if (IControl* plot = gui ? gui->GetControl(ui.plot_control) : nullptr) plot->SetDirty(false);
        // While the fader is dragged the correction follows it through quick designs.
        if (!ui.rerun_pending) run_preview();
      }
      // The release makes the final design.
      if (ui.rerun_pending) {
        ui.rerun_pending = 0;
        run();
      }
      break;
    }
    case kParamBypassVolume:
    case kParamNoteIndicator: {
      Lock lock(mMutex);  // a host may be setting the parameter it reads
      show_mirror(command);
      break;
    }
    case kParamLoadTarget:
      load_target_dialog();
      dirty_editor();
      break;
    case kParamResetTarget:
      reset_target();
      break;
    case kParamResetAll:
      reset_all_curves();
      break;
    case kParamAbout:
      show_about(true);
      break;
    case kParamStart:
      start_measurement();
      break;
    case kParamUndo:
      undo();
      break;
    case kParamRedo:
      redo();
      break;
    case kParamSave:
      save_dialog();
      break;
    case kParamLoad:
      load_dialog();
      dirty_editor();
      break;
    case kParamOK:
      show_about(false);
      break;
    default:
      break;  // not a command
  }
}

// The target becomes the measured curve: a flat correction.
void IResonix::reset_target() {
  Lock lock(mMutex);
  double m = measured[0];
  for (int i = 1; i < nbands; ++i)
    if (measured[i] > m) m = measured[i];
  for (int i = 0; i < nbands; ++i) {
    target[i] = measured[i];
    target_shape[i] = measured[i] / m;
  }
  vslider_pos = 20.0 * std::log10(m) / 45.0 + 1.0;
  apply_target_level();  // as a load of the saved state rebuilds it
  take_user_input(kParamVerticalSlider, vslider_pos);
  save_to_undo();
  run();
}

// Both curves flat at the starting level, as in a new instance.
void IResonix::reset_all_curves() {
  Lock lock(mMutex);
  for (int i = 0; i < nbands; ++i) {
    measured[i] = target[i] = kInitialLevel;
    target_shape[i] = 1.0;
  }
  vslider_pos = 20.0 * std::log10(kInitialLevel) / 45.0 + 1.0;
  apply_target_level();  // as a load of the saved state rebuilds it
  take_user_input(kParamVerticalSlider, vslider_pos);
  save_to_undo();
  run();
}
