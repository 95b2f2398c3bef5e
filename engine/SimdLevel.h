#pragma once

// The widest vector instructions this CPU (and its OS) offers. The numeric kernels are compiled for
// each level and picked at run time, so the plug-in runs on any x86-64 and every level gives the
// same bits.
enum class SimdLevel { kBaseline, kAvx2, kAvx512 };  // kAvx512: F, DQ, VL and BW

SimdLevel simd_level();
