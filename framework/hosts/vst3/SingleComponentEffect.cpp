#include "framework/hosts/vst3/SingleComponentEffect.h"

#include <bit>

using namespace Steinberg;
using namespace Steinberg::Vst;

int SpeakerArrangementChannels(SpeakerArrangement arr) {
  return std::popcount(static_cast<uint64>(arr));
}

SingleComponentEffect::SingleComponentEffect()
    : mAudioInputs(kAudio, kInput),
      mAudioOutputs(kAudio, kOutput),
      mEventInputs(kEvent, kInput),
      mEventOutputs(kEvent, kOutput) {
  mProcessSetup.processMode = kRealtime;
  mProcessSetup.symbolicSampleSize = kSample32;
  mProcessSetup.maxSamplesPerBlock = 1024;
  mProcessSetup.sampleRate = 44100.0;
}

SingleComponentEffect::~SingleComponentEffect() = default;

tresult PLUGIN_API SingleComponentEffect::initialize(FUnknown* context) {
  return EditControllerEx1::initialize(context);
}

tresult PLUGIN_API SingleComponentEffect::terminate() {
  RemoveAllBusses();
  return EditControllerEx1::terminate();
}

tresult PLUGIN_API SingleComponentEffect::getControllerClassId(TUID) {
  return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::setIoMode(IoMode) {
  return kNotImplemented;
}

BusList* SingleComponentEffect::GetBusList(MediaType type, BusDirection dir) {
  if (type == kAudio) return dir == kInput ? &mAudioInputs : dir == kOutput ? &mAudioOutputs : nullptr;
  if (type == kEvent) return dir == kInput ? &mEventInputs : dir == kOutput ? &mEventOutputs : nullptr;
  return nullptr;
}

int32 PLUGIN_API SingleComponentEffect::getBusCount(MediaType type, BusDirection dir) {
  BusList* list = GetBusList(type, dir);
  return list ? static_cast<int32>(list->size()) : 0;
}

tresult PLUGIN_API SingleComponentEffect::getBusInfo(MediaType type, BusDirection dir, int32 index,
                                                     BusInfo& bus) {
  BusList* list = GetBusList(type, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  bus.mediaType = type;
  bus.direction = dir;
  return list->at(index)->getInfo(bus) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) {
  if (inInfo.mediaType != kAudio || inInfo.busIndex != 0 || mAudioOutputs.empty()) return kResultFalse;
  outInfo.mediaType = kAudio;
  outInfo.busIndex = 0;
  outInfo.channel = inInfo.channel;
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::activateBus(MediaType type, BusDirection dir, int32 index,
                                                      TBool state) {
  BusList* list = GetBusList(type, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  list->at(index)->setActive(state);
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::setActive(TBool) {
  return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                             SpeakerArrangement* outputs, int32 numOuts) {
  if (numIns < 0 || numOuts < 0 || (numIns > 0 && !inputs) || (numOuts > 0 && !outputs))
    return kInvalidArgument;
  if (numIns != static_cast<int32>(mAudioInputs.size()) ||
      numOuts != static_cast<int32>(mAudioOutputs.size()))
    return kResultFalse;
  for (int32 i = 0; i < numIns; ++i)
    if (static_cast<AudioBus*>(mAudioInputs[i].get())->getArrangement() != inputs[i]) return kResultFalse;
  for (int32 i = 0; i < numOuts; ++i)
    if (static_cast<AudioBus*>(mAudioOutputs[i].get())->getArrangement() != outputs[i]) return kResultFalse;
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::getBusArrangement(BusDirection dir, int32 index,
                                                            SpeakerArrangement& arr) {
  BusList* list = GetBusList(kAudio, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  arr = static_cast<AudioBus*>(list->at(index).get())->getArrangement();
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::canProcessSampleSize(int32 symbolicSampleSize) {
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::setupProcessing(ProcessSetup& setup) {
  if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue) return kResultFalse;
  mProcessSetup = setup;
  return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::queryInterface(const TUID iid, void** obj) {
  if (FUnknownPrivate::iidEqual(iid, IComponent::iid)) {
    addRef();
    *obj = static_cast<IComponent*>(this);
    return kResultOk;
  }
  if (FUnknownPrivate::iidEqual(iid, IAudioProcessor::iid)) {
    addRef();
    *obj = static_cast<IAudioProcessor*>(this);
    return kResultOk;
  }
  return EditControllerEx1::queryInterface(iid, obj);
}

AudioBus* SingleComponentEffect::AddAudioInput(const TChar* name, SpeakerArrangement arr, BusType type,
                                               int32 flags) {
  auto* bus = new AudioBus(name, type, flags, arr);
  mAudioInputs.push_back(IPtr<Vst::Bus>(bus, false));
  return bus;
}

AudioBus* SingleComponentEffect::AddAudioOutput(const TChar* name, SpeakerArrangement arr, BusType type,
                                                int32 flags) {
  auto* bus = new AudioBus(name, type, flags, arr);
  mAudioOutputs.push_back(IPtr<Vst::Bus>(bus, false));
  return bus;
}

EventBus* SingleComponentEffect::AddEventInput(const TChar* name, int32 channels) {
  auto* bus = new EventBus(name, kMain, BusInfo::kDefaultActive, channels);
  mEventInputs.push_back(IPtr<Vst::Bus>(bus, false));
  return bus;
}

void SingleComponentEffect::RemoveAllBusses() {
  mAudioInputs.clear();
  mAudioOutputs.clear();
  mEventInputs.clear();
  mEventOutputs.clear();
}
