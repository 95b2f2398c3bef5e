#pragma once
// The plug-in instance: one mono equaliser with its parameters, the 120-band grid and curves,
// the correction filter, the measurement, the undo history and the editor it builds.
// Its functions live by concern in plugin/IResonix*.cpp; the editor's controls reach it only through
// EditorLink.

#include <atomic>
#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "editor/EditorLink.h"
#include "engine/BandAnalysis.h"
#include "engine/Cascade.h"
#include "engine/CorrectionDesign.h"
#include "engine/DesignThread.h"
#include "engine/MeasurementCapture.h"
#include "engine/RznFile.h"
#include "engine/UndoHistory.h"
#include "framework/hosts/InstanceAdapter.h"
#include "plugin/AudioMessages.h"
#include "plugin/EditorState.h"

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

class IResonix : public IPlugAdapter, public EditorLink {
 public:
  explicit IResonix(IInstanceInfo instanceInfo);  // host thread
  ~IResonix() override;

  // ---- host-facing overrides: the thread that calls each, and the instance lock ----
  void Reset() override;                      // host control thread; takes the lock
  void OnParamChange(int paramIdx) override;  // host control, audio or editor thread; under the lock
  // Editor thread; takes the lock.
  void SetParameterFromGUI(int paramIdx, double normalizedValue) override;
  // Audio thread, under the lock.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // Host control thread; takes the lock. Host automation not yet acted on is taken first, so the
  // state saved is the state that plays.
  bool SerializeState(ByteChunk* chunk) override;                 // host control thread; takes the lock
  int UnserializeState(ByteChunk* chunk, int startPos) override;  // host control thread; takes the lock
  void PresetsChangedByHost() override;                           // host control thread; takes the lock
  // Any thread, no lock: a requested design is not published yet, or host automation of the slider
  // has not been acted on yet.
  bool HasPendingWork() override;
  // Host control or audio thread, before an offline block: waits for it; never under the lock.
  void FinishPendingWork() override;

  // ---- correction design ----
  // Snapshots the curves and the rate (under the lock) and asks the design thread for a design,
  // without waiting. Any thread but the audio thread (editor, or host via Reset and state loads).
  void run();
  // The same while the pen or the slider still moves: a quicker fit that follows the curve.
  void run_preview();
  // Until the design asked for last is published; never under the instance lock. Offline renders,
  // the command-line tool and tests call it when they need the result.
  void wait_for_design();
  // The corrected curve as the last design published it; the editor thread draws from this copy.
  void copy_corrected(double* out);

  // ---- measurement ----
  void load_calibration();                            // once, at construction
  void start_measurement();                           // the "Start" command; editor thread
  void capture_block(const double* in, int nFrames);  // audio thread, while measuring
  void capture_channels(const double* const* in, int channels, int nFrames);  // audio thread, while measuring
  // Editor thread, never under a lock: the analysis of a finished capture, then its curves.
  void MyIdle();

  // ---- undo history and preset files (editor thread) ----
  void save_to_undo();
  void undo();
  void redo();
  void reset_undo();
  void save_dialog();         // the "Save" command: prompt, then write the preset file
  void load_dialog();         // the "Load" command: prompt, then read a preset file
  void load_target_dialog();  // the "LoadTarget" command: the target curve of a preset file

  // ---- the editor and its link (IResonixEditor.cpp, IResonixDrawing.cpp) ----
  void build_editor();  // builds and attaches the editor; leaves it null where there is none
  // Editor thread; takes the lock for the change it makes.
  void from_GUI(int command) override;
  // Editor thread; takes the lock. One pen position applied to the target curve.
  void from_drawing(int x, int y, int kind);
  // The "Info" notice, through the editor when there is one. Never under the lock: it may be modal.
  void notify(const char* text) override;
  IEffectBase* link_base() override { return this; }
  void snapshot(PlotSnapshot* out) override;
  void fader_released() override;
  void stroke(int x, int y, int kind) override;
  void stroke_end() override;
  void editor_tick() override;
  // Band selected by a "Note indicator" value.
  static int note_band(double noteValue);
  // "%2.1f dB" of the bypass gain, never a negative zero.
  static std::string volume_readout(double bypassVolume);

  // ==== engine state ====

  // ---- band grid (fixed at construction) ----
  int nbands = kNumBands;
  double band_freq[kNumBands] = {};
  double band_edge[kNumBands] = {};
  const char* note_names[kNumBands] = {};

  // ==== the shared state: the curves, the slider position and the undo history ====
  // One owner: the instance lock (mMutex). They change only while it is held, and each change an
  // editor command, a host call or the end of a measurement makes is made within one hold, so a host
  // save (which holds it too) never sees half of it. Nobody reads them live from another thread: the
  // editor draws from snapshot(), a copy under the lock; the design works on a copy made by its
  // request. The lock order is the editor's lock, then this one (mouse handlers and Draw hold the
  // editor's while they call in). The editor may wait for it rather than read a sequence-counted copy:
  // every holder keeps it for bounded work only (one audio block, copies, the 120-band arithmetic of
  // an edit, a design request), never across a dialog, a file or the measurement's analysis, so the
  // wait is shorter than a frame. The audio thread reads none of them: it plays the published
  // cascade and hands host automation over through `host_slider`.

  // ---- curves, linear amplitude, 1.0 = top of the plot ----
  double measured[kNumBands] = {};
  double target_shape[kNumBands] = {};
  double target[kNumBands] = {};
  double corrected[kNumBands] = {};    // the design's, under `design_results`; copy_corrected() reads it
  double calibration[kNumBands] = {};  // fixed after construction
  double target_level = kInitialLevel;
  double vslider_pos = 0.0;

  // ---- parameter mirrors and rates ----
  std::atomic<double> sample_rate{44100.0};  // written by Reset, snapshotted by every design request
  std::atomic<double> mode{0.0};             // read by the audio thread
  std::atomic<double> bypass_volume{0.5};    // read by the audio thread
  std::atomic<double> note_pos{0.0};         // read by the plot's cursor

  // ---- correction filter: the last design's results, written by the design thread under
  // `design_results`; read them after wait_for_design() (the audio thread runs `cascade`) ----
  double band_gain[kNumBands] = {};
  double band_q[kNumBands] = {};
  double coef_a[kNumBands] = {};
  double coef_b[kNumBands] = {};
  double coef_c[kNumBands] = {};
  double out_gain = 1.0;
  int nsections = 0;
  double section_freq[kNumBands] = {};
  double band_matrix[kNumBands][kNumBands] = {};
  std::atomic<int> filter_ready{0};  // 1 once a complete coefficient set has been published

  // ---- audio thread -> editor: the level meter and the measurement ----
  double vumeter_level = 0.0;     // audio thread only: largest input magnitude since the last update
  int Nbuffers = 0;               // audio thread only: blocks since the last update
  std::atomic<int> measuring{0};  // set from "Start" to the end of the capture window
  AudioMessages messages;         // the level and the capture's events, taken by editor_tick()
  // The recording; armed and cleared under the lock, written by the audio thread while `measuring`,
  // analysed by the editor thread once the window has ended.
  MeasurementCapture capture;
  BandAnalysis band_analysis;  // bins of the armed capture, levels of the last analysis
  // The knock picture and countdown text are shown from "Start" until the measurement ends.
  std::atomic<int> knock_shown{0};

  // ---- files and undo ----
  // The user's folder for presets and the calibration file; empty when it cannot be made.
  std::filesystem::path presets_dir;
  // Name of the calibration file in use, without its folder; empty when there is none.
  std::string calibration_name;
  // Shared state: changes only under the instance lock, with the curves it records.
  std::unique_ptr<UndoHistory> undo_history = std::make_unique<UndoHistory>(kNumBands);
  RznFile::Io rzn_io = RznFile::kPosixIo;  // the system calls of a preset save; tests fail them

  // ==== editor half: its control indices, text buffer and pen and slider state ====
  EditorState ui;

 private:
  // construction (IResonix.cpp)
  void init_grid();
  void init_curves();
  void init_params();
  void make_presets_dir();
  // parameter mirrors and readouts (IResonix.cpp, IResonixState.cpp)
  void show_mirror(int paramIdx);
  void follow_vertical_slider(double value);
  void clear_meter();
  void refresh_readouts();
  // measurement (IResonixMeasure.cpp)
  void show_countdown();
  void show_knock(bool shown);
  void end_measurement();
  // undo and files (IResonixUndo.cpp, IResonixFiles.cpp)
  void restore_snapshot();
  void apply_target_level();
  // Under the lock: host automation the audio thread handed over, acted on now.
  void take_host_values();
  void take_user_input(int paramIdx, double value);
  void dirty_editor();
  std::string prompt_preset(bool save);
  bool prompt_and_read(RznPreset* preset);
  // editor commands (editor/IResonixEditor.cpp)
  void show_about(bool shown);
  void reset_target();
  void reset_all_curves();

  // design hand-over (IResonixDesign.cpp)
  void start_design_thread();
  void request_design(DesignThread::Kind kind);
  // Design thread: one fit, then its results and the filter are published unless a newer request stopped it.
  bool design_job(const CorrectionDesign::Inputs& in, DesignThread::Kind kind, const std::atomic<bool>& stop);

  std::unique_ptr<CorrectionDesign> design = std::make_unique<CorrectionDesign>();  // design thread only
  std::unique_ptr<Cascade> cascade = std::make_unique<Cascade>();
  std::mutex design_results;   // the result members above while the design thread writes them
  bool editor_change = false;  // under the lock: the editor's own control is moving a parameter
  // "Vertical slider" as the host set it from the audio thread, not yet followed; NaN when none. The
  // design thread follows it (take_host_values) off the audio thread.
  std::atomic<double> host_slider{std::nan("")};
  // Last member: stopped and joined before anything it uses goes.
  std::unique_ptr<DesignThread> design_thread;
};
