#pragma once
#include <cstdint>

// Deterministic white and pink noise: the same seed gives the same samples on every machine,
// so the committed demo recordings can be regenerated bit for bit.
class NoiseSource {
 public:
  explicit NoiseSource(uint64_t seed);

  // Uniform in [-1, 1).
  double white();
  // Pink (-3 dB per octave) noise of roughly unit peak, from Paul Kellet's filter bank.
  double pink();

 private:
  uint64_t state;
  double b[7] = {};
};
