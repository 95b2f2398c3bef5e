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
// That loop is process_scalar() below, and the wavefront kernels must equal it bit for bit. The chain
// through the sections is one long dependency per sample, so they run it as a wavefront: at step t
// section i filters sample t - i, the sections sit side by side in SIMD lanes and each step is
// independent work across all of them. Every section performs the same operations in the same order,
// so the output is identical. The lane types and per-CPU selection are in SimdLanes.h.

#include "engine/Cascade.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/SimdLanes.h"

namespace {

constexpr double kFlush = 1e-100;  // states below this would decay into denormals
// Below this many frames the ramp in and out of the wavefront costs more than it saves.
constexpr int kWavefrontMinFrames = 8;

// 0, 1, ... 119: the section number of every lane, for masking.
constexpr auto kSectionIndexTable = [] {
  struct {
    alignas(64) double v[Cascade::kMaxSections];
  } t{};
  for (int i = 0; i < Cascade::kMaxSections; ++i) t.v[i] = i;
  return t;
}();
constexpr const double* kSectionIndex = kSectionIndexTable.v;

// The coefficients as the kernels read them: a negated once per block, so that t = x * na costs one
// multiplication; (-x) * a and x * (-a) are the same number.
struct Sections {
  alignas(64) double na[Cascade::kMaxSections];
  const double* b;
  const double* c;
  int nsections;
};

// One vector of sections at one step: the loop body above for V sections at once. In a masked
// vector, only the lanes whose section has a sample at this step (sections lo .. hi) change state.
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

// A step at which every section has a sample: the body of any block longer than the cascade. NV, the
// number of vectors, is a constant for the full cascade, so the loop unrolls and x stays in registers
// where there are enough of them.
template <int V, int NV>
SIMD_INLINE double full_step(const Sections& k, double* s1, double* s2, typename Lanes<V>::vd* x,
                             double next_in) {
  typedef typename Lanes<V>::vd vd;
  vd prev = vd{} + next_in;
  const int nv = NV ? NV : k.nsections / V;
#pragma GCC unroll 16
  for (int v = 0; v < nv; ++v) prev = section_step<V, false>(k, s1, s2, x, v, prev, 0, 0);
  return prev[V - 1];
}

// A step in the ramp at either end of a block, where only sections lo .. hi have a sample: finished
// vectors are skipped, the first not yet started one only takes its input, partial ones are masked.
template <int V>
SIMD_INLINE double ramp_step(const Sections& k, double* s1, double* s2, typename Lanes<V>::vd* x,
                             double next_in, std::int64_t lo, std::int64_t hi) {
  typedef typename Lanes<V>::vd vd;
  vd prev = vd{} + next_in;
  const int nv = k.nsections / V;
  for (int v = 0; v < nv; ++v) {
    const std::int64_t first = std::int64_t(v) * V, last = first + V - 1;
    if (last < lo) {
      prev = vd{};
      continue;
    }
    if (first > hi) {
      x[v] = shift_in<V>(prev, x[v]);
      return 0.0;
    }
    if (first >= lo && last <= hi)
      prev = section_step<V, false>(k, s1, s2, x, v, prev, 0, 0);
    else
      prev = section_step<V, true>(k, s1, s2, x, v, prev, double(lo), double(hi));
  }
  return prev[V - 1];
}

template <int V, int NV>
SIMD_INLINE void wavefront_run(const Sections& k, double* s1, double* s2, const double* in, double* out,
                               int frames, double g) {
  typedef typename Lanes<V>::vd vd;
  const int ns = k.nsections;
  const std::int64_t last = std::int64_t(frames) + ns - 1;  // steps 0 .. last - 1
  vd x[Cascade::kMaxSections / V] = {};
  x[0][0] = in[0];
  // At step t section i filters sample t - i. The input is read one step ahead of the output,
  // which lags by ns - 1, so in == out is safe.
  auto next = [&](std::int64_t t) { return t + 1 < frames ? in[t + 1] : 0.0; };
  auto ramp = [&](std::int64_t t) {
    const double y = ramp_step<V>(k, s1, s2, x, next(t), std::max<std::int64_t>(0, t - frames + 1),
                                  std::min<std::int64_t>(t, ns - 1));
    if (t >= ns - 1) out[t - ns + 1] = y * g;
  };
  std::int64_t t = 0;
  for (; t < std::min<std::int64_t>(ns - 1, frames); ++t) ramp(t);
  for (; t < frames; ++t) out[t - ns + 1] = full_step<V, NV>(k, s1, s2, x, next(t)) * g;
  for (; t < last; ++t) ramp(t);
}

template <int V>
SIMD_INLINE void wavefront_body(const Cascade::Coefficients& c, double* s1, double* s2, const double* in,
                                double* out, int frames) {
  Sections k;
  for (int i = 0; i < c.nsections; ++i) k.na[i] = -c.a[i];
  k.b = c.b;
  k.c = c.c;
  k.nsections = c.nsections;
  if (c.nsections == Cascade::kMaxSections)
    wavefront_run<V, Cascade::kMaxSections / V>(k, s1, s2, in, out, frames, c.out_gain);
  else
    wavefront_run<V, 0>(k, s1, s2, in, out, frames, c.out_gain);
}

using Kernel = void (*)(const Cascade::Coefficients&, double*, double*, const double*, double*, int);

#define CASCADE_WAVEFRONT(suffix, level, lanes, target)                                                    \
  target void wavefront_##suffix(const Cascade::Coefficients& k, double* s1, double* s2, const double* in, \
                                 double* out, int n) {                                                     \
    wavefront_body<lanes>(k, s1, s2, in, out, n);                                                          \
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

const Wavefront wavefront = pick_wavefront();

// An exponent of all ones, found with integer operations that vectorise without branches: adding one
// to the masked exponent carries into the top bit only then.
bool any_not_finite(const double* x, int n) {
  constexpr std::uint64_t kExponent = 0x7FF0000000000000u, kExponentOne = 0x0010000000000000u;
  std::uint64_t carry = 0;
  for (int i = 0; i < n; ++i) carry |= (std::bit_cast<std::uint64_t>(x[i]) & kExponent) + kExponentOne;
  return carry >> 63;
}

}  // namespace

Cascade::Cascade() {
  clear_states();
  for (Coefficients& s : slots_) {
    std::memset(s.a, 0, sizeof s.a);
    std::memset(s.b, 0, sizeof s.b);
    std::memset(s.c, 0, sizeof s.c);
  }
}

void Cascade::clear_states() {
  std::memset(state1_, 0, sizeof state1_);
  std::memset(state2_, 0, sizeof state2_);
}

void Cascade::publish() {
  const int previous = shared_.exchange(writer_ | kFresh, std::memory_order_acq_rel);
  writer_ = previous & 3;
}

void Cascade::adopt_newest() {
  if (!(shared_.load(std::memory_order_relaxed) & kFresh)) return;
  const int fresh = shared_.exchange(reader_, std::memory_order_acq_rel);
  reader_ = fresh & 3;
  adopted_ = true;
  clear_states();
}

void Cascade::process_scalar(const Coefficients& k, double* s1, double* s2, const double* in, double* out,
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

bool Cascade::process_wavefront(int lanes, const Coefficients& k, double* s1, double* s2, const double* in,
                                double* out, int frames) {
  const Wavefront w = wavefront_with(lanes);
  if (!w.kernel || k.nsections < 1 || k.nsections > kMaxSections || k.nsections % lanes != 0) return false;
  if (frames > 0) w.kernel(k, s1, s2, in, out, frames);
  return true;
}

void Cascade::process(const double* in, double* out, int frames) {
  if (frames <= 0 || !in || !out) return;
  adopt_newest();
  if (!adopted_) {
    std::memset(out, 0, sizeof(double) * std::size_t(frames));
    return;
  }
  const Coefficients& k = slots_[reader_];
  const int ns = k.nsections < 0 ? 0 : (k.nsections > kMaxSections ? kMaxSections : k.nsections);
  if (ns < 1) {
    for (int f = 0; f < frames; ++f) out[f] = in[f] * k.out_gain;
    return;
  }
  if (ns == k.nsections && ns % wavefront.lanes == 0 && frames >= kWavefrontMinFrames)
    wavefront.kernel(k, state1_, state2_, in, out, frames);
  else if (ns == k.nsections)
    process_scalar(k, state1_, state2_, in, out, frames);
  else {
    Coefficients clamped = k;
    clamped.nsections = ns;
    process_scalar(clamped, state1_, state2_, in, out, frames);
  }
  // A non-finite input sample would otherwise stay in the states and silence the filter for good.
  if (any_not_finite(state1_, ns) || any_not_finite(state2_, ns)) clear_states();
  // A set whose gains overflow the block is heard as silence: the host never gets infinities.
  if (any_not_finite(out, frames)) {
    std::memset(out, 0, sizeof(double) * std::size_t(frames));
    clear_states();
  }
}
