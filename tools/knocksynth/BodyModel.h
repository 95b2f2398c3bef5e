#pragma once
#include <vector>

// The radiating body of an acoustic guitar as a bank of damped modes (air cavity, top and back
// plates and their higher plate modes), each a two-pole resonator driven by the force at the bridge.
class BodyModel {
 public:
  struct Mode {
    double freq;    // Hz
    double t60;     // seconds for the ringing to fall by 60 dB
    double weight;  // radiated amplitude per unit force
  };

  // A steel-string dreadnought: Helmholtz air mode near 100 Hz, the main top and back
  // resonances around 200 Hz, then ever shorter and weaker plate modes up to 6 kHz.
  static std::vector<Mode> dreadnought();

  BodyModel(const std::vector<Mode>& modes, double sample_rate);

  // One sample: the bridge force in, the radiated pressure out.
  double tick(double force);
  void clear();

  const std::vector<Mode>& modes() const { return mode_list; }

 private:
  struct Resonator {
    double a1, a2, gain;
    double y1 = 0.0, y2 = 0.0;
  };
  std::vector<Mode> mode_list;
  std::vector<Resonator> bank;
};
