#pragma once

#include "engine/Cascade.h"

// Fits one peaking section per band so that measured x filter magnitude meets the target at every
// band centre, and builds the section coefficients. Knows nothing of the plug-in; the caller copies
// the results it keeps and publishes the coefficients.
class CorrectionDesign {
 public:
  static constexpr int kMaxBands = 120;
  static constexpr int kMaxIterations = 1000000;
  static constexpr double kMaxBoost = 20.0;    // +26.02 dB at most
  static constexpr double kTolerance = 0.005;  // relative error at which the fit stops
  static constexpr int kTableRates = 12;
  static const double kTableRate[kTableRates];

  // The rate whose interaction matrix the design uses: a table rate within 1 Hz, else the rate itself.
  static double matrix_rate(double sample_rate);
  // Element [j][i] (row-major, n x n): ((cos w_j - cos w_i) / (sin w_i sin w_j))^2, w = 2 pi f / rate.
  static void build_matrix(const double* band_freq, int n, double rate, double* out);

  // Runs the fit for `sample_rate`. Returns false, changing nothing, for n outside 1..120 or a curve
  // value that is not positive and finite (the fit divides by and takes logarithms of them).
  bool fit(const double* measured, const double* target, const double* band_freq, int n, double sample_rate);

  // Section coefficients of the last fit for `sample_rate` (the filter's own rate), plus out_gain.
  void build_sections(double sample_rate, Cascade::Coefficients& k) const;

  int bands() const { return n_; }
  const double* corrected() const { return corrected_; }
  const double* band_gain() const { return gain_; }
  const double* band_q() const { return q_; }
  const double* matrix() const { return matrix_; }  // n x n, row-major
  double out_gain() const { return out_gain_; }
  int iterations() const { return iterations_; }

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
};
