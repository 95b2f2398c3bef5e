#include "vst3/Vst3TestHost.h"

#if !defined(_WIN32)
#include <poll.h>
#endif
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "public.sdk/source/common/memorystream.h"

namespace vst3test {
tresult PLUGIN_API TestHostApplication::getName(String128 name) {
  const char* text = "Resonix Test Host";
  int i = 0;
  for (; text[i]; ++i) name[i] = char16(text[i]);
  name[i] = 0;
  return kResultOk;
}

tresult PLUGIN_API TestComponentHandler::beginEdit(ParamID id) {
  std::lock_guard<std::mutex> lock(mMutex);
  mEdits.push_back({'b', id, 0.0});
  return kResultOk;
}

tresult PLUGIN_API TestComponentHandler::performEdit(ParamID id, ParamValue value) {
  std::lock_guard<std::mutex> lock(mMutex);
  mEdits.push_back({'p', id, value});
  return kResultOk;
}

tresult PLUGIN_API TestComponentHandler::endEdit(ParamID id) {
  std::lock_guard<std::mutex> lock(mMutex);
  mEdits.push_back({'e', id, 0.0});
  return kResultOk;
}

tresult PLUGIN_API TestComponentHandler::restartComponent(int32 flags) {
  std::lock_guard<std::mutex> lock(mMutex);
  mRestartFlags |= flags;
  return kResultOk;
}

std::vector<TestComponentHandler::Edit> TestComponentHandler::Edits() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mEdits;
}

int32 TestComponentHandler::RestartFlags() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mRestartFlags;
}

tresult PLUGIN_API TestParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value) {
  if (index < 0 || index >= int32(mPoints.size())) return kResultFalse;
  sampleOffset = mPoints[index].first;
  value = mPoints[index].second;
  return kResultTrue;
}

tresult PLUGIN_API TestParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index) {
  index = int32(mPoints.size());
  mPoints.emplace_back(sampleOffset, value);
  return kResultTrue;
}

void TestParameterChanges::Add(ParamID id, ParamValue value, int32 offset) {
  int32 index = 0;
  IParamValueQueue* queue = addParameterData(id, index);
  queue->addPoint(offset, value, index);
}

IParamValueQueue* PLUGIN_API TestParameterChanges::getParameterData(int32 index) {
  return index >= 0 && index < int32(mQueues.size()) ? mQueues[index].get() : nullptr;
}

IParamValueQueue* PLUGIN_API TestParameterChanges::addParameterData(const ParamID& id, int32& index) {
  for (size_t i = 0; i < mQueues.size(); ++i)
    if (mQueues[i]->getParameterId() == id) {
      index = int32(i);
      return mQueues[i].get();
    }
  index = int32(mQueues.size());
  mQueues.push_back(std::make_unique<TestParamValueQueue>(id));
  return mQueues.back().get();
}

#if !defined(_WIN32)
tresult PLUGIN_API TestRunLoop::resizeView(IPlugView* view, ViewRect* newSize) {
  return view && newSize ? view->onSize(newSize) : kInvalidArgument;
}

tresult PLUGIN_API TestRunLoop::registerEventHandler(Linux::IEventHandler* handler,
                                                     Linux::FileDescriptor fd) {
  if (!handler) return kInvalidArgument;
  mHandlers.emplace_back(handler, fd);
  return kResultTrue;
}

tresult PLUGIN_API TestRunLoop::unregisterEventHandler(Linux::IEventHandler* handler) {
  const size_t before = mHandlers.size();
  std::erase_if(mHandlers, [handler](const auto& h) { return h.first == handler; });
  return mHandlers.size() < before ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API TestRunLoop::registerTimer(Linux::ITimerHandler* handler,
                                              Linux::TimerInterval milliseconds) {
  if (!handler || milliseconds == 0) return kInvalidArgument;
  mLastInterval = milliseconds;
  const auto period = std::chrono::milliseconds(milliseconds);
  mTimers.push_back({handler, period, std::chrono::steady_clock::now() + period});
  return kResultTrue;
}

tresult PLUGIN_API TestRunLoop::unregisterTimer(Linux::ITimerHandler* handler) {
  const size_t before = mTimers.size();
  std::erase_if(mTimers, [handler](const Timer& t) { return t.handler == handler; });
  return mTimers.size() < before ? kResultTrue : kResultFalse;
}

void TestRunLoop::RunFor(std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end) {
    std::vector<pollfd> fds;
    for (const auto& h : mHandlers) fds.push_back({h.second, POLLIN, 0});
    poll(fds.data(), fds.size(), 5);
    // Copies: a handler may unregister itself or others.
    const auto handlers = mHandlers;
    for (size_t i = 0; i < fds.size() && i < handlers.size(); ++i)
      if (fds[i].revents & POLLIN) handlers[i].first->onFDIsSet(handlers[i].second);
    const auto now = std::chrono::steady_clock::now();
    const auto timers = mTimers;
    for (const Timer& t : timers)
      if (now >= t.next) {
        for (Timer& mine : mTimers)
          if (mine.handler == t.handler) mine.next = now + mine.period;
        t.handler->onTimer();
      }
  }
}
#endif

// The built bundle, or an installed one the package test names.
std::string TestHost::BundlePath() {
  const char* installed = std::getenv("RESONIX_TEST_VST3_BUNDLE");
  return installed && *installed ? installed : RESONIX_VST3_BUNDLE;
}

TestHost& TestHost::Get() {
  static TestHost host;
  return host;
}

TestHost::TestHost() {
  // Kept mapped after unloading: the sanitizer run names every allocation of the plug-in it reports.
  mModule = Vst3Module::Load(BundlePath(), &mError, true);
}

bool TestHost::EffectClassId(TUID cid) {
  IPluginFactory* factory = Factory();
  if (!factory) return false;
  for (int32 i = 0; i < factory->countClasses(); ++i) {
    PClassInfo info;
    if (factory->getClassInfo(i, &info) == kResultOk &&
        std::strcmp(info.category, kVstAudioEffectClass) == 0) {
      std::memcpy(cid, info.cid, sizeof(TUID));
      return true;
    }
  }
  return false;
}

TestPlugin::TestPlugin() {
  TestHost& host = TestHost::Get();
  TUID cid;
  if (!host.EffectClassId(cid)) return;
  void* obj = nullptr;
  if (host.Factory()->createInstance(cid, IComponent::iid, &obj) != kResultOk || !obj) return;
  mComponent = static_cast<IComponent*>(obj);
  if (mComponent->initialize(&host.Application()) != kResultOk) return;
  mComponent->queryInterface(IAudioProcessor::iid, reinterpret_cast<void**>(&mProcessor));
  mComponent->queryInterface(IEditController::iid, reinterpret_cast<void**>(&mController));
  if (mController) mController->setComponentHandler(&mHandler);
}

TestPlugin::~TestPlugin() {
  if (mActive) mComponent->setActive(false);
  if (mController) {
    mController->setComponentHandler(nullptr);
    mController->release();
  }
  if (mProcessor) mProcessor->release();
  if (mComponent) {
    mComponent->terminate();
    mComponent->release();
  }
}

tresult TestPlugin::Setup(double sampleRate, int32 maxBlock, int32 sampleSize, int32 processMode) {
  if (mActive) {
    mComponent->setActive(false);
    mActive = false;
  }
  ProcessSetup setup{processMode, sampleSize, maxBlock, sampleRate};
  const tresult result = mProcessor->setupProcessing(setup);
  if (result != kResultOk) return result;
  mSampleSize = sampleSize;
  mProcessMode = processMode;
  mActive = mComponent->setActive(true) == kResultOk;
  return mActive ? kResultOk : kResultFalse;
}

template <typename Sample>
std::vector<std::vector<Sample>> TestPlugin::ProcessBlock(const std::vector<std::vector<Sample>>& input,
                                                          TestParameterChanges* changes) {
  std::vector<std::vector<Sample>> in = input;
  std::vector<std::vector<Sample>> out;
  std::vector<Sample*> inPtr, outPtr;
  for (auto& channel : in) {
    out.emplace_back(channel.size(), Sample(12345));  // anything not written shows
    inPtr.push_back(channel.data());
    outPtr.push_back(out.back().data());
  }
  AudioBusBuffers inBus;
  AudioBusBuffers outBus;
  inBus.numChannels = outBus.numChannels = int32(in.size());
  if constexpr (sizeof(Sample) == 8) {
    inBus.channelBuffers64 = reinterpret_cast<Sample64**>(inPtr.data());
    outBus.channelBuffers64 = reinterpret_cast<Sample64**>(outPtr.data());
  } else {
    inBus.channelBuffers32 = reinterpret_cast<Sample32**>(inPtr.data());
    outBus.channelBuffers32 = reinterpret_cast<Sample32**>(outPtr.data());
  }
  ProcessData data;
  data.processMode = mProcessMode;
  data.symbolicSampleSize = sizeof(Sample) == 8 ? kSample64 : kSample32;
  data.numSamples = in.empty() ? 0 : int32(in[0].size());
  data.numInputs = 1;
  data.numOutputs = 1;
  data.inputs = &inBus;
  data.outputs = &outBus;
  data.inputParameterChanges = changes;
  if (mProcessor->process(data) != kResultOk) return {};
  return out;
}

std::vector<float> TestPlugin::Process(const std::vector<float>& input, TestParameterChanges* changes) {
  auto out = ProcessBlock(std::vector<std::vector<float>>{input}, changes);
  return out.empty() ? std::vector<float>{} : out[0];
}

std::vector<double> TestPlugin::Process(const std::vector<double>& input, TestParameterChanges* changes) {
  auto out = ProcessBlock(std::vector<std::vector<double>>{input}, changes);
  return out.empty() ? std::vector<double>{} : out[0];
}

std::vector<std::vector<double>> TestPlugin::Process(const std::vector<std::vector<double>>& input,
                                                     TestParameterChanges* changes) {
  return ProcessBlock(input, changes);
}

namespace {
std::vector<uint8_t> BytesOf(MemoryStream& stream) {
  const auto* data = reinterpret_cast<const uint8_t*>(stream.getData());
  return std::vector<uint8_t>(data, data + stream.getSize());
}
}  // namespace

std::vector<uint8_t> TestPlugin::ComponentState() {
  MemoryStream stream;
  if (mComponent->getState(&stream) != kResultOk) return {};
  return BytesOf(stream);
}

std::vector<uint8_t> TestPlugin::ControllerState() {
  MemoryStream stream;
  if (mController->getState(&stream) != kResultOk) return {};
  return BytesOf(stream);
}

tresult TestPlugin::SetComponentState(const std::vector<uint8_t>& bytes) {
  MemoryStream stream(const_cast<uint8_t*>(bytes.data()), TSize(bytes.size()));
  return mComponent->setState(&stream);
}

tresult TestPlugin::SetControllerState(const std::vector<uint8_t>& bytes) {
  MemoryStream stream(const_cast<uint8_t*>(bytes.data()), TSize(bytes.size()));
  return mController->setState(&stream);
}
}  // namespace vst3test
