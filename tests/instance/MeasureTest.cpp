#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <thread>
#include <vector>

#include "instance/PluginUnderTest.h"

namespace {

constexpr const char* kTooLoud =
    "The sound is too loud!\nPlease turn down the volume and start the measurement once again.";

struct Measurement {
  std::vector<int> countdown;  // seconds_left at each countdown code the editor saw
  long window = 0;             // host samples until the end code, counted in whole blocks
  long silent = 0;             // output samples that were exactly 0 up to then
  bool finished = false;
};

// "Start", then blocks of signal(k) for host sample k until the editor would see the end code,
// reading the audio thread's messages after every block as the editor's frame does.
Measurement capture(PluginUnderTest& p, const std::function<double(long)>& signal, int block = 512,
                    long limit = 6000000) {
  Measurement m;
  p->start_measurement();
  std::vector<double> in(block), out(block);
  for (long k = 0; k < limit && !m.finished; k += block) {
    for (int i = 0; i < block; ++i) in[i] = signal(k + i);
    p.process(in.data(), out.data(), block);
    m.silent += std::count(out.begin(), out.end(), 0.0);
    m.window = k + block;
    const unsigned events = p.take_messages();
    if (events & AudioMessages::kCountdownChanged) m.countdown.push_back(p->capture.seconds_left());
    if (events & AudioMessages::kCaptureFinished) m.finished = true;
  }
  return m;
}

std::function<double(long)> sines_at(const IResonix& plug, std::vector<int> bands, double rate, double a) {
  std::vector<double> hz;
  for (int b : bands) hz.push_back(plug.band_freq[b]);
  return [hz, rate, a](long k) {
    double v = 0;
    for (double f : hz) v += a * std::sin(2 * std::numbers::pi * f * double(k) / rate);
    return v;
  };
}

struct Curves {
  std::vector<double> measured, shape, target;
  double vslider;
  explicit Curves(const IResonix& p)
      : measured(p.measured, p.measured + kNumBands),
        shape(p.target_shape, p.target_shape + kNumBands),
        target(p.target, p.target + kNumBands),
        vslider(p.vslider_pos) {}
  bool operator==(const Curves&) const = default;
};

}  // namespace

TEST(Measure, SinesAtBandCentresBecomeTheLoudestBands) {
  for (double rate : {44100.0, 96000.0}) {
    SCOPED_TRACE(rate);
    PluginUnderTest p(rate);
    const std::vector<int> bands = {21, 45, 64, 88};
    const Measurement m = capture(p, sines_at(*p, bands, rate, 0.2));
    ASSERT_TRUE(m.finished);
    EXPECT_EQ(p->measuring.load(), 0);  // the window is over
    p.take_host_changes();
    p->MyIdle();
    EXPECT_TRUE(p.take_notices().empty());

    std::vector<int> order(kNumBands);
    for (int i = 0; i < kNumBands; ++i) order[i] = i;
    std::partial_sort(order.begin(), order.begin() + 4, order.end(),
                      [&](int a, int b) { return p->measured[a] > p->measured[b]; });
    order.resize(4);
    std::sort(order.begin(), order.end());
    EXPECT_EQ(order, bands);

    // The measurement is the new target, at 0 dB, with a flat correction and one undo step.
    p->wait_for_design();
    EXPECT_EQ(*std::max_element(p->measured, p->measured + kNumBands), 1.0);
    for (int i = 0; i < kNumBands; ++i) {
      EXPECT_EQ(p->target_shape[i], p->measured[i]);
      EXPECT_EQ(p->target[i], p->measured[i]);
      EXPECT_EQ(p->band_gain[i], 0.0);
    }
    EXPECT_EQ(p->out_gain, 1.0);
    EXPECT_EQ(p->vslider_pos, 1.0);
    EXPECT_EQ(p->target_level, 1.0);
    EXPECT_EQ(p->GetParam(kParamVerticalSlider)->Value(), 1.0);
    const auto changes = p.take_host_changes();
    EXPECT_NE(std::find(changes.begin(), changes.end(), std::make_pair(int(kParamVerticalSlider), 1.0)),
              changes.end());
    EXPECT_EQ(p->undo_history->pos(), 1);
    EXPECT_FALSE(p->capture.has_buffer());  // released after a good analysis
    EXPECT_EQ(p->knock_shown.load(), 0);
  }
}

TEST(Measure, WindowLengthPickedSamplesAndCountdownAtEveryRate) {
  struct Case {
    double rate;
    int factor, first;
  };
  for (const Case c : {Case{44100, 1, 12}, Case{48000, 1, 11}, Case{88200, 2, 11}, Case{96000, 2, 10},
                       Case{192000, 4, 10}, Case{384000, 8, 10}}) {
    SCOPED_TRACE(c.rate);
    PluginUnderTest p(c.rate, 1000);
    const Measurement m = capture(
        p, [](long k) { return double(k) * 1e-8; }, 1000);
    ASSERT_TRUE(m.finished);
    const long window = long(c.rate * 0.5) + long(c.factor) * (1 << 19);
    EXPECT_EQ(m.window, (window + 999) / 1000 * 1000);  // ends in the block that holds its last sample
    EXPECT_GE(m.silent, window);                        // silent throughout (the ramp starts at 0)
    EXPECT_EQ(p->capture.span(), c.factor * (1 << 19));

    const double* rec = p->capture.buffer();
    long first = long(c.rate * 0.5);
    while (c.factor > 1 && first % c.factor != 1) ++first;
    EXPECT_EQ(rec[0], double(first) * 1e-8);
    EXPECT_EQ(rec[1], double(first + c.factor) * 1e-8);
    EXPECT_EQ(rec[(1 << 19) - 1], double(first + long(c.factor) * ((1 << 19) - 1)) * 1e-8);

    ASSERT_FALSE(m.countdown.empty());
    EXPECT_EQ(m.countdown.front(), c.first);
    for (std::size_t i = 1; i < m.countdown.size(); ++i) EXPECT_EQ(m.countdown[i], m.countdown[i - 1] - 1);
    // The end code overwrites a last 0 that falls in the same block.
    EXPECT_LE(m.countdown.back(), c.factor == 1 ? 1 : 0);

    // After the window the audio passes again (flat correction) before the analysis has run.
    std::vector<double> in(1000, 0.25), out(1000, -1.0);
    p.process(in.data(), out.data(), 1000);
    EXPECT_EQ(out, in);
  }
}

TEST(Measure, ClippedOrSilentRecordingsAreRefusedAndKeepTheCurves) {
  PluginUnderTest p;
  const Curves before(*p);
  const int steps = p->undo_history->pos();
  const auto sine = sines_at(*p, {50}, 44100.0, 0.5);

  for (double peak : {1.0, -1.0}) {
    const long at = 22050 + 300000;  // inside the recording
    const Measurement m = capture(p, [&](long k) { return k == at ? peak : sine(k); });
    ASSERT_TRUE(m.finished);
    p->MyIdle();
    EXPECT_EQ(p.take_notices(), std::vector<std::string>{kTooLoud}) << peak;
    EXPECT_TRUE(Curves(*p) == before);
    EXPECT_TRUE(p->capture.has_buffer());  // kept for the next try
  }

  const Measurement m = capture(p, [](long) { return 0.0; });
  ASSERT_TRUE(m.finished);
  p->MyIdle();
  const auto notices = p.take_notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].rfind("The sound is too silent or absent!\nPlease check the Mic input", 0), 0u);
  EXPECT_TRUE(Curves(*p) == before);
  EXPECT_EQ(p->undo_history->pos(), steps);
  EXPECT_EQ(p->measuring.load(), 0);
  EXPECT_EQ(p->knock_shown.load(), 0);

  // The output is no longer muted.
  std::vector<double> in(512, 0.125), out(512, 0.0);
  p.process(in.data(), out.data(), 512);
  EXPECT_EQ(out, in);
}

TEST(Measure, StartAgainRestartsAndAStaleEndCodeIsIgnored) {
  PluginUnderTest p;
  std::vector<double> in(512, 0.01), out(512);
  p->start_measurement();
  EXPECT_EQ(p->knock_shown.load(), 1);
  for (int b = 0; b < 300; ++b) p.process(in.data(), out.data(), 512);  // 153600 samples in
  p.take_messages();
  const Measurement m = capture(p, [](long k) { return 0.001 * std::sin(0.01 * double(k)); });
  ASSERT_TRUE(m.finished);
  EXPECT_EQ(m.window, (22050 + (1 << 19) + 511) / 512 * 512);  // counted from the second "Start"
  EXPECT_EQ(m.countdown.front(), 12);

  // The end code is still waiting for the editor when the user presses "Start" once more.
  p->start_measurement();
  p->MyIdle();
  EXPECT_TRUE(p.take_notices().empty());
  EXPECT_EQ(p->measuring.load(), 1);
  EXPECT_TRUE(p->capture.running());
}

TEST(Measure, HostRateBelowTheFloorIsRefused) {
  PluginUnderTest p(22050.0);
  p->start_measurement();
  EXPECT_EQ(p.take_notices(),
            std::vector<std::string>{"Host's sample rate is too low. Please set it to 44100 or higher."});
  EXPECT_EQ(p->measuring.load(), 0);
  EXPECT_EQ(p->knock_shown.load(), 0);
  std::vector<double> in(512, 0.5), out(512);
  p.process(in.data(), out.data(), 512);
  EXPECT_EQ(out, in);
}

TEST(Measure, RunsWhileTheHostStreamsOnItsOwnThread) {
  PluginUnderTest p;
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<double> in(256), out(256);
    long k = 0;
    while (!stop.load()) {
      for (double& v : in) v = 0.3 * std::sin(2 * std::numbers::pi * 440.0 * double(k++) / 44100.0);
      p.process(in.data(), out.data(), 256);
    }
  });
  // Start, restart half-way, then let it finish and analyse as the editor would.
  p->start_measurement();
  while (p->capture.seconds_left() == 0 || p->capture.seconds_left() > 8) std::this_thread::yield();
  p->start_measurement();
  // The host thread outruns real time: the first capture may end just before the restart, leaving
  // a stale end signal. The restarted capture's own end clears `measuring` before it signals.
  while (!((p.take_messages() & AudioMessages::kCaptureFinished) && p->measuring.load() == 0))
    std::this_thread::yield();
  p->MyIdle();
  stop.store(true);
  audio.join();
  EXPECT_TRUE(p.take_notices().empty());
  EXPECT_EQ(std::max_element(p->measured, p->measured + kNumBands) - p->measured, 53);  // A4
  EXPECT_EQ(p->measuring.load(), 0);
}
