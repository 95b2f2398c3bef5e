#include "tools/knocksynth/NoiseSource.h"

NoiseSource::NoiseSource(uint64_t seed) : state(seed ? seed : 0x9E3779B97F4A7C15ull) {}

double NoiseSource::white() {
  // xorshift64*: small, fast and identical everywhere (std distributions are not).
  state ^= state >> 12;
  state ^= state << 25;
  state ^= state >> 27;
  const uint64_t r = state * 0x2545F4914F6CDD1Dull;
  return static_cast<double>(r >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

double NoiseSource::pink() {
  const double w = white();
  b[0] = 0.99886 * b[0] + w * 0.0555179;
  b[1] = 0.99332 * b[1] + w * 0.0750759;
  b[2] = 0.96900 * b[2] + w * 0.1538520;
  b[3] = 0.86650 * b[3] + w * 0.3104856;
  b[4] = 0.55000 * b[4] + w * 0.5329522;
  b[5] = -0.7616 * b[5] - w * 0.0168980;
  const double out = b[0] + b[1] + b[2] + b[3] + b[4] + b[5] + b[6] + w * 0.5362;
  b[6] = w * 0.115926;
  return out * 0.2;
}
