#pragma once
// The arithmetic of the correction cascade: the literal per-sample loop and the SIMD wavefront that
// must equal it bit for bit, for one channel or two channels that share a coefficient set.

#include "engine/Cascade.h"

namespace cascade_kernel {

// The two states of every section, for one channel.
struct States {
  alignas(64) double s1[Cascade::kMaxSections];
  alignas(64) double s2[Cascade::kMaxSections];
};

// Filters `channels` (1 or 2) channels of `frames` samples through k, each channel with its own
// states. 1 <= k.nsections <= kMaxSections; in[c] may equal out[c].
void run(const Cascade::Coefficients& k, States* const* states, const double* const* in, double* const* out,
         int channels, int frames);

// The per-sample loop alone (also the path for short blocks).
void scalar(const Cascade::Coefficients& k, double* s1, double* s2, const double* in, double* out,
            int frames);

// The wavefront with exactly this many lanes on 1 or 2 channels (s1[c], s2[c] the states of channel
// c); false when the CPU lacks it or k.nsections is not a multiple of it.
bool wavefront(int lanes, const Cascade::Coefficients& k, double* const* s1, double* const* s2,
               const double* const* in, double* const* out, int channels, int frames);

// The lane count run() uses on this CPU.
int widest_lanes();

}  // namespace cascade_kernel
