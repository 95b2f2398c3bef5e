#pragma once
// The plumbing of the hand-vectorised kernels (CascadeKernel.cpp, FFT.cpp): one body compiled once per
// instruction set and picked at run time, and for explicit vectors the lane types and the few
// operations the kernels need. Include it from kernel files only: it silences -Wpsabi for the file.

#include <bit>
#include <cstdint>
#include <cstring>

#include "engine/SimdLevel.h"

// Lane helpers are always inlined into a kernel built for their instruction set, so no vector ever
// crosses a call boundary and the ABI note about passing wide vectors does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"
#define SIMD_INLINE inline __attribute__((always_inline))

// X(suffix, level, lanes, attributes) once per level: SSE2, the x86-64 baseline, with two doubles a
// vector; AVX2 with four; AVX-512 with eight.
#if defined(__x86_64__)
#define SIMD_FOR_EACH_LEVEL(X)                       \
  X(baseline, kBaseline, 2, )                        \
  X(avx2, kAvx2, 4, __attribute__((target("avx2")))) \
  X(avx512, kAvx512, 8, __attribute__((target("avx512f,avx512dq,avx512vl,avx512bw"))))
// name##_avx512, _avx2 or _baseline: the widest this CPU runs.
#define SIMD_PICK(name)                               \
  (simd_level() == SimdLevel::kAvx512 ? name##_avx512 \
   : simd_level() == SimdLevel::kAvx2 ? name##_avx2   \
                                      : name##_baseline)
#else
#define SIMD_FOR_EACH_LEVEL(X) X(baseline, kBaseline, 2, )
#define SIMD_PICK(name) (name##_baseline)
#endif

// V doubles, and V 64-bit integers for masks and bit tricks.
template <int V>
struct Lanes {
  typedef double vd __attribute__((vector_size(V * 8)));
  typedef std::int64_t vi __attribute__((vector_size(V * 8)));
  typedef std::uint64_t vu __attribute__((vector_size(V * 8)));
};

template <int V>
SIMD_INLINE typename Lanes<V>::vd load(const double* p) {
  typename Lanes<V>::vd v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <int V>
SIMD_INLINE void store(double* p, const typename Lanes<V>::vd& v) {
  std::memcpy(p, &v, sizeof v);
}

// {prev[V-1], cur[0], ..., cur[V-2]}: every lane moves one up and the first takes prev's last.
template <int V>
SIMD_INLINE typename Lanes<V>::vd shift_in(const typename Lanes<V>::vd& prev,
                                           const typename Lanes<V>::vd& cur) {
#if defined(__clang__)  // the fuzz build; clang spells the shuffle with constant lane indices
  if constexpr (V == 2)
    return __builtin_shufflevector(prev, cur, 1, 2);
  else if constexpr (V == 4)
    return __builtin_shufflevector(prev, cur, 3, 4, 5, 6);
  else
    return __builtin_shufflevector(prev, cur, 7, 8, 9, 10, 11, 12, 13, 14);
#else
  typedef typename Lanes<V>::vi vi;
  if constexpr (V == 2)
    return __builtin_shuffle(prev, cur, vi{1, 2});
  else if constexpr (V == 4)
    return __builtin_shuffle(prev, cur, vi{3, 4, 5, 6});
  else
    return __builtin_shuffle(prev, cur, vi{7, 8, 9, 10, 11, 12, 13, 14});
#endif
}

// All ones in the lanes where |x| < limit (limit > 0). From AVX2 on it compares as integers: for
// doubles that are not NaN the order of the magnitude bits is the order of the magnitudes, which
// keeps it off the adders. SSE2 has no 64-bit integer compare.
template <int V>
SIMD_INLINE typename Lanes<V>::vi magnitude_below(const typename Lanes<V>::vd& x, double limit) {
  typedef typename Lanes<V>::vd vd;
  typedef typename Lanes<V>::vi vi;
  const vi mag = (vi)x & (vi{} + INT64_MAX);
  if constexpr (V == 2)
    return (vd)mag < limit;
  else
    return mag < (vi{} + std::bit_cast<std::int64_t>(limit));
}

// All ones in the lanes where x is outside lo .. hi; x, lo and hi are exact small integers. Plain
// integer arithmetic instead of vector compares, which GCC splits into scalars at 512 bits: the lane
// is outside when x - lo or hi - x is negative.
template <int V>
SIMD_INLINE typename Lanes<V>::vi outside(const typename Lanes<V>::vd& x, double lo, double hi) {
  typedef typename Lanes<V>::vi vi;
  typedef typename Lanes<V>::vu vu;
  return vi{} - (vi)(((vu)(x - lo) | (vu)(hi - x)) >> 63);
}

// mask ? 0 : x, lane by lane.
template <int V>
SIMD_INLINE typename Lanes<V>::vd zero_where(const typename Lanes<V>::vi& mask,
                                             const typename Lanes<V>::vd& x) {
  typedef typename Lanes<V>::vd vd;
  typedef typename Lanes<V>::vi vi;
  return (vd)((vi)x & ~mask);
}
