#include <gtest/gtest.h>

#include <random>

#include "TestEffect.h"

namespace {

std::vector<double> values_of(TestEffect& fx) {
  std::vector<double> v;
  for (int i = 0; i < fx.NParams(); ++i) v.push_back(fx.GetParam(i)->Value());
  return v;
}

void set_values(TestEffect& fx, double base) {
  for (int i = 0; i < fx.NParams(); ++i) fx.GetParam(i)->Set(base + i * 0.01);
}

ByteChunk prefix(const ByteChunk& c, int len) {
  ByteChunk cut;
  cut.PutBytes(c.GetBytes(), len);
  return cut;
}

}  // namespace

TEST(StateChunk, ParamsRoundTripAndDamagedChunksChangeNothing) {
  TestEffect fx;
  set_values(fx, 0.2);
  ByteChunk chunk;
  ASSERT_TRUE(fx.SerializeParams(&chunk));
  EXPECT_EQ(chunk.Size(), 112);
  const std::vector<double> saved = values_of(fx);

  set_values(fx, 0.5);
  fx.changed.clear();
  EXPECT_EQ(fx.UnserializeParams(&chunk, 0), 112);
  EXPECT_EQ(values_of(fx), saved);
  EXPECT_EQ(fx.changed.size(), 14u);  // OnParamReset

  set_values(fx, 0.5);
  const std::vector<double> current = values_of(fx);
  for (int len = 0; len < chunk.Size(); ++len) {
    ByteChunk cut = prefix(chunk, len);
    EXPECT_EQ(fx.UnserializeParams(&cut, 0), -1) << len;
    EXPECT_EQ(values_of(fx), current) << len;
  }
  EXPECT_EQ(fx.UnserializeParams(&chunk, 1), -1);
  EXPECT_EQ(fx.UnserializeParams(&chunk, -1), -1);
  EXPECT_EQ(fx.UnserializeParams(nullptr, 0), -1);

  ByteChunk nan = chunk;
  const double bad = std::numeric_limits<double>::quiet_NaN();
  std::memcpy(nan.GetBytes() + 16, &bad, 8);
  EXPECT_EQ(fx.UnserializeParams(&nan, 0), -1);
  EXPECT_EQ(values_of(fx), current);

  ByteChunk wild;
  for (int i = 0; i < 14; ++i) {
    const double v = i % 2 ? 1e9 : -1e9;
    wild.Put(&v);
  }
  EXPECT_EQ(fx.UnserializeParams(&wild, 0), 112);
  EXPECT_EQ(fx.GetParam(0)->Value(), 0.0);  // clamped into range
  EXPECT_EQ(fx.GetParam(1)->Value(), 1.0);
}

TEST(StateChunk, HeaderMagicAndVersion) {
  ByteChunk chunk;
  chunk.PutStr("old");
  IEffectBase::InitChunkWithFrameworkVer(&chunk);
  ASSERT_EQ(chunk.Size(), 8);
  const unsigned char expected[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(0, std::memcmp(chunk.GetBytes(), expected, 8));
  int pos = 0;
  EXPECT_EQ(IEffectBase::GetFrameworkVerFromChunk(&chunk, &pos), 0x10000);
  EXPECT_EQ(pos, 8);

  ByteChunk older;  // a state from a build without the header
  const double v = 0.5;
  older.Put(&v);
  pos = 0;
  EXPECT_EQ(IEffectBase::GetFrameworkVerFromChunk(&older, &pos), 0);
  EXPECT_EQ(pos, 0);

  ByteChunk cut = prefix(chunk, 6);
  pos = 0;
  IEffectBase::GetFrameworkVerFromChunk(&cut, &pos);
  EXPECT_EQ(pos, -1);
  ByteChunk tiny = prefix(chunk, 3);
  pos = 0;
  EXPECT_EQ(IEffectBase::GetFrameworkVerFromChunk(&tiny, &pos), 0);
  EXPECT_EQ(pos, 0);
}

TEST(Presets, DefaultsRestoringAndNaming) {
  TestEffect fx(14, "1-1", 3);
  set_values(fx, 0.1);
  fx.MakeDefaultPreset("-", 1);
  EXPECT_STREQ(fx.GetPresetName(0), "-");
  EXPECT_FALSE(fx.GetPreset(1)->mInitialized);
  fx.MakeDefaultPreset(nullptr, 1);
  EXPECT_STREQ(fx.GetPresetName(1), "Empty");

  // One name already holds "user preset": the next one is number 2 and keeps the current state.
  fx.GetPreset(1)->SetName("my user preset");
  set_values(fx, 0.3);
  const std::vector<double> now = values_of(fx);
  ASSERT_TRUE(fx.RestorePreset(2));
  EXPECT_STREQ(fx.GetPresetName(2), "user preset 2");
  EXPECT_EQ(fx.GetCurrentPresetIdx(), 2);
  EXPECT_EQ(fx.presetChanges, 1);

  ASSERT_TRUE(fx.RestorePreset("-"));
  EXPECT_EQ(fx.GetCurrentPresetIdx(), 0);
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 0.1);
  ASSERT_TRUE(fx.RestorePreset(2));
  EXPECT_EQ(values_of(fx), now);

  EXPECT_FALSE(fx.RestorePreset(3));
  EXPECT_FALSE(fx.RestorePreset(-1));
  EXPECT_FALSE(fx.RestorePreset("none"));
  EXPECT_EQ(fx.GetCurrentPresetIdx(), 2);

  set_values(fx, 0.6);
  fx.ModifyCurrentPreset("renamed");
  EXPECT_STREQ(fx.GetPresetName(2), "renamed");
  fx.ModifyCurrentPreset("");
  EXPECT_STREQ(fx.GetPresetName(2), "renamed");
  set_values(fx, 0.0);
  ASSERT_TRUE(fx.RestorePreset(2));
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 0.6);

  TestEffect fresh(14, "1-1", 2);
  fresh.EnsureDefaultPreset();
  EXPECT_STREQ(fresh.GetPresetName(0), "Empty");
  EXPECT_STREQ(fresh.GetPresetName(1), "Empty");
}

TEST(Presets, BankLayoutAndRoundTrip) {
  TestEffect fx(14, "1-1", 2);
  set_values(fx, 0.4);
  fx.MakeDefaultPreset("first", 1);
  ByteChunk bank;
  ASSERT_TRUE(fx.SerializePresets(&bank));
  // "first" + flag + 112 bytes, then "empty" + a false flag and nothing else.
  EXPECT_EQ(bank.Size(), (4 + 5 + 1 + 112) + (4 + 5 + 1));

  TestEffect other(14, "1-1", 2);
  EXPECT_EQ(other.UnserializePresets(&bank, 0), bank.Size());
  EXPECT_STREQ(other.GetPresetName(0), "first");
  EXPECT_DOUBLE_EQ(other.GetParam(3)->Value(), 0.43);
  EXPECT_TRUE(other.GetPreset(0)->mChunk.IsEqual(fx.GetPreset(0)->mChunk));
}

TEST(Presets, DamagedBanksAreRefusedWhole) {
  TestEffect fx(14, "1-1", 2);
  set_values(fx, 0.4);
  fx.MakeDefaultPreset("a", 2);
  ByteChunk bank;
  fx.SerializePresets(&bank);

  TestEffect target(14, "1-1", 2);
  set_values(target, 0.7);
  target.MakeDefaultPreset("mine", 2);
  const std::vector<double> before = values_of(target);
  for (int len = 0; len < bank.Size(); ++len) {
    ByteChunk cut = prefix(bank, len);
    EXPECT_EQ(target.UnserializePresets(&cut, 0), -1) << len;
    EXPECT_EQ(values_of(target), before) << len;
    EXPECT_STREQ(target.GetPresetName(0), "mine") << len;
    EXPECT_STREQ(target.GetPresetName(1), "mine") << len;
  }

  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    ByteChunk noise;
    const int size = int(rng() % 300);
    for (int k = 0; k < size; ++k) {
      const unsigned char byte = (unsigned char)(rng() % 256);
      noise.PutBytes(&byte, 1);
    }
    const int pos = target.UnserializePresets(&noise, 0);
    EXPECT_TRUE(pos == -1 || (pos > 0 && pos <= size));
    if (pos == -1) {
      EXPECT_EQ(values_of(target), before);
    }
    set_values(target, 0.7);
  }
}
