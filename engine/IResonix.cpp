#include "engine/IResonix.h"

#if defined(_WIN32)
#include "framework/graphics/win/WinKnownFolder.h"
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "engine/Notice.h"
#include "engine/ResonixVersion.h"
#include "framework/graphics/IGraphics.h"

namespace {

constexpr const char* kMfrName = "korvane.com";

// "E0" ... "D#10": sharps only, the octave number increases at C; band 0 is four semitones above C0.
const char* const* note_name_table() {
  static const auto table = [] {
    static const char* const pitch[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    static char text[kNumBands][6];
    static const char* names[kNumBands];
    for (int i = 0; i < kNumBands; ++i) {
      const int semitone = i + 4;
      std::snprintf(text[i], sizeof text[i], "%s%d", pitch[semitone % 12], semitone / 12);
      names[i] = text[i];
    }
    return names;
  }();
  return table;
}

#if !defined(_WIN32)
std::filesystem::path home_folder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return {};
}

// mkdir that accepts an existing folder; false when the path is unusable.
bool ensure_folder(const std::filesystem::path& path, mode_t mode) {
  if (mkdir(path.c_str(), mode) == 0) return true;
  if (errno != EEXIST) return false;
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
#endif

}  // namespace

IResonix::IResonix(IInstanceInfo instanceInfo)
    : IResonixAdapter(std::move(instanceInfo), kNumParams, "1-1", 1, "Korvane Resonix", "", kMfrName,
                      kResonixVersion, FourCC("Kor5"), FourCC("Korv"), 0, false, true, false) {
  // 1. grid size and note names; the flags start cleared by their initialisers
  nbands = kNumBands;
  const char* const* names = note_name_table();
  for (int i = 0; i < kNumBands; ++i) note_names[i] = names[i];
  // 2. curves and the empty undo history, 3. mirrors
  init_curves();
  mode.store(0.0);
  bypass_volume.store(0.5);
  note_pos = 0.0;
  // 4. band frequencies, 5. design rate
  init_grid();
  sample_rate = 44100.0;
  // 6. the user's folder, 8. its calibration file (the band matrix is computed by the design)
  make_presets_dir();
  load_calibration();
  // 9. parameters, then the editor half
  init_params();
  build_editor();
  // 10. a filter and a predicted curve exist before the first block (the flat curves need no
  // iterations to speak of, so this wait is short)
  start_design_thread();
  run();
  wait_for_design();
  // 11. the single preset holds the initial state
  MakeDefaultPreset("-", 1);
}

IResonix::~IResonix() {
  design_thread.reset();  // stops a running fit; it touches the editor and the filter
  DeleteGraphics();
}

void IResonix::init_grid() {
  for (int i = 0; i < kNumBands; ++i) {
    band_freq[i] = 440.0 * std::pow(2.0, (i - 53) / 12.0);
    band_edge[i] = 440.0 * std::pow(2.0, (i - 53 + 0.5) / 12.0);
  }
}

void IResonix::init_curves() {
  for (int i = 0; i < kNumBands; ++i) {
    target_shape[i] = 1.0;
    target[i] = kInitialLevel;
    measured[i] = kInitialLevel;
    corrected[i] = kInitialLevel;
    calibration[i] = 1.0;
  }
  vslider_pos = 20.0 * std::log10(kInitialLevel) / 45.0 + 1.0;
  apply_target_level();  // as a load of the saved state rebuilds it
  reset_undo();
}

void IResonix::init_params() {
  struct ParamSpec {
    const char* name;
    double step;
  };
  static const ParamSpec specs[kNumParams] = {
      {"Mode", 1.0},       {"Vertical slider", 0.0001}, {"Bypass signal volume", 0.001},
      {"Note indicator", 0.0001}, {"LoadTarget", 1.0}, {"ResetTarget", 1.0},
      {"ResetAll", 1.0},   {"About", 1.0},              {"Start", 1.0},
      {"Undo", 1.0},       {"Redo", 1.0},               {"Save", 1.0},
      {"Load", 1.0},       {"OK", 1.0},
  };
  for (int i = 0; i < kNumParams; ++i) {
    double defaultValue = 0.0;
    if (i == kParamVerticalSlider) defaultValue = vslider_pos;
    if (i == kParamBypassVolume) defaultValue = 0.5;
    GetParam(i)->InitDouble(specs[i].name, defaultValue, 0.0, 1.0, specs[i].step, "", "", 1.0);
  }
}

void IResonix::make_presets_dir() {
  presets_dir.clear();
#if defined(_WIN32)
  std::string documents;
  if (!WinKnownFolder(WinFolder::kDocuments, &documents)) {
    show_notice("SHGetKnownFolderPath Error1.", "Error");
    return;
  }
  const std::string folder = documents + "\\Korvane Resonix";
  if (WinEnsureFolder(folder)) presets_dir = folder;
#else
  const std::filesystem::path home = home_folder();
  if (home.empty()) return;
  const std::filesystem::path documents = home / "Documents";
  const std::filesystem::path folder = documents / "Korvane Resonix";
  if (ensure_folder(documents, 0755) && ensure_folder(folder, 0700)) presets_dir = folder;
#endif
}

void IResonix::Reset() {
  Lock lock(mMutex);
  const double hostRate = GetSampleRate();
  // A rate a host cannot mean (zero, negative, not a number) leaves the design as it is.
  if (!std::isfinite(hostRate) || hostRate <= 0.0) return;
  const double rate = hostRate < kMinSampleRate ? kMinSampleRate : hostRate;
  if (rate == sample_rate.load()) return;
  sample_rate.store(rate);
  run();  // returns at once: the audio plays the current set until the new one is published
}

void IResonix::OnParamChange(int paramIdx) {
  Lock lock(mMutex);
  const IParam* param = GetParam(paramIdx);
  if (!param) return;
  if (paramIdx == kParamMode) {
    mode.store(param->Value(), std::memory_order_release);
    if (param->Value() != 0.0) clear_meter();
  } else if (paramIdx == kParamBypassVolume) {
    // Host automation of the bypass level must be heard, not only the editor's fader.
    bypass_volume.store(param->Value(), std::memory_order_release);
  }
}

void IResonix::clear_meter() {
  meter_value.store(0.0, std::memory_order_relaxed);
  if (meter_control >= 0 && GetGUI()) GetGUI()->SetControlFromPlug(meter_control, 0.0);
}

int IResonix::note_band(double noteValue) {
  if (!(noteValue > 0.0)) return 0;  // also catches NaN
  if (noteValue >= 1.0) return kNumBands - 1;
  return int(noteValue * (kNumBands - 1) + 0.5);
}

void IResonix::notify(const char* text) {
  if (!text) return;
  if (IGraphics* gui = GetGUI()) {
    gui->ShowMessageBox(text, "Info", kMB_OK);
    return;
  }
  myMessage(text);
}
