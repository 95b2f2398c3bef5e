#include <cmath>

#include "engine/StateCheck.h"
#include "framework/graphics/IGraphics.h"
#include "plugin/IResonix.h"

// Editor thread: the state after an edit becomes the newest step.
void IResonix::save_to_undo() {
  Lock lock(mMutex);
  undo_history->push(measured, target_shape, vslider_pos);
}

// Construction and host state loads: the loaded state is the only step.
void IResonix::reset_undo() {
  Lock lock(mMutex);
  undo_history->reset(measured, target_shape, vslider_pos);
}

void IResonix::undo() {
  Lock lock(mMutex);
  if (undo_history->undo()) restore_snapshot();
}

void IResonix::redo() {
  Lock lock(mMutex);
  if (undo_history->redo()) restore_snapshot();
}

// Under the lock.
void IResonix::restore_snapshot() {
  undo_history->current(measured, target_shape, &vslider_pos);
  // The slider moves as if the user had moved it, so the host records the change.
  take_user_input(kParamVerticalSlider, vslider_pos);
  apply_target_level();
  run();
}

// Under the lock.
void IResonix::apply_target_level() {
  target_level = StateCheck::target_level(vslider_pos);
  for (int i = 0; i < nbands; ++i) target[i] = target_level * target_shape[i];
}

// A parameter change as the user would make it: through its control when the editor has one
// (the control repaints and informs the host), else straight through the base as one gesture.
void IResonix::take_user_input(int paramIdx, double value) {
  if (IGraphics* gui = GetGUI()) {
    for (int i = 0; i < gui->NControls(); ++i) {
      IControl* control = gui->GetControl(i);
      if (control && control->ParamIdx() == paramIdx) {
        control->SetValueFromUserInput(value);
        return;
      }
    }
  }
  BeginInformHostOfParamChange(paramIdx);
  SetParameterFromGUI(paramIdx, value);
  EndInformHostOfParamChange(paramIdx);
}

void IResonix::dirty_editor() {
  if (IGraphics* gui = GetGUI()) gui->SetAllControlsDirty();
}
