#pragma once
// The plug-in instance: one mono equaliser with its parameters, the 120-band grid and curves,
// the correction filter, the measurement, the undo history and the editor it builds.

#include <atomic>
#include <filesystem>

#include "framework/hosts/InstanceAdapter.h"

constexpr int kNumBands = 120;
// -25 dB: the flat starting level of the measured and target curves.
constexpr double kInitialLevel = 0.05623413251903491;
// The engine never designs or measures below this rate.
constexpr double kMinSampleRate = 44056.0;

// Parameter indices; 1 to 13 are also the editor's command numbers for from_GUI.
enum EParams {
  kParamMode = 0,
  kParamVerticalSlider,
  kParamBypassVolume,
  kParamNoteIndicator,
  kParamLoadTarget,
  kParamResetTarget,
  kParamResetAll,
  kParamAbout,
  kParamStart,
  kParamUndo,
  kParamRedo,
  kParamSave,
  kParamLoad,
  kParamOK,
  kNumParams
};

class IResonix : public IResonixAdapter {
 public:
  explicit IResonix(IInstanceInfo instanceInfo);  // host thread
  ~IResonix() override;

  // ---- framework hooks, in the order of the virtual table ----
  void Reset() override;                   // host control thread, under the lock
  void OnParamChange(int paramIdx) override;  // host or editor thread, under the lock
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;  // audio thread
  bool SerializeState(ByteChunk* chunk) override;                // host control thread
  int UnserializeState(ByteChunk* chunk, int startPos) override;  // host control thread
  void PresetsChangedByHost() override;                          // host control thread

  // ---- engine operations ----
  void run();                 // correction design; editor thread, or host via Reset and state loads
  void load_calibration();    // once, at construction
  void start_measurement();   // the "Start" command; editor thread
  void capture_block(const double* in, int nFrames);  // audio thread, while measuring
  void MyIdle();              // analysis of a finished capture; editor thread
  void save_to_undo();        // editor thread
  void undo();
  void redo();
  void reset_undo();
  void save_dialog();         // the "Save" command: prompt, then write the preset file
  void load_dialog();         // the "Load" command: prompt, then read a preset file
  void load_target_dialog();  // the "LoadTarget" command: the target curve of a preset file

  // ---- editor half ----
  void build_editor();  // builds and attaches the editor; leaves it null where there is none
  void from_GUI(int command);                 // editor thread
  void from_drawing(int x, int y, int kind);  // editor thread

  // The "Info" notice, through the editor when there is one.
  void notify(const char* text);

  // Band selected by a "Note indicator" value.
  static int note_band(double noteValue);

  // ---- band grid (fixed at construction) ----
  int nbands = kNumBands;
  double band_freq[kNumBands] = {};
  double band_edge[kNumBands] = {};
  const char* note_names[kNumBands] = {};

  // ---- curves, linear amplitude, 1.0 = top of the plot ----
  double measured[kNumBands] = {};
  double target_shape[kNumBands] = {};
  double target[kNumBands] = {};
  double corrected[kNumBands] = {};
  double calibration[kNumBands] = {};
  double target_level = kInitialLevel;
  double vslider_pos = 0.0;

  // ---- parameter mirrors and rates ----
  double sample_rate = 44100.0;
  std::atomic<double> mode{0.0};           // read by the audio thread
  std::atomic<double> bypass_volume{0.5};  // read by the audio thread
  double note_pos = 0.0;
  int rerun_pending = 0;

  // ---- measurement flag shared with the audio thread ----
  std::atomic<int> measuring{0};

  // Audio thread -> editor values, for as long as no editor control holds them.
  std::atomic<double> meter_value{0.0};
  std::atomic<double> mailbox_value{0.0};
  // Index of the editor's input level meter control; -1 until the editor sets it.
  int meter_control = -1;

  // The user's folder for presets and the calibration file; empty when it cannot be made.
  std::filesystem::path presets_dir;

 private:
  void init_grid();
  void init_curves();
  void init_params();
  void make_presets_dir();
  void clear_meter();
};
