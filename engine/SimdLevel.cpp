#include "engine/SimdLevel.h"

SimdLevel simd_level() {
#if defined(__x86_64__)
  static const SimdLevel level = [] {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw"))
      return SimdLevel::kAvx512;
    if (__builtin_cpu_supports("avx2")) return SimdLevel::kAvx2;
    return SimdLevel::kBaseline;
  }();
  return level;
#else
  return SimdLevel::kBaseline;
#endif
}
