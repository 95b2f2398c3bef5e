// The microphone calibration parser: any text gives band factors the analysis can divide by.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "engine/CalibrationFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto bands = [] {
    std::vector<double> freq(120);
    for (int i = 0; i < 120; ++i) freq[size_t(i)] = 440.0 * std::pow(2.0, (i - 53) / 12.0);
    return freq;
  }();
  const auto points = CalibrationFile::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (points.size() > std::size_t(CalibrationFile::kMaxPoints)) std::abort();
  double factors[120];
  CalibrationFile::band_factors(points, bands.data(), 120, factors);
  for (double f : factors) {
    if (!(std::isfinite(f) && f > 0.0)) {
      std::fprintf(stderr, "fuzz property broken: calibration factor %g\n", f);
      std::abort();
    }
  }
  return 0;
}
