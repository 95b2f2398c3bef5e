#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/IResonix.h"
#include "framework/graphics/IGraphics.h"
#include "framework/graphics/ITextControl.h"

namespace {

constexpr int kCurveBytes = 8 * kNumBands;

bool is_level(double v) {
  return std::isfinite(v) && v > 0.0;  // the design takes logarithms of every band
}

}  // namespace

// Host thread: the two curves, then the parameter values.
bool IResonix::SerializeState(ByteChunk* chunk) {
  Lock lock(mMutex);
  if (!chunk) return false;
  for (int i = 0; i < nbands; ++i) chunk->Put(&measured[i]);
  for (int i = 0; i < nbands; ++i) chunk->Put(&target_shape[i]);
  return SerializeParams(chunk);
}

// Host thread. A payload cut short keeps the curves it does not reach and fails the parameter
// read; a payload with values no instance writes (not numbers, levels not above 0) is refused
// whole and changes nothing.
int IResonix::UnserializeState(ByteChunk* chunk, int startPos) {
  Lock lock(mMutex);
  if (!chunk) return -1;
  const int size = chunk->Size();
  const bool hasMeasured = startPos >= 0 && int64_t(startPos) + kCurveBytes <= size;
  const bool hasShape = hasMeasured && int64_t(startPos) + 2 * kCurveBytes <= size;

  double newMeasured[kNumBands], newShape[kNumBands];
  for (int i = 0; i < nbands; ++i) {
    newMeasured[i] = measured[i];
    newShape[i] = target_shape[i];
    if (hasMeasured) chunk->Get(&newMeasured[i], startPos + 8 * i);
    if (hasShape) chunk->Get(&newShape[i], startPos + kCurveBytes + 8 * i);
    if (!is_level(newMeasured[i]) || !is_level(newShape[i])) return -1;
  }

  // The four leading parameter values go straight into the mirrors, as far as they fit.
  double mirrors[4] = {mode.load(), vslider_pos, bypass_volume.load(), note_pos};
  const int paramsAt = hasShape ? startPos + 2 * kCurveBytes : -1;
  for (int k = 0; k < 4 && paramsAt >= 0; ++k) {
    if (chunk->Get(&mirrors[k], paramsAt + 8 * k) < 0) break;
    if (!std::isfinite(mirrors[k])) return -1;
    mirrors[k] = std::clamp(mirrors[k], 0.0, 1.0);
  }

  std::copy(newMeasured, newMeasured + nbands, measured);
  std::copy(newShape, newShape + nbands, target_shape);
  mode.store(mirrors[0], std::memory_order_release);
  vslider_pos = mirrors[1];
  bypass_volume.store(mirrors[2], std::memory_order_release);
  note_pos = mirrors[3];

  refresh_readouts();
  apply_target_level();
  reset_undo();
  run();
  return UnserializeParams(chunk, paramsAt);
}

// Host thread, after the host restored a preset.
void IResonix::PresetsChangedByHost() {
  Lock lock(mMutex);
  dirty_editor();
}

std::string IResonix::volume_readout(double bypassVolume) {
  double db = (bypassVolume - 0.5) * 40.0;
  // Anything that prints as 0.0 is shown as 0.0, not "-0.0".
  if (!(std::fabs(db) >= 0.05)) db = 0.0;
  char text[32];
  std::snprintf(text, sizeof text, "%2.1f dB", db);
  return text;
}

// The bypass volume and note readouts follow the mirrors (the controls exist while the window is
// closed, too).
void IResonix::refresh_readouts() {
  IGraphics* gui = GetGUI();
  if (!gui) return;
  if (auto* text = dynamic_cast<ITextControl*>(gui->GetControl(volume_text)))
    text->SetTextFromPlug(volume_readout(bypass_volume.load()).c_str());
  if (auto* text = dynamic_cast<ITextControl*>(gui->GetControl(note_text)))
    text->SetTextFromPlug(note_names[note_band(note_pos)]);
}
