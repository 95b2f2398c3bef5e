#include "tools/knocksynth/BodyModel.h"

#include <cmath>
#include <numbers>

std::vector<BodyModel::Mode> BodyModel::dreadnought() {
  return {
      {98.0, 0.60, 1.00},   {196.0, 0.50, 0.90},  {226.0, 0.45, 0.45},  {287.0, 0.35, 0.30},
      {390.0, 0.30, 0.50},  {475.0, 0.25, 0.25},  {560.0, 0.25, 0.35},  {690.0, 0.20, 0.20},
      {820.0, 0.18, 0.22},  {1050.0, 0.15, 0.15}, {1330.0, 0.12, 0.12}, {1720.0, 0.10, 0.10},
      {2250.0, 0.08, 0.08}, {3100.0, 0.06, 0.06}, {4300.0, 0.05, 0.04}, {6200.0, 0.04, 0.025},
  };
}

BodyModel::BodyModel(const std::vector<Mode>& modes, double sample_rate) : mode_list(modes) {
  for (const Mode& m : modes) {
    if (m.freq <= 0.0 || m.freq >= sample_rate * 0.45) continue;  // a mode the rate cannot carry would alias
    const double theta = 2.0 * std::numbers::pi * m.freq / sample_rate;
    // e^(-t/tau) reaches -60 dB after t60: tau = t60 / ln(1000).
    const double r = std::exp(-std::log(1000.0) / (m.t60 * sample_rate));
    // The impulse response is weight * r^n * sin((n + 1) theta).
    bank.push_back({2.0 * r * std::cos(theta), -r * r, m.weight * std::sin(theta)});
  }
}

double BodyModel::tick(double force) {
  double out = 0.0;
  for (Resonator& s : bank) {
    const double y = s.a1 * s.y1 + s.a2 * s.y2 + s.gain * force;
    s.y2 = s.y1;
    s.y1 = y;
    out += y;
  }
  return out;
}

void BodyModel::clear() {
  for (Resonator& s : bank) s.y1 = s.y2 = 0.0;
}
