// resonix-demo OUTDIR: builds one instance as a host would, runs audio through it, stores its state,
// then measures the synthetic knock, cuts its strongest resonances on the plot, renders the guitar
// phrase before and after, and writes the preset, the editor picture and the band table. Prints
// every path it writes.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "plugin/IResonix.h"
#include "tools/resonix/GuitarDemo.h"

namespace {

constexpr double kSampleRate = 48000.0;
constexpr int kBlockSize = 512;

int fail(const char* what) {
  std::fprintf(stderr, "resonix-demo: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: resonix-demo OUTDIR\n");
    return 2;
  }
  const std::filesystem::path outDir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(outDir, error);
  if (error) return fail("cannot create the output folder");

  IInstanceInfo info;
  info.mHostName = "resonix-demo";
  IResonix plug(info);
  plug.HostSetSampleRate(kSampleRate);
  plug.HostSetBlockSize(kBlockSize);

  // One block of a 440 Hz tone at -12 dBFS.
  std::vector<double> in(kBlockSize), out(kBlockSize);
  for (int s = 0; s < kBlockSize; ++s) in[size_t(s)] = 0.25 * std::sin(2.0 * M_PI * 440.0 * s / kSampleRate);
  double* inputs[] = {in.data()};
  double* outputs[] = {out.data()};
  plug.HostProcess(inputs, outputs, kBlockSize);
  double inPeak = 0.0, outPeak = 0.0;
  for (int s = 0; s < kBlockSize; ++s) {
    inPeak = std::max(inPeak, std::fabs(in[size_t(s)]));
    outPeak = std::max(outPeak, std::fabs(out[size_t(s)]));
  }

  ByteChunk state;
  if (!plug.HostGetState(&state)) return fail("the instance gave no state");
  const std::filesystem::path statePath = outDir / "state.bin";
  {
    std::ofstream file(statePath, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(state.GetBytes()), state.Size());
    if (!file) return fail("cannot write state.bin");
  }

  std::printf("Korvane Resonix %s (%s adapter)\n", plug.GetEffectVersionStr().c_str(), plug.GetAPIString());
  std::printf("  bands        %d, %s %.2f Hz ... %s %.1f Hz\n", plug.nbands, plug.note_names[0],
              plug.band_freq[0], plug.note_names[kNumBands - 1], plug.band_freq[kNumBands - 1]);
  std::printf("  parameters   %d:", plug.NParams());
  for (int i = 0; i < plug.NParams(); ++i)
    std::printf("%s \"%s\"", i ? "," : "", plug.GetParam(i)->GetNameForHost());
  std::printf("\n  host rate    %.0f Hz, design rate %.0f Hz, block %d\n", plug.GetSampleRate(),
              plug.sample_rate.load(), plug.GetBlockSize());
  std::printf("  mode         %s\n", plug.mode.load() == 0.0 ? "EQ" : "Bypass");
  std::printf("  one block    peak in %.4f, peak out %.4f\n", inPeak, outPeak);
  std::printf("  presets      %d (\"%s\")\n", plug.NPresets(), plug.GetPresetName(0));
  std::printf("  user folder  %s\n", plug.presets_dir.empty() ? "(none)" : plug.presets_dir.c_str());
  std::printf("  wrote        %s (%d bytes of state)\n", statePath.c_str(), state.Size());

  std::fflush(stdout);

  Console console{std::cout, std::cerr, false};
  const int status = GuitarDemo::run(RESONIX_DEMO_RECORDINGS, outDir, console);
  std::cout.flush();
  return status == 0 ? 0 : 1;
}
