#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "instance/PluginUnderTest.h"

namespace {

// A state no fresh instance has: guitar-like curves (smooth, so the design is quick), the four
// parameters off their defaults.
void make_distinct(PluginUnderTest& p, unsigned seed) {
  for (int i = 0; i < kNumBands; ++i) {
    p->measured[i] = 0.5 + 0.3 * std::sin(0.07 * i * seed) + 1e-9 * i;
    p->target_shape[i] = 0.6 + 0.2 * std::cos(0.05 * i + seed);
  }
  p->vslider_pos = 0.7312;
  p->note_pos = 0.5;
  p->HostSetParameter(kParamMode, 1.0);
  p->HostSetParameter(kParamVerticalSlider, 0.7312);
  p->HostSetParameter(kParamBypassVolume, 0.3);
  p->HostSetParameter(kParamNoteIndicator, 0.5);
}

bool same_bits(const double* a, const double* b, int n = kNumBands) {
  return std::memcmp(a, b, sizeof(double) * std::size_t(n)) == 0;
}

struct Snapshot {
  std::vector<double> measured, shape, target, params;
  double vslider, bypass, note, mode;
  int undo_pos;
  explicit Snapshot(IResonix& p)
      : measured(p.measured, p.measured + kNumBands),
        shape(p.target_shape, p.target_shape + kNumBands),
        target(p.target, p.target + kNumBands),
        vslider(p.vslider_pos),
        bypass(p.bypass_volume.load()),
        note(p.note_pos),
        mode(p.mode.load()),
        undo_pos(p.undo_history->pos()) {
    for (int i = 0; i < kNumParams; ++i) params.push_back(p.GetParam(i)->Value());
  }
  bool operator==(const Snapshot&) const = default;
};

}  // namespace

TEST(State, PayloadRoundTripRestoresEveryBitAndOneUndoStep) {
  PluginUnderTest a;
  make_distinct(a, 1);
  a->save_to_undo();
  ByteChunk chunk;
  ASSERT_TRUE(a->HostGetState(&chunk));
  ASSERT_EQ(chunk.Size(), 2032);
  EXPECT_EQ(std::memcmp(chunk.GetBytes(), a->measured, 960), 0);
  EXPECT_EQ(std::memcmp(chunk.GetBytes() + 960, a->target_shape, 960), 0);

  PluginUnderTest b;
  b->save_to_undo();
  b->save_to_undo();
  ASSERT_TRUE(b->HostSetState(&chunk));
  EXPECT_TRUE(same_bits(b->measured, a->measured));
  EXPECT_TRUE(same_bits(b->target_shape, a->target_shape));
  for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(b->GetParam(i)->Value(), a->GetParam(i)->Value()) << i;
  EXPECT_EQ(b->mode.load(), 1.0);
  EXPECT_EQ(b->vslider_pos, 0.7312);
  EXPECT_EQ(b->bypass_volume.load(), 0.3);
  EXPECT_EQ(b->note_pos, 0.5);
  const double level = std::pow(10.0, (1.0 - 0.7312) * -45.0 / 20.0);
  EXPECT_EQ(b->target_level, level);
  for (int i = 0; i < kNumBands; ++i) EXPECT_EQ(b->target[i], level * b->target_shape[i]);

  // The history holds the loaded state alone.
  EXPECT_EQ(b->undo_history->pos(), 0);
  EXPECT_EQ(b->undo_history->top(), 0);
  b->undo();
  b->redo();
  EXPECT_TRUE(same_bits(b->measured, a->measured));

  ByteChunk again;
  ASSERT_TRUE(b->HostGetState(&again));
  EXPECT_TRUE(again.IsEqual(chunk));
}

TEST(State, TruncatedPayloadChangesNothing) {
  PluginUnderTest source;
  make_distinct(source, 2);
  ByteChunk full;
  ASSERT_TRUE(source->HostGetState(&full));

  for (int size : {0, 1, 959, 960, 1000, 1919, 1920, 1927, 1928, 1951, 1952, 2024, 2031}) {
    SCOPED_TRACE(size);
    PluginUnderTest p;
    p->save_to_undo();
    const Snapshot before(*p);
    ByteChunk cut;
    cut.PutBytes(full.GetBytes(), size);
    EXPECT_EQ(p->UnserializeState(&cut, 0), -1);
    EXPECT_TRUE(Snapshot(*p) == before);
    EXPECT_EQ(p->undo_history->top(), 1);
  }
}

TEST(State, PayloadWithImpossibleValuesIsRefusedWhole) {
  PluginUnderTest source;
  make_distinct(source, 3);
  ByteChunk full;
  ASSERT_TRUE(source->HostGetState(&full));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<int, double> bad[] = {{0, nan},        {8 * 40, -0.5},
                                        {960, 0.0},      {960 + 8 * 119, INFINITY},
                                        {1920 + 8, nan}, {1920 + 16, -INFINITY}};
  for (const auto& [at, value] : bad) {
    SCOPED_TRACE(at);
    ByteChunk chunk;
    chunk.PutBytes(full.GetBytes(), full.Size());
    std::memcpy(chunk.GetBytes() + at, &value, 8);
    PluginUnderTest p;
    p->save_to_undo();
    const Snapshot before(*p);
    EXPECT_FALSE(p->HostSetState(&chunk));
    EXPECT_TRUE(Snapshot(*p) == before);
    EXPECT_EQ(p->undo_history->top(), 1);
    // The same state inside a bank (the VST2 bank chunk) is refused as cleanly: undo history kept.
    ByteChunk bank;
    bank.PutStr("-");
    bank.PutBool(true);
    bank.PutChunk(&chunk);
    EXPECT_LT(p->UnserializePresets(&bank, 0), 0);
    EXPECT_TRUE(Snapshot(*p) == before);
    EXPECT_EQ(p->undo_history->top(), 1);
  }
}

TEST(State, UndoRestoresTheSliderAsAUserInput) {
  PluginUnderTest p;
  p->HostSetParameter(kParamMode, 1.0);
  p->HostSetParameter(kParamBypassVolume, 0.8);
  p->HostSetParameter(kParamNoteIndicator, 0.25);
  const Snapshot start(*p);
  p->undo();
  EXPECT_TRUE(Snapshot(*p) == start);  // nothing to undo right after construction

  // An edit: the slider moved to 0.9 and the shape redrawn.
  p->HostSetParameter(kParamVerticalSlider, 0.9);
  p->vslider_pos = 0.9;
  for (int i = 0; i < kNumBands; ++i) p->target_shape[i] = 0.5;
  p->save_to_undo();
  p.take_host_changes();
  p->undo();
  EXPECT_EQ(p->vslider_pos, start.vslider);
  EXPECT_EQ(p->target_shape[10], 1.0);
  EXPECT_EQ(p->target[10], p->target_level);
  const auto changes = p.take_host_changes();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].first, int(kParamVerticalSlider));
  EXPECT_DOUBLE_EQ(changes[0].second, start.vslider);
  EXPECT_EQ(p->GetParam(kParamMode)->Value(), 1.0);
  EXPECT_EQ(p->GetParam(kParamBypassVolume)->Value(), 0.8);
  EXPECT_EQ(p->GetParam(kParamNoteIndicator)->Value(), 0.25);

  p->redo();
  EXPECT_EQ(p->vslider_pos, 0.9);
  EXPECT_EQ(p->target_shape[10], 0.5);
  EXPECT_DOUBLE_EQ(p->target_level, std::pow(10.0, -0.1 * 45.0 / 20.0));
  p->redo();  // at the top: nothing
  EXPECT_EQ(p->undo_history->pos(), 1);
}

TEST(State, VolumeReadoutNeverShowsMinusZero) {
  EXPECT_EQ(IResonix::volume_readout(0.5), "0.0 dB");
  EXPECT_EQ(IResonix::volume_readout(0.4999), "0.0 dB");
  EXPECT_EQ(IResonix::volume_readout(0.499), "0.0 dB");   // -0.04 dB
  EXPECT_EQ(IResonix::volume_readout(0.498), "-0.1 dB");  // -0.08 dB
  EXPECT_EQ(IResonix::volume_readout(0.0), "-20.0 dB");
  EXPECT_EQ(IResonix::volume_readout(1.0), "20.0 dB");
}
