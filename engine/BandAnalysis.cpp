#include "engine/BandAnalysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/FFT.h"

void BandAnalysis::set_bins(const double* band_freq, const double* band_edge, int n, double recording_rate,
                            int length) {
  nbands = std::clamp(n, 1, kMaxBands);
  // Bins past the middle of the transform would be mirror images; no supported rate gets there.
  const auto bin = [&](double hz) {
    return int(std::clamp(hz * length / recording_rate, 0.0, double(length / 2)));
  };
  for (int i = 0; i < nbands; ++i) bin_lo[i] = bin(band_freq[i]);
  for (int i = 0; i + 1 < nbands; ++i) bin_hi[i] = bin(band_edge[i]);
  bin_hi[nbands - 1] = bin_lo[nbands - 1];
}

const char* BandAnalysis::message(Result r) {
  switch (r) {
    case Result::too_loud:
      return "The sound is too loud!\nPlease turn down the volume and start the measurement once again.";
    case Result::too_silent:
      return "The sound is too silent or absent!\nPlease check the Mic input and Mic signal indicator in the "
             "Measurement box of the Resonix. If the Mic signal indicator doesn't show a signal, you need to "
             "adjust the direct monitoring of your measurement microphone in your DAW in accordance with the "
             "Help manual.";
    case Result::no_memory:
      return "Error_003";
    case Result::ok:
      break;
  }
  return "";
}

bool BandAnalysis::normalise(double* levels, int n) {
  double m = 0.0;
  bool finite = true;
  for (int i = 0; i < n; ++i) {
    finite = finite && std::isfinite(levels[i]);
    m = std::max(m, levels[i]);
  }
  if (!finite || !(m > kSilence)) {
    std::fill(levels, levels + n, 0.0);
    return false;
  }
  for (int i = 0; i < n; ++i) levels[i] /= m;
  return true;
}

bool BandAnalysis::clipped(const double* x, int length) {
  for (int i = 0; i < length; ++i)
    if (!(std::fabs(x[i]) < 1.0)) return true;
  return false;
}

void BandAnalysis::taper(double* x, int length) {
  const int w = int(length * 0.03);
  for (int i = 0; i < w; ++i) {
    const double f = 1.0 - std::cos(i * std::numbers::pi / w);
    x[i] *= f;
    x[length - 1 - i] *= f;
  }
}

BandAnalysis::Result BandAnalysis::analyse(double* buf, int log2, const double* calibration) {
  const int length = 1 << log2;
  if (clipped(buf, length)) return Result::too_loud;
  taper(buf, length);
  // The recording is real: half a complex transform gives every bin below the middle, and no band
  // reaches past it.
  if (!fft_real(buf, log2)) return Result::no_memory;
  const double* re = buf;
  const double* im = buf + length / 2;

  const auto power = [&](int from, int to) {
    to = std::min(to, length / 2);  // bins set for a longer recording must not read past the spectrum
    double s = 0.0;
    for (int k = from; k < to; ++k) s += re[k] * re[k] + im[k] * im[k];
    return s;
  };
  for (int i = 0; i < nbands; ++i) {
    const double s = i == 0 ? power(bin_lo[0], bin_hi[0]) : power(bin_hi[i - 1], bin_hi[i]);
    band_level[i] = std::sqrt(s) / calibration[i];
  }

  if (!normalise(band_level, nbands)) return Result::too_silent;
  return Result::ok;
}
