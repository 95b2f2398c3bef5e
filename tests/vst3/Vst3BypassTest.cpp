// The host's bypass switch on a stereo track: heard as a short fade, never a jump; held on, the output
// is the input, and held off, it is what an instance never bypassed plays.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "vst3/Vst3TestHost.h"

using namespace vst3test;

namespace {
constexpr int kBlock = 256;
constexpr int kBlocks = 160;
constexpr ParamID kBypass = 0x62706173;

// Largest |x[i+1] - 2 x[i] + x[i-1]| over blocks [from, to).
double SecondDifference(const std::vector<double>& x, int from, int to) {
  double m = 0;
  for (size_t i = size_t(std::max(from * kBlock, 1)); i + 1 < size_t(to * kBlock); ++i)
    m = std::max(m, std::fabs(x[i + 1] - 2 * x[i] + x[i - 1]));
  return m;
}

bool SameBlocks(const std::vector<double>& a, const std::vector<double>& b, int from, int to) {
  return std::equal(a.begin() + from * kBlock, a.begin() + to * kBlock, b.begin() + from * kBlock);
}
}  // namespace

// A steady sine at 220 Hz (quieter on the right) with "Mode" at Bypass and +6 dB, so that the processed
// output is the input made louder: a switch without a fade steps by half the sine's amplitude, hundreds
// of times its steady second difference. The fade's own curvature adds a few percent, so the bound is
// twice the steady value. The host switches on and off, once back within a fade.
TEST(Vst3Bypass, HostSwitchesFadeAndHeldSidesAreExact) {
  const int switches[][2] = {{60, 1}, {70, 0}, {80, 1}, {82, 0}, {100, 1}, {130, 0}};
  TestPlugin plug, reference;
  std::vector<std::vector<double>> out(2), ref(2), in(2);
  for (TestPlugin* p : {&plug, &reference}) {
    ASSERT_TRUE(p->Valid()) << TestHost::Get().LoadError();
    SpeakerArrangement arr = SpeakerArr::kStereo;
    ASSERT_EQ(p->Processor()->setBusArrangements(&arr, 1, &arr, 1), kResultTrue);
    ASSERT_EQ(p->Setup(48000, kBlock, kSample64), kResultOk);
  }
  for (int b = 0; b < kBlocks; ++b) {
    std::vector<std::vector<double>> block(2, std::vector<double>(kBlock));
    for (int c = 0; c < 2; ++c)
      for (int k = 0; k < kBlock; ++k)
        block[size_t(c)][size_t(k)] =
            (c ? 0.2 : 0.5) * std::sin(2 * std::numbers::pi * 220.0 * double(b * kBlock + k) / 48000.0);
    TestParameterChanges changes, refChanges;
    if (b == 0)
      for (TestParameterChanges* ch : {&changes, &refChanges}) {
        ch->Add(0, 1.0);   // Mode: Bypass
        ch->Add(2, 0.65);  // bypass signal volume +6 dB
      }
    for (const auto& [at, on] : switches)
      if (b == at) changes.Add(kBypass, on);
    const auto got = plug.Process(block, &changes);
    const auto want = reference.Process(block, &refChanges);
    ASSERT_EQ(got.size(), 2u);
    ASSERT_EQ(want.size(), 2u);
    for (size_t c = 0; c < 2; ++c) {
      out[c].insert(out[c].end(), got[c].begin(), got[c].end());
      ref[c].insert(ref[c].end(), want[c].begin(), want[c].end());
      in[c].insert(in[c].end(), block[c].begin(), block[c].end());
    }
  }
  for (size_t c = 0; c < 2; ++c) {
    const double steady = SecondDifference(out[c], 20, 60);
    const double worst = SecondDifference(out[c], 60, kBlocks);
    ASSERT_GT(steady, 0.0);
    RecordProperty("click_ratio_" + std::to_string(c), std::to_string(worst / steady));
    EXPECT_LT(worst, 2.0 * steady) << "channel " << c << ": worst " << worst << ", steady " << steady;
    EXPECT_TRUE(SameBlocks(out[c], ref[c], 0, 60)) << "channel " << c;
    EXPECT_TRUE(SameBlocks(out[c], in[c], 105, 130)) << "channel " << c << ": bypassed is not the input";
    EXPECT_TRUE(SameBlocks(out[c], ref[c], 135, kBlocks)) << "channel " << c << ": active after the switches";
    EXPECT_FALSE(SameBlocks(out[c], in[c], 135, kBlocks));  // the processing is heard
  }
}
