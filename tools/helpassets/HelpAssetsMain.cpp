// Renders the manual's figures from the real editor and its sound example from the real engine:
//   resonix-helpassets <help folder>
// A fresh instance measures the synthetic guitar, then the script edits the target the way the
// manual describes, saving the editor after each step (resonix-1.png ... resonix-9.png, figure 2
// as JPEG). The example plays a phrase on the same guitar, first in Bypass, then corrected.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/EditorLayout.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "plugin/IResonix.h"
#include "tools/helpassets/JpegWriter.h"
#include "tools/helpassets/Mp3Encoder.h"
#include "tools/knocksynth/KnockSynth.h"
#include "tools/knocksynth/PhraseSynth.h"

namespace {

using namespace layout;

constexpr double kRate = 44100.0;
constexpr int kBlock = 1024;

int x_of_band(int band) {
  return kPlotLeft + int(band * 437.0 / 119.0 + 0.5);
}
int y_of_level(double level) {
  return int(std::lround(11.0 - 369.0 * std::log10(level) / 2.5));
}

struct Session {
  IResonix plug{IInstanceInfo{}};
  IGraphicsHeadless* gui = dynamic_cast<IGraphicsHeadless*>(plug.GetGUI());

  void press(int x, int y, IMouseMod m) { gui->OnMouseDown(x, y, &m); }
  void drag(int x, int y, IMouseMod m) { gui->OnMouseDrag(x, y, &m); }
  void release(int x, int y, IMouseMod m) { gui->OnMouseUp(x, y, &m); }
  void click(const Rect& r) {
    const IMouseMod left(true);
    press((r.left + r.right) / 2, (r.top + r.bottom) / 2, left);
    release((r.left + r.right) / 2, (r.top + r.bottom) / 2, left);
  }

  // One block through the audio callback and one editor frame, as a host and the timer would.
  void play(const double* in, double* out, int frames) {
    double* ins[] = {const_cast<double*>(in)};
    double* outs[] = {out};
    plug.HostProcess(ins, outs, frames);
    gui->Tick();
  }
};

bool save(Session& s, const std::filesystem::path& folder, const char* name) {
  s.plug.wait_for_design();  // the figure shows the finished design
  s.gui->RedrawAll();
  const std::string path = (folder / name).string();
  const bool ok = std::filesystem::path(name).extension() == ".jpg"
                      ? write_jpeg(*s.gui->GetDrawBitmap(), path, 90)
                      : s.gui->SavePNG(path);
  std::printf("%s%s\n", path.c_str(), ok ? "" : "  (FAILED)");
  return ok;
}

// The loudest band below 400 Hz: the body's main resonance.
int main_resonance(const IResonix& plug) {
  int best = 0;
  for (int i = 0; i < kNumBands && plug.band_freq[i] < 400.0; ++i)
    if (plug.measured[i] > plug.measured[best]) best = i;
  return best;
}

std::vector<double> play_phrase(Session& s, const std::vector<double>& phrase) {
  std::vector<double> out(phrase.size(), 0.0);
  for (size_t at = 0; at < phrase.size(); at += kBlock) {
    const int n = int(std::min<size_t>(kBlock, phrase.size() - at));
    s.play(phrase.data() + at, out.data() + at, n);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: resonix-helpassets <help folder>\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  // A home of its own: no calibration file of the user's changes the pictures.
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "resonix-helpassets-home";
  std::filesystem::remove_all(home);
  std::filesystem::create_directories(home);
  setenv("HOME", home.c_str(), 1);

  Session s;
  if (!s.gui) {
    std::fprintf(stderr, "resonix-helpassets: the instance has no editor\n");
    return 1;
  }
  s.plug.HostSetBlockSize(kBlock);
  s.plug.HostSetSampleRate(kRate);
  int failures = 0;
  failures += !save(s, folder, "resonix-1.png");

  // Measure the synthetic guitar; figure 3 shows the countdown a few seconds in.
  KnockSynth::Settings knock;
  knock.sample_rate = kRate;
  const std::vector<double> recording = KnockSynth::render(knock);
  s.click(kStartButton);
  std::vector<double> out(kBlock);
  bool countdownSaved = false;
  for (size_t at = 0; at + kBlock <= recording.size() && !s.gui->GetControl(s.plug.ui.knock_text)->IsHidden();
       at += kBlock) {
    s.play(recording.data() + at, out.data(), kBlock);
    if (!countdownSaved && at > size_t(4.0 * kRate)) {
      failures += !save(s, folder, "resonix-3.png");
      countdownSaved = true;
    }
  }
  failures += !save(s, folder, "resonix-2.jpg");

  // Figure 4: a straight line over the main resonance, level with its lower shoulder.
  const int peak = main_resonance(s.plug);
  const int from = std::max(0, peak - 6), to = std::min(kNumBands - 1, peak + 6);
  const double shoulder = std::min(s.plug.target[from], s.plug.target[to]);
  const IMouseMod left(true), right(false, true);
  s.press(x_of_band(from), y_of_level(shoulder), left);
  for (int band = from + 1; band <= to; ++band) s.drag(x_of_band(band), y_of_level(shoulder), left);
  s.release(x_of_band(to), y_of_level(shoulder), left);
  std::printf("main resonance %s (%.0f Hz)\n", s.plug.note_names[peak], s.plug.band_freq[peak]);
  failures += !save(s, folder, "resonix-4.png");
  const std::vector<double> phrase = PhraseSynth::render(PhraseSynth::e_minor_phrase(), kRate, 7.0, 0.5);
  const std::vector<double> corrected = play_phrase(s, phrase);

  // Figure 5: freehand over the upper midrange, a gentle dip.
  s.press(x_of_band(66), y_of_level(s.plug.target[66]), right);
  for (int band = 66; band <= 84; ++band)
    s.drag(x_of_band(band),
           y_of_level(s.plug.target[band] * (1.0 - 0.35 * std::sin((band - 66) * M_PI / 18.0))), right);
  s.release(x_of_band(84), y_of_level(s.plug.target[84]), right);
  failures += !save(s, folder, "resonix-5.png");

  // Figure 6: the whole target 6 dB down with the vertical slider.
  const IRECT handle = *s.gui->GetControl(s.plug.ui.vslider_control)->GetRECT();
  const int handleY = handle.T + 6 + int((1.0 - s.plug.vslider_pos) * 330.0);
  s.press(514, handleY, left);
  s.drag(514, handleY + 44, left);
  s.release(514, handleY + 44, left);
  failures += !save(s, folder, "resonix-6.png");

  // Figure 7: the note cursor on the main resonance.
  const int noteX = kNoteSlider.x + 6 + int(std::lround(peak / 119.0 * (kNoteSlider.len - 12)));
  s.press(noteX, kNoteSlider.y + 6, left);
  s.release(noteX, kNoteSlider.y + 6, left);
  failures += !save(s, folder, "resonix-7.png");

  // Figure 8: Bypass, at a volume lowered to match.
  s.press(556, 152, left);
  s.release(556, 152, left);
  const int volumeX = kVolumeSlider.x + 6 + int(std::lround(0.45 * (kVolumeSlider.len - 12)));
  s.press(volumeX, kVolumeSlider.y + 6, left);
  s.release(volumeX, kVolumeSlider.y + 6, left);
  failures += !save(s, folder, "resonix-8.png");

  // Figure 9: the About panel.
  s.click(kAboutButton);
  failures += !save(s, folder, "resonix-9.png");
  s.click(kAboutOkButton);

  // The example: the phrase in Bypass at 0 dB, a breath, then as corrected after figure 4.
  s.plug.HostSetParameter(kParamMode, 1.0);
  s.plug.HostSetParameter(kParamBypassVolume, 0.5);
  const std::vector<double> dry = play_phrase(s, phrase);
  // Level-matched, as the manual asks the listener to compare: the correction takes energy out.
  auto rms = [](const std::vector<double>& x) {
    double sum = 0.0;
    for (double v : x) sum += v * v;
    return std::sqrt(sum / double(x.size()));
  };
  const double match = rms(dry) / rms(corrected);
  std::vector<double> example(dry);
  example.resize(dry.size() + size_t(0.6 * kRate), 0.0);
  for (double v : corrected) example.push_back(v * match);
  std::string error;
  const std::string mp3 = (folder / "resonix-example.mp3").string();
  if (write_mp3(example, int(kRate), mp3, &error)) {
    std::printf("%s\n", mp3.c_str());
  } else {
    std::fprintf(stderr, "resonix-helpassets: %s: %s\n", mp3.c_str(), error.c_str());
    ++failures;
  }
  std::filesystem::remove_all(home);
  return failures ? 1 : 0;
}
