// Program and bank chunks as a host stores them with its projects, and chunks it should never
// have sent.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "vst2/Vst2Host.h"

using namespace vst2;
using namespace vst2test;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kHeader = 8;
constexpr size_t kPayload = 2032;  // measured, target shape, 14 parameter values

double double_at(const Bytes& b, size_t offset) {
  double v = 0.0;
  if (offset + 8 <= b.size()) std::memcpy(&v, b.data() + offset, 8);
  return v;
}

void make_distinct(Vst2Instance& plug, float slider, float volume) {
  plug.set(0, 1.0f);
  plug.set(1, slider);
  plug.set(2, volume);
  plug.set(3, 0.25f);
}

bool outputs_are_finite(Vst2Instance& plug) {
  std::vector<double> in(256);
  for (size_t i = 0; i < in.size(); ++i) in[i] = 0.5 * std::sin(0.05 * double(i));
  for (double v : plug.process_double(in))
    if (!std::isfinite(v) || std::fabs(v) > 1e6) return false;
  return true;
}

}  // namespace

TEST(Vst2Chunks, ProgramChunkCarriesHeaderAndStateAndRoundTrips) {
  Vst2Instance a;
  ASSERT_TRUE(a);
  make_distinct(a, 0.3f, 0.7f);
  const Bytes chunk = a.chunk(true);
  ASSERT_EQ(chunk.size(), kHeader + kPayload);
  const uint8_t header[kHeader] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(std::memcmp(chunk.data(), header, kHeader), 0);
  EXPECT_EQ(double_at(chunk, kHeader), 0.05623413251903491);  // measured[0] at start
  EXPECT_EQ(double_at(chunk, kHeader + 960), 1.0);            // target_shape[0]
  EXPECT_EQ(double_at(chunk, kHeader + 1920), 1.0);           // Mode
  EXPECT_EQ(double_at(chunk, kHeader + 1920 + 16), double(0.7f));

  Vst2Instance b;
  ASSERT_TRUE(b);
  EXPECT_EQ(b.set_chunk(true, chunk), 1);
  EXPECT_FLOAT_EQ(b.get(0), 1.0f);
  EXPECT_FLOAT_EQ(b.get(1), 0.3f);
  EXPECT_FLOAT_EQ(b.get(2), 0.7f);
  EXPECT_FLOAT_EQ(b.get(3), 0.25f);
  EXPECT_EQ(b.chunk(true), chunk);
}

TEST(Vst2Chunks, ChunkWithoutHeaderLoadsAsProgramState) {
  Vst2Instance a;
  ASSERT_TRUE(a);
  make_distinct(a, 0.6f, 0.2f);
  const Bytes chunk = a.chunk(true);
  ASSERT_EQ(chunk.size(), kHeader + kPayload);
  const Bytes bare(chunk.begin() + kHeader, chunk.end());
  for (bool bank : {false, true}) {
    Vst2Instance b;
    ASSERT_TRUE(b);
    EXPECT_EQ(b.set_chunk(!bank, bare), 1) << (bank ? "bank" : "program");
    EXPECT_FLOAT_EQ(b.get(1), 0.6f);
    EXPECT_FLOAT_EQ(b.get(2), 0.2f);
    EXPECT_EQ(b.chunk(true), chunk);
  }
}

TEST(Vst2Chunks, BankRoundTripsWithProgramName) {
  Vst2Instance a;
  ASSERT_TRUE(a);
  make_distinct(a, 0.35f, 0.65f);
  char name[] = "Parlour";
  a.dispatch(effSetProgramName, 0, 0, name);
  const Bytes bank = a.chunk(false);
  // header, name as a text, the initialised flag, the state
  ASSERT_EQ(bank.size(), kHeader + 4 + 7 + 1 + kPayload);
  EXPECT_EQ(std::memcmp(bank.data() + kHeader + 4, "Parlour", 7), 0);
  EXPECT_EQ(bank[kHeader + 11], 1);

  Vst2Instance b;
  ASSERT_TRUE(b);
  EXPECT_EQ(b.set_chunk(false, bank), 1);
  EXPECT_EQ(b.text(effGetProgramName), "Parlour");
  EXPECT_FLOAT_EQ(b.get(1), 0.35f);
  EXPECT_FLOAT_EQ(b.get(2), 0.65f);
  EXPECT_EQ(b.chunk(false), bank);
}

TEST(Vst2Chunks, HandedOutBytesStayValidUntilTheNextRequest) {
  Vst2Instance a;
  ASSERT_TRUE(a);
  void* program = nullptr;
  void* bank = nullptr;
  const VstIntPtr n1 = a.dispatch(effGetChunk, 1, 0, &program);
  const Bytes copy(static_cast<uint8_t*>(program), static_cast<uint8_t*>(program) + n1);
  a.dispatch(effGetChunk, 0, 0, &bank);
  a.set(2, 0.9f);
  // The program bytes are still the ones handed out, though the bank was asked for since.
  EXPECT_EQ(std::memcmp(program, copy.data(), copy.size()), 0);
  EXPECT_EQ(a.dispatch(effGetChunk, 1, 0, nullptr), 0);
  // Hosts hand the lent buffer straight back (undo, A/B compare): both kinds load from it.
  EXPECT_EQ(a.dispatch(effSetChunk, 1, n1, program), 1);
  EXPECT_FLOAT_EQ(a.get(2), 0.5f);
  const VstIntPtr n0 = a.dispatch(effGetChunk, 0, 0, &bank);
  EXPECT_EQ(a.dispatch(effSetChunk, 0, n0, bank), 1);
  EXPECT_EQ(a.dispatch(effSetChunk, 1, n1, program), 1);
}

TEST(Vst2Chunks, TruncatedChunksAreRefusedAndChangeNothing) {
  Vst2Instance source;
  ASSERT_TRUE(source);
  make_distinct(source, 0.8f, 0.9f);
  const Bytes program = source.chunk(true);
  const Bytes bank = source.chunk(false);
  ASSERT_FALSE(program.empty());
  ASSERT_FALSE(bank.empty());

  Vst2Instance plug;
  ASSERT_TRUE(plug);
  make_distinct(plug, 0.1f, 0.2f);
  const Bytes before_program = plug.chunk(true);
  const Bytes before_bank = plug.chunk(false);
  for (size_t n = 0; n < program.size(); ++n) {
    ASSERT_EQ(plug.set_chunk(true, Bytes(program.begin(), program.begin() + long(n))), 0) << n;
    ASSERT_EQ(plug.chunk(true), before_program) << "program truncated to " << n;
  }
  for (size_t n = 0; n < bank.size(); ++n) {
    ASSERT_EQ(plug.set_chunk(false, Bytes(bank.begin(), bank.begin() + long(n))), 0) << n;
    ASSERT_EQ(plug.chunk(false), before_bank) << "bank truncated to " << n;
  }
  // A bank whose name length runs far past the end is refused too.
  Bytes bad = bank;
  const int32_t huge = 0x7ffffff0;
  std::memcpy(bad.data() + kHeader, &huge, 4);
  EXPECT_EQ(plug.set_chunk(false, bad), 0);
  EXPECT_EQ(plug.chunk(false), before_bank);
  EXPECT_EQ(plug.dispatch(effSetChunk, 1, 100, nullptr), 0);
  EXPECT_EQ(plug.dispatch(effSetChunk, 1, -5, const_cast<uint8_t*>(program.data())), 0);
  EXPECT_EQ(plug.chunk(true), before_program);
}

TEST(Vst2Chunks, RandomBytesNeverLeaveAnUnusableInstance) {
  std::mt19937 rng(20261208);
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  const Bytes good = plug.chunk(true);
  ASSERT_FALSE(good.empty());
  for (int round = 0; round < 200; ++round) {
    const bool as_bank = round % 2 == 1;
    // Sizes around the real ones matter most: those reach the payload reader.
    const size_t sizes[] = {good.size(), good.size() - kHeader, good.size() + 13, size_t(rng() % 5000), 16};
    Bytes bytes(sizes[round % 5]);
    for (auto& b : bytes) b = uint8_t(rng());
    if (round % 3 == 0 && bytes.size() >= kHeader) std::memcpy(bytes.data(), good.data(), kHeader);
    const Bytes before = plug.chunk(true);
    const VstIntPtr result = plug.set_chunk(!as_bank, bytes);
    if (result == 0) {
      ASSERT_EQ(plug.chunk(true), before) << "round " << round;
    } else {
      for (int i = 0; i < 14; ++i) {
        const float v = plug.get(i);
        ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << "round " << round << " param " << i << " = " << v;
      }
    }
    ASSERT_TRUE(outputs_are_finite(plug)) << "round " << round;
    ASSERT_FALSE(plug.chunk(true).empty());
  }
  // A good chunk still loads afterwards.
  EXPECT_EQ(plug.set_chunk(true, good), 1);
  EXPECT_EQ(plug.chunk(true), good);
}

// A host that loads a project and renders it offline at once hears the loaded correction from the
// first sample (the design runs on a thread of the instance; offline blocks wait for it).
TEST(Vst2Chunks, AnOfflineRenderHearsTheLoadedChunkFromItsFirstSample) {
  std::vector<double> impulse(512, 0.0);
  impulse[0] = 1.0;
  std::vector<double> first[2];
  host().process_level = kVstProcessLevelOffline;
  for (auto& out : first) {
    Vst2Instance plug;
    ASSERT_TRUE(plug);
    Bytes chunk = plug.chunk(true);
    ASSERT_EQ(chunk.size(), kHeader + kPayload);
    const double dip = 0.01;  // the measurement has a deep dip at band 60; the target stays flat
    std::memcpy(chunk.data() + kHeader + 60 * 8, &dip, 8);
    ASSERT_EQ(plug.set_chunk(true, chunk), 1);
    out = plug.process_double(impulse);
  }
  host().process_level = 1;
  EXPECT_NE(first[0], impulse) << "the flat filter of before the load played";
  EXPECT_EQ(first[0], first[1]);
}
