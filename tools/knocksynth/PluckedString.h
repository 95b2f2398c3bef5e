#pragma once
#include <cstddef>
#include <vector>

class NoiseSource;

// A plucked steel string (extended Karplus-Strong): a delay line one period long, closed by a
// two-point loss filter, with a fractional-delay allpass so the pitch is exact.
class PluckedString {
 public:
  PluckedString(double freq, double sample_rate, double t60);

  // Fills the line with a burst of low-passed noise; brightness 0..1 sets the pick's hardness.
  void pluck(double velocity, double brightness, NoiseSource& noise);
  // The force the string applies to the bridge, one sample.
  double tick();

 private:
  std::vector<double> line;
  size_t pos = 0;
  double loss;
  double ap_coef, ap_x1 = 0.0, ap_y1 = 0.0;
  double last = 0.0;
};
