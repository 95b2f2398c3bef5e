#include <algorithm>
#include <cmath>
#include <cstring>

#include "plugin/IResonix.h"

// Audio thread, under the instance lock: meter, then capture, Bypass gain or the correction filter.
// Stereo when the host connected a second output: both channels get the same treatment. It reads none
// of the shared curves and calls nothing that waits: the editor learns of the level and the capture
// through `messages`.
void IResonix::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  if (nFrames <= 0 || !outputs || !outputs[0]) return;
  const int channels = IsOutChannelConnected(1) && outputs[1] ? 2 : 1;
  const double* in[2] = {};
  double* out[2] = {};
  for (int c = 0; c < channels; ++c) {
    out[c] = outputs[c];
    in[c] = inputs ? inputs[c] : nullptr;
    if (!in[c]) {  // a host without an input bus feeds silence
      std::memset(out[c], 0, sizeof(double) * std::size_t(nFrames));
      in[c] = out[c];
    }
  }

  // Level meter of the louder channel, linear in dB from -60 dB (0) to full scale (1), updated
  // every 50 ms or every block.
  for (int c = 0; c < channels; ++c)
    for (int k = 0; k < nFrames; ++k) vumeter_level = std::max(vumeter_level, std::fabs(in[c][k]));
  if (++Nbuffers >= int(sample_rate * 0.05 / nFrames)) {
    const double p = std::min(1.0, std::max(0.0, (std::log10(vumeter_level) + 3) / 3));
    messages.set_level(p);
    vumeter_level = 0;
    Nbuffers = 0;
  }

  if (measuring.load(std::memory_order_acquire)) {
    capture_channels(in, channels, nFrames);
    for (int c = 0; c < channels; ++c) std::memset(out[c], 0, sizeof(double) * std::size_t(nFrames));
    return;
  }

  // Bypass plays the input times its gain; the cascade ramps between the paths and gains, on each
  // channel with its own states. The correction is silent until the first design has published a
  // set; in == out is fine.
  const double g = std::pow(10.0, (0.5 - bypass_volume.load(std::memory_order_acquire)) * -40 / 20);
  cascade->set_bypass(mode.load(std::memory_order_acquire) != 0, g);
  cascade->process(in, out, channels, nFrames);
}

// A measurement hears the channels' mean, in pieces that fit on the stack.
void IResonix::capture_channels(const double* const* in, int channels, int nFrames) {
  if (channels < 2) {
    capture_block(in[0], nFrames);
    return;
  }
  constexpr int kPiece = 256;
  double mean[kPiece];
  for (int offset = 0; offset < nFrames; offset += kPiece) {
    const int n = std::min(kPiece, nFrames - offset);
    for (int k = 0; k < n; ++k) mean[k] = 0.5 * (in[0][offset + k] + in[1][offset + k]);
    capture_block(mean, n);
  }
}
