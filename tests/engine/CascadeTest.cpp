#include "engine/Cascade.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "engine/CascadeKernel.h"
#include "reference/ReferenceCascade.h"

namespace {

// 120 peaking sections on the semitone grid with random gains, shaped like a fitted correction.
void fill_sections(Cascade::Coefficients& k, unsigned seed, double rate = 48000.0, double out_gain = 0.8) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> gain(-0.8, 2.0);
  k.nsections = 120;
  k.out_gain = out_gain;
  for (int i = 0; i < 120; ++i) {
    const double g = gain(rng);
    const double q = std::sqrt(g + 1) * 12.0;
    const double w = 2 * std::numbers::pi * (440 * std::pow(2.0, (i - 53) / 12.0)) / rate;
    const double kk = std::sin(w) / q;
    k.a[i] = g * kk / (1 + kk);
    k.c[i] = (1 - kk) / (1 + kk);
    k.b[i] = -2 * std::cos(w) / (1 + kk);
  }
}

std::vector<double> noise(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> x(n);
  for (double& v : x) v = u(rng);
  return x;
}

std::vector<double> impulses(std::size_t n) {
  std::vector<double> x(n, 0.0);
  for (std::size_t i = 0; i < n; i += 1777) x[i] = (i / 1777) % 2 ? -1.0 : 0.5;
  return x;
}

std::size_t count_differences(const std::vector<double>& a, const std::vector<double>& b) {
  std::size_t d = 0;
  for (std::size_t i = 0; i < a.size(); ++i) d += std::memcmp(&a[i], &b[i], sizeof(double)) != 0;
  return d;
}

std::vector<double> run_reference(const Cascade::Coefficients& k, const std::vector<double>& input) {
  reference::CascadeState st;
  std::vector<double> out(input.size());
  reference::process_eq(k.a, k.b, k.c, k.out_gain, k.nsections, st, input.data(), out.data(),
                        int(input.size()));
  return out;
}

TEST(Cascade, SilentUntilTheFirstSetIsPublished) {
  Cascade c;
  std::vector<double> in(256, 0.5), out(256, 1.0);
  c.process(in.data(), out.data(), 256);
  for (double v : out) EXPECT_EQ(v, 0.0);
  EXPECT_FALSE(c.has_set());
  fill_sections(c.edit(), 1);
  c.publish();
  c.process(in.data(), out.data(), 256);
  EXPECT_TRUE(c.has_set());
  EXPECT_NE(out[0], 0.0);
}

TEST(Cascade, NoSectionsAppliesOnlyTheOutputGain) {
  Cascade c;
  c.edit().nsections = 0;
  c.edit().out_gain = 0.5;
  c.publish();
  std::vector<double> in = noise(100, 3), out(100);
  c.process(in.data(), out.data(), 100);
  for (std::size_t i = 0; i < in.size(); ++i) EXPECT_EQ(out[i], in[i] * 0.5);
}

// Every kernel the CPU offers, at block sizes around the ramp lengths and across changes of size, for
// the full cascade and for a shorter one (which takes the kernels' general path).
TEST(Cascade, EveryKernelMatchesTheLiteralLoopBitForBit) {
  Cascade::Coefficients full;
  fill_sections(full, 11);
  Cascade::Coefficients shorter = full;
  shorter.nsections = 48;
  const std::vector<double> inputs[] = {noise(48000, 5), impulses(48000)};
  for (const Cascade::Coefficients& k : {full, shorter})
    for (const std::vector<double>& input : inputs) {
      const std::vector<double> expect = run_reference(k, input);
      for (int lanes : {2, 4, 8}) {
        for (const std::vector<int>& blocks :
             {std::vector<int>{512}, {1, 7, 16, 119, 120, 121, 239, 240, 4096}, {8192}, {33, 1000, 64}}) {
          double s1[120] = {}, s2[120] = {};
          std::vector<double> out(input.size());
          std::size_t pos = 0, b = 0;
          bool available = true;
          while (pos < input.size() && available) {
            const int n =
                int(std::min<std::size_t>(std::size_t(blocks[b++ % blocks.size()]), input.size() - pos));
            available = Cascade::process_wavefront(lanes, k, s1, s2, input.data() + pos, out.data() + pos, n);
            pos += std::size_t(n);
          }
          if (!available) continue;  // this CPU has no such kernel
          EXPECT_EQ(count_differences(out, expect), 0u)
              << "lanes " << lanes << " sections " << k.nsections << " first block " << blocks[0];
        }
        // Two channels in one pass: each exactly as alone.
        double s1[2][120] = {}, s2[2][120] = {};
        double* s1p[2] = {s1[0], s1[1]};
        double* s2p[2] = {s2[0], s2[1]};
        std::vector<double> left = inputs[0], right = inputs[1];  // in place
        double* io[2] = {left.data(), right.data()};
        for (std::size_t pos = 0, n = 0; pos < left.size(); pos += n) {
          n = std::min<std::size_t>(pos % 3 ? 1000 : 7, left.size() - pos);
          const double* in2[2] = {io[0] + pos, io[1] + pos};
          double* out2[2] = {io[0] + pos, io[1] + pos};
          if (!cascade_kernel::wavefront(lanes, k, s1p, s2p, in2, out2, 2, int(n))) break;
        }
        if (!cascade_kernel::wavefront(lanes, k, s1p, s2p, nullptr, nullptr, 2, 0)) continue;
        EXPECT_EQ(count_differences(left, run_reference(k, inputs[0])), 0u) << "stereo lanes " << lanes;
        EXPECT_EQ(count_differences(right, run_reference(k, inputs[1])), 0u) << "stereo lanes " << lanes;
      }
    }
}

TEST(Cascade, ProcessMatchesTheLiteralLoopAndWorksInPlace) {
  Cascade c;
  fill_sections(c.edit(), 12);
  const Cascade::Coefficients k = c.edit();
  c.publish();
  const std::vector<double> input = noise(30000, 9);
  std::vector<double> buf = input;
  std::size_t pos = 0;
  for (int n : {512, 3, 64, 8192, 1, 2000}) {
    c.process(buf.data() + pos, buf.data() + pos, n);
    pos += std::size_t(n);
  }
  buf.resize(pos);
  std::vector<double> in(input.begin(), input.begin() + std::ptrdiff_t(pos));
  EXPECT_EQ(count_differences(buf, run_reference(k, in)), 0u);
}

// A set published mid-stream is adopted at the next block and crossfaded in over kTransitionSeconds:
// the old cascade plays on with its own states while the new one takes over from those states. From
// the end of the crossfade on the output is the literal loop's with the coefficients switched at the
// first sample of that block, bit for bit; two sets published between blocks play only the newest.
TEST(Cascade, NewSetsCrossfadeAndEndOnTheLiteralCascade) {
  Cascade c;
  fill_sections(c.edit(), 21);
  const Cascade::Coefficients first = c.edit();
  c.publish();
  const std::vector<double> input = noise(20000, 4);
  std::vector<double> out(input.size());
  c.process(input.data(), out.data(), 10000);
  EXPECT_FALSE(c.in_transition());

  fill_sections(c.edit(), 22);
  c.publish();
  fill_sections(c.edit(), 23, 48000.0, 1.3);
  const Cascade::Coefficients second = c.edit();
  c.publish();
  c.process(input.data() + 10000, out.data() + 10000, 10000);

  // The literal loop, states carried across the switch; and the old set played on alone.
  reference::CascadeState st, old_st;
  std::vector<double> literal(input.size()), old(input.size());
  reference::process_eq(first.a, first.b, first.c, first.out_gain, 120, st, input.data(), literal.data(),
                        10000);
  old_st = st;
  reference::process_eq(second.a, second.b, second.c, second.out_gain, 120, st, input.data() + 10000,
                        literal.data() + 10000, 10000);
  reference::process_eq(first.a, first.b, first.c, first.out_gain, 120, old_st, input.data() + 10000,
                        old.data() + 10000, 10000);
  const int fade = int(Cascade::kTransitionSeconds * 48000.0);
  EXPECT_EQ(count_differences(std::vector<double>(out.begin(), out.begin() + 10000),
                              std::vector<double>(literal.begin(), literal.begin() + 10000)),
            0u);
  for (int j = 0; j < fade; ++j) {  // between the two, moving smoothly from the old to the new
    const double x = double(j + 1) / (fade + 1), f = x * x * (3 - 2 * x);
    const std::size_t i = 10000 + std::size_t(j);
    ASSERT_NEAR(out[i], (1 - f) * old[i] + f * literal[i], 1e-12) << j;
  }
  EXPECT_EQ(count_differences(std::vector<double>(out.begin() + 10000 + fade, out.end()),
                              std::vector<double>(literal.begin() + 10000 + fade, literal.end())),
            0u);
}

// One script of sets, Mode switches, bypass gains and resets at fixed samples, played in blocks of
// random sizes (split at the events), mono and stereo: every rendering equals the one-block-per-event
// mono rendering bit for bit, on each channel.
TEST(Cascade, BlockSizesAndChannelsNeverChangeTheOutput) {
  struct Event {
    int at;
    int set;  // seed of a set to publish, or 0
    int bypass;
    double gain;
    bool reset;
  };
  const std::vector<Event> script = {
      {0, 1, 0, 1.0, false},     {3000, 2, 0, 1.0, false},  {3500, 3, 0, 1.0, false},  // mid-fade
      {9000, 0, 1, 0.5, false},  {9400, 4, 1, 0.5, false},  {12000, 0, 1, 2.0, false},
      {13000, 0, 0, 2.0, false}, {13300, 5, 0, 2.0, false}, {20000, 0, 0, 2.0, true},
      {20001, 6, 1, 1.0, false}, {20500, 0, 0, 1.0, false}, {30000, 0, 0, 1.0, false}};
  const int total = script.back().at;
  const std::vector<double> left = noise(std::size_t(total), 7), right = impulses(std::size_t(total));

  // Blocks of random sizes unless seed is 0; mono plays `first` alone, stereo first and right.
  auto render = [&](const std::vector<double>& first, int channels, unsigned seed) {
    Cascade c;
    std::mt19937 rng(seed);
    std::vector<double> outs[2] = {std::vector<double>(first.size()), std::vector<double>(first.size())};
    for (std::size_t e = 0; e + 1 < script.size(); ++e) {
      const Event& ev = script[e];
      if (ev.set) {
        fill_sections(c.edit(), unsigned(ev.set), 48000.0, 0.5 + ev.set * 0.1);
        c.publish();
      }
      if (ev.reset) c.reset();
      c.set_bypass(ev.bypass != 0, ev.gain);
      for (int pos = ev.at, n = 0; pos < script[e + 1].at; pos += n) {
        n = seed ? std::min(int(rng() % 700) + 1, script[e + 1].at - pos) : script[e + 1].at - pos;
        const double* in[2] = {first.data() + pos, right.data() + pos};
        double* out[2] = {outs[0].data() + pos, outs[1].data() + pos};
        c.process(in, out, channels, n);
      }
    }
    return std::pair{outs[0], outs[1]};
  };
  const std::vector<double> expect = render(left, 1, 0).first, expect_right = render(right, 1, 0).first;
  for (unsigned seed : {1u, 2u, 3u})
    EXPECT_EQ(count_differences(render(left, 1, seed).first, expect), 0u) << seed;
  for (unsigned seed : {0u, 4u, 5u}) {
    const auto [l, r] = render(left, 2, seed);
    EXPECT_EQ(count_differences(l, expect), 0u) << seed;
    EXPECT_EQ(count_differences(r, expect_right), 0u) << seed;
  }
}

// Two sets whose outputs are easy to tell apart (a pure gain of 1 or 2, no sections doing anything):
// while a design thread publishes continuously, every sample lies between the two (a crossfade of
// whole sets, never a torn one), and once it stops the last set plays alone.
TEST(Cascade, ConcurrentPublishingYieldsWholeSetsOnly) {
  Cascade c;
  auto fill_gain = [](Cascade::Coefficients& k, double g) {
    k.nsections = 120;
    k.out_gain = g;
    for (int i = 0; i < 120; ++i) k.a[i] = 0.0, k.b[i] = 0.0, k.c[i] = g;  // c never reaches the output
  };
  fill_gain(c.edit(), 1.0);
  c.publish();
  std::atomic<bool> stop{false};
  std::thread design([&] {
    for (int i = 0; !stop.load(); ++i) {
      fill_gain(c.edit(), i % 2 ? 2.0 : 1.0);
      c.publish();
    }
  });
  const std::vector<double> in(512, 0.25);
  std::vector<double> out(512);
  int outside = 0;
  for (int b = 0; b < 3000; ++b) {
    c.process(in.data(), out.data(), 512);
    for (double v : out) outside += !(v >= 0.25 && v <= 0.5);
  }
  stop = true;
  design.join();
  EXPECT_EQ(outside, 0);
  fill_gain(c.edit(), 2.0);
  c.publish();
  for (int b = 0; b < 8; ++b) c.process(in.data(), out.data(), 512);
  for (double v : out) ASSERT_EQ(v, 0.5);
}

// Long silence after a burst: the decay is cut off at 1e-100, so neither the states nor the output
// ever become subnormal (the low, narrow sections settle at a harmless residue near 1e-97).
TEST(Cascade, LongSilenceNeverReachesSubnormals) {
  Cascade c;
  fill_sections(c.edit(), 31);
  c.publish();
  std::vector<double> block(4800, 0.0), out(4800);
  block[0] = 1.0;
  c.process(block.data(), out.data(), 4800);
  block[0] = 0.0;
  int subnormal = 0;
  for (int i = 0; i < 1000; ++i) {  // 100 s at 48 kHz
    c.process(block.data(), out.data(), 4800);
    for (double v : out) subnormal += std::fpclassify(v) == FP_SUBNORMAL;
    for (int s = 0; s < 120; ++s)
      subnormal +=
          std::fpclassify(c.state1()[s]) == FP_SUBNORMAL || std::fpclassify(c.state2()[s]) == FP_SUBNORMAL;
  }
  EXPECT_EQ(subnormal, 0);
  for (double v : out) EXPECT_LT(std::fabs(v), 1e-90);
}

TEST(Cascade, RecoversFromANonFiniteInputSample) {
  Cascade c;
  fill_sections(c.edit(), 41);
  c.publish();
  std::vector<double> in(512, 0.0), out(512);
  in[100] = std::numeric_limits<double>::quiet_NaN();
  c.process(in.data(), out.data(), 512);
  std::vector<double> next = noise(512, 2);
  c.process(next.data(), out.data(), 512);
  for (double v : out) ASSERT_TRUE(std::isfinite(v));
}

TEST(Cascade, RefusesNullBuffersAndEmptyBlocks) {
  Cascade c;
  fill_sections(c.edit(), 1);
  c.publish();
  double buf[4] = {1, 2, 3, 4};
  c.process(nullptr, buf, 4);
  c.process(buf, nullptr, 4);
  c.process(buf, buf, 0);
  c.process(buf, buf, -5);
  EXPECT_EQ(buf[0], 1.0);
}

}  // namespace
