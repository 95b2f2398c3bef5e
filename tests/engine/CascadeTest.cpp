#include "engine/Cascade.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

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

// A set published mid-stream is adopted at the next block with zeroed states: every sample after the
// swap equals a fresh reference run with the new set, every sample before it the old one.
TEST(Cascade, SwapMidStreamNeverMixesSets) {
  Cascade c;
  fill_sections(c.edit(), 21);
  const Cascade::Coefficients first = c.edit();
  c.publish();
  const std::vector<double> input = noise(20000, 4);
  std::vector<double> out(input.size());
  c.process(input.data(), out.data(), 10000);

  // Two designs before the audio thread runs again: only the newest is heard.
  fill_sections(c.edit(), 22);
  c.publish();
  fill_sections(c.edit(), 23, 48000.0, 1.3);
  const Cascade::Coefficients second = c.edit();
  c.publish();
  c.process(input.data() + 10000, out.data() + 10000, 10000);

  const std::vector<double> head(input.begin(), input.begin() + 10000),
      tail(input.begin() + 10000, input.end());
  const std::vector<double> expect_head = run_reference(first, head),
                            expect_tail = run_reference(second, tail);
  EXPECT_EQ(count_differences(std::vector<double>(out.begin(), out.begin() + 10000), expect_head), 0u);
  EXPECT_EQ(count_differences(std::vector<double>(out.begin() + 10000, out.end()), expect_tail), 0u);
}

// Two sets whose outputs are easy to tell apart (a pure gain of 1 or 2, no sections doing anything):
// while a design thread publishes continuously, every block comes out entirely in one of them.
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
  int mixed = 0;
  for (int b = 0; b < 3000; ++b) {
    c.process(in.data(), out.data(), 512);
    for (double v : out) mixed += v != out[0] || (v != 0.25 && v != 0.5);
  }
  stop = true;
  design.join();
  EXPECT_EQ(mixed, 0);
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
