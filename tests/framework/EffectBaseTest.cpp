#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "TestEffect.h"

TEST(HostLookUp, KeysAreTestedInTableOrderIgnoringCase) {
  EXPECT_EQ(LookUpHost("Steinberg CUBASE 12"), kHostCubase);
  EXPECT_EQ(LookUpHost("reaper live edition"), kHostReaper);
  EXPECT_EQ(LookUpHost("Ableton Live 11"), kHostAbletonLive);
  EXPECT_EQ(LookUpHost("PreSonus Studio One"), kHostStudioOne);
  EXPECT_EQ(LookUpHost("Cakewalk by BandLab"), kHostSonar);
  EXPECT_EQ(LookUpHost("Unheard Of DAW"), kHostUnknown);
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
  EXPECT_STREQ(GetHostNameStr(kHostUnknown), "Unknown");
  EXPECT_STREQ(GetHostNameStr(kHostMelodyne), "Unknown");
  EXPECT_STREQ(GetHostNameStr(kHostVegas), "Vegas");
  EXPECT_STREQ(GetHostNameStr(EHost(19)), "Unknown");
  EXPECT_STREQ(GetHostNameStr(kHostVST3TestHost), "VST3PluginTestHost");
}

TEST(EffectBase, IdentityAndVersionEncodings) {
  TestEffect fx;
  EXPECT_EQ(fx.GetEffectVersion(false), 0x10109);
  EXPECT_EQ(fx.GetEffectVersion(true), 10109);
  EXPECT_EQ(fx.GetEffectVersionStr(), "v1.1.9");
  EXPECT_EQ(fx.GetHost(), kHostUninit);
  fx.SetHost("Cubase", 0x70100);
  EXPECT_EQ(fx.GetHost(), kHostCubase);
  EXPECT_EQ(fx.GetHostVersionStr(), "v7.1.0");
  EXPECT_EQ(fx.GetHostVersion(true), 70100);
  EXPECT_STREQ(fx.GetAPIString(), "VST3");
  EXPECT_EQ(fx.GetUniqueID(), 0x54737431);
  EXPECT_EQ(fx.GetSampleRate(), 44100.0);
  EXPECT_EQ(fx.GetBlockSize(), 0);
  EXPECT_EQ(fx.GetParam(14), nullptr);
  EXPECT_EQ(fx.GetParam(-1), nullptr);
  EXPECT_STREQ(fx.GetPresetName(0), "empty");
  EXPECT_STREQ(fx.GetPresetName(1), "");
}

TEST(EffectBase, ChannelConfigurationFromTheIOString) {
  TestEffect mono;
  EXPECT_EQ(mono.NInChannels(), 1);
  EXPECT_EQ(mono.NOutChannels(), 1);
  EXPECT_TRUE(mono.LegalIO(1, 1));
  EXPECT_TRUE(mono.LegalIO(-1, 1));
  EXPECT_FALSE(mono.LegalIO(2, 2));
  mono.LimitToStereoIO();
  EXPECT_TRUE(mono.IsInChannelConnected(0));

  TestEffect multi(1, "1-1 2-2 0-4");
  EXPECT_EQ(multi.NInChannels(), 2);
  EXPECT_EQ(multi.NOutChannels(), 4);
  EXPECT_TRUE(multi.LegalIO(0, -1));
  multi.LimitToStereoIO();
  EXPECT_TRUE(multi.IsOutChannelConnected(1));
  EXPECT_FALSE(multi.IsOutChannelConnected(2));
  multi.SetInputChannelConnections(1, 100, false);
  EXPECT_FALSE(multi.IsInChannelConnected(1));
  EXPECT_FALSE(multi.IsInChannelConnected(9));

  TestEffect broken(1, "garbage 99999-1");
  EXPECT_EQ(broken.NInChannels(), 0);
  TestEffect huge(1, "100000-100000");
  EXPECT_LE(huge.NInChannels(), 64);
}

TEST(EffectBase, SetBlockSizeKeepsBuffersWhenTheSizeIsUnchanged) {
  TestEffect fx;
  fx.SetBlockSize(64);
  std::vector<float> in(64, 0.5f), out(64, 0.0f);
  float* ip = in.data();
  float* op = out.data();
  fx.AttachInputBuffers(0, 1, &ip, 64);
  fx.AttachOutputBuffers(0, 1, &op);
  fx.ProcessBuffers(0.0f, 64);
  const double* scratch = fx.InScratch(0);
  fx.SetBlockSize(64);
  EXPECT_EQ(fx.InScratch(0), scratch);
  EXPECT_EQ(scratch[10], 0.5);  // not zeroed either
  fx.SetBlockSize(32);
  EXPECT_EQ(fx.InScratch(0)[10], 0.0);
}

TEST(EffectBase, ProcessBuffersInDoubleAndFloat) {
  TestEffect fx;
  fx.gain = 2.0;
  fx.SetBlockSize(100);
  std::vector<double> din(100), dout(100, 9.0);
  for (int s = 0; s < 100; ++s) din[size_t(s)] = s * 0.01;
  double* dip = din.data();
  double* dop = dout.data();
  fx.AttachInputBuffers(0, 1, &dip, 100);
  fx.AttachOutputBuffers(0, 1, &dop);
  fx.ProcessBuffers(0.0, 100);
  for (int s = 0; s < 100; ++s) EXPECT_EQ(dout[size_t(s)], din[size_t(s)] * 2.0);

  // Float in place, in a block three and a half times longer than the host promised.
  std::vector<float> buf(350);
  for (int s = 0; s < 350; ++s) buf[size_t(s)] = float(s) / 1024.0f;
  float* fp = buf.data();
  fx.processCalls = 0;
  fx.AttachInputBuffers(0, 1, &fp, 350);
  fx.AttachOutputBuffers(0, 1, &fp);
  fx.ProcessBuffers(0.0f, 350);
  EXPECT_EQ(fx.processCalls, 4);
  EXPECT_EQ(fx.largestBlock, 100);
  for (int s = 0; s < 350; ++s) EXPECT_EQ(buf[size_t(s)], float(s) / 512.0f) << s;
}

TEST(EffectBase, MissingBuffersAndBlockSizeGiveSilenceNotACrash) {
  TestEffect fx;
  std::vector<double> out(16, 3.0);
  double* op = out.data();
  fx.AttachInputBuffers(0, 1, static_cast<double**>(nullptr), 16);
  fx.AttachOutputBuffers(0, 1, &op);
  fx.ProcessBuffers(0.0, 16);  // no block size yet, and the input needs a scratch buffer
  EXPECT_EQ(fx.processCalls, 0);
  for (double v : out) EXPECT_EQ(v, 0.0);

  std::vector<double> in(16, 0.5);
  double* ip = in.data();
  fx.AttachInputBuffers(0, 1, &ip, 16);
  fx.ProcessBuffers(0.0, 16);  // double buffers throughout need none
  EXPECT_EQ(fx.processCalls, 1);
  EXPECT_EQ(out[15], 0.5);
  fx.AttachInputBuffers(0, 1, static_cast<double**>(nullptr), 16);

  fx.SetBlockSize(8);
  std::fill(out.begin(), out.end(), 3.0);
  fx.ProcessBuffers(0.0, 16);  // null input reads as silence
  for (double v : out) EXPECT_EQ(v, 0.0);

  double* nothing = nullptr;
  fx.AttachOutputBuffers(0, 1, &nothing);
  fx.ProcessBuffers(0.0, 16);  // output discarded into scratch
  fx.ProcessBuffers(0.0, 0);
  fx.ProcessBuffers(0.0, -5);
  fx.SetBlockSize(-1);
  EXPECT_EQ(fx.GetBlockSize(), 0);
  fx.SetBlockSize(1 << 30);  // clamped, processed in pieces
  EXPECT_LE(fx.GetBlockSize(), 65536);

  fx.SetInputChannelConnections(0, 1, false);
  fx.SetBlockSize(8);
  in.assign(8, 1.0);
  ip = in.data();
  op = out.data();
  fx.AttachInputBuffers(0, 1, &ip, 8);
  fx.AttachOutputBuffers(0, 1, &op);
  fx.ProcessBuffers(0.0, 8);
  EXPECT_EQ(out[0], 0.0);  // an unconnected input is silent
}

TEST(EffectBase, PassThroughDelaysByTheLatencyAcrossBlocks) {
  TestEffect fx(1, "1-1", 1, 5);
  fx.SetBlockSize(7);
  std::vector<double> in(20), out(20, -1.0);
  for (int s = 0; s < 20; ++s) in[size_t(s)] = s + 1;
  for (int start = 0; start < 20; start += 7) {
    const int n = std::min(7, 20 - start);
    double* ip = in.data() + start;
    double* op = out.data() + start;
    fx.AttachInputBuffers(0, 1, &ip, n);
    fx.AttachOutputBuffers(0, 1, &op);
    fx.PassThroughBuffers(0.0, n);
  }
  for (int s = 0; s < 20; ++s) EXPECT_EQ(out[size_t(s)], s < 5 ? 0.0 : s + 1 - 5) << s;
  EXPECT_EQ(fx.processCalls, 0);

  fx.SetLatency(0);
  std::vector<float> f(4, 0.25f), g(4, 0.0f);
  float* fp = f.data();
  float* gp = g.data();
  fx.AttachInputBuffers(0, 1, &fp, 4);
  fx.AttachOutputBuffers(0, 1, &gp);
  fx.PassThroughBuffers(0.0f, 4);
  EXPECT_EQ(g[3], 0.25f);
}

TEST(EffectBase, EditorParameterChangesReachHostAndPlugIn) {
  TestEffect fx;
  fx.SetParameterFromGUI(2, 0.25);
  fx.SetParameterFromGUI(14, 0.5);
  fx.SetParameterFromGUI(-1, 0.5);
  ASSERT_EQ(fx.informed.size(), 1u);
  EXPECT_EQ(fx.informed[0].first, 2);
  EXPECT_EQ(fx.changed, std::vector<int>{2});
  EXPECT_DOUBLE_EQ(fx.GetParam(2)->Value(), 0.25);
  fx.informed.clear();
  fx.DirtyParameters();
  EXPECT_EQ(fx.informed.size(), 14u);
  fx.changed.clear();
  fx.OnParamReset();
  EXPECT_EQ(fx.changed.size(), 14u);
}

TEST(EffectBase, TheInstanceLockIsRecursiveAndExcludesOtherThreads) {
  TestEffect fx;
  IEffectBase::Lock outer(fx.GetMutex());
  ByteChunk chunk;
  EXPECT_TRUE(fx.SerializeState(&chunk));  // takes the lock again on this thread
  bool acquired = true;
  std::thread other([&] { acquired = fx.GetMutex().try_lock(); });
  other.join();
  EXPECT_FALSE(acquired);
}
