#pragma once

#include <atomic>
#include <memory>

#include "engine/Ramp.h"

namespace cascade_kernel {
struct States;
}

// The correction filter: up to 120 second-order sections in series, each the input plus a band-pass
// branch in transposed direct form II, then an output gain; for one channel or two, each channel with
// its own section states.
//
// Coefficient sets are handed from the design (editor thread) to the audio thread without locks and
// without ever exposing a half-written set: the design fills a slot of its own and publishes it with
// one atomic exchange; the audio thread adopts the newest published set at the start of a block, or
// where the transition to the previous set ends. Three slots, so that the design never writes the set
// the audio thread is using, however often it publishes between two blocks.
//
// Every change of what is heard is a transition of kTransitionSeconds: a new set crossfades from the
// old cascade, which plays on with its own states, to the new one, which starts from those same
// states (the sections filter the same signal, and live correction changes them in small steps, so
// the states are nearly right and the new cascade is settled at once); the "Bypass" path and its gain
// ramp the same way. Once a transition has ended the output is exactly the literal cascade's with the
// coefficients switched at the sample the set was adopted.
class Cascade {
 public:
  static constexpr int kMaxSections = 120;
  static constexpr int kMaxChannels = 2;
  // Long enough that a change is no click (the crossfade's own curvature stays far below a sine's
  // in the audible range), short enough that the sets of a pen stroke, 40 ms apart, each play in full.
  static constexpr double kTransitionSeconds = 0.02;

  struct alignas(64) Coefficients {
    double a[kMaxSections];
    double b[kMaxSections];
    double c[kMaxSections];
    double out_gain = 1.0;
    double sample_rate = 48000.0;  // the rate the set was designed for; it times the transitions
    int nsections = 0;
  };

  Cascade();
  ~Cascade();
  Cascade(const Cascade&) = delete;
  Cascade& operator=(const Cascade&) = delete;

  // Design side (one thread at a time): fill the set returned by edit(), then publish() it.
  Coefficients& edit() { return slots_[writer_]; }
  void publish();

  // Audio side. Before the first set is adopted the correction is silent. in[c] may equal out[c].
  // set_bypass() says which path the next blocks play: the correction, or the input times
  // bypass_gain; a change ramps from the block's first sample.
  void set_bypass(bool bypass, double bypass_gain);
  void process(const double* in, double* out, int frames);
  // channels is 1 or 2: the same sets and transitions on each channel, each with its own states.
  void process(const double* const* in, double* const* out, int channels, int frames);
  // Host reset, from any thread: from the next block on the filter history and any transition are
  // gone, and the newest set, the path and the gain are taken at once, as by a new Cascade.
  void reset() { reset_requested_.store(true, std::memory_order_release); }

  bool has_set() const { return adopted_; }
  bool in_transition() const { return fade_.active() || mode_.active() || gain_.active(); }
  const double* state1() const;  // channel 0
  const double* state2() const;

  // The textbook per-sample loop, kept for short blocks and as the definition of the result.
  static void process_scalar(const Coefficients& k, double* s1, double* s2, const double* in, double* out,
                             int frames);
  // The wavefront kernel with 2, 4 or 8 lanes (false when the CPU lacks it or k.nsections is not a
  // multiple of the lane count); process() uses the widest the CPU has.
  static bool process_wavefront(int lanes, const Coefficients& k, double* s1, double* s2, const double* in,
                                double* out, int frames);

 private:
  static constexpr int kFresh = 4;     // set in shared_ while the slot there is unread
  static constexpr int kChunk = 1024;  // frames mixed at a time during a transition

  struct Work;  // states and mixing buffers, on the heap

  int transition_frames() const;
  void begin_block();
  void adopt_newest(bool crossfade);
  void render(const double* const* in, double* const* out, int channels, int n);
  void render_correction(const double* const* in, double* const* out, int channels, int n);
  void run_set(const Coefficients& k, cascade_kernel::States* const* states, const double* const* in,
               double* const* out, int channels, int n);
  void clear_history();

  Coefficients slots_[3];
  std::atomic<int> shared_{1};
  int writer_ = 0;  // design side only
  // Audio side only from here on.
  int reader_ = 2;
  bool adopted_ = false;
  bool settle_ = true;  // the next block takes set, path and gain without a transition
  bool bypass_target_ = false;
  double gain_target_ = 1.0;
  Ramp fade_;  // the new set's share while the old one fades out
  Ramp mode_;  // the share of the bypass path
  Ramp gain_;  // the bypass gain
  std::unique_ptr<Work> work_;
  std::atomic<bool> reset_requested_{false};
};
