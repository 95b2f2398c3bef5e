// A stereo track: each channel is corrected exactly as a mono instance corrects it alone, with its
// own filter states, from one state that both layouts share.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "vst3/Vst3TestHost.h"

using namespace vst3test;

namespace {
constexpr int kBlock = 256;

std::vector<double> Noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-0.5, 0.5);
  std::vector<double> v(n);
  for (double& s : v) s = dist(rng);
  return v;
}

// The state with a measured curve full of resonances, so that every section filters and keeps
// states worth sharing by mistake. The measured curve is the payload's first 120 doubles.
std::vector<uint8_t> ResonantState(TestPlugin& plug) {
  std::vector<uint8_t> state = plug.ComponentState();
  for (int i = 0; i < 120; ++i) {
    const double level = 0.0562 * (1.0 + 0.8 * std::sin(i * 0.9));
    std::memcpy(state.data() + 8 * i, &level, sizeof level);
  }
  return state;
}

// Offline: the design for the state is done before the first block.
std::vector<std::vector<double>> Render(int channels, const std::vector<uint8_t>& state,
                                        const std::vector<std::vector<double>>& input) {
  TestPlugin plug;
  SpeakerArrangement arr = channels == 2 ? SpeakerArr::kStereo : SpeakerArr::kMono;
  EXPECT_EQ(plug.Processor()->setBusArrangements(&arr, 1, &arr, 1), kResultTrue);
  EXPECT_EQ(plug.Setup(48000, kBlock, kSample64, kOffline), kResultOk);
  EXPECT_EQ(plug.SetComponentState(state), kResultOk);
  std::vector<std::vector<double>> out(static_cast<size_t>(channels));
  for (size_t at = 0; at < input[0].size(); at += kBlock) {
    std::vector<std::vector<double>> block;
    for (const auto& channel : input)
      block.emplace_back(channel.begin() + long(at), channel.begin() + long(at) + kBlock);
    const auto got = plug.Process(block);
    if (got.size() != size_t(channels)) return {};
    for (int c = 0; c < channels; ++c)
      out[size_t(c)].insert(out[size_t(c)].end(), got[size_t(c)].begin(), got[size_t(c)].end());
  }
  return out;
}
}  // namespace

TEST(Vst3Stereo, EachChannelSoundsAsTheMonoInstance) {
  std::vector<uint8_t> state;
  {
    TestPlugin plug;
    ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
    ASSERT_EQ(plug.Setup(48000, kBlock, kSample64, kOffline), kResultOk);
    state = ResonantState(plug);
  }
  const std::vector<double> left = Noise(kBlock * 40, 11), right = Noise(kBlock * 40, 12);
  const auto stereo = Render(2, state, {left, right});
  const auto monoLeft = Render(1, state, {left});
  const auto monoRight = Render(1, state, {right});
  ASSERT_EQ(stereo.size(), 2u);
  ASSERT_EQ(monoLeft.size(), 1u);
  ASSERT_EQ(monoRight.size(), 1u);
  EXPECT_NE(monoLeft[0], left);  // the correction is heard
  EXPECT_TRUE(stereo[0] == monoLeft[0]) << "left channel differs from the mono instance";
  EXPECT_TRUE(stereo[1] == monoRight[0]) << "right channel differs from the mono instance";
  // A stereo state is the mono state: presets and projects move between the layouts.
  TestPlugin plug;
  SpeakerArrangement arr = SpeakerArr::kStereo;
  ASSERT_EQ(plug.Processor()->setBusArrangements(&arr, 1, &arr, 1), kResultTrue);
  ASSERT_EQ(plug.Setup(48000, kBlock, kSample64, kOffline), kResultOk);
  ASSERT_EQ(plug.SetComponentState(state), kResultOk);
  EXPECT_EQ(plug.ComponentState(), state);
}
