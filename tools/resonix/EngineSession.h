#pragma once
#include <memory>
#include <string>
#include <vector>

class IResonix;

// One plug-in instance on the headless adapter, driven the way a host and a user would drive it:
// the host sets the rate and streams blocks, the user presses "Start", "Load" and "Save" and the
// file prompts are answered with the paths given on the command line. Messages the plug-in shows
// come back as the error text.
class EngineSession {
 public:
  struct Band {
    int index;
    std::string note;
    double hz;
    double measured_db, target_db, corrected_db;
  };

  struct Parameters {
    double mode, vertical_slider, bypass_volume, note_indicator;
  };

  // b0 b1 b2 / a0 a1 a2 of one section of the cascade, a0 = 1.
  struct Section {
    double b0, b1, b2, a0, a1, a2;
  };

  struct Coefficients {
    double rate;
    double out_gain;
    std::vector<Section> sections;
  };

  // The bands and the calibration a measurement uses: centres and upper edges in Hz, divisors.
  struct BandGrid {
    int n;
    const double* freq;
    const double* edge;
    const double* calibration;
  };

  EngineSession();
  ~EngineSession();
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

  // As a host does: sets the rate and block size, then resets (which redesigns at a new rate).
  void set_sample_rate(double rate, int block_size = 512);

  // The "Load" command with `path` as the user's choice; false with the plug-in's message.
  bool load_preset(const std::string& path, std::string* error);
  // The "Save" command; false with the plug-in's message.
  bool save_preset(const std::string& path, std::string* error);
  // Replaces the calibration found in the preset folder by the one in `path` (.frd or .cal).
  bool use_calibration(const std::string& path, std::string* error);
  std::string calibration_name() const;
  BandGrid band_grid() const;
  // What the plug-in said while it was being built (a calibration file it could not read), or "".
  const std::string& startup_notice() const { return startup; }

  // "Start", then the recording streamed through the audio callback at the current rate (padded
  // with silence until the capture window has ended), then the analysis. False with the plug-in's
  // message when it refuses the recording; the curves are then unchanged.
  bool measure(const std::vector<double>& recording, std::string* error);

  // The "Bypass signal volume" parameter as a host sets it, 0..1 (-20 dB .. +20 dB).
  void set_bypass_volume(double normalized);

  // One block through the audio callback, mono.
  void process(const double* in, double* out, int frames);

  Parameters parameters() const;
  std::vector<Band> bands() const;
  Coefficients coefficients() const;

  // The editor drawn with the current state, saved as PNG.
  // The editor drawn at scale device pixels per editor pixel (1 to 3).
  bool render(const std::string& png_path, double scale, std::string* error);

  IResonix& instance() { return *plug; }

 private:
  std::string take_notice();

  std::unique_ptr<IResonix> plug;
  double rate = 44100.0;
  int block = 512;
  std::string startup;
};
