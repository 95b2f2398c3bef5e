#pragma once

#include <atomic>

#include "engine/Cascade.h"

// Fits one peaking section per band so that measured x filter magnitude meets the target at every
// band centre, and builds the section coefficients. Knows nothing of the plug-in; the caller copies
// the results it keeps and publishes the coefficients.
class CorrectionDesign {
 public:
  static constexpr int kMaxBands = 120;
  static constexpr int kMaxIterations = 1000000;
  // Work bound of a fit that neither converges nor settles into a repeating state: about a quarter
  // of a second here, counted in iterations so that every machine and every render gets the same
  // filter from the same curves.
  static constexpr int kBoundIterations = 60000;
  // The bound of a preview while the pen moves: with the pacing of the previews, still ten curves a
  // second on a target that cannot converge.
  static constexpr int kPreviewIterations = 15000;
  static constexpr double kMaxBoost = 20.0;    // +26.02 dB at most
  static constexpr double kTolerance = 0.005;  // relative error at which the fit stops
  static constexpr int kTableRates = 12;
  static const double kTableRate[kTableRates];

  // The rate whose interaction matrix the design uses: a table rate within 1 Hz, else the rate itself.
  static double matrix_rate(double sample_rate);
  // Element [j][i] (row-major, n x n): ((cos w_j - cos w_i) / (sin w_i sin w_j))^2, w = 2 pi f / rate.
  static void build_matrix(const double* band_freq, int n, double rate, double* out);

  // Everything a fit reads, copied so that the curves may change while it runs.
  struct Inputs {
    int n = 0;
    double sample_rate = 0.0;
    double measured[kMaxBands];
    double target[kMaxBands];
    double band_freq[kMaxBands];
  };

  enum class Outcome {
    kRefused,    // inputs unusable; nothing changed
    kConverged,  // within the tolerance everywhere
    kSettled,    // the gains repeat without converging: stopped with the result of the full loop
    kBounded,    // still moving after `bound` iterations: the result so far
    kStopped,    // `stop` was raised: partial, not to be published
  };

  // Runs the fit for `sample_rate`. Refuses, changing nothing, n outside 1..120 or a curve value that
  // is not positive and finite (the fit divides by and takes logarithms of them). A fit whose gains
  // come back to an earlier state can never converge, and the rest of the 1,000,000 iterations would
  // only go round the same cycle: it ends where that cycle would have left it, bit for bit. True for
  // a result worth publishing (converged, settled or bounded).
  bool fit(const double* measured, const double* target, const double* band_freq, int n, double sample_rate,
           int bound = kBoundIterations, const std::atomic<bool>* stop = nullptr);
  bool fit(const Inputs& in, int bound = kBoundIterations, const std::atomic<bool>* stop = nullptr) {
    return fit(in.measured, in.target, in.band_freq, in.n, in.sample_rate, bound, stop);
  }

  // Section coefficients of the last fit for `sample_rate` (the filter's own rate), plus out_gain.
  void build_sections(double sample_rate, Cascade::Coefficients& k) const;

  int bands() const { return n_; }
  const double* corrected() const { return corrected_; }
  const double* band_gain() const { return gain_; }
  const double* band_q() const { return q_; }
  const double* matrix() const { return matrix_; }  // n x n, row-major
  double out_gain() const { return out_gain_; }
  int iterations() const { return iterations_; }  // iterations actually run
  Outcome outcome() const { return outcome_; }

 private:
  void use_matrix(const double* band_freq, int n, double rate);

  int n_ = 0;
  double matrix_rate_ = 0.0;
  double matrix_freq_[kMaxBands] = {};
  alignas(64) double matrix_[kMaxBands * kMaxBands] = {};
  alignas(64) double transposed_[kMaxBands * kMaxBands] = {};  // [i][j]: rows walk the bands j
  double freq_[kMaxBands] = {};
  double corrected_[kMaxBands] = {};
  double gain_[kMaxBands] = {};
  double q_[kMaxBands] = {};
  double out_gain_ = 1.0;
  int iterations_ = 0;
  Outcome outcome_ = Outcome::kRefused;
};
