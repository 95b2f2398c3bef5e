// Processing as hosts and validators drive it: buses and arrangements, setupProcessing at several
// rates, both sample sizes at odd block sizes, parameter queues, bypass, preset selection,
// suspend/resume and controller calls from other threads while audio runs.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <random>
#include <thread>

#include "vst3/Vst3TestHost.h"

using namespace vst3test;

namespace {
constexpr ParamID kPreset = 0x70727374;
constexpr ParamID kBypass = 0x62706173;

template <typename Sample>
std::vector<Sample> Noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-0.5, 0.5);
  std::vector<Sample> v(n);
  for (Sample& s : v) s = Sample(dist(rng));
  return v;
}

template <typename Sample>
bool AllFinite(const std::vector<Sample>& v) {
  for (Sample s : v)
    if (!std::isfinite(s) || std::abs(s) > 1000) return false;
  return true;
}
}  // namespace

TEST(Vst3Buses, OneMainInputAndOutputMonoByDefaultStereoOnRequest) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  IComponent* c = plug.Component();
  ASSERT_EQ(c->getBusCount(kAudio, kInput), 1);
  ASSERT_EQ(c->getBusCount(kAudio, kOutput), 1);
  EXPECT_EQ(c->getBusCount(kEvent, kInput), 0);
  EXPECT_EQ(c->getBusCount(kEvent, kOutput), 0);

  BusInfo info = {};
  ASSERT_EQ(c->getBusInfo(kAudio, kInput, 0, info), kResultTrue);
  EXPECT_EQ(info.channelCount, 1);
  EXPECT_EQ(info.busType, kMain);
  EXPECT_TRUE(info.flags & BusInfo::kDefaultActive);
  EXPECT_EQ(info.name[0], u'M');  // "Main Input"
  ASSERT_EQ(c->getBusInfo(kAudio, kOutput, 0, info), kResultTrue);
  EXPECT_EQ(info.channelCount, 1);
  EXPECT_EQ(info.name[0], u'O');  // "Output"

  EXPECT_EQ(c->getBusInfo(kAudio, kInput, 1, info), kInvalidArgument);
  EXPECT_EQ(c->getBusInfo(kEvent, kInput, 0, info), kInvalidArgument);
  EXPECT_EQ(c->getBusInfo(MediaType(7), kInput, 0, info), kInvalidArgument);
  EXPECT_EQ(c->activateBus(kAudio, kOutput, 3, true), kInvalidArgument);
  EXPECT_EQ(c->activateBus(kAudio, kInput, 0, true), kResultTrue);

  IAudioProcessor* p = plug.Processor();
  SpeakerArrangement mono = SpeakerArr::kMono, stereo = SpeakerArr::kStereo;
  SpeakerArrangement surround = SpeakerArr::k51, lrs = 0x103;
  SpeakerArrangement arr = 0;
  EXPECT_EQ(p->setBusArrangements(&mono, 1, &stereo, 1), kResultFalse);
  EXPECT_EQ(p->setBusArrangements(&surround, 1, &surround, 1), kResultFalse);
  EXPECT_EQ(p->setBusArrangements(&lrs, 1, &lrs, 1), kResultFalse);
  EXPECT_EQ(p->setBusArrangements(nullptr, 0, &mono, 1), kResultFalse);
  EXPECT_EQ(p->setBusArrangements(&stereo, 1, &stereo, 1), kResultTrue);
  ASSERT_EQ(c->getBusInfo(kAudio, kOutput, 0, info), kResultTrue);
  EXPECT_EQ(info.channelCount, 2);
  ASSERT_EQ(p->getBusArrangement(kInput, 0, arr), kResultTrue);
  EXPECT_EQ(arr, SpeakerArr::kStereo);
  EXPECT_EQ(p->setBusArrangements(&mono, 1, &mono, 1), kResultTrue);
  ASSERT_EQ(p->getBusArrangement(kInput, 0, arr), kResultTrue);
  EXPECT_EQ(arr, SpeakerArr::kMono);
  ASSERT_EQ(p->getBusArrangement(kOutput, 0, arr), kResultTrue);
  EXPECT_EQ(arr, SpeakerArr::kMono);
  EXPECT_EQ(p->getBusArrangement(kOutput, 1, arr), kInvalidArgument);

  EXPECT_EQ(p->getLatencySamples(), 0u);
  EXPECT_EQ(p->canProcessSampleSize(kSample32), kResultTrue);
  EXPECT_EQ(p->canProcessSampleSize(kSample64), kResultTrue);
  EXPECT_EQ(p->canProcessSampleSize(7), kResultFalse);
}

TEST(Vst3Processing, SetupAcceptsHostRatesAndRefusesNonsense) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  for (double rate : {44100.0, 48000.0, 96000.0, 22050.0})
    for (int32 size : {kSample32, kSample64}) {
      EXPECT_EQ(plug.Setup(rate, 512, size), kResultOk) << rate;
      EXPECT_EQ(plug.Process(Noise<float>(256, 1)).size(), 256u);
    }
  IAudioProcessor* p = plug.Processor();
  plug.Component()->setActive(false);
  ProcessSetup bad{kRealtime, 5, 512, 48000.0};
  EXPECT_EQ(p->setupProcessing(bad), kResultFalse);
  bad = {kRealtime, kSample32, 512, 0.0};
  EXPECT_EQ(p->setupProcessing(bad), kResultFalse);
  bad = {kRealtime, kSample32, 512, std::numeric_limits<double>::quiet_NaN()};
  EXPECT_EQ(p->setupProcessing(bad), kResultFalse);
  bad = {kRealtime, kSample32, 0, 48000.0};
  EXPECT_EQ(p->setupProcessing(bad), kResultFalse);
}

TEST(Vst3Processing, BothSampleSizesAtOddBlockSizes) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  // Blocks larger than the announced maximum (4096 > 512) still come back whole.
  ASSERT_EQ(plug.Setup(48000.0, 512, kSample32), kResultOk);
  for (size_t n : {1, 64, 512, 4096, 0, 3}) {
    const std::vector<float> out = plug.Process(Noise<float>(n, unsigned(n)));
    ASSERT_EQ(out.size(), n);
    EXPECT_TRUE(AllFinite(out)) << n;
  }
  ASSERT_EQ(plug.Setup(44100.0, 4096, kSample64), kResultOk);
  for (size_t n : {1, 64, 512, 4096, 0, 3}) {
    const std::vector<double> out = plug.Process(Noise<double>(n, unsigned(n) + 7));
    ASSERT_EQ(out.size(), n);
    EXPECT_TRUE(AllFinite(out)) << n;
  }
  // The input reaches the equaliser: noise in, signal out.
  const std::vector<double> loud = plug.Process(Noise<double>(4096, 5));
  double energy = 0;
  for (double s : loud) energy += s * s;
  EXPECT_GT(energy, 1e-6);
  // Silence stays silence.
  const std::vector<double> silent = plug.Process(std::vector<double>(2048, 0.0));
  for (double s : silent) ASSERT_EQ(s, 0.0);
}

TEST(Vst3Processing, MissingBuffersAreSilenceNotACrash) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  ASSERT_EQ(plug.Setup(48000.0, 256, kSample32), kResultOk);
  std::vector<float> out(128, 5.f);
  float* outPtr[1] = {out.data()};
  AudioBusBuffers outBus;
  outBus.numChannels = 1;
  outBus.channelBuffers32 = outPtr;
  ProcessData data;
  data.symbolicSampleSize = kSample32;
  data.numSamples = 128;
  data.numOutputs = 1;
  data.outputs = &outBus;
  // No input bus at all: the plug-in hears silence.
  ASSERT_EQ(plug.Processor()->process(data), kResultOk);
  for (float s : out) ASSERT_TRUE(std::isfinite(s));
  // Null channel pointers on both sides.
  AudioBusBuffers inBus;
  inBus.numChannels = 1;
  inBus.channelBuffers32 = nullptr;
  outBus.channelBuffers32 = nullptr;
  data.numInputs = 1;
  data.inputs = &inBus;
  EXPECT_EQ(plug.Processor()->process(data), kResultOk);
  // Parameters only: no audio, no buses.
  TestParameterChanges changes;
  changes.Add(2, 0.25);
  ProcessData flush;
  flush.numSamples = 0;
  flush.inputParameterChanges = &changes;
  EXPECT_EQ(plug.Processor()->process(flush), kResultOk);
  EXPECT_DOUBLE_EQ(plug.Controller()->getParamNormalized(2), 0.25);
}

TEST(Vst3Processing, ParameterQueuesApplyTheirLastPoint) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  ASSERT_EQ(plug.Setup(48000.0, 512, kSample64), kResultOk);
  TestParameterChanges changes;
  changes.Add(2, 0.1, 0);
  changes.Add(2, 0.7, 100);
  changes.Add(3, 0.4, 10);
  changes.Add(4242, 0.9, 0);  // no such parameter: ignored
  plug.Process(Noise<double>(512, 3), &changes);
  EXPECT_DOUBLE_EQ(plug.Controller()->getParamNormalized(2), 0.7);
  EXPECT_DOUBLE_EQ(plug.Controller()->getParamNormalized(3), 0.4);
}

TEST(Vst3Processing, BypassTurnsOnAboveOneHalfAndPassesTheInput) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  // Offline, so the flat design plays from the first block: the bypass then fades between two equal
  // signals. In real time a slow design left the first blocks silent and the fade audible.
  ASSERT_EQ(plug.Setup(48000.0, 512, kSample64, kOffline), kResultOk);
  const std::vector<double> in = Noise<double>(512, 11);

  TestParameterChanges half;
  half.Add(kBypass, 0.5);
  plug.Process(in, &half);
  EXPECT_DOUBLE_EQ(plug.Controller()->getParamNormalized(kBypass), 0.0);

  TestParameterChanges on;
  on.Add(kBypass, 0.51);
  const std::vector<double> out = plug.Process(in, &on);
  EXPECT_DOUBLE_EQ(plug.Controller()->getParamNormalized(kBypass), 1.0);
  EXPECT_EQ(out, in);

  // A new processing setup keeps the host's bypass.
  ASSERT_EQ(plug.Setup(44100.0, 512, kSample64), kResultOk);
  EXPECT_DOUBLE_EQ(plug.Controller()->getParamNormalized(kBypass), 1.0);
}

// Restoring a preset runs the design and touches the editor: the audio thread never does it.
TEST(Vst3Processing, PresetSelectionInProcessChangesNothing) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  ASSERT_EQ(plug.Setup(48000.0, 512, kSample32), kResultOk);
  TestParameterChanges moved;
  moved.Add(2, 0.9);
  plug.Process(Noise<float>(64, 2), &moved);
  const std::vector<uint8_t> before = plug.ComponentState();
  ASSERT_FALSE(before.empty());

  for (double v : {0.0, 1.0}) {
    TestParameterChanges select;
    select.Add(kPreset, v);
    plug.Process(Noise<float>(64, 2), &select);
    EXPECT_EQ(plug.ComponentState(), before);
  }
}

TEST(Vst3Processing, SuspendAndResumeKeepWorking) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  ASSERT_EQ(plug.Setup(96000.0, 1024, kSample32), kResultOk);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(plug.Component()->setActive(false), kResultOk);
    EXPECT_EQ(plug.Processor()->setProcessing(false), kResultOk);
    EXPECT_EQ(plug.Component()->setActive(true), kResultOk);
    EXPECT_EQ(plug.Processor()->setProcessing(true), kResultOk);
    EXPECT_TRUE(AllFinite(plug.Process(Noise<float>(1024, unsigned(i)))));
  }
}

TEST(Vst3Processing, ControllerCallsFromOtherThreadsWhileAudioRuns) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  ASSERT_EQ(plug.Setup(48000.0, 256, kSample64), kResultOk);
  std::atomic<bool> stop{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t)
    threads.emplace_back([&, t] {
      IEditController* c = plug.Controller();
      String128 text;
      int i = 0;
      while (!stop.load()) {
        const ParamID id = ParamID(1 + (i + t) % 3);
        c->setParamNormalized(id, (i % 100) / 100.0);
        c->getParamNormalized(id);
        c->getParamStringByValue(id, 0.3, text);
        if (i % 50 == 0) {
          EXPECT_FALSE(plug.ControllerState().empty());
        }
        ++i;
      }
    });
  for (int block = 0; block < 200; ++block) {
    TestParameterChanges changes;
    changes.Add(ParamID(block % 4), (block % 10) / 10.0);
    ASSERT_TRUE(AllFinite(plug.Process(Noise<double>(256, unsigned(block)), &changes)));
  }
  stop = true;
  for (std::thread& t : threads) t.join();
}

TEST(Vst3Processing, BlocksBeforeAnySetupAreSilent) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  // A host that processes before setupProcessing gets silence, never stale memory.
  const std::vector<float> out = plug.Process(Noise<float>(300, 9));
  ASSERT_EQ(out.size(), 300u);
  for (float s : out) ASSERT_EQ(s, 0.f);
}
