#include <cstring>

#include "framework/graphics/IControl.h"
#include "framework/graphics/IGraphics.h"
#include "plugin/IResonix.h"

// Any thread but the audio thread. The snapshot is taken here, on the caller's thread and under the
// lock, so the design never reads curves or a rate that another thread is changing; the caller
// returns at once.
void IResonix::run() {
  Lock lock(mMutex);
  capture.clear_countdown();
  request_design(DesignThread::Kind::kFinal);
}

void IResonix::run_preview() {
  Lock lock(mMutex);
  request_design(DesignThread::Kind::kPreview);
}

void IResonix::start_design_thread() {
  design_thread = std::make_unique<DesignThread>(
      [this](const CorrectionDesign::Inputs& in, DesignThread::Kind k, const std::atomic<bool>& stop) {
        return design_job(in, k, stop);
      },
      [this] {
        Lock lock(mMutex);
        take_host_values();
      });
}

// Under the lock.
void IResonix::request_design(DesignThread::Kind kind) {
  CorrectionDesign::Inputs in;
  in.n = nbands;
  in.sample_rate = sample_rate.load();
  const std::size_t bytes = sizeof(double) * std::size_t(nbands);
  std::memcpy(in.measured, measured, bytes);
  std::memcpy(in.target, target, bytes);
  std::memcpy(in.band_freq, band_freq, bytes);
  design_thread->request(in, kind);
}

void IResonix::wait_for_design() {
  design_thread->wait();
}

bool IResonix::HasPendingWork() {
  return design_thread->pending();
}

void IResonix::FinishPendingWork() {
  wait_for_design();
}

void IResonix::copy_corrected(double* out) {
  std::lock_guard<std::mutex> lock(design_results);
  std::memcpy(out, corrected, sizeof corrected);
}

// Design thread. The audio thread keeps playing the previous set until the new one is published,
// and never sees a set being written.
bool IResonix::design_job(const CorrectionDesign::Inputs& in, DesignThread::Kind kind,
                          const std::atomic<bool>& stop) {
  const int bound = kind == DesignThread::Kind::kPreview ? CorrectionDesign::kPreviewIterations
                                                         : CorrectionDesign::kBoundIterations;
  if (!design->fit(in, bound, &stop))
    // Stopped for a newer request, or curves not usable: keep the filter. Only a stop leaves work
    // for the next request; a refusal is as final as a published design.
    return design->outcome() != CorrectionDesign::Outcome::kStopped;

  const int n = design->bands();
  const std::size_t bytes = sizeof(double) * std::size_t(n);
  // Sections are built in both modes, so returning from Bypass plays the fitted correction.
  Cascade::Coefficients& k = cascade->edit();
  design->build_sections(in.sample_rate, k);
  {
    std::lock_guard<std::mutex> lock(design_results);
    std::memcpy(corrected, design->corrected(), bytes);
    std::memcpy(band_gain, design->band_gain(), bytes);
    std::memcpy(band_q, design->band_q(), bytes);
    for (int j = 0; j < n; ++j) std::memcpy(band_matrix[j], design->matrix() + j * n, bytes);
    out_gain = k.out_gain;
    nsections = k.nsections;
    std::memcpy(section_freq, in.band_freq, bytes);
    std::memcpy(coef_a, k.a, bytes);
    std::memcpy(coef_b, k.b, bytes);
    std::memcpy(coef_c, k.c, bytes);
  }
  cascade->publish();
  filter_ready.store(1, std::memory_order_release);

  // Marking a control dirty is safe from any thread; the editor redraws on its next tick.
  if (IGraphics* gui = GetGUI())
    if (IControl* plot = gui->GetControl(ui.plot_control)) plot->SetDirty(false);
  return true;
}
