#include "engine/Cascade.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/CascadeKernel.h"

using cascade_kernel::States;

struct Cascade::Work {
  Coefficients old;  // the set fading out, copied: its slot goes back to the design
  States live[kMaxChannels];
  States fading[kMaxChannels];  // the old set's own states while it fades out
  alignas(64) double old_out[kMaxChannels][kChunk];
  alignas(64) double bypass_out[kMaxChannels][kChunk];
};

namespace {

// An exponent of all ones, found with integer operations that vectorise without branches: adding one
// to the masked exponent carries into the top bit only then.
bool any_not_finite(const double* x, int n) {
  constexpr std::uint64_t kExponent = 0x7FF0000000000000u, kExponentOne = 0x0010000000000000u;
  std::uint64_t carry = 0;
  for (int i = 0; i < n; ++i) carry |= (std::bit_cast<std::uint64_t>(x[i]) & kExponent) + kExponentOne;
  return carry >> 63;
}

void clear(States& s) {
  std::memset(s.s1, 0, sizeof s.s1);
  std::memset(s.s2, 0, sizeof s.s2);
}

}  // namespace

Cascade::Cascade() : work_(std::make_unique<Work>()) {
  for (Coefficients& s : slots_) {
    std::memset(s.a, 0, sizeof s.a);
    std::memset(s.b, 0, sizeof s.b);
    std::memset(s.c, 0, sizeof s.c);
  }
  work_->old = slots_[0];
  clear_history();
}

Cascade::~Cascade() = default;

const double* Cascade::state1() const {
  return work_->live[0].s1;
}
const double* Cascade::state2() const {
  return work_->live[0].s2;
}

void Cascade::clear_history() {
  for (States& s : work_->live) clear(s);
  for (States& s : work_->fading) clear(s);
  fade_ = Ramp{};
}

void Cascade::publish() {
  const int previous = shared_.exchange(writer_ | kFresh, std::memory_order_acq_rel);
  writer_ = previous & 3;
}

int Cascade::transition_frames() const {
  const double rate = slots_[reader_].sample_rate;
  const double frames = kTransitionSeconds * (std::isfinite(rate) && rate > 0.0 ? rate : 48000.0);
  return int(std::clamp(frames, 1.0, 100000.0));
}

void Cascade::set_bypass(bool bypass, double bypass_gain) {
  bypass_target_ = bypass;
  if (std::isfinite(bypass_gain)) gain_target_ = bypass_gain;
}

// Path and gain follow their targets; after a reset (or at the first block) without a transition.
void Cascade::begin_block() {
  if (reset_requested_.load(std::memory_order_relaxed) && reset_requested_.exchange(false)) {
    clear_history();
    settle_ = true;
  }
  const double mode = bypass_target_ ? 1.0 : 0.0;
  if (settle_) {
    mode_.snap(mode);
    gain_.snap(gain_target_);
    return;
  }
  if (mode != mode_.to) mode_.retarget(mode, transition_frames());
  if (gain_target_ != gain_.to) gain_.retarget(gain_target_, transition_frames());
}

void Cascade::adopt_newest(bool crossfade) {
  if (!(shared_.load(std::memory_order_relaxed) & kFresh)) return;
  // Nothing to fade from before the first set, and nothing heard of the correction in Bypass.
  crossfade = crossfade && adopted_ && (mode_.active() || mode_.to == 0.0);
  if (crossfade) {
    work_->old = slots_[reader_];
    std::memcpy(work_->fading, work_->live, sizeof work_->fading);
  }
  const int fresh = shared_.exchange(reader_, std::memory_order_acq_rel);
  reader_ = fresh & 3;
  Coefficients& k = slots_[reader_];
  k.nsections = std::clamp(k.nsections, 0, kMaxSections);
  adopted_ = true;
  fade_ = crossfade ? Ramp{0.0, 1.0, 0, transition_frames()} : Ramp{};
}

void Cascade::process(const double* in, double* out, int frames) {
  process(&in, &out, 1, frames);
}

void Cascade::process(const double* const* in, double* const* out, int channels, int frames) {
  if (frames <= 0 || !in || !out || channels < 1 || channels > kMaxChannels) return;
  for (int ch = 0; ch < channels; ++ch)
    if (!in[ch] || !out[ch]) return;
  begin_block();
  const bool crossfade = !settle_;
  settle_ = false;
  bool may_adopt = true;  // at the block's first sample, and where a crossfade ends
  for (int done = 0; done < frames;) {
    if (may_adopt && !fade_.active()) adopt_newest(crossfade);
    int n = frames - done;
    for (const Ramp* r : {&fade_, &mode_, &gain_})
      if (r->active()) n = std::min({n, r->left(), kChunk});
    const double* ins[kMaxChannels];
    double* outs[kMaxChannels];
    for (int ch = 0; ch < channels; ++ch) {
      ins[ch] = in[ch] + done;
      outs[ch] = out[ch] + done;
    }
    render(ins, outs, channels, n);
    may_adopt = fade_.active() && fade_.left() == n;
    for (Ramp* r : {&fade_, &mode_, &gain_}) r->advance(n);
    done += n;
  }
}

// One stretch in which every ramp is either running throughout or at rest: out = (1 - m) * correction
// + m * input * gain, with m the share of the bypass path. At rest each path is computed alone, so a
// steady output is exactly that path's.
void Cascade::render(const double* const* in, double* const* out, int channels, int n) {
  Work& w = *work_;
  if (!mode_.active() && mode_.to == 1.0) {
    for (int ch = 0; ch < channels; ++ch) {
      if (!gain_.active()) {
        const double g = gain_.to;
        for (int j = 0; j < n; ++j) out[ch][j] = in[ch][j] * g;
      } else {
        for (int j = 0; j < n; ++j) out[ch][j] = in[ch][j] * gain_.at(j);
      }
    }
    return;
  }
  const bool mixing = mode_.active();
  if (mixing)  // before the correction, which may overwrite the input
    for (int ch = 0; ch < channels; ++ch)
      for (int j = 0; j < n; ++j) w.bypass_out[ch][j] = in[ch][j] * (gain_.active() ? gain_.at(j) : gain_.to);
  render_correction(in, out, channels, n);
  if (mixing)
    for (int ch = 0; ch < channels; ++ch)
      for (int j = 0; j < n; ++j) {
        const double m = mode_.at(j);
        out[ch][j] = (1.0 - m) * out[ch][j] + m * w.bypass_out[ch][j];
      }
}

// The correction alone: the current set, crossfaded from the old one while that fades out.
void Cascade::render_correction(const double* const* in, double* const* out, int channels, int n) {
  Work& w = *work_;
  if (!adopted_) {
    for (int ch = 0; ch < channels; ++ch) std::memset(out[ch], 0, sizeof(double) * std::size_t(n));
    return;
  }
  States* live[kMaxChannels] = {&w.live[0], &w.live[1]};
  if (!fade_.active()) {
    run_set(slots_[reader_], live, in, out, channels, n);
    return;
  }
  States* fading[kMaxChannels] = {&w.fading[0], &w.fading[1]};
  double* old_out[kMaxChannels] = {w.old_out[0], w.old_out[1]};
  run_set(w.old, fading, in, old_out, channels, n);  // first: out may be the input
  run_set(slots_[reader_], live, in, out, channels, n);
  for (int ch = 0; ch < channels; ++ch)
    for (int j = 0; j < n; ++j) {
      const double f = fade_.at(j);
      out[ch][j] = (1.0 - f) * old_out[ch][j] + f * out[ch][j];
    }
}

void Cascade::run_set(const Coefficients& k, States* const* states, const double* const* in,
                      double* const* out, int channels, int n) {
  if (k.nsections < 1) {
    for (int ch = 0; ch < channels; ++ch)
      for (int j = 0; j < n; ++j) out[ch][j] = in[ch][j] * k.out_gain;
    return;
  }
  cascade_kernel::run(k, states, in, out, channels, n);
  for (int ch = 0; ch < channels; ++ch) {
    States& s = *states[ch];
    // A non-finite input sample would otherwise stay in the states and silence the filter for good.
    if (any_not_finite(s.s1, k.nsections) || any_not_finite(s.s2, k.nsections)) clear(s);
    // A set whose gains overflow the block is heard as silence: the host never gets infinities.
    if (any_not_finite(out[ch], n)) {
      std::memset(out[ch], 0, sizeof(double) * std::size_t(n));
      clear(s);
    }
  }
}

void Cascade::process_scalar(const Coefficients& k, double* s1, double* s2, const double* in, double* out,
                             int frames) {
  cascade_kernel::scalar(k, s1, s2, in, out, frames);
}

bool Cascade::process_wavefront(int lanes, const Coefficients& k, double* s1, double* s2, const double* in,
                                double* out, int frames) {
  return cascade_kernel::wavefront(lanes, k, &s1, &s2, &in, &out, 1, frames);
}
