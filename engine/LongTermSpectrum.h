#pragma once

#include <cstdint>
#include <memory>

// The long-term average spectrum of a whole recording in the semitone bands of a measurement: the
// same band ranges (a band 0 from its centre up, band 119 up to its centre), the same weighting (the
// power in a band is summed, not averaged, so a flat spectrum rises 3 dB per octave), the same
// calibration and the same refusals. Instead of one transform of 2^19 samples it averages Hann-windowed
// transforms over the whole recording, a quarter of a window apart, so that every sample weighs the
// same however long the recording is. Samples are streamed in any amount.
class LongTermSpectrum {
 public:
  static constexpr int kMaxBands = 120;
  static constexpr int kSplit = 8;  // sub-bands per band, to predict a filter's effect within a band
  static constexpr double kMinSeconds = 2.0;

  enum class Result {
    ok,
    too_loud,    // a sample of magnitude 1.0 or more (or not a number)
    too_silent,  // silent to a measurement's analysis, at a measurement's scale
    too_short,   // under kMinSeconds
    no_memory,
  };

  LongTermSpectrum();
  ~LongTermSpectrum();
  LongTermSpectrum(const LongTermSpectrum&) = delete;
  LongTermSpectrum& operator=(const LongTermSpectrum&) = delete;

  // Starts over for a recording at `rate` Hz with the measurement's band centres and upper edges.
  // False when the rate is unusable or there is no memory.
  bool start(const double* band_freq, const double* band_edge, int nbands, double rate);
  // `frames` frames of `channels` interleaved channels; the channels are averaged into one.
  void add(const double* interleaved, int64_t frames, int channels);
  // Ends the recording. On ok, levels() holds the calibrated band levels with the loudest at 1.0, and
  // sub_power() the power of each band's kSplit sub-bands on the same scale, before calibration.
  Result finish(const double* calibration);

  int bands() const { return nbands; }
  double rate() const { return sample_rate; }
  int64_t frames() const { return total; }
  int window() const { return length; }
  const double* levels() const { return level; }
  const double* sub_power() const { return sub; }  // bands() * kSplit values
  const double* sub_freq() const { return sub_hz; }

 private:
  void transform_segment();

  int nbands = kMaxBands;
  double sample_rate = 0.0;
  int log2 = 0;
  int length = 0;  // transform size
  int hop = 0;
  std::unique_ptr<double[]> history;  // the last `length` samples
  std::unique_ptr<double[]> work;     // 2 * length: the transform's buffer
  std::unique_ptr<double[]> window_;  // Hann
  std::unique_ptr<double[]> power;    // length / 2 + 1 bins, summed over segments
  int pending = 0;                    // samples since the last transform
  int64_t total = 0;
  int64_t segments = 0;
  bool clipped = false;
  bool failed = false;

  double range_lo[kMaxBands] = {};
  double range_hi[kMaxBands] = {};
  double level[kMaxBands] = {};
  double sub[kMaxBands * kSplit] = {};
  double sub_hz[kMaxBands * kSplit] = {};
};
