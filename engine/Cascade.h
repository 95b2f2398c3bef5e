#pragma once

#include <atomic>

// The correction filter: up to 120 second-order sections in series, each the input plus a band-pass
// branch in transposed direct form II, then an output gain.
//
// Coefficient sets are handed from the design (editor thread) to the audio thread without locks and
// without ever exposing a half-written set: the design fills a slot of its own and publishes it with
// one atomic exchange; the audio thread adopts the newest published set at the start of a block and
// zeroes the section states when it does. Three slots, so that the design never writes the set the
// audio thread is using, however often it publishes between two blocks.
class Cascade {
 public:
  static constexpr int kMaxSections = 120;

  struct alignas(64) Coefficients {
    double a[kMaxSections];
    double b[kMaxSections];
    double c[kMaxSections];
    double out_gain = 1.0;
    int nsections = 0;
  };

  Cascade();

  // Design side (one thread at a time): fill the set returned by edit(), then publish() it.
  Coefficients& edit() { return slots_[writer_]; }
  void publish();

  // Audio side. Before the first set is adopted the output is silent. in may equal out.
  void process(const double* in, double* out, int frames);
  bool has_set() const { return adopted_; }
  const double* state1() const { return state1_; }
  const double* state2() const { return state2_; }

  // The textbook per-sample loop, kept for short blocks and as the definition of the result.
  static void process_scalar(const Coefficients& k, double* s1, double* s2, const double* in, double* out,
                             int frames);
  // The wavefront kernel with 2, 4 or 8 lanes (false when the CPU lacks it or k.nsections is not a
  // multiple of the lane count); process() uses the widest the CPU has.
  static bool process_wavefront(int lanes, const Coefficients& k, double* s1, double* s2, const double* in,
                                double* out, int frames);

 private:
  static constexpr int kFresh = 4;  // set in shared_ while the slot there is unread

  void adopt_newest();
  void clear_states();

  Coefficients slots_[3];
  alignas(64) double state1_[kMaxSections];
  alignas(64) double state2_[kMaxSections];
  std::atomic<int> shared_{1};
  int writer_ = 0;  // design side only
  int reader_ = 2;  // audio side only
  bool adopted_ = false;
};
