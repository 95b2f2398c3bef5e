#pragma once

// What a loader (preset file, host state) accepts: every state an instance can reach, and nothing
// that would feed the design a logarithm of zero or an infinity. Values only a user can move (the
// vertical slider after a stroke along the bottom of the plot, for one) may lie outside 0..1.
class StateCheck {
 public:
  // The level the vertical slider puts the target at.
  static double target_level(double vslider_pos);
  // A curve value the design can take: finite and above 0.
  static bool is_level(double v);
  // Both curves usable and the target they make with the slider position finite and above 0.
  static bool usable(const double* measured, const double* target_shape, int n, double vslider_pos);
};
