// Component and controller state as hosts store them with a project: the plug-in's own state bytes
// (plus the bypass flag for the controller), restored byte for byte into a fresh instance, and
// damaged streams refused without touching the current state.

#include <gtest/gtest.h>

#include <cstring>

#include "public.sdk/source/common/memorystream.h"
#include "vst3/Vst3TestHost.h"

using namespace vst3test;

namespace {
constexpr ParamID kBypass = 0x62706173;
constexpr size_t kStateSize = 2032;  // measured, target shape, 14 parameter values
constexpr size_t kCurveBytes = 960;

double DoubleAt(const std::vector<uint8_t>& bytes, size_t offset) {
  double v = 0;
  std::memcpy(&v, bytes.data() + offset, sizeof v);
  return v;
}

void PutDouble(std::vector<uint8_t>& bytes, size_t offset, double v) {
  std::memcpy(bytes.data() + offset, &v, sizeof v);
}

// A valid state unlike the default one: a sloped measurement, a target dip and moved parameters.
std::vector<uint8_t> DistinctState(std::vector<uint8_t> state) {
  for (size_t band = 0; band < 120; ++band) {
    PutDouble(state, band * 8, 0.2 + 0.8 * double(band) / 119.0);
    PutDouble(state, kCurveBytes + band * 8, band == 60 ? 0.5 : 1.0);
  }
  PutDouble(state, 1920 + 8, 0.75);   // "Vertical slider"
  PutDouble(state, 1920 + 16, 0.6);   // "Bypass signal volume"
  PutDouble(state, 1920 + 24, 0.25);  // "Note indicator"
  return state;
}
}  // namespace

TEST(Vst3State, BothStatesArePluginStateAndBypassFlag) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  std::vector<uint8_t> component = plug.ComponentState();
  ASSERT_EQ(component.size(), kStateSize + 4);
  // No header: the first bytes are the first measured band (-25 dB).
  EXPECT_DOUBLE_EQ(DoubleAt(component, 0), 0.05623413251903491);
  EXPECT_DOUBLE_EQ(DoubleAt(component, 1920 + 16), 0.5);

  std::vector<uint8_t> controller = plug.ControllerState();
  EXPECT_EQ(controller, component);
  int32 flag = -1;
  std::memcpy(&flag, controller.data() + kStateSize, 4);
  EXPECT_EQ(flag, 0);

  ASSERT_EQ(plug.Setup(48000.0, 256, kSample32), kResultOk);
  TestParameterChanges on;
  on.Add(kBypass, 1.0);
  plug.Process(std::vector<float>(256, 0.f), &on);
  controller = plug.ControllerState();
  std::memcpy(&flag, controller.data() + kStateSize, 4);
  EXPECT_EQ(flag, 1);
  component = plug.ComponentState();
  EXPECT_EQ(component, controller);

  // A host that restores only the component state gets the bypass back; a state saved before the
  // flag existed still loads and leaves the bypass as it is.
  TestPlugin fresh;
  ASSERT_TRUE(fresh.Valid());
  ASSERT_EQ(fresh.SetComponentState(component), kResultOk);
  EXPECT_DOUBLE_EQ(fresh.Controller()->getParamNormalized(kBypass), 1.0);
  const std::vector<uint8_t> old(component.begin(), component.begin() + kStateSize);
  TestPlugin older;
  ASSERT_TRUE(older.Valid());
  ASSERT_EQ(older.SetComponentState(old), kResultOk);
  EXPECT_DOUBLE_EQ(older.Controller()->getParamNormalized(kBypass), 0.0);

  EXPECT_EQ(plug.Component()->getState(nullptr), kInvalidArgument);
  EXPECT_EQ(plug.Component()->setState(nullptr), kInvalidArgument);
}

TEST(Vst3State, RestoresIntoAFreshInstanceByteForByte) {
  std::vector<uint8_t> saved;
  std::vector<uint8_t> savedController;
  {
    TestPlugin first;
    ASSERT_TRUE(first.Valid()) << TestHost::Get().LoadError();
    ASSERT_EQ(first.SetComponentState(DistinctState(first.ComponentState())), kResultOk);
    ASSERT_EQ(first.Setup(44100.0, 512, kSample64), kResultOk);
    TestParameterChanges changes;
    changes.Add(3, 0.125);
    changes.Add(kBypass, 1.0);
    first.Process(std::vector<double>(512, 0.0), &changes);
    saved = first.ComponentState();
    savedController = first.ControllerState();
  }
  ASSERT_EQ(saved.size(), kStateSize + 4);
  EXPECT_DOUBLE_EQ(DoubleAt(saved, 8 * 119), 1.0);
  EXPECT_DOUBLE_EQ(DoubleAt(saved, 1920 + 24), 0.125);

  // A host reopening the project: component state, then controller state.
  TestPlugin second;
  ASSERT_TRUE(second.Valid());
  ASSERT_NE(second.ComponentState(), saved);
  ASSERT_EQ(second.SetComponentState(saved), kResultOk);
  EXPECT_EQ(second.ComponentState(), saved);
  EXPECT_DOUBLE_EQ(second.Controller()->getParamNormalized(kBypass), 1.0);
  ASSERT_EQ(second.SetControllerState(savedController), kResultOk);
  EXPECT_EQ(second.ControllerState(), savedController);
  EXPECT_DOUBLE_EQ(second.Controller()->getParamNormalized(kBypass), 1.0);
  EXPECT_DOUBLE_EQ(second.Controller()->getParamNormalized(3), 0.125);
}

TEST(Vst3State, TruncatedOrOversizedStreamsAreRefusedWithoutChange) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  const std::vector<uint8_t> current = plug.ComponentState();
  const std::vector<uint8_t> currentController = plug.ControllerState();
  const std::vector<uint8_t> other = DistinctState(current);

  for (size_t size : {size_t(0), size_t(1), size_t(1000), kStateSize - 1}) {
    std::vector<uint8_t> shortState(other.begin(), other.begin() + long(size));
    EXPECT_NE(plug.SetComponentState(shortState), kResultOk) << size;
    EXPECT_NE(plug.SetControllerState(shortState), kResultOk) << size;
  }
  std::vector<uint8_t> longState = other;
  longState.push_back(0);
  EXPECT_NE(plug.SetComponentState(longState), kResultOk);
  for (size_t extra : {size_t(1), size_t(3), size_t(5), size_t(100)}) {
    std::vector<uint8_t> odd = other;
    odd.resize(kStateSize + extra, 1);
    EXPECT_NE(plug.SetControllerState(odd), kResultOk) << extra;
  }
  EXPECT_EQ(plug.ComponentState(), current);
  EXPECT_EQ(plug.ControllerState(), currentController);

  // A controller state without the flag still restores the plug-in state; the flag stays.
  EXPECT_EQ(plug.SetControllerState(other), kResultOk);
  EXPECT_EQ(plug.ComponentState(), other);
  EXPECT_DOUBLE_EQ(plug.Controller()->getParamNormalized(kBypass), 0.0);
}

TEST(Vst3State, StreamsThatDeliverInPiecesAreReadWhole) {
  // Some hosts hand over streams that return fewer bytes than asked for per read.
  class TrickleStream : public HostObject<IBStream> {
   public:
    explicit TrickleStream(std::vector<uint8_t> bytes) : mBytes(std::move(bytes)) {}
    tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override {
      const int32 n = std::min<int32>({numBytes, 7, int32(mBytes.size() - mPos)});
      std::memcpy(buffer, mBytes.data() + mPos, size_t(std::max(n, 0)));
      mPos += size_t(std::max(n, 0));
      if (numBytesRead) *numBytesRead = n;
      return kResultOk;
    }
    tresult PLUGIN_API write(void*, int32, int32*) override { return kResultFalse; }
    tresult PLUGIN_API seek(int64, int32, int64*) override { return kNotImplemented; }
    tresult PLUGIN_API tell(int64* pos) override {
      *pos = int64(mPos);
      return kResultOk;
    }

   private:
    std::vector<uint8_t> mBytes;
    size_t mPos = 0;
  };

  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  const std::vector<uint8_t> other = DistinctState(plug.ComponentState());
  TrickleStream stream(other);
  ASSERT_EQ(plug.Component()->setState(&stream), kResultOk);
  EXPECT_EQ(plug.ComponentState(), other);
}

// A host that loads a project and renders it offline at once hears the loaded correction from the
// first sample (the design runs on a thread of the instance; offline blocks wait for it).
TEST(Vst3State, AnOfflineRenderHearsTheLoadedStateFromItsFirstSample) {
  std::vector<double> impulse(512, 0.0);
  impulse[0] = 1.0;
  std::vector<double> first[2];
  for (auto& out : first) {
    TestPlugin plugin;
    ASSERT_TRUE(plugin.Valid());
    ASSERT_EQ(plugin.Setup(44100.0, 512, kSample64, kOffline), kResultOk);
    ASSERT_EQ(plugin.SetComponentState(DistinctState(plugin.ComponentState())), kResultOk);
    out = plugin.Process(impulse);
  }
  EXPECT_NE(first[0], impulse) << "the flat filter of before the load played";
  EXPECT_EQ(first[0], first[1]);
}

// A host's reset (processing and activation turned off and on, as JUCE's reset() does) clears the
// filter history: the instance then renders exactly as a fresh one restored from the same state.
TEST(Vst3State, AResetInstanceRendersAsAFreshRestoredOne) {
  auto noise = [](unsigned seed) {
    std::vector<double> v(512);
    for (size_t i = 0; i < v.size(); ++i) v[i] = double((seed * 7919u + i * 104729u) % 2001u) / 1000.0 - 1.0;
    return v;
  };
  TestPlugin played;
  ASSERT_TRUE(played.Valid());
  ASSERT_EQ(played.Setup(44100.0, 512, kSample64, kOffline), kResultOk);
  ASSERT_EQ(played.SetComponentState(DistinctState(played.ComponentState())), kResultOk);
  for (unsigned i = 0; i < 20; ++i) played.Process(noise(i));
  ASSERT_EQ(played.Processor()->setProcessing(false), kResultOk);
  ASSERT_EQ(played.Component()->setActive(false), kResultOk);
  ASSERT_EQ(played.Component()->setActive(true), kResultOk);
  ASSERT_EQ(played.Processor()->setProcessing(true), kResultOk);

  TestPlugin fresh;
  ASSERT_TRUE(fresh.Valid());
  ASSERT_EQ(fresh.Setup(44100.0, 512, kSample64, kOffline), kResultOk);
  ASSERT_EQ(fresh.SetComponentState(played.ComponentState()), kResultOk);
  for (unsigned i = 0; i < 40; ++i)
    ASSERT_EQ(played.Process(noise(100 + i)), fresh.Process(noise(100 + i))) << i;
}
