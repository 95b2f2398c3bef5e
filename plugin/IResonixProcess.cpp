#include <algorithm>
#include <cmath>
#include <cstring>

#include "plugin/IResonix.h"

// Audio thread, under the instance lock: meter, then capture, Bypass gain or the correction filter.
// It reads none of the shared curves and calls nothing that waits: the editor learns of the level
// and the capture through `messages`.
void IResonix::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  if (nFrames <= 0 || !outputs || !outputs[0]) return;
  double* out = outputs[0];
  const double* in = inputs ? inputs[0] : nullptr;
  if (!in) {  // a host without an input bus feeds silence
    std::memset(out, 0, sizeof(double) * std::size_t(nFrames));
    in = out;
  }

  // Level meter, linear in dB from -60 dB (0) to full scale (1), updated every 50 ms or every block.
  for (int k = 0; k < nFrames; ++k) vumeter_level = std::max(vumeter_level, std::fabs(in[k]));
  if (++Nbuffers >= int(sample_rate * 0.05 / nFrames)) {
    const double p = std::min(1.0, std::max(0.0, (std::log10(vumeter_level) + 3) / 3));
    messages.set_level(p);
    vumeter_level = 0;
    Nbuffers = 0;
  }

  if (measuring.load(std::memory_order_acquire)) {
    capture_block(in, nFrames);
    std::memset(out, 0, sizeof(double) * std::size_t(nFrames));
    return;
  }

  // Bypass plays the input times its gain; the cascade ramps between the paths and gains. The
  // correction is silent until the first design has published a set; in == out is fine.
  const double g = std::pow(10.0, (0.5 - bypass_volume.load(std::memory_order_acquire)) * -40 / 20);
  cascade->set_bypass(mode.load(std::memory_order_acquire) != 0, g);
  cascade->process(in, out, nFrames);
}
