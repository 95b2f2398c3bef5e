#pragma once
#include "engine/RznFile.h"
#include "tests/tools/TempFolder.h"
#include "tools/knocksynth/KnockSynth.h"
#include "tools/resonix/AudioReader.h"
#include "tools/resonix/AudioWriter.h"
#include "tools/resonix/Commands.h"

#include <sndfile.h>

#include <gtest/gtest.h>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

// Runs the tool in-process on small generated files.
class ToolTest : public ::testing::Test {
 protected:
  struct Result {
    int status;
    std::string out, err;
  };

  Result tool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    Console console{out, err, false};
    const int status = run_resonix(args, console);
    return {status, out.str(), err.str()};
  }

  std::string path(const std::string& name) const { return tmp.path(name); }

  // Interleaved samples into a file of the given libsndfile format.
  void write_audio(const std::string& file, const std::vector<double>& interleaved, int rate, int channels,
                   int format = SF_FORMAT_WAV | SF_FORMAT_DOUBLE) {
    AudioWriter w;
    std::string error;
    const AudioInfo info{rate, channels, static_cast<int64_t>(interleaved.size() / channels), format};
    ASSERT_TRUE(w.open(file, info, &error)) << error;
    ASSERT_TRUE(w.write(interleaved.data(), info.frames));
    ASSERT_TRUE(w.commit(&error)) << error;
  }

  std::vector<double> read_channel(const std::string& file, int channel, AudioInfo* info = nullptr) {
    std::vector<double> samples;
    AudioInfo i;
    std::string error;
    EXPECT_TRUE(AudioReader::read_channel(file, channel, &samples, &i, &error)) << error;
    if (info) *info = i;
    return samples;
  }

  // A short knock: the tool pads it with silence up to the capture length.
  std::string knock_file(int rate = 44100) {
    KnockSynth::Settings s;
    s.sample_rate = rate;
    s.seconds = 2.0;
    s.knock_times = {0.7, 1.3};
    const std::string file = path("knock-" + std::to_string(rate) + ".wav");
    write_audio(file, KnockSynth::render(s), rate, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    return file;
  }

  // A preset with a resonance at band 39 (G3, 196 Hz) and a target that cuts it by about 6 dB,
  // so the correction is anything but flat.
  std::string shaped_preset(int mode = 0, double bypass_volume = 0.5) {
    RznPreset p;
    p.mode = mode;
    p.vslider_pos = 1.0;
    p.bypass_volume = bypass_volume;
    p.note_pos = 0.25;
    for (int i = 0; i < RznPreset::kBands; ++i) {
      const double bump = std::exp(-0.5 * std::pow((i - 39) / 2.0, 2));
      p.measured[i] = 0.3 + 0.7 * bump;
      p.target_shape[i] = p.measured[i] * (1.0 - 0.5 * bump);
    }
    const std::string file = path("shaped.rzn");
    EXPECT_EQ(RznFile::write(file, p), RznStatus::ok);
    return file;
  }

  // Deterministic broadband test signal, interleaved.
  static std::vector<double> noise(size_t frames, int channels, double level = 0.25) {
    std::vector<double> x(frames * channels);
    uint32_t s = 12345;
    for (double& v : x) {
      s = s * 1664525u + 1013904223u;
      v = level * (static_cast<double>(s >> 8) / 8388608.0 - 1.0);
    }
    return x;
  }

  TempFolder tmp;
};
