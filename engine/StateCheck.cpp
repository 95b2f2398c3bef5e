#include "engine/StateCheck.h"

#include <cmath>

double StateCheck::target_level(double vslider_pos) {
  return std::pow(10.0, (1.0 - vslider_pos) * -45.0 / 20.0);
}

bool StateCheck::is_level(double v) {
  return std::isfinite(v) && v > 0.0;
}

bool StateCheck::usable(const double* measured, const double* target_shape, int n, double vslider_pos) {
  if (!std::isfinite(vslider_pos)) return false;
  const double level = target_level(vslider_pos);
  if (!is_level(level)) return false;
  for (int i = 0; i < n; ++i)
    if (!is_level(measured[i]) || !is_level(target_shape[i]) || !is_level(level * target_shape[i]))
      return false;
  return true;
}
