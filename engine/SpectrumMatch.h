#pragma once

#include <memory>

class CorrectionDesign;
class LongTermSpectrum;

// Turns the long-term spectra of the same playing heard two ways (a pickup and a microphone, say) into
// the curves of a preset: the measured curve is the source's, and the target is the source raised or
// cut band by band to the reference's shape at the source's overall loudness (lower where the largest
// boost would leave the design no room), so that the correction plays the source as the reference
// sounds.
//
// The design meets the target at the band centres; music fills the whole band, where the sections'
// skirts and the shape between two centres count too. So the target is refined a few times: the
// fitted cascade is applied to the source's sub-band powers and the target moved by what the band
// sums still miss.
class SpectrumMatch {
 public:
  static constexpr int kMaxBands = 120;
  // Below this, relative to its loudest band (-80 dB), a band holds too little of either recording to
  // compare: it takes the correction of its nearest band that can be compared.
  static constexpr double kFloor = 1.0e-4;
  static constexpr double kMaxSpread = 31.62;  // +-30 dB around the overall gain at most
  static constexpr double kBoostRoom = 10.0;   // +20 dB: the largest boost the first target asks for
  static constexpr double kMinLevel = 1.0e-6;  // what the curves hold at least (they must stay positive)
  static constexpr int kPasses = 4;

  SpectrumMatch();
  ~SpectrumMatch();
  SpectrumMatch(const SpectrumMatch&) = delete;
  SpectrumMatch& operator=(const SpectrumMatch&) = delete;

  // Both spectra finished with the same bands. `rate`: the rate the correction is fitted at (the
  // source's). False when the inputs cannot be matched (different band counts, no design).
  bool match(const LongTermSpectrum& source, const LongTermSpectrum& reference, const double* band_freq,
             double rate);

  int bands() const { return n; }
  const double* measured() const { return measured_; }
  const double* target_shape() const { return target_; }  // the loudest band at 1.0 or below

  // RMS in dB, over the bands centred in [lo_hz, hi_hz] that can be compared, of the difference of the
  // reference's band levels and the source's (before) or the corrected source's as predicted from the
  // source's spectrum (after), each with its mean removed: how far the shapes differ.
  double rms_before_db(double lo_hz, double hi_hz) const { return rms(goal, lo_hz, hi_hz); }
  double rms_after_db(double lo_hz, double hi_hz) const { return rms(residual, lo_hz, hi_hz); }

 private:
  void predict(const LongTermSpectrum& source, double rate, double* gain) const;
  double rms(const double* ratio, double lo_hz, double hi_hz) const;

  std::unique_ptr<CorrectionDesign> design;
  int n = 0;
  double freq[kMaxBands] = {};
  bool comparable[kMaxBands] = {};
  double goal[kMaxBands] = {};      // reference / source, band by band, at the overall gain
  double residual[kMaxBands] = {};  // what the fitted correction does to the source's band sums / goal
  double measured_[kMaxBands] = {};
  double target_[kMaxBands] = {};
};
