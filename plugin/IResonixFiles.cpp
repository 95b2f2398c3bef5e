#include <algorithm>
#include <cmath>

#include "engine/FilePath.h"
#include "framework/graphics/IGraphics.h"
#include "plugin/IResonix.h"

namespace {

// Mode as the file stores it: an integer, truncated toward zero.
int stored_mode(double mode) {
  return mode >= 1.0 ? 1 : 0;
}

}  // namespace

// Editor thread. The file prompt starts in the preset folder; empty when cancelled or when there is
// no editor to ask with.
std::string IResonix::prompt_preset(bool save) {
  IGraphics* gui = GetGUI();
  if (!gui) return {};
  std::string file;
  std::string dir = FilePath::to_utf8(presets_dir);
  gui->PromptForFile(&file, save ? kFileSave : kFileOpen, &dir, "rzn");
  return file;
}

// Editor thread, under no lock (a dialog, a file): a preset file the user picks, read whole. False
// when cancelled, or refused with its message.
bool IResonix::prompt_and_read(RznPreset* preset) {
  const std::string path = prompt_preset(false);
  if (path.empty()) return false;
  const RznStatus status = RznFile::read(FilePath::from_utf8(path), preset);
  if (status == RznStatus::ok) return true;
  notify(RznFile::message(status));
  return false;
}

// The "Save" command.
void IResonix::save_dialog() {
  std::filesystem::path path = FilePath::from_utf8(prompt_preset(true));
  if (path.empty()) return;
  if (!path.has_extension()) path += ".rzn";
  RznPreset preset;
  {
    // One moment of the state; the file is written after the lock is given back.
    Lock lock(mMutex);
    preset.mode = stored_mode(mode.load());
    preset.vslider_pos = vslider_pos;
    preset.bypass_volume = bypass_volume.load();
    preset.note_pos = note_pos;
    for (int i = 0; i < RznPreset::kBands; ++i) {
      preset.measured[i] = measured[i];
      preset.target_shape[i] = target_shape[i];
    }
  }
  const RznStatus status = RznFile::write(path, preset, rzn_io);
  if (status != RznStatus::ok) notify(RznFile::message(status));
}

// The "Load" command: curves and the four parameters, as one undoable step.
void IResonix::load_dialog() {
  RznPreset preset;
  if (!prompt_and_read(&preset)) return;
  // The slider position is kept as stored (it may lie outside 0..1); the other two mirrors follow
  // their parameters, which hold 0..1.
  const double bypass = std::clamp(preset.bypass_volume, 0.0, 1.0);
  const double note = std::clamp(preset.note_pos, 0.0, 1.0);
  Lock lock(mMutex);  // the file was read without it; it changes the state in one hold
  take_user_input(kParamMode, double(preset.mode));
  clear_meter();
  vslider_pos = preset.vslider_pos;
  bypass_volume.store(bypass, std::memory_order_release);
  note_pos = note;
  take_user_input(kParamVerticalSlider, preset.vslider_pos);
  take_user_input(kParamBypassVolume, bypass);
  take_user_input(kParamNoteIndicator, note);
  refresh_readouts();
  for (int i = 0; i < nbands; ++i) {
    measured[i] = preset.measured[i];
    target_shape[i] = preset.target_shape[i];
  }
  apply_target_level();
  save_to_undo();
  run();
  dirty_editor();
}

// The "LoadTarget" command: only the file's target curve and its slider position; the current
// measurement stays.
void IResonix::load_target_dialog() {
  RznPreset preset;
  if (!prompt_and_read(&preset)) return;
  Lock lock(mMutex);  // the file was read without it; it changes the state in one hold
  vslider_pos = preset.vslider_pos;
  take_user_input(kParamVerticalSlider, preset.vslider_pos);
  for (int i = 0; i < nbands; ++i) target_shape[i] = preset.target_shape[i];
  apply_target_level();
  save_to_undo();
  run();
  dirty_editor();
}
