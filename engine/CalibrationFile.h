#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// A measurement microphone's calibration file ("*.frd", else "*.cal"): text lines of frequency in Hz
// and level in dB, turned into one linear divisor per band.
class CalibrationFile {
 public:
  static constexpr int kMaxPoints = 10000;  // data lines beyond this are not used
  static constexpr int kMaxField = 100;     // a number ends after this many characters
  // No microphone is this far off; beyond it a factor overflows or vanishes and the analysis
  // would divide by infinity or zero.
  static constexpr double kMaxDb = 1000.0;

  struct Point {
    double freq;
    double db;
  };

  enum class Status {
    kNone,        // no calibration file in the folder: factors 1.0, no name
    kLoaded,      // factors from the file, name set
    kUnreadable,  // the file cannot be opened or read: factors 1.0, no name
    kNoData,      // the file has no data line: ignored like kNone
  };

  // The first "*.frd" file in name order, else the first "*.cal"; empty when there is neither.
  static std::filesystem::path find(const std::filesystem::path& folder);

  // Data lines start with a digit, "." or a space; every comma is a decimal point. The frequency
  // starts the line (one leading space allowed, no sign); the level is the next number on the line.
  // Lines whose numbers are not finite, or whose level lies beyond +-kMaxDb, are dropped.
  static std::vector<Point> parse(std::string_view text);

  // Level in dB at each band centre (linear over frequency between neighbours, the end values
  // beyond them), as linear factors 10^(dB/20). With no points every factor is 1.0.
  static void band_factors(const std::vector<Point>& points, const double* band_freq, int n, double* factors);

  // find + read + parse + band_factors. `factors` is all 1.0 and `name` empty unless kLoaded.
  static Status load(const std::filesystem::path& folder, const double* band_freq, int n, double* factors,
                     std::string& name);
};
