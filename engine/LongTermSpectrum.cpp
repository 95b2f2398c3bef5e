#include "engine/LongTermSpectrum.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <numbers>

#include "engine/BandAnalysis.h"
#include "engine/FFT.h"
#include "engine/MeasurementCapture.h"

namespace {
// About 0.7 Hz per bin at every rate: a semitone at the lowest string's E2 spans seven bins.
constexpr int kLog2PerDecimation = 16;
}  // namespace

LongTermSpectrum::LongTermSpectrum() = default;
LongTermSpectrum::~LongTermSpectrum() = default;

bool LongTermSpectrum::start(const double* band_freq, const double* band_edge, int n, double rate) {
  failed = true;
  if (!(rate >= 1.0 && rate <= 1.0e7) || n < 1 || n > kMaxBands) return false;
  nbands = n;
  sample_rate = rate;
  int d = MeasurementCapture::decimation(rate);
  log2 = kLog2PerDecimation;
  while (d > 1) d >>= 1, ++log2;
  const int new_length = 1 << log2;
  if (new_length != length) {
    length = new_length;
    history.reset(new (std::nothrow) double[length]);
    work.reset(new (std::nothrow) double[2 * std::size_t(length)]);
    window_.reset(new (std::nothrow) double[length]);
    power.reset(new (std::nothrow) double[length / 2]);
    if (!history || !work || !window_ || !power) {
      length = 0;
      return false;
    }
    for (int i = 0; i < length; ++i) window_[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / length);
  }
  hop = length / 4;
  std::fill(history.get(), history.get() + length, 0.0);
  std::fill(power.get(), power.get() + length / 2, 0.0);
  pending = 0;
  total = 0;
  segments = 0;
  clipped = false;
  failed = false;

  for (int i = 0; i < nbands; ++i) {
    range_lo[i] = i == 0 ? band_freq[0] : band_edge[i - 1];
    range_hi[i] = i + 1 < nbands ? band_edge[i] : band_freq[i];
    const double ratio = range_hi[i] > range_lo[i] ? range_hi[i] / range_lo[i] : 1.0;
    for (int s = 0; s < kSplit; ++s)
      sub_hz[i * kSplit + s] = range_lo[i] * std::pow(ratio, (s + 0.5) / kSplit);
  }
  return true;
}

void LongTermSpectrum::add(const double* interleaved, int64_t frames, int channels) {
  if (failed || channels < 1) return;
  const double scale = 1.0 / channels;
  for (int64_t f = 0; f < frames; ++f) {
    const double* frame = interleaved + f * channels;
    clipped = clipped || BandAnalysis::clipped(frame, channels);
    double sum = 0.0;
    for (int c = 0; c < channels; ++c) sum += frame[c];
    history[length - hop + pending] = clipped ? 0.0 : sum * scale;
    if (++pending == hop) transform_segment();
    if (failed) return;
  }
  total += frames;
}

void LongTermSpectrum::transform_segment() {
  double* buf = work.get();
  for (int i = 0; i < length; ++i) buf[i] = history[i] * window_[i];
  if (!fft_real(buf, log2)) {
    failed = true;
    return;
  }
  const double* re = buf;
  const double* im = buf + length / 2;
  for (int k = 0; k < length / 2; ++k) power[k] += re[k] * re[k] + im[k] * im[k];
  ++segments;
  std::memmove(history.get(), history.get() + hop, sizeof(double) * (length - hop));
  pending = 0;
}

LongTermSpectrum::Result LongTermSpectrum::finish(const double* calibration) {
  if (failed) return Result::no_memory;
  if (double(total) < kMinSeconds * sample_rate) return Result::too_short;
  if (clipped) return Result::too_loud;
  // Zeros until the last sample has passed all four window positions: every sample then weighs the
  // same, the first and the last as much as the middle.
  if (pending > 0) {
    std::fill(history.get() + length - hop + pending, history.get() + length, 0.0);
    transform_segment();
  }
  for (int s = 1; s < length / hop && !failed; ++s) {
    std::fill(history.get() + length - hop, history.get() + length, 0.0);
    transform_segment();
  }
  if (failed) return Result::no_memory;

  // Power per bin per sample: at quarter-window steps each sample meets the squared window
  // sum(w^2) / hop times in all.
  double w2 = 0.0;
  for (int i = 0; i < length; ++i) w2 += window_[i] * window_[i];
  // A measurement's scale: |X|^2 summed over a band of a 2^19-point transform, its taper adding
  // 3 % to the energy, at 1/D of the rate. Its silence threshold then means the same here.
  const double L = MeasurementCapture::kLength;
  const double d = MeasurementCapture::decimation(sample_rate);
  const double scale = hop / (w2 * double(total)) * (1.03 * L) * L * d / length;

  // The power from 0 Hz to f, each bin spread evenly over its width: bands narrower than a bin
  // still get their share.
  const int bins = length / 2;
  const double bin_hz = sample_rate / length;
  auto cumulative = std::make_unique<double[]>(bins + 1);
  cumulative[0] = 0.0;
  for (int k = 0; k < bins; ++k) cumulative[k + 1] = cumulative[k] + power[k] * scale;
  const auto below = [&](double hz) {
    const double x = std::clamp(hz / bin_hz + 0.5, 0.0, double(bins));
    const int k = std::min(int(x), bins - 1);
    return cumulative[k] + (x - k) * (cumulative[k + 1] - cumulative[k]);
  };

  double loudest = 0.0;
  for (int i = 0; i < nbands; ++i) {
    const double ratio = range_hi[i] > range_lo[i] ? range_hi[i] / range_lo[i] : 1.0;
    double band = 0.0;
    double from = below(range_lo[i]);
    for (int s = 0; s < kSplit; ++s) {
      const double to = below(range_lo[i] * std::pow(ratio, double(s + 1) / kSplit));
      sub[i * kSplit + s] = std::max(0.0, to - from);
      band += sub[i * kSplit + s];
      from = to;
    }
    level[i] = std::sqrt(band) / calibration[i];
    loudest = std::max(loudest, level[i]);
  }
  if (!BandAnalysis::normalise(level, nbands)) return Result::too_silent;
  for (int i = 0; i < nbands * kSplit; ++i) sub[i] /= loudest * loudest;
  return Result::ok;
}
