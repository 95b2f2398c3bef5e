// Curve drawing: one mouse position applied to the target curve, and what the plot reads of the
// instance.

#include <cmath>
#include <cstring>

#include "editor/EditorLayout.h"
#include "plugin/IResonix.h"

static_assert(layout::kPlotBands == kNumBands, "the plot draws one knot per band");

void IResonix::snapshot(PlotSnapshot* out) {
  {
    Lock lock(mMutex);
    std::memcpy(out->target, target, sizeof out->target);
    std::memcpy(out->measured, measured, sizeof out->measured);
  }
  copy_corrected(out->corrected);  // the design thread may be publishing a newer one
  out->note_pos = note_pos.load(std::memory_order_acquire);
}

void IResonix::stroke(int x, int y, int kind) {
  if (kind >= 0) from_drawing(x, y, kind);
  run_preview();
}

void IResonix::stroke_end() {
  Lock lock(mMutex);
  save_to_undo();
  run();
}

void IResonix::fader_released() {
  ui.rerun_pending = 1;
}

void IResonix::from_drawing(int x, int y, int kind) {
  using namespace layout;
  Lock lock(mMutex);
  // band under the pointer; a position left or right of the plot takes the nearest band
  int i = int((x - kPlotLeft) * double(nbands - 1) / (kPlotRight - kPlotLeft - 1) + 0.5);
  if (i < 0) i = 0;
  if (i > nbands - 1) i = nbands - 1;

  // A continuation without a valid anchor (a stroke that began with the right button) starts a
  // new line here rather than reading outside the curve.
  if (kind == 2 && (ui.previous < 0 || ui.previous >= nbands)) kind = 1;
  if (kind == 1) ui.previous = i;
  if (kind == 2 && i == ui.previous) return;

  if (y <= kPlotBottom) target[i] = std::pow(10.0, -2.5 * (y - kPlotTop) / double(kPlotBottom - kPlotTop));

  // rubber band: a straight line in dB from the stroke's anchor to the pointer, ends excluded
  if (kind == 2) {
    const int lo = ui.previous < i ? ui.previous : i;
    const int hi = ui.previous < i ? i : ui.previous;
    const double from = std::log10(target[lo]), to = std::log10(target[hi]);
    for (int k = 1; k < hi - lo; ++k) target[lo + k] = std::pow(10.0, from + k * (to - from) / (hi - lo));
  }

  // The peak of the target is its level; the slider follows unless the peak is at the top.
  double m = target[0];
  for (int j = 1; j < nbands; ++j)
    if (target[j] > m) m = target[j];
  if (m > 1.0 || m < 0.999) {
    target_level = m;
    vslider_pos = 20.0 * std::log10(m) / 45.0 + 1.0;
    take_user_input(kParamVerticalSlider, vslider_pos);
  }
  for (int j = 0; j < nbands; ++j) target_shape[j] = target[j] / target_level;
  // The target that plays is the one a saved preset or host state rebuilds from the shape and the
  // slider position (it differs from the drawn one in the last bits at most).
  apply_target_level();
}
