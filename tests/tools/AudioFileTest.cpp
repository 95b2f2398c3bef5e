#include "tests/tools/TempFolder.h"
#include "tools/resonix/AudioReader.h"
#include "tools/resonix/AudioWriter.h"

#include <sndfile.h>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <cmath>
#include <fstream>

namespace {
bool write_file(const std::string& path, int format, int rate, int channels,
                const std::vector<double>& interleaved, std::string* error) {
  AudioWriter w;
  const AudioInfo info{rate, channels, static_cast<int64_t>(interleaved.size() / channels), format};
  return w.open(path, info, error) && w.write(interleaved.data(), info.frames) && w.commit(error);
}

std::vector<double> ramp(size_t n, double scale) {
  std::vector<double> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = scale * std::sin(0.01 * static_cast<double>(i) * (1 + i % 7));
  return v;
}
}  // namespace

TEST(AudioFile, DoubleWavRoundTripsBitExactlyPerChannel) {
  TempFolder tmp;
  const auto data = ramp(3000, 0.9);  // 1500 stereo frames
  std::string error;
  ASSERT_TRUE(write_file(tmp.path("a.wav"), SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 96000, 2, data, &error))
      << error;
  std::vector<double> right;
  AudioInfo info;
  ASSERT_TRUE(AudioReader::read_channel(tmp.path("a.wav"), 1, &right, &info, &error)) << error;
  EXPECT_EQ(info.rate, 96000);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_DOUBLE);
  ASSERT_EQ(right.size(), 1500u);
  for (size_t i = 0; i < right.size(); ++i) ASSERT_EQ(right[i], data[2 * i + 1]) << i;
  EXPECT_FALSE(AudioReader::read_channel(tmp.path("a.wav"), 2, &right, &info, &error));
  EXPECT_NE(error.find("2 channel(s)"), std::string::npos);
}

TEST(AudioFile, ContainerFollowsTheExtensionAndSampleTypeTheSource) {
  std::string error;
  const int pcm24wav = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
  EXPECT_EQ(AudioWriter::format_for("x.flac", pcm24wav, 1, &error), SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
  EXPECT_EQ(AudioWriter::format_for("x.AIFF", pcm24wav, 1, &error), SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
  EXPECT_EQ(AudioWriter::format_for("x.out", pcm24wav, 1, &error), pcm24wav);
  // FLAC has no floating point samples: refused rather than silently converted.
  EXPECT_EQ(AudioWriter::format_for("x.flac", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1, &error), 0);
  EXPECT_NE(error.find("x.flac"), std::string::npos);
}

TEST(AudioFile, IntegerOutputClipsOversInsteadOfWrapping) {
  TempFolder tmp;
  std::string error;
  const std::vector<double> overs = {1.5, -1.5, 0.5, 1.0};
  AudioWriter w;
  ASSERT_TRUE(w.open(tmp.path("c.wav"), {44100, 1, 4, SF_FORMAT_WAV | SF_FORMAT_PCM_16}, &error)) << error;
  ASSERT_TRUE(w.write(overs.data(), 4));
  ASSERT_TRUE(w.commit(&error)) << error;
  EXPECT_EQ(w.clipped_samples(), 2);
  std::vector<double> back;
  AudioInfo info;
  ASSERT_TRUE(AudioReader::read_channel(tmp.path("c.wav"), 0, &back, &info, &error));
  ASSERT_EQ(back.size(), 4u);
  EXPECT_GT(back[0], 0.99);
  EXPECT_LT(back[1], -0.99);
  EXPECT_NEAR(back[2], 0.5, 1e-4);
}

TEST(AudioFile, AnUnfinishedWriteLeavesTheOldFileAlone) {
  TempFolder tmp;
  const std::string path = tmp.path("keep.wav");
  std::ofstream(path) << "precious";
  ::chmod(path.c_str(), 0640);
  {
    AudioWriter w;
    std::string error;
    ASSERT_TRUE(w.open(path, {44100, 1, 0, SF_FORMAT_WAV | SF_FORMAT_FLOAT}, &error));
    const double x = 0.25;
    w.write(&x, 1);
    // no commit: an interrupted render
  }
  std::ifstream in(path);
  std::string text;
  in >> text;
  EXPECT_EQ(text, "precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.dir), {}), 1)
      << "temporary file left behind";

  std::string error;
  ASSERT_TRUE(write_file(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 1, {0.25}, &error));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";
}

TEST(AudioFile, MissingAndUnreadableFilesSayWhy) {
  TempFolder tmp;
  AudioReader r;
  std::string error;
  EXPECT_FALSE(r.open(tmp.path("none.wav"), &error));
  EXPECT_NE(error.find("no such file"), std::string::npos);
  std::ofstream(tmp.path("text.wav")) << "RIFF but not really a wave file at all";
  AudioReader r2;
  EXPECT_FALSE(r2.open(tmp.path("text.wav"), &error));
  EXPECT_NE(error.find("cannot read audio file"), std::string::npos);
  AudioReader r3;
  EXPECT_FALSE(r3.open(tmp.dir.string(), &error));
  AudioWriter w;
  EXPECT_FALSE(
      w.open(tmp.path("no/such/dir/x.wav"), {44100, 1, 0, SF_FORMAT_WAV | SF_FORMAT_PCM_16}, &error));
  EXPECT_NE(error.find("cannot create"), std::string::npos);
}
