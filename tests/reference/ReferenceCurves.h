#pragma once
// Curves shaped like a real session: a guitar body response with a handful of resonances and dips,
// normalised to a largest band of 1.0, and a smooth hand-drawn target below it.
#include <algorithm>
#include <cmath>

namespace reference {

// The semitone grid, E0 to D#10.
struct BandGrid {
  double freq[120];
  BandGrid() {
    for (int i = 0; i < 120; ++i) freq[i] = 440 * std::pow(2.0, (i - 53) / 12.0);
  }
};

struct Curves {
  double measured[120];
  double target[120];
  double freq[120];
};

inline Curves guitar_curves() {
  Curves c;
  struct Mode {
    double band, width, db;
  } modes[] = {{30.5, 1.5, 9}, {38, 2.0, -5}, {45, 1.2, 7}, {57, 2.5, 4},
               {64, 1.8, -6},  {75, 3, 3},    {90, 4, -4}};
  double peak = 0;
  for (int i = 0; i < 120; ++i) {
    c.freq[i] = 440 * std::pow(2.0, (i - 53) / 12.0);
    double db = -12 + 10 * std::exp(-std::pow((i - 60) / 35.0, 2));  // broad body hump
    for (const Mode& m : modes) db += m.db * std::exp(-std::pow((i - m.band) / m.width, 2));
    c.measured[i] = std::pow(10.0, db / 20);
    peak = std::max(peak, c.measured[i]);
  }
  for (int i = 0; i < 120; ++i) {
    c.measured[i] /= peak;
    // A drawn target: a gentle tilt from -10 dB in the bass to -16 dB in the treble.
    c.target[i] = std::pow(10.0, (-10 - 6.0 * i / 119) / 20);
  }
  return c;
}

}  // namespace reference
