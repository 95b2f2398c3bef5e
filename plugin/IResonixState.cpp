#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/ParamText.h"
#include "engine/StateCheck.h"
#include "framework/graphics/IGraphics.h"
#include "plugin/IResonix.h"

namespace {

constexpr int kCurveBytes = 8 * kNumBands;
constexpr int kParamsAt = 2 * kCurveBytes;
constexpr int kSliderAt = kParamsAt + 8 * kParamVerticalSlider;

}  // namespace

// Host thread: the two curves, then the parameter values. A stroke along the bottom of the plot
// puts the slider position below the parameter's 0..1 (and a peak above the top, above it): the
// slider's slot then carries the position itself, which the parameter would lose. Readers clamp
// the slot into the parameter anyway.
bool IResonix::SerializeState(ByteChunk* chunk) {
  Lock lock(mMutex);
  if (!chunk) return false;
  take_host_values();
  const int start = chunk->Size();
  for (int i = 0; i < nbands; ++i) chunk->Put(&measured[i]);
  for (int i = 0; i < nbands; ++i) chunk->Put(&target_shape[i]);
  if (!SerializeParams(chunk)) return false;
  const bool beyondParameter = vslider_pos < 0.0 || vslider_pos > 1.0;
  if (beyondParameter && chunk->Size() >= start + kSliderAt + 8)
    std::memcpy(chunk->GetBytes() + start + kSliderAt, &vslider_pos, sizeof vslider_pos);
  return true;
}

// Host thread. The whole payload is checked before anything changes: a payload cut short or
// holding values the design cannot take (not numbers, levels not above 0) is refused and the
// instance stays as it was.
int IResonix::UnserializeState(ByteChunk* chunk, int startPos) {
  Lock lock(mMutex);
  if (!chunk || startPos < 0 || int64_t(startPos) + kParamsAt + 8 * kNumParams > chunk->Size()) return -1;

  double newMeasured[kNumBands], newShape[kNumBands], values[kNumParams];
  for (int i = 0; i < nbands; ++i) {
    chunk->Get(&newMeasured[i], startPos + 8 * i);
    chunk->Get(&newShape[i], startPos + kCurveBytes + 8 * i);
  }
  for (int k = 0; k < kNumParams; ++k) {
    chunk->Get(&values[k], startPos + kParamsAt + 8 * k);
    if (!std::isfinite(values[k])) return -1;
  }
  if (!StateCheck::usable(newMeasured, newShape, nbands, values[kParamVerticalSlider])) return -1;

  std::copy(newMeasured, newMeasured + nbands, measured);
  std::copy(newShape, newShape + nbands, target_shape);
  mode.store(std::clamp(values[kParamMode], 0.0, 1.0), std::memory_order_release);
  vslider_pos = values[kParamVerticalSlider];
  bypass_volume.store(std::clamp(values[kParamBypassVolume], 0.0, 1.0), std::memory_order_release);
  note_pos.store(std::clamp(values[kParamNoteIndicator], 0.0, 1.0), std::memory_order_release);

  refresh_readouts();
  apply_target_level();
  reset_undo();
  run();
  return UnserializeParams(chunk, startPos + kParamsAt);
}

// Host thread, after the host restored a preset.
void IResonix::PresetsChangedByHost() {
  Lock lock(mMutex);
  dirty_editor();
}

std::string IResonix::volume_readout(double bypassVolume) {
  char text[32];
  ParamText::bypass_volume(bypassVolume, text, sizeof text);
  return text;
}

// The bypass volume and note readouts follow the mirrors (the controls exist while the window is
// closed, too).
void IResonix::refresh_readouts() {
  if (IGraphics* gui = GetGUI()) {
    gui->SetControlFromPlug(ui.volume_text, bypass_volume.load());
    gui->SetControlFromPlug(ui.note_text, note_pos.load());
  }
}
