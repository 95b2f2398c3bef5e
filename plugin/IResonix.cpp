#include "plugin/IResonix.h"

#if defined(_WIN32)
#include "framework/graphics/win/WinKnownFolder.h"
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "engine/FilePath.h"
#include "engine/Notice.h"
#include "engine/ParamText.h"
#include "framework/core/PlugDescription.h"
#include "framework/graphics/IGraphics.h"

namespace {

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

// Stereo where the host may ask for it; mono stays the default. VST2 projects rely on its "1-1" pins,
// and the headless host feeds one channel.
#if defined(RESONIX_HOST_VST3) || defined(RESONIX_HOST_LV2)
constexpr const char* kChannelIO = "1-1 2-2";
#else
constexpr const char* kChannelIO = "1-1";
#endif

}  // namespace

IResonix::IResonix(IInstanceInfo instanceInfo)
    : IPlugAdapter(std::move(instanceInfo), kNumParams, kChannelIO, 1, ThePlugDescription().effectName,
                   ThePlugDescription().productName, ThePlugDescription().vendor,
                   ThePlugDescription().version, ThePlugDescription().vst2UniqueId,
                   ThePlugDescription().vst2VendorId, 0, false, true, false) {
  // 1. grid size and note names; the flags start cleared by their initialisers
  nbands = kNumBands;
  for (int i = 0; i < kNumBands; ++i) note_names[i] = ParamText::note_name(i);
  // 2. curves and the empty undo history, 3. mirrors
  init_curves();
  mode.store(0.0);
  bypass_volume.store(0.5);
  note_pos.store(0.0);
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
      {"Mode", 1.0},
      {"Vertical slider", 0.0001},
      {"Bypass signal volume", 0.001},
      {"Note indicator", 0.0001},
      {"LoadTarget", 1.0},
      {"ResetTarget", 1.0},
      {"ResetAll", 1.0},
      {"About", 1.0},
      {"Start", 1.0},
      {"Undo", 1.0},
      {"Redo", 1.0},
      {"Save", 1.0},
      {"Load", 1.0},
      {"OK", 1.0},
  };
  // "Mode" is a two-state switch: a host shows "EQ" / "Bypass", and a value between the two is
  // rounded, so what plays and what reads always agree.
  GetParam(kParamMode)->InitEnum(specs[kParamMode].name, 0, 2);
  GetParam(kParamMode)->SetDisplayText(0, "EQ");
  GetParam(kParamMode)->SetDisplayText(1, "Bypass");
  for (int i = kParamMode + 1; i < kNumParams; ++i) {
    double defaultValue = 0.0;
    if (i == kParamVerticalSlider) defaultValue = vslider_pos;
    if (i == kParamBypassVolume) defaultValue = 0.5;
    IParam* param = GetParam(i);
    param->InitDouble(specs[i].name, defaultValue, 0.0, 1.0, specs[i].step, "", "", 1.0);
    // The buttons are momentary commands of the editor: a host writing them would do nothing.
    if (i >= kParamLoadTarget) param->SetCanAutomate(false);
  }
  GetParam(kParamVerticalSlider)->SetFormat({ParamText::target_level, ParamText::parse_target_level});
  GetParam(kParamBypassVolume)->SetFormat({ParamText::bypass_volume, ParamText::parse_bypass_volume});
  GetParam(kParamNoteIndicator)->SetFormat({ParamText::note, ParamText::parse_note});
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
  if (WinEnsureFolder(folder)) presets_dir = FilePath::from_utf8(folder);
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
  cascade->reset();  // a reset instance sounds as a fresh one: no filter history, no transition
  const double hostRate = GetSampleRate();
  // A rate a host cannot mean (zero, negative, not a number) leaves the design as it is.
  if (!std::isfinite(hostRate) || hostRate <= 0.0) return;
  const double rate = hostRate < kMinSampleRate ? kMinSampleRate : hostRate;
  if (rate == sample_rate.load()) return;
  sample_rate.store(rate);
  run();  // returns at once: the audio plays the current set until the new one is published
}

// A host's value takes effect as the editor's command for it would: what is automated is heard,
// and what is saved is what plays.
void IResonix::OnParamChange(int paramIdx) {
  Lock lock(mMutex);
  const IParam* param = GetParam(paramIdx);
  if (!param) return;
  switch (paramIdx) {
    case kParamMode:
      mode.store(param->Value(), std::memory_order_release);
      if (param->Value() != 0.0) clear_meter();
      break;
    case kParamBypassVolume:
    case kParamNoteIndicator:
      show_mirror(paramIdx);
      break;
    case kParamVerticalSlider:
      // The editor's slider goes through its command, which also keeps the undo history.
      if (editor_change) break;
      if (Threads().InAudioPath()) {
        // The audio thread only hands the value over: the design thread follows it.
        host_slider.store(param->Value());
        design_thread->request_refresh();
      } else {
        host_slider.store(std::nan(""));  // this newer value wins over one still handed over
        follow_vertical_slider(param->Value());
      }
      break;
    default:
      break;
  }
}

void IResonix::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  Lock lock(mMutex);
  editor_change = true;
  IPlugAdapter::SetParameterFromGUI(paramIdx, normalizedValue);
  editor_change = false;
}

// Any thread, under the lock: the mirror and its readout (a value for the editor to format when it
// draws).
void IResonix::show_mirror(int paramIdx) {
  const double v = GetParam(paramIdx)->Value();
  IGraphics* gui = GetGUI();
  if (paramIdx == kParamBypassVolume) {
    bypass_volume.store(v, std::memory_order_release);
    if (gui) gui->SetControlFromPlug(ui.volume_text, v);
  } else if (paramIdx == kParamNoteIndicator) {
    note_pos.store(v, std::memory_order_release);
    if (gui) gui->SetControlFromPlug(ui.note_text, v);
    if (IControl* plot = gui ? gui->GetControl(ui.plot_control) : nullptr) plot->SetDirty(false);
  }
}

// A host moved the target: it follows at once; the design catches up with the newest position.
void IResonix::follow_vertical_slider(double value) {
  // A target drawn above the top holds the slider beyond what the parameter can say: the parameter
  // at its end is that same place, not a move.
  if (value == std::clamp(vslider_pos, 0.0, 1.0)) return;
  vslider_pos = value;
  apply_target_level();
  if (IGraphics* gui = GetGUI())
    if (IControl* plot = gui->GetControl(ui.plot_control)) plot->SetDirty(false);
  run();
}

// Under the lock (the design thread's refresh).
void IResonix::take_host_values() {
  const double slider = host_slider.exchange(std::nan(""));
  if (!std::isnan(slider)) follow_vertical_slider(slider);
}

void IResonix::clear_meter() {
  messages.set_level(0.0);
  if (ui.meter_control >= 0 && GetGUI()) GetGUI()->SetControlFromPlug(ui.meter_control, 0.0);
}

int IResonix::note_band(double noteValue) {
  return ParamText::note_band(noteValue);
}

void IResonix::notify(const char* text) {
  if (!text) return;
  if (IGraphics* gui = GetGUI()) {
    gui->ShowMessageBox(text, "Info", kMB_OK);
    return;
  }
  myMessage(text);
}
