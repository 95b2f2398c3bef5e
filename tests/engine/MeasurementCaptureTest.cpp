#include "engine/MeasurementCapture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Fed {
  std::vector<int> countdown;  // seconds_left at every countdown signal, in order
  long finished_at = -1;       // host sample index whose step ended the window
  long samples = 0;
};

// Feeds host sample k as the value k, one sample per call so that signals are pinned to samples.
Fed feed(MeasurementCapture& c, long limit) {
  Fed r;
  for (long k = 0; k < limit && r.finished_at < 0; ++k) {
    const double x = double(k);
    const unsigned s = c.process(&x, 1);
    if (s & MeasurementCapture::kCountdown) r.countdown.push_back(c.seconds_left());
    if (s & MeasurementCapture::kFinished) r.finished_at = k;
    r.samples = k + 1;
  }
  return r;
}

struct RateCase {
  double rate;
  int factor;
  int first_count;
};

}  // namespace

TEST(MeasurementCapture, DecimationFollowsTheRate) {
  EXPECT_EQ(MeasurementCapture::decimation(44056.0), 1);
  EXPECT_EQ(MeasurementCapture::decimation(79999.99), 1);
  EXPECT_EQ(MeasurementCapture::decimation(80000.0), 2);
  EXPECT_EQ(MeasurementCapture::decimation(159999.0), 2);
  EXPECT_EQ(MeasurementCapture::decimation(160000.0), 4);
  EXPECT_EQ(MeasurementCapture::decimation(319999.0), 4);
  EXPECT_EQ(MeasurementCapture::decimation(320000.0), 8);
  EXPECT_EQ(MeasurementCapture::decimation(768000.0), 8);
  EXPECT_EQ(MeasurementCapture::recording_rate(88200.0), 44100.0);
  EXPECT_EQ(MeasurementCapture::recording_rate(384000.0), 48000.0);
}

TEST(MeasurementCapture, WindowPickedSamplesAndCountdownAtEveryRate) {
  const RateCase cases[] = {
      {44100, 1, 12}, {48000, 1, 11}, {88200, 2, 11}, {96000, 2, 10}, {192000, 4, 10}, {384000, 8, 10},
  };
  MeasurementCapture c;
  ASSERT_TRUE(c.allocate());
  for (const RateCase& rc : cases) {
    SCOPED_TRACE(rc.rate);
    c.arm(rc.rate);
    ASSERT_TRUE(c.running());
    EXPECT_EQ(c.factor(), rc.factor);
    EXPECT_EQ(c.span(), MeasurementCapture::kLength * rc.factor);
    const long half = long(rc.rate * 0.5);
    const Fed r = feed(c, half + c.span() + 10);

    // The window lasts half a second plus the span, and ends on its last sample.
    EXPECT_EQ(r.finished_at, half + c.span() - 1);
    EXPECT_FALSE(c.running());
    EXPECT_TRUE(c.finished());

    // Recording starts half a second in; with D > 1 the samples at clock mod D == 1 are taken.
    const double* rec = c.buffer();
    long expect = half;
    while (rc.factor > 1 && expect % rc.factor != 1) ++expect;
    EXPECT_EQ(rec[0], double(expect));
    EXPECT_EQ(rec[1], double(expect + rc.factor));
    EXPECT_EQ(rec[MeasurementCapture::kLength - 1],
              double(expect + long(rc.factor) * (MeasurementCapture::kLength - 1)));

    // The countdown runs down one second at a time to 0.
    ASSERT_FALSE(r.countdown.empty());
    EXPECT_EQ(r.countdown.front(), rc.first_count);
    for (std::size_t i = 1; i < r.countdown.size(); ++i) EXPECT_EQ(r.countdown[i], r.countdown[i - 1] - 1);
    EXPECT_EQ(r.countdown.back(), 0);

    // Once ended, further input changes nothing and raises nothing.
    const double x = -5.0;
    EXPECT_EQ(c.process(&x, 1), MeasurementCapture::kNone);
    EXPECT_EQ(rec[0], double(expect));
    c.disarm();
    EXPECT_FALSE(c.finished());
  }
}

TEST(MeasurementCapture, ArmingAgainStartsOverAndNeedsABuffer) {
  MeasurementCapture c;
  c.arm(44100);
  EXPECT_FALSE(c.running());  // nothing to record into
  const double x = 1.0;
  EXPECT_EQ(c.process(&x, 1), MeasurementCapture::kNone);

  ASSERT_TRUE(c.allocate());
  double* buf = c.buffer();
  c.arm(44100);
  feed(c, 100000);  // well into the recording
  EXPECT_GT(c.left(), 0);
  c.arm(44100);
  EXPECT_EQ(c.left(), 0);
  EXPECT_EQ(c.buffer(), buf);  // reused, not reallocated
  const Fed r = feed(c, 22050 + MeasurementCapture::kLength + 10);
  EXPECT_EQ(r.finished_at, 22050 + MeasurementCapture::kLength - 1);
  EXPECT_EQ(c.buffer()[0], 22050.0);  // counted from the second start
  EXPECT_EQ(r.countdown.front(), 12);
}

TEST(MeasurementCapture, BlocksAndMissingInput) {
  MeasurementCapture c;
  ASSERT_TRUE(c.allocate());
  c.arm(48000);
  std::vector<double> ones(4096, 0.5);
  unsigned all = 0;
  int blocks = 0;
  while (c.running()) {
    // Alternate real and missing buffers; a null block records silence.
    all |= c.process(blocks % 2 ? nullptr : ones.data(), 4096);
    ++blocks;
  }
  EXPECT_TRUE(all & MeasurementCapture::kFinished);
  EXPECT_EQ(blocks, (24000 + MeasurementCapture::kLength + 4095) / 4096);
  // Sample 24000 is the first recorded: block 5 (null) holds host samples 20480..24575.
  EXPECT_EQ(c.buffer()[0], 0.0);
  EXPECT_EQ(c.buffer()[24576 - 24000], 0.5);
  EXPECT_EQ(c.process(ones.data(), 0), MeasurementCapture::kNone);
  c.release();
  EXPECT_FALSE(c.has_buffer());
}
