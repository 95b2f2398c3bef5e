// Writes the demo recordings: the synthetic knock the demo measures and the guitar phrase it
// corrects. Both are 44.1 kHz mono 16-bit WAV, TPDF-dithered, fully determined by the seeds.
#include "tools/knocksynth/KnockSynth.h"
#include "tools/knocksynth/NoiseSource.h"
#include "tools/knocksynth/PhraseSynth.h"
#include "tools/resonix/AudioWriter.h"

#include <sndfile.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {
constexpr double rate = 44100.0;

bool write_wav16(const std::string& path, std::vector<double> samples, uint64_t dither_seed) {
  NoiseSource dither(dither_seed);
  constexpr double lsb = 1.0 / 32768.0;
  for (double& v : samples) v += 0.5 * (dither.white() + dither.white()) * lsb;
  AudioWriter out;
  std::string error;
  const AudioInfo info{static_cast<int>(rate), 1, static_cast<int64_t>(samples.size()),
                       SF_FORMAT_WAV | SF_FORMAT_PCM_16};
  if (!out.open(path, info, &error) || !out.write(samples.data(), static_cast<int64_t>(samples.size())) ||
      !out.commit(&error)) {
    std::fprintf(stderr, "resonix-knocksynth: %s\n",
                 error.empty() ? ("cannot write " + path).c_str() : error.c_str());
    return false;
  }
  std::printf("%s\n", path.c_str());
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    std::fprintf(argc == 2 ? stdout : stderr,
                 "usage: resonix-knocksynth OUTDIR\n"
                 "Synthesises the demo recordings into OUTDIR: knock.wav (a pick knocking a guitar's\n"
                 "bridge, about 12.6 s) and guitar-phrase.wav (a short phrase on the same body).\n");
    return argc == 2 ? 0 : 1;
  }
  const std::filesystem::path dir = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);

  KnockSynth::Settings knock;
  knock.sample_rate = rate;
  if (!write_wav16((dir / "knock.wav").string(), KnockSynth::render(knock), 7)) return 2;
  const auto phrase = PhraseSynth::render(PhraseSynth::e_minor_phrase(), rate, 7.0, 0.7);
  if (!write_wav16((dir / "guitar-phrase.wav").string(), phrase, 8)) return 2;
  return 0;
}
