#include "tools/resonix/GuitarDemo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "plugin/IResonix.h"
#include "tools/resonix/Commands.h"
#include "tools/resonix/EngineSession.h"

namespace {

// The response plot: band i at column 49 + i * 437 / 119, 0 dB at row 11, -50 dB at row 380.
constexpr int kPlotLeft = 49, kPlotTop = 11, kPlotBottom = 380, kColumns = 438;
constexpr double kDecadesShown = 2.5;

int column_of(int band) {
  return kPlotLeft + int(std::lround(band * double(kColumns - 1) / (kNumBands - 1)));
}

int row_of(double level) {
  const double y = kPlotTop - (kPlotBottom - kPlotTop) * std::log10(level) / kDecadesShown;
  return std::clamp(int(std::lround(y)), kPlotTop, kPlotBottom);
}

struct Resonance {
  int band;
  double level_db;       // measured level at the peak
  double prominence_db;  // above the mean of the bands three semitones either side
};

// Peaks of the measured curve standing at least 6 dB out of their surroundings, loudest first.
std::vector<Resonance> resonances(const IResonix& plug, size_t count) {
  auto db = [&](int i) { return 20.0 * std::log10(plug.measured[std::clamp(i, 0, plug.nbands - 1)]); };
  std::vector<Resonance> found;
  for (int i = 3; i < plug.nbands - 3; ++i) {
    const double prominence = db(i) - 0.5 * (db(i - 3) + db(i + 3));
    if (db(i) > db(i - 1) && db(i) >= db(i + 1) && prominence >= 6.0) found.push_back({i, db(i), prominence});
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const Resonance& a, const Resonance& b) { return a.level_db > b.level_db; });
  if (found.size() > count) found.resize(count);
  return found;
}

// One left-button stroke on the plot: press at one point, drag to another, release. The release
// does what the plot's mouse-up does: one undo step, one design.
void stroke(IResonix& plug, int x0, int y0, int x1, int y1) {
  plug.from_drawing(x0, y0, 1);
  plug.from_drawing(x1, y1, 2);
  plug.save_to_undo();
  plug.run();
}

// A V-shaped cut of `depth_db` at band p, drawn as two strokes that start on the curve and end at
// the bottom of the V: two semitones wide each side, or one where a two-semitone line would pass
// above the curve (a cut never boosts a neighbour).
void cut(IResonix& plug, int p, double depth_db) {
  auto db = [&](int i) { return 20.0 * std::log10(plug.target[i]); };
  const double bottom_db = db(p) - depth_db;
  const int bottom = row_of(std::pow(10.0, bottom_db / 20.0));
  for (int side : {-1, 1}) {
    int w = 2;
    if (0.5 * (db(p + 2 * side) + bottom_db) > db(p + side)) w = 1;
    const int start = std::clamp(p + w * side, 0, plug.nbands - 1);
    stroke(plug, column_of(start), row_of(plug.target[start]), column_of(p), bottom);
  }
}

int tool(Console& console, std::vector<std::string> args) {
  return run_resonix(args, console);
}

}  // namespace

int GuitarDemo::run(const std::filesystem::path& recordings, const std::filesystem::path& out,
                    Console& console) {
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  const std::string knock = (recordings / "knock.wav").string();
  const std::string phrase = (recordings / "guitar-phrase.wav").string();
  const std::string measured = (out / "measured.rzn").string();
  const std::string preset = (out / "guitar.rzn").string();

  console.out << "1. measuring the synthetic knock\n";
  if (int status = tool(console, {"measure", knock, "-o", measured})) return status;

  console.out << "2. ResetTarget, then gentle cuts of the strongest resonances, drawn on the plot\n";
  EngineSession session;
  std::string error;
  if (!session.load_preset(measured, &error)) {
    console.err << "resonix-demo: " << measured << ": " << error << "\n";
    return exit_bad_input;
  }
  IResonix& plug = session.instance();
  plug.from_GUI(kParamResetTarget);
  for (const Resonance& r : resonances(plug, 3)) {
    // Half the resonance's prominence, at most 6 dB: a correction, not a notch.
    const double depth = std::clamp(0.5 * r.prominence_db, 1.0, 6.0);
    cut(plug, r.band, depth);
    char line[120];
    std::snprintf(line, sizeof line,
                  "   %-4s %7.1f Hz  %5.1f dB, %4.1f dB above its surroundings: cut by %.1f dB\n",
                  plug.note_names[r.band], plug.band_freq[r.band], r.level_db, r.prominence_db, depth);
    console.out << line;
  }
  if (!session.save_preset(preset, &error)) {
    console.err << "resonix-demo: " << preset << ": " << error << "\n";
    return exit_write_failed;
  }
  console.out << preset << "\n";

  console.out << "3. the phrase before (flat correction) and after\n";
  const std::string before = (out / "phrase-before.wav").string();
  const std::string after = (out / "phrase-after.wav").string();
  if (int status = tool(console, {"apply", measured, phrase, before})) return status;
  if (int status = tool(console, {"apply", preset, phrase, after})) return status;

  console.out << "4. the editor and the band table\n";
  const std::string picture = (out / "editor.png").string();
  if (int status = tool(console, {"render", preset, picture})) return status;
  const std::string picture2x = (out / "editor@2x.png").string();
  if (int status = tool(console, {"render", preset, picture2x, "--scale", "2"})) return status;
  const std::string table = (out / "bands.txt").string();
  std::ostringstream text;
  Console capture{text, console.err, false};
  if (int status = run_resonix({"info", preset}, capture)) return status;
  std::ofstream file(table, std::ios::trunc);
  file << text.str();
  if (!file.flush()) {
    console.err << "resonix-demo: cannot write " << table << "\n";
    return exit_write_failed;
  }
  console.out << table << "\n";
  return exit_done;
}
