#pragma once
// The correction filter written literally as the per-sample, per-section loop.
#include <cmath>

namespace reference {

struct CascadeState {
  double state1[120] = {};
  double state2[120] = {};
};

inline void process_eq(const double* coef_a, const double* coef_b, const double* coef_c, double out_gain,
                       int nsections, CascadeState& st, const double* in, double* out, int n) {
  for (int k = 0; k < n; ++k) {
    double x = in[k];
    for (int i = 0; i < nsections; ++i) {
      double t = -x * coef_a[i];
      double y = st.state1[i] - t;
      if (std::fabs(y) < 1e-100) y = 0;
      st.state1[i] = st.state2[i] - coef_b[i] * y;
      st.state2[i] = t - coef_c[i] * y;
      x = x + y;
    }
    out[k] = x * out_gain;
  }
}

}  // namespace reference
