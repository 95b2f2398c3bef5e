// The host's bypass: a switch is heard as a short fade between the processed output and the input,
// never as a jump; either side held steady plays exactly as it would alone.
#include <algorithm>
#include <cmath>

#include "framework/core/IEffectBase.h"

namespace {
// As long as the plug-in's own transitions of what is heard: no click, yet heard as immediate.
constexpr double kHostBypassSeconds = 0.02;

// Smoothstep of the fade at sample `pos` of `len`: no corner at either end.
double fade_at(int pos, int len) {
  const double x = double(pos + 1) / double(len + 1);
  return x * x * (3.0 - 2.0 * x);
}
}  // namespace

// Audio thread, once per block, lock held.
void IEffectBase::SetHostBypass(bool bypassed) {
  HostBypassFade& f = mHostBypass;
  const double target = bypassed ? 1.0 : 0.0;
  if (f.snap) {
    f = HostBypassFade{target, target, 0, 0, false};
    return;
  }
  if (target == f.to) return;
  // A switch back during a fade starts from the level last heard.
  const double now = f.pos >= f.len ? f.to
                     : f.pos == 0   ? f.from
                                    : f.from + (f.to - f.from) * fade_at(f.pos - 1, f.len);
  const double rate = std::isfinite(mSampleRate) && mSampleRate > 0.0 ? mSampleRate : 48000.0;
  f = HostBypassFade{now, target, 0, int(std::clamp(kHostBypassSeconds * rate, 1.0, 100000.0)), false};
}

// One piece of the attached buffers (mInData / mOutData, at most a block): processed, passed through,
// or, during a fade, both and mixed. The input is copied before processing: host buffers may be one.
void IEffectBase::RunPiece(int nFrames) {
  HostBypassFade& f = mHostBypass;
  for (int done = 0; done < nFrames;) {
    const bool fading = f.pos < f.len;
    const int n = fading ? std::min({nFrames - done, kFadeChunk, f.len - f.pos}) : nFrames - done;
    for (size_t c = 0; c < mFadeIn.size(); ++c) mFadeIn[c] = mInData[c] + done;
    for (size_t c = 0; c < mFadeOut.size(); ++c) mFadeOut[c] = mOutData[c] + done;
    done += n;
    if (!fading) {
      if (f.to == 1.0)
        PassThrough(mFadeIn.data(), mFadeOut.data(), n, true);
      else
        ProcessDoubleReplacing(mFadeIn.data(), mFadeOut.data(), n);
      continue;
    }
    for (size_t c = 0; c < mFadeOut.size(); ++c) mFadeDryData[c] = mFadeDry.data() + c * kFadeChunk;
    PassThrough(mFadeIn.data(), mFadeDryData.data(), n, true);
    ProcessDoubleReplacing(mFadeIn.data(), mFadeOut.data(), n);
    for (size_t c = 0; c < mFadeOut.size(); ++c) {
      double* out = mFadeOut[c];
      const double* dry = mFadeDryData[c];
      for (int s = 0; s < n; ++s) {
        const double g = f.from + (f.to - f.from) * fade_at(f.pos + s, f.len);
        out[s] += (dry[s] - out[s]) * g;
      }
    }
    f.pos += n;
  }
}
