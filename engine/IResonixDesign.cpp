#include <cstring>

#include "engine/IResonix.h"
#include "framework/graphics/IControl.h"
#include "framework/graphics/IGraphics.h"

// Editor thread, or the host's thread through Reset and state loads. The audio thread keeps playing
// the previous set until the new one is published, and never sees a set being written.
void IResonix::run() {
  std::lock_guard<std::mutex> one_design(design_mutex);
  capture.clear_countdown();
  if (!design->fit(measured, target, band_freq, nbands, sample_rate))
    return;  // curves not usable: keep the filter

  const int n = design->bands();
  std::memcpy(corrected, design->corrected(), sizeof(double) * std::size_t(n));
  std::memcpy(band_gain, design->band_gain(), sizeof(double) * std::size_t(n));
  std::memcpy(band_q, design->band_q(), sizeof(double) * std::size_t(n));
  for (int j = 0; j < n; ++j)
    std::memcpy(band_matrix[j], design->matrix() + j * n, sizeof(double) * std::size_t(n));

  // Sections are built in both modes, so returning from Bypass plays the fitted correction.
  Cascade::Coefficients& k = cascade->edit();
  design->build_sections(sample_rate, k);
  out_gain = k.out_gain;
  nsections = k.nsections;
  std::memcpy(section_freq, band_freq, sizeof(double) * std::size_t(n));
  std::memcpy(coef_a, k.a, sizeof(double) * std::size_t(n));
  std::memcpy(coef_b, k.b, sizeof(double) * std::size_t(n));
  std::memcpy(coef_c, k.c, sizeof(double) * std::size_t(n));
  cascade->publish();
  filter_ready.store(1, std::memory_order_release);

  if (IGraphics* gui = GetGUI())
    if (IControl* plot = gui->GetControl(plot_control)) plot->SetDirty(false);
}
