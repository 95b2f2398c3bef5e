#pragma once
// A user's editing session played from a script of bytes (random in the tests, the fuzzer's input
// in `make fuzz`): strokes with either button anywhere on the plot and past its edges, the faders
// and mode buttons to both ends, resets, undo and redo, and measurements of synthetic knocks. Then
// the session is saved as a preset file and as host state, each read into a fresh instance, and
// all three must hold the same curves, mirrors and parameters and play the same bits.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/EditorLayout.h"
#include "instance/PluginUnderTest.h"

class EditingSession {
 public:
  EditingSession(const uint8_t* script, size_t size) : script_(script, script + size) {}

  // Measurements the session made that the plug-in took.
  int measurements() const { return measurements_; }

  // Empty when the session survives both round trips, else what differed.
  std::string round_trip_fault(const std::filesystem::path& preset) {
    const double rate = kRates[next() % 4];
    PluginUnderTest original(rate, kBlock);
    while (pos_ < script_.size()) step(original);
    // The last step may have left no design behind (a refused measurement): the fresh instances
    // design once on loading, so the original does too before they are compared.
    original->run();

    std::error_code ec;
    std::filesystem::remove(preset, ec);
    original.gui->QueueFileAnswer(preset.string());
    original->from_GUI(kParamSave);
    PluginUnderTest from_file(rate, kBlock);
    from_file.gui->QueueFileAnswer(preset.string());
    from_file->from_GUI(kParamLoad);
    if (!original.take_notices().empty() || !from_file.take_notices().empty()) return "preset refused";

    ByteChunk chunk;
    if (!original->HostGetState(&chunk)) return "no host state";
    PluginUnderTest from_host(rate, kBlock);
    if (!from_host->HostSetState(&chunk)) return "host state refused";

    const std::vector<double> reference = state_of(*original);
    if (std::string d = difference(state_of(*from_file), reference); !d.empty()) return "preset: " + d;
    if (std::string d = difference(state_of(*from_host), reference); !d.empty()) return "host state: " + d;
    const std::vector<double> audio = play(original);
    if (play(from_file) != audio) return "preset plays other audio";
    if (play(from_host) != audio) return "host state plays other audio";
    return {};
  }

 private:
  static constexpr double kRates[4] = {44100.0, 48000.0, 88200.0, 96000.0};
  static constexpr int kBlock = 2048;

  uint8_t next() { return pos_ < script_.size() ? script_[pos_++] : 0; }

  // A coordinate biased to the ends of [lo, hi] and a few pixels past them.
  int coordinate(int lo, int hi) {
    const uint8_t b = next();
    switch (b % 8) {
      case 0:
        return lo;
      case 1:
        return hi;
      case 2:
        return lo - 1 - b % 5;
      case 3:
        return hi + 1 + b % 5;
      default:
        return lo + int(b) * (hi - lo) / 255;
    }
  }

  void drag(PluginUnderTest& p, int x0, int y0, int x1, int y1, bool left) {
    IMouseMod mod(left, !left);
    p.gui->OnMouseDown(x0, y0, &mod);
    const int steps = 1 + next() % 4;
    for (int k = 1; k <= steps; ++k)
      p.gui->OnMouseDrag(x0 + (x1 - x0) * k / steps, y0 + (y1 - y0) * k / steps, &mod);
    p.gui->OnMouseUp(x1, y1, &mod);
  }

  void stroke(PluginUnderTest& p, bool left) {
    using namespace layout;
    const int x0 = std::clamp(coordinate(kPlotLeft, kPlotRight - 1), kPlotLeft, kPlotRight - 1);
    const int y0 = std::clamp(coordinate(kPlotTop, kPlotBottom - 1), kPlotTop, kPlotBottom - 1);
    drag(p, x0, y0, coordinate(kPlotLeft, kPlotRight), coordinate(kPlotTop, kPlotBottom), left);
  }

  void fader(PluginUnderTest& p, const layout::Track& t, bool vertical) {
    const int along = next() % 2 ? 0 : t.len - 1;  // from one of the ends, then anywhere
    const int middle = int(next()) * t.len / 255;
    if (vertical)
      drag(p, t.x + 6, t.y + along, t.x + 6, t.y + middle, true);
    else
      drag(p, t.x + along, t.y + 6, t.x + middle, t.y + 6, true);
  }

  void measure(PluginUnderTest& p) {
    const double rate = p->GetSampleRate();
    const double amplitude = 0.05 + 0.4 * next() / 255.0;
    const double hz[3] = {p->band_freq[20 + next() % 40], p->band_freq[50 + next() % 40], 2000.0};
    p->from_GUI(kParamStart);
    std::vector<double> in(kBlock), out(kBlock);
    for (long k = 0; k < long(20 * rate); k += kBlock) {
      for (int i = 0; i < kBlock; ++i) {
        const double t = std::fmod(double(k + i) / rate, 1.5);  // a knock every 1.5 s
        double v = 0.0;
        for (double f : hz) v += std::sin(2.0 * M_PI * f * t);
        in[size_t(i)] = amplitude * std::exp(-t * 6.0) * v / 3.0;
      }
      p.process(in.data(), out.data(), kBlock);
      if (p.take_messages() & AudioMessages::kCaptureFinished) break;  // the capture window has ended
    }
    p->MyIdle();
    // A knock too loud or too quiet is refused; the session goes on.
    if (p.take_notices().empty()) ++measurements_;
  }

  void step(PluginUnderTest& p) {
    using namespace layout;
    const uint8_t op = next();
    if (op % 128 == 0) return measure(p);  // rare: a measurement plays 12 s of audio
    switch (op % 32) {
      case 0:
        p->from_GUI(kParamResetTarget);
        break;
      case 1:
      case 2:
        p->from_GUI(kParamUndo);
        break;
      case 3:
        p->from_GUI(kParamRedo);
        break;
      case 4:
        p->from_GUI(kParamResetTarget);
        break;
      case 5:
        p->from_GUI(kParamResetAll);
        break;
      case 6:
      case 7:
      case 8:
        fader(p, kVerticalSlider, true);
        break;
      case 9:
        fader(p, kVolumeSlider, false);
        break;
      case 10:
        fader(p, kNoteSlider, false);
        break;
      case 11: {
        IMouseMod mod(true);
        const int y = op & 32 ? kModeRadios.top + 4 : kModeRadios.bottom - 4;
        p.gui->OnMouseDown(kModeRadios.left + 8, y, &mod);
        p.gui->OnMouseUp(kModeRadios.left + 8, y, &mod);
        break;
      }
      default:
        stroke(p, op & 32);
        break;
    }
  }

  static std::vector<double> state_of(IResonix& p) {
    std::vector<double> s(p.measured, p.measured + kNumBands);
    s.insert(s.end(), p.target_shape, p.target_shape + kNumBands);
    s.insert(s.end(), p.target, p.target + kNumBands);
    s.insert(s.end(), {p.vslider_pos, p.target_level, p.mode.load(), p.bypass_volume.load(), p.note_pos});
    for (int i = 0; i < kNumParams; ++i) s.push_back(p.GetParam(i)->Value());
    return s;
  }

  // The first value that differs, named: "target_shape[7] 0.5 != 0.25"; empty when none does.
  static std::string difference(const std::vector<double>& got, const std::vector<double>& want) {
    static const char* const mirrors[] = {"vslider_pos", "target_level", "mode", "bypass_volume", "note_pos"};
    for (size_t i = 0; i < want.size(); ++i) {
      if (got[i] == want[i]) continue;
      std::string name;
      if (i < 3 * kNumBands)
        name = std::string(i < kNumBands       ? "measured"
                           : i < 2 * kNumBands ? "target_shape"
                                               : "target") +
               "[" + std::to_string(i % kNumBands) + "]";
      else if (i < 3 * kNumBands + 5)
        name = mirrors[i - 3 * kNumBands];
      else
        name = "parameter " + std::to_string(i - 3 * kNumBands - 5);
      char values[64];
      std::snprintf(values, sizeof values, " %.17g != %.17g", got[i], want[i]);
      return name + values;
    }
    return {};
  }

  // Compared bit for bit: the vectors hold no NaN, so == is exact.
  static std::vector<double> play(PluginUnderTest& p) {
    std::vector<double> in(kBlock), out(kBlock), all;
    for (int block = 0; block < 2; ++block) {
      for (int i = 0; i < kBlock; ++i)
        in[size_t(i)] = (i % 331 == 0 ? 0.8 : 0.0) + 0.05 * std::sin(0.021 * i);
      p.process(in.data(), out.data(), kBlock);
      all.insert(all.end(), out.begin(), out.end());
    }
    return all;
  }

  std::vector<uint8_t> script_;
  size_t pos_ = 0;
  int measurements_ = 0;
};
