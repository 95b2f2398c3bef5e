#include "engine/BandAnalysis.h"
#include "engine/LongTermSpectrum.h"
#include "engine/RznFile.h"
#include "engine/SpectrumMatch.h"
#include "tools/resonix/AudioReader.h"
#include "tools/resonix/CommandHelp.h"
#include "tools/resonix/Commands.h"
#include "tools/resonix/EngineSession.h"
#include "tools/resonix/ProgressBar.h"
#include "tools/resonix/Subcommand.h"

#include <cmath>
#include <cstdio>

namespace {
// The plug-in designs for 44056 Hz and up, and so measures only there.
constexpr int kMinRate = 44056;
// Where a guitar's strings sound, E2 to about C9: the range the summary reports on.
constexpr double kReportLo = 82.0, kReportHi = 8400.0;

struct Recording {
  std::string path;
  AudioReader reader;
  LongTermSpectrum spectrum;
};

const char* refusal(LongTermSpectrum::Result r) {
  switch (r) {
    case LongTermSpectrum::Result::too_loud:
      return BandAnalysis::message(BandAnalysis::Result::too_loud);
    case LongTermSpectrum::Result::too_silent:
      return BandAnalysis::message(BandAnalysis::Result::too_silent);
    case LongTermSpectrum::Result::no_memory:
      return BandAnalysis::message(BandAnalysis::Result::no_memory);
    case LongTermSpectrum::Result::too_short:
      return "too short: a match needs at least 2 seconds of the same playing in both recordings";
    case LongTermSpectrum::Result::ok:
      break;
  }
  return "";
}

double seconds(const AudioInfo& info) {
  return static_cast<double>(info.frames) / info.rate;
}
}  // namespace

int run_match(const std::vector<std::string>& args, Console& console) {
  Subcommand cmd("match", command_help::match, {{"output", 'o', true}, {"calibration", 0, true}}, console);
  if (const int status = cmd.parse(args, 2); status >= 0) return status;
  const std::string& output = cmd.args().value("output");
  if (!cmd.args().has("output") || output.empty()) return cmd.usage("missing -o OUT.rzn");

  std::string error;
  Recording rec[2];
  rec[0].path = cmd.word(0);
  rec[1].path = cmd.word(1);
  for (Recording& r : rec) {
    if (!r.reader.open(r.path, &error)) return cmd.fail(exit_bad_input, error);
    if (r.reader.info().rate < kMinRate)
      return cmd.fail(exit_bad_input, r.path + ": " + std::to_string(r.reader.info().rate) +
                                          " Hz is below the 44056 Hz the plug-in works at; resample it to "
                                          "44100 Hz or higher");
  }

  EngineSession session;
  if (!session.startup_notice().empty() && !cmd.args().has("calibration")) cmd.warn(session.startup_notice());
  if (cmd.args().has("calibration") && !session.use_calibration(cmd.args().value("calibration"), &error))
    return cmd.fail(exit_bad_input, error);
  const EngineSession::BandGrid grid = session.band_grid();

  // Both files are streamed through their analysis in blocks: an hour of audio needs no more memory
  // than a second.
  ProgressBar progress(console.err, console.terminal, "match",
                       rec[0].reader.info().frames + rec[1].reader.info().frames);
  int64_t done = 0;
  for (Recording& r : rec) {
    const AudioInfo& info = r.reader.info();
    if (!r.spectrum.start(grid.freq, grid.edge, grid.n, info.rate))
      return cmd.fail(exit_bad_input, r.path + ": " + BandAnalysis::message(BandAnalysis::Result::no_memory));
    constexpr int64_t block = 16384;
    std::vector<double> buf(static_cast<size_t>(block * info.channels));
    while (const int64_t got = r.reader.read(buf.data(), block)) {
      r.spectrum.add(buf.data(), got, info.channels);
      progress.update(done += got);
    }
    if (const auto result = r.spectrum.finish(grid.calibration); result != LongTermSpectrum::Result::ok)
      return cmd.fail(exit_bad_input, r.path + ": " + refusal(result));
  }
  progress.finish();
  const double s0 = seconds(rec[0].reader.info()), s1 = seconds(rec[1].reader.info());
  if (std::fabs(s0 - s1) > 0.1 * std::max(s0, s1)) {
    char line[200];
    std::snprintf(line, sizeof line,
                  "the recordings last %.1f s and %.1f s; a match compares the same playing, best "
                  "recorded through both at once",
                  s0, s1);
    cmd.warn(line);
  }

  SpectrumMatch match;
  if (!match.match(rec[0].spectrum, rec[1].spectrum, grid.freq, rec[0].reader.info().rate))
    return cmd.fail(exit_bad_input, "the two recordings cannot be matched");

  RznPreset preset;
  const EngineSession::Parameters defaults = session.parameters();
  preset.mode = 0;
  preset.vslider_pos = 1.0;
  preset.bypass_volume = defaults.bypass_volume;
  preset.note_pos = defaults.note_indicator;
  for (int i = 0; i < RznPreset::kBands && i < match.bands(); ++i) {
    preset.measured[i] = match.measured()[i];
    preset.target_shape[i] = match.target_shape()[i];
  }
  if (const RznStatus status = RznFile::write(output, preset); status != RznStatus::ok)
    return cmd.fail(exit_write_failed, output + ": " + RznFile::message(status));

  char line[400];
  std::snprintf(line, sizeof line, "%s: matched %s (%d Hz, %.1f s) to %s (%d Hz, %.1f s)\n", output.c_str(),
                rec[0].path.c_str(), rec[0].reader.info().rate, s0, rec[1].path.c_str(),
                rec[1].reader.info().rate, s1);
  console.out << line;
  const std::string cal = session.calibration_name();
  console.out << "calibration: " << (cal.empty() ? "none" : cal) << "\n";
  std::snprintf(line, sizeof line,
                "band levels 82 Hz - 8.4 kHz, overall level aside: %.1f dB RMS apart, %.1f dB once corrected "
                "(predicted)\n",
                match.rms_before_db(kReportLo, kReportHi), match.rms_after_db(kReportLo, kReportHi));
  console.out << line;
  return exit_done;
}
