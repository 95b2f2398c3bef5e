#include "tools/resonix/AudioReader.h"
#include "tools/resonix/CommandHelp.h"
#include "tools/resonix/Commands.h"
#include "tools/resonix/EngineSession.h"
#include "tools/resonix/Subcommand.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
// The strongest local peaks of the measured curve, loudest first: what a player looks at first.
std::vector<EngineSession::Band> strongest_resonances(const std::vector<EngineSession::Band>& bands,
                                                      size_t count) {
  std::vector<EngineSession::Band> peaks;
  for (size_t i = 0; i < bands.size(); ++i) {
    const double v = bands[i].measured_db;
    const bool left = i == 0 || v > bands[i - 1].measured_db;
    const bool right = i + 1 == bands.size() || v >= bands[i + 1].measured_db;
    if (left && right) peaks.push_back(bands[i]);
  }
  std::stable_sort(peaks.begin(), peaks.end(),
                   [](const auto& a, const auto& b) { return a.measured_db > b.measured_db; });
  if (peaks.size() > count) peaks.resize(count);
  return peaks;
}
}  // namespace

int run_measure(const std::vector<std::string>& args, Console& console) {
  Subcommand cmd("measure", command_help::measure,
                 {{"output", 'o', true}, {"calibration", 0, true}, {"channel", 0, true}}, console);
  if (const int status = cmd.parse(args, 1); status >= 0) return status;
  const std::string& knock = cmd.word(0);
  const std::string& output = cmd.args().value("output");
  if (!cmd.args().has("output") || output.empty()) return cmd.usage("missing -o GUITAR.rzn");
  int channel = 0;
  if (cmd.args().has("channel")) {
    double n = 0;
    std::string error;
    if (!cmd.args().number("channel", &n, &error)) return cmd.usage(error);
    if (n < 1 || n != std::floor(n) || n > 1024) return cmd.usage("--channel counts from 1");
    channel = static_cast<int>(n) - 1;
  }

  std::vector<double> samples;
  AudioInfo info;
  std::string error;
  if (!AudioReader::read_channel(knock, channel, &samples, &info, &error))
    return cmd.fail(exit_bad_input, error);

  EngineSession session;
  if (!session.startup_notice().empty() && !cmd.args().has("calibration")) cmd.warn(session.startup_notice());
  if (cmd.args().has("calibration") && !session.use_calibration(cmd.args().value("calibration"), &error))
    return cmd.fail(exit_bad_input, error);
  session.set_sample_rate(info.rate);
  if (!session.measure(samples, &error)) return cmd.fail(exit_bad_input, knock + ": " + error);
  if (!session.save_preset(output, &error)) return cmd.fail(exit_write_failed, output + ": " + error);

  char line[160];
  std::snprintf(line, sizeof line, "%s: measured %s (%d Hz, %.1f s", output.c_str(), knock.c_str(), info.rate,
                static_cast<double>(info.frames) / info.rate);
  console.out << line;
  if (info.channels > 1) console.out << ", channel " << channel + 1 << " of " << info.channels;
  console.out << ")\n";
  const std::string cal = session.calibration_name();
  console.out << "calibration: " << (cal.empty() ? "none" : cal) << "\n";
  console.out << "strongest resonances:";
  const char* separator = " ";
  for (const auto& b : strongest_resonances(session.bands(), 5)) {
    std::snprintf(line, sizeof line, "%s%s %.1f Hz (%.1f dB)", separator, b.note.c_str(), b.hz,
                  b.measured_db);
    console.out << line;
    separator = ", ";
  }
  console.out << "\n";
  return exit_done;
}
