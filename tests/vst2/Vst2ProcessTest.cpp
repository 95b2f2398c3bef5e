// Audio through the three processing entries, with the block sizes and buffers hosts really send.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "vst2/Vst2Host.h"

using namespace vst2;
using namespace vst2test;

namespace {

std::vector<double> sine(size_t n, double amp = 0.5) {
  std::vector<double> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = amp * std::sin(0.031 * double(i));
  return v;
}

std::vector<float> to_float(const std::vector<double>& v) {
  return std::vector<float>(v.begin(), v.end());
}

// Bypass at the given volume parameter: a plain, known gain.
void bypass(Vst2Instance& plug, float volume) {
  plug.set(0, 1.0f);
  plug.set(2, volume);
}

}  // namespace

TEST(Vst2Process, BypassGainInDoubleFloatAndAccumulating) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  bypass(plug, 0.5f);  // 0 dB
  const auto in = sine(512);
  EXPECT_EQ(plug.process_double(in), in);
  const auto fin = to_float(in);
  EXPECT_EQ(plug.process_float(fin), fin);
  const auto acc = plug.process_accumulating(fin, 0.25f);
  for (size_t i = 0; i < fin.size(); ++i) ASSERT_FLOAT_EQ(acc[i], 0.25f + fin[i]) << i;

  bypass(plug, 0.75f);  // +10 dB, reached after a short ramp
  for (int block = 0; block < 4; ++block) plug.process_double(in);
  const double gain = std::pow(10.0, 10.0 / 20.0);
  const auto out = plug.process_double(in);
  for (size_t i = 0; i < in.size(); ++i) ASSERT_NEAR(out[i], in[i] * gain, 1e-12) << i;
}

TEST(Vst2Process, EqualizerOutputIsFiniteAndBounded) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  ASSERT_FLOAT_EQ(plug.get(0), 0.0f);
  for (int block = 0; block < 20; ++block) {
    for (double v : plug.process_double(sine(512))) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 100.0);
    for (float v : plug.process_float(to_float(sine(512))))
      ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 100.0f);
  }
}

TEST(Vst2Process, BlockSizesHostsReallySend) {
  Vst2Instance plug(true, 48000.0, 512);
  ASSERT_TRUE(plug);
  bypass(plug, 0.5f);
  // Larger than announced, odd, single samples: every sample comes out.
  for (size_t n : {size_t(1), size_t(7), size_t(64), size_t(511), size_t(512), size_t(513), size_t(4096),
                   size_t(8192)}) {
    const auto in = sine(n);
    EXPECT_EQ(plug.process_double(in), in) << n;
    const auto fin = to_float(in);
    EXPECT_EQ(plug.process_float(fin), fin) << n;
    const auto acc = plug.process_accumulating(fin, 1.0f);
    for (size_t i = 0; i < n; ++i) ASSERT_FLOAT_EQ(acc[i], 1.0f + fin[i]) << n << " @" << i;
  }
  // Zero frames touch nothing.
  std::vector<double> empty;
  double* ins[1] = {nullptr};
  double* outs[1] = {nullptr};
  double sentinel = -7.0;
  outs[0] = &sentinel;
  plug.effect()->processDoubleReplacing(plug.effect(), ins, outs, 0);
  plug.effect()->processDoubleReplacing(plug.effect(), ins, outs, -5);
  EXPECT_EQ(sentinel, -7.0);
}

TEST(Vst2Process, HostSettingsThatMeanNothingAreRefused) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  bypass(plug, 0.5f);
  plug.dispatch(effSetBlockSize, 0, 0);
  plug.dispatch(effSetBlockSize, 0, -64);
  plug.dispatch(effSetBlockSize, 0, VstIntPtr(1) << 40);
  plug.dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
  plug.dispatch(effSetSampleRate, 0, 0, nullptr, -44100.0f);
  plug.dispatch(effSetSampleRate, 0, 0, nullptr, std::nanf(""));
  const auto in = sine(300);
  EXPECT_EQ(plug.process_double(in), in);
  // Low and high rates are taken (the engine keeps its own floor).
  for (float rate : {22050.0f, 96000.0f, 192000.0f, 44100.0f}) {
    plug.dispatch(effMainsChanged, 0, 0);
    plug.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    plug.dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(plug.process_double(in), in) << rate;
  }
}

TEST(Vst2Process, MissingBuffersReadAsSilence) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  bypass(plug, 0.5f);
  std::vector<double> out(128, -7.0);
  double* no_input[1] = {nullptr};
  double* outs[1] = {out.data()};
  plug.effect()->processDoubleReplacing(plug.effect(), no_input, outs, 128);
  for (double v : out) ASSERT_EQ(v, 0.0);
  plug.effect()->processDoubleReplacing(plug.effect(), nullptr, outs, 128);
  std::vector<double> in = sine(128);
  double* ins[1] = {in.data()};
  plug.effect()->processDoubleReplacing(plug.effect(), ins, nullptr, 128);
  double* no_output[1] = {nullptr};
  plug.effect()->processDoubleReplacing(plug.effect(), ins, no_output, 128);
  float* fins[1] = {nullptr};
  float* fouts[1] = {nullptr};
  plug.effect()->processReplacing(plug.effect(), fins, fouts, 128);
  plug.effect()->process(plug.effect(), fins, fouts, 128);
  plug.effect()->process(plug.effect(), nullptr, nullptr, 128);
}

TEST(Vst2Process, AudioThreadBesideHostControlCalls) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  std::atomic<bool> finite{true};
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    for (int block = 0; block < 400 && !stop.load(); ++block) {
      const auto in = sine(256);
      for (double v : plug.process_double(in))
        if (!std::isfinite(v)) finite = false;
    }
  });
  for (int i = 0; i < 80; ++i) {
    plug.set(i % 4, float(i % 10) / 10.0f);
    const auto chunk = plug.chunk(i % 2 == 0);
    if (i % 10 == 0) plug.set_chunk(i % 2 == 0, chunk);
    if (i % 40 == 0) {
      plug.dispatch(effMainsChanged, 0, 0);
      plug.dispatch(effSetBlockSize, 0, 128 + i);
      plug.dispatch(effMainsChanged, 0, 1);
    }
  }
  stop = true;
  audio.join();
  EXPECT_TRUE(finite.load());
}
