// Each section i turns its input x into x + y, with y the output of a band-pass branch in transposed
// direct form II; the cascade's output is the last section's times out_gain. Per sample, with s1, s2
// the section's two states and a, b, c its coefficients (y below 1e-100 is taken as 0, so that a
// decaying state never turns into denormals):
//
//   for (int i = 0; i < nsections; ++i) {
//     const double t = -x * a[i];
//     double y = s1[i] - t;
//     if (std::fabs(y) < 1e-100) y = 0;
//     s1[i] = s2[i] - b[i] * y;
//     s2[i] = t - c[i] * y;
//     x = x + y;
//   }
//   out = x * out_gain;
//
// That loop is scalar() below, and the wavefront kernels must equal it bit for bit. The chain through
// the sections is one long dependency per sample, so they run it as a wavefront: at step t section i
// filters sample t - i, the sections sit side by side in SIMD lanes and each step is independent work
// across all of them. Every section performs the same operations in the same order, so the output is
// identical. Two channels run in the same steps, sharing each vector of coefficients; each channel's
// arithmetic is exactly the one-channel arithmetic. The lane types and per-CPU selection are in
// SimdLanes.h.

#include "engine/CascadeKernel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/SimdLanes.h"

namespace cascade_kernel {
namespace {

constexpr double kFlush = 1e-100;  // states below this would decay into denormals
constexpr int kMaxSections = Cascade::kMaxSections;
// Below this many frames the ramp in and out of the wavefront costs more than it saves.
constexpr int kWavefrontMinFrames = 8;

// 0, 1, ... 119: the section number of every lane, for masking.
constexpr auto kSectionIndexTable = [] {
  struct {
    alignas(64) double v[kMaxSections];
  } t{};
  for (int i = 0; i < kMaxSections; ++i) t.v[i] = i;
  return t;
}();
constexpr const double* kSectionIndex = kSectionIndexTable.v;

// The coefficients as the kernels read them: a negated once per block, so that t = x * na costs one
// multiplication; (-x) * a and x * (-a) are the same number.
struct Sections {
  alignas(64) double na[kMaxSections];
  const double* b;
  const double* c;
  int nsections;
};

// One vector of sections of one channel at one step: the loop body above for V sections at once. In
// a masked vector, only the lanes whose section has a sample at this step (sections lo .. hi) change
// state.
template <int V, bool Masked>
SIMD_INLINE typename Lanes<V>::vd section_step(const Sections& k, double* s1, double* s2,
                                               typename Lanes<V>::vd* x, int v,
                                               const typename Lanes<V>::vd& prev, double lo, double hi) {
  typedef typename Lanes<V>::vd vd;
  const vd xv = x[v];
  const vd na = load<V>(k.na + v * V), b = load<V>(k.b + v * V), c = load<V>(k.c + v * V);
  const vd st1 = load<V>(s1 + v * V), st2 = load<V>(s2 + v * V);
  const vd t = xv * na;
  vd y = st1 - t;
  y = zero_where<V>(magnitude_below<V>(y, kFlush), y);
  vd n1 = st2 - b * y;
  vd n2 = t - c * y;
  const vd out = xv + y;
  if constexpr (Masked) {
    typedef typename Lanes<V>::vi vi;
    const vi idle = outside<V>(load<V>(kSectionIndex + v * V), lo, hi);
    // Idle lanes keep their states. (Written out here: GCC allocates registers worse through a helper.)
    n1 = (vd)(((vi)n1 & ~idle) | ((vi)st1 & idle));
    n2 = (vd)(((vi)n2 & ~idle) | ((vi)st2 & idle));
  }
  store<V>(s1 + v * V, n1);
  store<V>(s2 + v * V, n2);
  x[v] = shift_in<V>(prev, out);
  return out;
}

template <int V>
using Wave = typename Lanes<V>::vd[kMaxSections / V];  // one channel's samples in flight

// A step at which every section has a sample: the body of any block longer than the cascade. NV, the
// number of vectors, is a constant for the full cascade, so the loop unrolls and x stays in registers
// where there are enough of them.
template <int V, int NV, int C>
SIMD_INLINE void full_step(const Sections& k, double* const* s1, double* const* s2, Wave<V>* x,
                           const double* next_in, double* y) {
  typedef typename Lanes<V>::vd vd;
  vd prev[C];
  for (int ch = 0; ch < C; ++ch) prev[ch] = vd{} + next_in[ch];
  const int nv = NV ? NV : k.nsections / V;
#pragma GCC unroll 16
  for (int v = 0; v < nv; ++v)
    for (int ch = 0; ch < C; ++ch)
      prev[ch] = section_step<V, false>(k, s1[ch], s2[ch], x[ch], v, prev[ch], 0, 0);
  for (int ch = 0; ch < C; ++ch) y[ch] = prev[ch][V - 1];
}

// A step in the ramp at either end of a block, where only sections lo .. hi have a sample: finished
// vectors are skipped, the first not yet started one only takes its input, partial ones are masked.
template <int V, int C>
SIMD_INLINE void ramp_step(const Sections& k, double* const* s1, double* const* s2, Wave<V>* x,
                           const double* next_in, std::int64_t lo, std::int64_t hi, double* y) {
  typedef typename Lanes<V>::vd vd;
  vd prev[C];
  for (int ch = 0; ch < C; ++ch) prev[ch] = vd{} + next_in[ch];
  const int nv = k.nsections / V;
  for (int v = 0; v < nv; ++v) {
    const std::int64_t first = std::int64_t(v) * V, last = first + V - 1;
    if (last < lo) {
      for (int ch = 0; ch < C; ++ch) prev[ch] = vd{};
      continue;
    }
    if (first > hi) {
      for (int ch = 0; ch < C; ++ch) {
        x[ch][v] = shift_in<V>(prev[ch], x[ch][v]);
        y[ch] = 0.0;
      }
      return;
    }
    for (int ch = 0; ch < C; ++ch) {
      if (first >= lo && last <= hi)
        prev[ch] = section_step<V, false>(k, s1[ch], s2[ch], x[ch], v, prev[ch], 0, 0);
      else
        prev[ch] = section_step<V, true>(k, s1[ch], s2[ch], x[ch], v, prev[ch], double(lo), double(hi));
    }
  }
  for (int ch = 0; ch < C; ++ch) y[ch] = prev[ch][V - 1];
}

template <int V, int NV, int C>
SIMD_INLINE void wavefront_run(const Sections& k, double* const* states1, double* const* states2,
                               const double* const* input, double* const* output, int frames, double g) {
  // Local copies of the channel pointers: the stores cannot alias them, so they stay in registers.
  double *s1[C], *s2[C], *out[C];
  const double* in[C];
  for (int ch = 0; ch < C; ++ch)
    s1[ch] = states1[ch], s2[ch] = states2[ch], in[ch] = input[ch], out[ch] = output[ch];
  const int ns = k.nsections;
  const std::int64_t last = std::int64_t(frames) + ns - 1;  // steps 0 .. last - 1
  Wave<V> x[C] = {};
  for (int ch = 0; ch < C; ++ch) x[ch][0][0] = in[ch][0];
  double next_in[C], y[C];
  // At step t section i filters sample t - i. The input is read one step ahead of the output,
  // which lags by ns - 1, so in == out is safe.
  auto next = [&](std::int64_t t) {
    for (int ch = 0; ch < C; ++ch) next_in[ch] = t + 1 < frames ? in[ch][t + 1] : 0.0;
  };
  auto ramp = [&](std::int64_t t) {
    next(t);
    ramp_step<V, C>(k, s1, s2, x, next_in, std::max<std::int64_t>(0, t - frames + 1),
                    std::min<std::int64_t>(t, ns - 1), y);
    if (t >= ns - 1)
      for (int ch = 0; ch < C; ++ch) out[ch][t - ns + 1] = y[ch] * g;
  };
  std::int64_t t = 0;
  for (; t < std::min<std::int64_t>(ns - 1, frames); ++t) ramp(t);
  for (; t < frames; ++t) {
    next(t);
    full_step<V, NV, C>(k, s1, s2, x, next_in, y);
    for (int ch = 0; ch < C; ++ch) out[ch][t - ns + 1] = y[ch] * g;
  }
  for (; t < last; ++t) ramp(t);
}

template <int V>
SIMD_INLINE void wavefront_body(const Cascade::Coefficients& c, double* const* s1, double* const* s2,
                                const double* const* in, double* const* out, int channels, int frames) {
  Sections k;
  for (int i = 0; i < c.nsections; ++i) k.na[i] = -c.a[i];
  k.b = c.b;
  k.c = c.c;
  k.nsections = c.nsections;
  const bool full = c.nsections == kMaxSections;
  if (channels == 2) {
    if (full)
      wavefront_run<V, kMaxSections / V, 2>(k, s1, s2, in, out, frames, c.out_gain);
    else
      wavefront_run<V, 0, 2>(k, s1, s2, in, out, frames, c.out_gain);
  } else if (full) {
    wavefront_run<V, kMaxSections / V, 1>(k, s1, s2, in, out, frames, c.out_gain);
  } else {
    wavefront_run<V, 0, 1>(k, s1, s2, in, out, frames, c.out_gain);
  }
}

using Kernel = void (*)(const Cascade::Coefficients&, double* const*, double* const*, const double* const*,
                        double* const*, int, int);

#define CASCADE_WAVEFRONT(suffix, level, lanes, target)                                                \
  target void wavefront_##suffix(const Cascade::Coefficients& k, double* const* s1, double* const* s2, \
                                 const double* const* in, double* const* out, int channels, int n) {   \
    wavefront_body<lanes>(k, s1, s2, in, out, channels, n);                                            \
  }
SIMD_FOR_EACH_LEVEL(CASCADE_WAVEFRONT)

struct Wavefront {
  Kernel kernel;
  int lanes;
};

// The kernel with this many lanes, if the CPU runs it.
Wavefront wavefront_with(int lanes) {
#define CASCADE_OFFER(suffix, level, n, target) \
  if (lanes == n && simd_level() >= SimdLevel::level) return {wavefront_##suffix, n};
  SIMD_FOR_EACH_LEVEL(CASCADE_OFFER)
  return {nullptr, 0};
}

Wavefront pick_wavefront() {
  for (int lanes : {8, 4, 2})
    if (Wavefront w = wavefront_with(lanes); w.kernel) return w;
  return {wavefront_baseline, 2};
}

const Wavefront widest = pick_wavefront();

}  // namespace

void scalar(const Cascade::Coefficients& k, double* s1, double* s2, const double* in, double* out,
            int frames) {
  const int ns = k.nsections;
  for (int f = 0; f < frames; ++f) {
    double x = in[f];
    for (int i = 0; i < ns; ++i) {
      const double t = -x * k.a[i];
      double y = s1[i] - t;
      if (std::fabs(y) < kFlush) y = 0;
      s1[i] = s2[i] - k.b[i] * y;
      s2[i] = t - k.c[i] * y;
      x = x + y;
    }
    out[f] = x * k.out_gain;
  }
}

bool wavefront(int lanes, const Cascade::Coefficients& k, double* const* s1, double* const* s2,
               const double* const* in, double* const* out, int channels, int frames) {
  const Wavefront w = wavefront_with(lanes);
  if (!w.kernel || k.nsections < 1 || k.nsections > kMaxSections || k.nsections % lanes != 0) return false;
  if (channels < 1 || channels > 2) return false;
  if (frames > 0) w.kernel(k, s1, s2, in, out, channels, frames);
  return true;
}

int widest_lanes() {
  return widest.lanes;
}

void run(const Cascade::Coefficients& k, States* const* states, const double* const* in, double* const* out,
         int channels, int frames) {
  if (k.nsections % widest.lanes == 0 && frames >= kWavefrontMinFrames) {
    double* s1[2] = {states[0]->s1, channels == 2 ? states[1]->s1 : nullptr};
    double* s2[2] = {states[0]->s2, channels == 2 ? states[1]->s2 : nullptr};
    widest.kernel(k, s1, s2, in, out, channels, frames);
    return;
  }
  for (int ch = 0; ch < channels; ++ch) scalar(k, states[ch]->s1, states[ch]->s2, in[ch], out[ch], frames);
}

}  // namespace cascade_kernel
