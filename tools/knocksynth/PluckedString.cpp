#include "tools/knocksynth/PluckedString.h"

#include "tools/knocksynth/NoiseSource.h"

#include <cmath>

PluckedString::PluckedString(double freq, double sample_rate, double t60) {
  // The loop: N samples of delay, half a sample in the averaging filter, the allpass for the rest.
  const double period = sample_rate / freq;
  auto n = static_cast<size_t>(period - 0.5);
  if (n < 2) n = 2;
  double frac = period - 0.5 - static_cast<double>(n);
  if (frac < 0.1) {
    --n;
    frac += 1.0;
  }
  line.assign(n, 0.0);
  ap_coef = (1.0 - frac) / (1.0 + frac);
  // Per-period loss so the note falls by 60 dB after t60 seconds.
  loss = std::pow(10.0, -3.0 / (t60 * freq));
}

void PluckedString::pluck(double velocity, double brightness, NoiseSource& noise) {
  double lp = 0.0;
  const double a = 0.2 + 0.75 * brightness;
  for (double& v : line) {
    lp += a * (noise.white() - lp);
    v += velocity * lp;
  }
}

double PluckedString::tick() {
  const double x = line[pos];
  const double avg = 0.5 * (x + last) * loss;
  last = x;
  // First-order allpass for the fractional part of the period.
  const double y = ap_coef * avg + ap_x1 - ap_coef * ap_y1;
  ap_x1 = avg;
  ap_y1 = y;
  line[pos] = y;
  pos = pos + 1 == line.size() ? 0 : pos + 1;
  return x;
}
