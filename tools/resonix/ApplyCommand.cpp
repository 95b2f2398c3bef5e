#include "tools/resonix/AudioReader.h"
#include "tools/resonix/AudioWriter.h"
#include "tools/resonix/CommandHelp.h"
#include "tools/resonix/Commands.h"
#include "tools/resonix/EngineSession.h"
#include "tools/resonix/ProgressBar.h"
#include "tools/resonix/Subcommand.h"

#include <cmath>
#include <cstdio>
#include <memory>

int run_apply(const std::vector<std::string>& args, Console& console) {
  Subcommand cmd("apply", command_help::apply, {{"bypass-volume", 0, true}}, console);
  if (const int status = cmd.parse(args, 3); status >= 0) return status;
  const std::string& preset = cmd.word(0);
  const std::string& in_path = cmd.word(1);
  const std::string& out_path = cmd.word(2);
  std::string error;
  double bypass_db = 0.0;
  const bool bypass_given = cmd.args().has("bypass-volume");
  if (bypass_given && !cmd.args().number("bypass-volume", &bypass_db, &error)) return cmd.usage(error);
  if (bypass_given && (bypass_db < -20.0 || bypass_db > 20.0))
    return cmd.usage("--bypass-volume is -20 to +20 dB");

  AudioReader in;
  if (!in.open(in_path, &error)) return cmd.fail(exit_bad_input, error);
  const AudioInfo info = in.info();
  if (!AudioWriter::format_for(out_path, info.format, info.channels, &error)) return cmd.usage(error);
  if (info.rate < 44056) cmd.warn("below 44056 Hz the plug-in designs its correction for 44056 Hz");

  // Each channel gets an instance of its own, so each keeps its own filter state.
  std::vector<std::unique_ptr<EngineSession>> channels;
  for (int c = 0; c < info.channels; ++c) {
    auto s = std::make_unique<EngineSession>();
    s->set_sample_rate(info.rate);
    if (!s->load_preset(preset, &error)) return cmd.fail(exit_bad_input, preset + ": " + error);
    if (bypass_given) s->set_bypass_volume(bypass_db / 40.0 + 0.5);
    channels.push_back(std::move(s));
  }
  if (bypass_given && channels.front()->parameters().mode == 0.0)
    cmd.warn("the preset is in EQ mode; --bypass-volume only acts in Bypass");

  AudioWriter out;
  if (!out.open(out_path, info, &error)) return cmd.fail(exit_write_failed, error);

  constexpr int block = 4096;
  const int nch = info.channels;
  std::vector<double> interleaved(static_cast<size_t>(block) * nch);
  std::vector<double> mono_in(block), mono_out(block);
  ProgressBar progress(console.err, console.terminal, "apply", info.frames);
  int64_t done = 0;
  int64_t non_finite = 0;
  while (const int64_t got = in.read(interleaved.data(), block)) {
    const int n = static_cast<int>(got);
    for (int c = 0; c < nch; ++c) {
      for (int f = 0; f < n; ++f) {
        // One NaN or infinity would ring through the filter states for the rest of the file.
        const double v = interleaved[static_cast<size_t>(f) * nch + c];
        mono_in[f] = std::isfinite(v) ? v : (++non_finite, 0.0);
      }
      channels[c]->process(mono_in.data(), mono_out.data(), n);
      for (int f = 0; f < n; ++f) interleaved[static_cast<size_t>(f) * nch + c] = mono_out[f];
    }
    if (!out.write(interleaved.data(), got)) break;
    done += got;
    progress.update(done);
  }
  if (!out.commit(&error)) return cmd.fail(exit_write_failed, error);
  progress.finish();
  if (non_finite > 0)
    cmd.warn(std::to_string(non_finite) +
             " input sample(s) were not numbers (NaN or infinite) and were played as silence");
  if (out.clipped_samples() > 0)
    cmd.warn(std::to_string(out.clipped_samples()) + " sample(s) beyond full scale were clipped; " +
             "a floating-point output keeps them");

  char line[200];
  std::snprintf(line, sizeof line, "%s: %.1f s, %d channel(s) at %d Hz, corrected with %s\n",
                out_path.c_str(), static_cast<double>(done) / info.rate, nch, info.rate, preset.c_str());
  console.out << line;
  return exit_done;
}
