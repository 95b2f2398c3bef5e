#include "tools/resonix/EngineSession.h"

#include "engine/CalibrationFile.h"
#include "engine/Notice.h"
#include "engine/RznFile.h"
#include "framework/core/ByteChunk.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "plugin/IResonix.h"
#include "tools/resonix/ToolPath.h"

#include <cmath>
#include <fstream>
#include <sstream>

namespace {
// Notices shown while no editor exists land here instead of on standard error.
std::vector<std::string>& hooked_notices() {
  static std::vector<std::string> notices;
  return notices;
}

void keep_notice(const char* text, const char* caption) {
  hooked_notices().emplace_back(text ? text : "");
}

// Each live instance keeps the hook installed; the last one out restores the previous hook.
int sessions = 0;
NoticeHook previous_hook = nullptr;

IGraphicsHeadless* headless_editor(IResonix& plug) {
  return dynamic_cast<IGraphicsHeadless*>(plug.GetGUI());
}

double db(double v) {
  return 20.0 * std::log10(v);
}
}  // namespace

EngineSession::EngineSession() {
  if (sessions++ == 0) previous_hook = set_notice_hook(keep_notice);
  plug = std::make_unique<IResonix>(IInstanceInfo{"resonix", 0});
  plug->HostSetBlockSize(block);
  plug->HostSetSampleRate(rate);
  startup = take_notice();  // a calibration file it could not read
}

EngineSession::~EngineSession() {
  plug.reset();
  if (--sessions == 0) set_notice_hook(previous_hook);
}

std::string EngineSession::take_notice() {
  std::string text;
  auto add = [&text](const std::string& t) {
    if (!text.empty()) text += "\n";
    text += t;
  };
  if (IGraphicsHeadless* gui = headless_editor(*plug)) {
    for (const auto& n : gui->Notices()) add(n.text);
    gui->ClearNotices();
  }
  for (const auto& t : hooked_notices()) add(t);
  hooked_notices().clear();
  return text;
}

void EngineSession::set_sample_rate(double new_rate, int block_size) {
  rate = new_rate;
  block = block_size > 0 ? block_size : 512;
  plug->HostSetBlockSize(block);
  plug->HostSetSampleRate(rate);
}

bool EngineSession::load_preset(const std::string& path, std::string* error) {
  RznPreset preset;
  const RznStatus status = RznFile::read(tool_path(path), &preset);
  if (status != RznStatus::ok) {
    *error = RznFile::message(status);
    return false;
  }
  // Handed over as the host's state payload: the curves, then the 14 parameter values. The plug-in
  // rebuilds the target, clears the undo history and redesigns, as it does for a project.
  ByteChunk chunk;
  for (double v : preset.measured) chunk.Put(&v);
  for (double v : preset.target_shape) chunk.Put(&v);
  const double params[kNumParams] = {static_cast<double>(preset.mode), preset.vslider_pos,
                                     preset.bypass_volume, preset.note_pos};
  for (double v : params) chunk.Put(&v);
  if (!plug->HostSetState(&chunk)) {
    *error = RznFile::message(RznStatus::damaged);
    return false;
  }
  take_notice();
  return true;
}

bool EngineSession::save_preset(const std::string& path, std::string* error) {
  RznPreset preset;
  preset.mode = static_cast<int>(plug->mode.load());
  preset.vslider_pos = plug->vslider_pos;
  preset.bypass_volume = plug->bypass_volume.load();
  preset.note_pos = plug->note_pos;
  for (int i = 0; i < RznPreset::kBands; ++i) {
    preset.measured[i] = plug->measured[i];
    preset.target_shape[i] = plug->target_shape[i];
  }
  const RznStatus status = RznFile::write(tool_path(path), preset);
  if (status != RznStatus::ok) {
    *error = RznFile::message(status);
    return false;
  }
  return true;
}

bool EngineSession::use_calibration(const std::string& path, std::string* error) {
  std::ifstream in(tool_path(path), std::ios::binary);
  std::ostringstream text;
  if (!in || !(text << in.rdbuf())) {
    *error = path + ": Error_005 Can't open calibration file.";
    return false;
  }
  const auto points = CalibrationFile::parse(text.str());
  if (points.empty()) {
    *error = path + ": no frequency and level lines in this calibration file";
    return false;
  }
  CalibrationFile::band_factors(points, plug->band_freq, plug->nbands, plug->calibration);
  plug->calibration_name = tool_path(path).filename().string();
  return true;
}

std::string EngineSession::calibration_name() const {
  return plug->calibration_name;
}

EngineSession::BandGrid EngineSession::band_grid() const {
  return {plug->nbands, plug->band_freq, plug->band_edge, plug->calibration};
}

bool EngineSession::measure(const std::vector<double>& recording, std::string* error) {
  take_notice();
  plug->start_measurement();
  if (std::string notice = take_notice(); !notice.empty() || !plug->measuring.load()) {
    *error = notice.empty() ? "the measurement did not start" : notice;
    return false;
  }
  // Stream the recording, then silence, until the capture window has closed: half a second plus
  // 2^19 recorded samples, taken from every 1st to 8th host sample by rate. The bound only stops a
  // capture that never ends.
  const int64_t bound = static_cast<int64_t>(rate * 0.5) + int64_t(524288) * 8 + block;
  std::vector<double> in(block), out(block);
  for (int64_t done = 0; !plug->capture.finished(); done += block) {
    if (done > bound) {
      *error = "the capture window did not close";
      return false;
    }
    for (int k = 0; k < block; ++k) {
      const auto i = static_cast<size_t>(done + k);
      in[k] = i < recording.size() ? recording[i] : 0.0;
    }
    process(in.data(), out.data(), block);
  }
  // The analysis runs where the plug-in runs it: on the editor's next frame.
  if (IGraphicsHeadless* gui = headless_editor(*plug))
    gui->Tick();
  else if (plug->messages.take() & AudioMessages::kCaptureFinished)
    plug->MyIdle();
  const std::string notice = take_notice();
  if (!notice.empty()) {
    *error = notice;
    return false;
  }
  if (plug->measuring.load()) {
    *error = "the measurement did not finish";
    return false;
  }
  return true;
}

void EngineSession::set_bypass_volume(double normalized) {
  plug->HostSetParameter(kParamBypassVolume, normalized);
}

void EngineSession::process(const double* in, double* out, int frames) {
  for (int done = 0; done < frames; done += block) {
    const int n = std::min(block, frames - done);
    double* ins[1] = {const_cast<double*>(in + done)};
    double* outs[1] = {out + done};
    plug->HostProcess(ins, outs, n);
  }
}

EngineSession::Parameters EngineSession::parameters() const {
  return {plug->mode.load(), plug->vslider_pos, plug->bypass_volume.load(), plug->note_pos};
}

std::vector<EngineSession::Band> EngineSession::bands() const {
  plug->wait_for_design();
  std::vector<Band> out;
  for (int i = 0; i < plug->nbands; ++i)
    out.push_back({i, plug->note_names[i] ? plug->note_names[i] : "", plug->band_freq[i],
                   db(plug->measured[i]), db(plug->target[i]), db(plug->corrected[i])});
  return out;
}

EngineSession::Coefficients EngineSession::coefficients() const {
  // Section i is 1 + a (1 - z^-2) / (1 + b z^-1 + c z^-2): over the common denominator
  // b0 = 1 + a, b1 = b, b2 = c - a.
  plug->wait_for_design();
  Coefficients k{rate, plug->out_gain, {}};
  for (int i = 0; i < plug->nsections; ++i) {
    const double a = plug->coef_a[i], b = plug->coef_b[i], c = plug->coef_c[i];
    k.sections.push_back({1.0 + a, b, c - a, 1.0, b, c});
  }
  return k;
}

bool EngineSession::render(const std::string& png_path, double scale, std::string* error) {
  IGraphicsHeadless* gui = headless_editor(*plug);
  if (!gui) {
    *error = "this build of the plug-in has no editor to draw";
    return false;
  }
  gui->SetScale(scale);
  plug->wait_for_design();
  gui->RedrawAll();
  if (!gui->SavePNG(png_path)) {
    *error = "cannot write the picture";
    return false;
  }
  return true;
}
