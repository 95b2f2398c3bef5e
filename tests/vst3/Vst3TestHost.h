#pragma once
// A small VST3 host for the tests: loads the built bundle from disk like a DAW, gives the plug-in a
// host context, a component handler, parameter-change queues and a run loop, and wraps one plug-in
// instance with the calls the tests make.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "framework/hosts/vst3/hosting/Vst3Module.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstunits.h"

namespace vst3test {
using namespace Steinberg;
using namespace Steinberg::Vst;

// Host objects live on the test's stack: reference counting is not needed.
template <class... Interfaces>
class HostObject : public Interfaces... {
 public:
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    *obj = nullptr;
    const bool found =
        ((FUnknownPrivate::iidEqual(iid, Interfaces::iid) && (*obj = static_cast<Interfaces*>(this), true)) ||
         ...);
    if (!found && FUnknownPrivate::iidEqual(iid, FUnknown::iid))
      *obj = static_cast<FUnknown*>(static_cast<std::tuple_element_t<0, std::tuple<Interfaces...>>*>(this));
    return *obj ? kResultOk : kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }
};

class TestHostApplication : public HostObject<IHostApplication> {
 public:
  tresult PLUGIN_API getName(String128 name) override;
  tresult PLUGIN_API createInstance(TUID, TUID, void** obj) override {
    *obj = nullptr;
    return kResultFalse;
  }
};

// Records what the plug-in told the host; any thread.
class TestComponentHandler : public HostObject<IComponentHandler> {
 public:
  struct Edit {
    char kind;  // 'b' begin, 'p' perform, 'e' end
    ParamID id;
    ParamValue value;
  };
  tresult PLUGIN_API beginEdit(ParamID id) override;
  tresult PLUGIN_API performEdit(ParamID id, ParamValue value) override;
  tresult PLUGIN_API endEdit(ParamID id) override;
  tresult PLUGIN_API restartComponent(int32 flags) override;
  std::vector<Edit> Edits();
  int32 RestartFlags();

 private:
  std::mutex mMutex;
  std::vector<Edit> mEdits;
  int32 mRestartFlags = 0;
};

class TestParamValueQueue final : public HostObject<IParamValueQueue> {
 public:
  explicit TestParamValueQueue(ParamID id) : mId(id) {}
  ParamID PLUGIN_API getParameterId() override { return mId; }
  int32 PLUGIN_API getPointCount() override { return int32(mPoints.size()); }
  tresult PLUGIN_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) override;
  tresult PLUGIN_API addPoint(int32 sampleOffset, ParamValue value, int32& index) override;

 private:
  ParamID mId;
  std::vector<std::pair<int32, ParamValue>> mPoints;
};

class TestParameterChanges : public HostObject<IParameterChanges> {
 public:
  // Adds a point for a parameter (a new queue for a new id).
  void Add(ParamID id, ParamValue value, int32 offset = 0);
  int32 PLUGIN_API getParameterCount() override { return int32(mQueues.size()); }
  IParamValueQueue* PLUGIN_API getParameterData(int32 index) override;
  IParamValueQueue* PLUGIN_API addParameterData(const ParamID& id, int32& index) override;

 private:
  std::vector<std::unique_ptr<TestParamValueQueue>> mQueues;
};

#if !defined(_WIN32)
// The host's run loop on the test thread, offered through the view's frame (Windows editors run
// their own timer instead).
class TestRunLoop : public HostObject<IPlugFrame, Linux::IRunLoop> {
 public:
  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override;
  tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd) override;
  tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) override;
  tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval milliseconds) override;
  tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override;

  // Runs timers and descriptor handlers for the given time.
  void RunFor(std::chrono::milliseconds duration);
  size_t Timers() const { return mTimers.size(); }
  size_t Handlers() const { return mHandlers.size(); }
  Linux::TimerInterval LastInterval() const { return mLastInterval; }

 private:
  struct Timer {
    Linux::ITimerHandler* handler;
    std::chrono::milliseconds period;
    std::chrono::steady_clock::time_point next;
  };
  std::vector<Timer> mTimers;
  std::vector<std::pair<Linux::IEventHandler*, Linux::FileDescriptor>> mHandlers;
  Linux::TimerInterval mLastInterval = 0;
};
#endif

// The built bundle, loaded once per test binary.
class TestHost {
 public:
  static TestHost& Get();
  Vst3Module* Module() { return mModule.get(); }
  const std::string& LoadError() const { return mError; }
  IPluginFactory* Factory() { return mModule ? mModule->Factory() : nullptr; }
  // The id of the first audio effect class.
  bool EffectClassId(TUID cid);
  TestHostApplication& Application() { return mApplication; }

  static std::string BundlePath();

 private:
  TestHost();
  std::unique_ptr<Vst3Module> mModule;
  std::string mError;
  TestHostApplication mApplication;
};

// One plug-in instance set up as a host sets it up.
class TestPlugin {
 public:
  TestPlugin();
  ~TestPlugin();
  TestPlugin(const TestPlugin&) = delete;
  TestPlugin& operator=(const TestPlugin&) = delete;

  bool Valid() const { return mComponent && mProcessor && mController; }
  IComponent* Component() { return mComponent; }
  IAudioProcessor* Processor() { return mProcessor; }
  IEditController* Controller() { return mController; }
  TestComponentHandler& Handler() { return mHandler; }

  // setupProcessing, then setActive(true); blocks are then processed in `processMode`.
  tresult Setup(double sampleRate, int32 maxBlock, int32 sampleSize = kSample32,
                int32 processMode = kRealtime);
  // One block of mono audio; changes may be null. An empty input is a block of 0 samples.
  std::vector<float> Process(const std::vector<float>& input, TestParameterChanges* changes = nullptr);
  std::vector<double> Process(const std::vector<double>& input, TestParameterChanges* changes = nullptr);
  // One block on as many channels as given (the main buses' arrangement must match).
  std::vector<std::vector<double>> Process(const std::vector<std::vector<double>>& input,
                                           TestParameterChanges* changes = nullptr);

  std::vector<uint8_t> ComponentState();
  std::vector<uint8_t> ControllerState();
  tresult SetComponentState(const std::vector<uint8_t>& bytes);
  tresult SetControllerState(const std::vector<uint8_t>& bytes);

 private:
  template <typename Sample>
  std::vector<std::vector<Sample>> ProcessBlock(const std::vector<std::vector<Sample>>& input,
                                                TestParameterChanges* changes);

  IComponent* mComponent = nullptr;
  IAudioProcessor* mProcessor = nullptr;
  IEditController* mController = nullptr;
  TestComponentHandler mHandler;
  int32 mSampleSize = kSample32;
  int32 mProcessMode = kRealtime;
  bool mActive = false;
};
}  // namespace vst3test
