#include "tools/knocksynth/KnockSynth.h"

#include "tools/knocksynth/BodyModel.h"
#include "tools/knocksynth/NoiseSource.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// Wall reflections of a small room: delay in seconds, linear gain.
constexpr double reflections[][2] = {{0.0063, 0.20}, {0.0117, 0.12}};
}  // namespace

std::vector<double> KnockSynth::render(const Settings& s) {
  const size_t n =
      s.sample_rate > 0.0 && s.seconds > 0.0 ? static_cast<size_t>(s.sample_rate * s.seconds) : 0;
  std::vector<double> force(n, 0.0);
  NoiseSource noise(s.seed);

  // Raised-cosine force pulses; strength and contact time vary a little from knock to knock.
  for (double t : s.knock_times) {
    const double strength = 0.8 + 0.2 * std::fabs(noise.white());
    const double width = s.pulse_ms * 1e-3 * s.sample_rate * (0.9 + 0.2 * std::fabs(noise.white()));
    const auto start = static_cast<long>(t * s.sample_rate);
    const auto len = std::max(1L, static_cast<long>(width));
    for (long k = 0; k < len; ++k) {
      const long i = start + k;
      if (i >= 0 && static_cast<size_t>(i) < n)
        force[i] += strength * 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * (k + 0.5) / len));
    }
  }

  BodyModel body(BodyModel::dreadnought(), s.sample_rate);
  std::vector<double> out(n, 0.0);
  for (size_t i = 0; i < n; ++i) out[i] = body.tick(force[i]);

  std::vector<double> room(out);
  for (const auto& r : reflections) {
    const auto d = static_cast<size_t>(r[0] * s.sample_rate);
    for (size_t i = d; i < n; ++i) room[i] += r[1] * out[i - d];
  }

  double peak = 0.0;
  for (double v : room) peak = std::max(peak, std::fabs(v));
  const double scale = peak > 0.0 ? s.peak / peak : 0.0;
  const double floor = std::pow(10.0, s.noise_db / 20.0);
  for (double& v : room) v = v * scale + floor * noise.pink();
  return room;
}
