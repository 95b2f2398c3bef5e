#include "tools/resonix/GuitarDemo.h"

#include <gtest/gtest.h>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#include "engine/RznFile.h"
#include "tests/tools/TempFolder.h"
#include "tools/resonix/AudioReader.h"

namespace {
std::vector<double> samples_of(const std::string& path) {
  std::vector<double> x;
  AudioInfo info;
  std::string error;
  EXPECT_TRUE(AudioReader::read_channel(path, 0, &x, &info, &error)) << error;
  return x;
}

// Energy of the signal after a one-pole-pair resonator at f: a crude band meter.
double band_energy(const std::vector<double>& x, double f, double rate) {
  const double w = 2 * std::numbers::pi * f / rate, r = 0.999;
  double y1 = 0, y2 = 0, e = 0;
  for (double v : x) {
    const double y = v + 2 * r * std::cos(w) * y1 - r * r * y2;
    y2 = y1;
    y1 = y;
    e += y * y;
  }
  return e;
}
}  // namespace

TEST(GuitarDemo, MeasuresCutsAndRendersTheShippedRecordings) {
  TempFolder tmp;
  const std::filesystem::path recordings = std::filesystem::path(RESONIX_SOURCE_DIR) / "resources/demo";
  std::ostringstream out, err;
  Console console{out, err, false};
  ASSERT_EQ(GuitarDemo::run(recordings, tmp.dir, console), 0) << err.str();
  for (const char* name : {"guitar.rzn", "phrase-before.wav", "phrase-after.wav", "bands.txt"})
    EXPECT_NE(out.str().find((tmp.dir / name).string()), std::string::npos) << name << " not announced";

  RznPreset preset;
  ASSERT_EQ(RznFile::read(tmp.dir / "guitar.rzn", &preset), RznStatus::ok);
  // The two body modes of the model (98 Hz, 196 Hz) are among the cuts: the target lies below the
  // measurement there, by no more than 6 dB, and nowhere above it.
  const double level = std::pow(10.0, (preset.vslider_pos - 1.0) * 45.0 / 20.0);
  auto cut_db = [&](int band) {
    return 20 * std::log10(preset.target_shape[band] * level / preset.measured[band]);
  };
  EXPECT_LT(cut_db(27), -0.9);
  EXPECT_LT(cut_db(39), -0.9);
  for (int i = 0; i < RznPreset::kBands; ++i) {
    EXPECT_LT(cut_db(i), 0.2) << i;
    EXPECT_GT(cut_db(i), -6.2) << i;
  }

  const auto phrase = samples_of((recordings / "guitar-phrase.wav").string());
  const auto before = samples_of((tmp.dir / "phrase-before.wav").string());
  const auto after = samples_of((tmp.dir / "phrase-after.wav").string());
  EXPECT_EQ(before, phrase) << "a fresh measurement's correction is flat: the plug-in is transparent";
  ASSERT_EQ(after.size(), phrase.size());
  EXPECT_LT(band_energy(after, 196.0, 44100), 0.9 * band_energy(phrase, 196.0, 44100));

  std::ifstream table(tmp.dir / "bands.txt");
  std::string text((std::istreambuf_iterator<char>(table)), {});
  EXPECT_NE(text.find("  39  G3"), std::string::npos);
}
