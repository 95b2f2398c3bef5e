#pragma once

// Turns a finished recording into one level per semitone band: refuses clipped recordings, tapers
// both ends, takes one forward FFT of the whole recording, sums the power of the bins from half a
// semitone below each band centre to half a semitone above, divides by the microphone calibration,
// refuses silence, and scales the loudest band to 1.0.
class BandAnalysis {
 public:
  static constexpr int kMaxBands = 120;
  static constexpr double kSilence = 0.001;  // loudest band level at or below this is no signal

  enum class Result {
    ok,
    too_loud,    // a sample of magnitude 1.0 or more (or not a number)
    too_silent,  // nothing above kSilence after calibration
    no_memory,   // the transform could not get its tables
  };

  // The FFT bin of each band centre and upper edge for a recording of `length` samples at
  // `recording_rate`; the top band ends at its centre.
  void set_bins(const double* band_freq, const double* band_edge, int nbands, double recording_rate,
                int length);

  // Analyses buf[0 .. 2^log2) in place (log2 >= 1), using buf[2^log2 .. 2^(log2+1)) as scratch.
  // On success levels() holds the normalised band levels; after too_silent they are all 0; after
  // the other refusals they are unspecified.
  Result analyse(double* buf, int log2, const double* calibration);

  const double* levels() const { return band_level; }
  const int* lo() const { return bin_lo; }
  const int* hi() const { return bin_hi; }
  int bands() const { return nbands; }

  // What the user is told when a recording is refused ("" for ok); every refusal of a recording
  // speaks these words, whatever analysed it.
  static const char* message(Result r);

  static bool clipped(const double* x, int length);
  // Scales the loudest of `n` levels to 1.0. False, with every level 0, when one is not finite or the
  // loudest is at or below kSilence: what "no signal" means to every analysis.
  static bool normalise(double* levels, int n);
  // Multiplies both ends by 1 - cos over 3 % of the length each (rising to almost 2 inside).
  static void taper(double* x, int length);

 private:
  int nbands = kMaxBands;
  int bin_lo[kMaxBands] = {};
  int bin_hi[kMaxBands] = {};
  double band_level[kMaxBands] = {};
};
