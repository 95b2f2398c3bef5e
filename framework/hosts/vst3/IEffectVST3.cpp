// The processor side of the VST3 adapter: life cycle, buses, processing, state, transport.
#include "framework/hosts/vst3/IEffectVST3.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "framework/hosts/vst3/IHostParameter.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/vstspeaker.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
// Speaker arrangement of a bus by its channel count.
SpeakerArrangement ArrangementForChannels(int channels) {
  switch (channels) {
    case 1:
      return SpeakerArr::kMono;
    case 2:
      return SpeakerArr::kStereo;
    case 3:
      return 0x103;
    case 4:
      return 0x33;
    case 5:
      return 0x37;
    case 6:
      return 0x3F;
    default:
      return SpeakerArr::kEmpty;
  }
}

void WidenInto(const char* text, String128 out) {
  IHostParameter::Widen(text, out);
}

// Largest host block the adapter accepts: beyond it the scratch buffers would be absurd.
constexpr int32 kMaxBlockSize = 1 << 20;
}  // namespace

IEffectVST3::IEffectVST3(IInstanceInfo, int nParams, const char* channelIOStr, int nPresets,
                         const char* effectName, const char* productName, const char* mfrName,
                         int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                         bool plugDoesChunks, bool plugIsInst)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID,
                  mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIVST3) {}

// Views hold a reference to the instance, so none is left when it goes.
IEffectVST3::~IEffectVST3() = default;

// ---------------------------------------------------------------------------------------------
// Life cycle

tresult PLUGIN_API IEffectVST3::initialize(FUnknown* context) {
  tresult result = SingleComponentEffect::initialize(context);
  if (result != kResultOk) return result;

  IEffectBase::Lock lock(GetMutex());
  if (context) {
    FUnknownPtr<IHostApplication> app(context);
    if (app) {
      String128 name = {};
      if (app->getName(name) == kResultOk) SetHost(IHostParameter::Narrow(name, 127).c_str(), 0);
    }
  }
  CreateBuses();
  CreateParameters();
  OnHostIdentified();
  RestorePreset(0);
  return kResultOk;
}

tresult PLUGIN_API IEffectVST3::terminate() {
  IEffectBase::Lock lock(GetMutex());
  mUnits.clear();
  return SingleComponentEffect::terminate();
}

// An effect's main buses start with the first channel pair it lists ("1-1 2-2": mono); the host may
// ask for another listed pair with setBusArrangements.
void IEffectVST3::CreateBuses() {
  RemoveAllBusses();
  int nIn = NInChannels(), nOut = NOutChannels();
  if (!IsInst() && NChannelIO() > 0) GetChannelIO(0, &nIn, &nOut);
  if (nIn > 0)
    AddAudioInput(STR16("Main Input"), ArrangementForChannels(nIn), kMain, BusInfo::kDefaultActive);
  if (IsInst()) {
    for (int ch = 0; ch < NOutChannels(); ch += 2) {
      char label[32];
      std::snprintf(label, sizeof label, "Output %i", ch / 2 + 1);
      String128 wide;
      WidenInto(label, wide);
      AddAudioOutput(wide, ArrangementForChannels(std::min(2, NOutChannels() - ch)), kMain,
                     ch == 0 ? BusInfo::kDefaultActive : 0);
    }
  } else if (nOut > 0) {
    AddAudioOutput(STR16("Output"), ArrangementForChannels(nOut), kMain, BusInfo::kDefaultActive);
  }
  if (DoesMIDI()) AddEventInput(STR16("MIDI Input"), 1);
}

// Control thread, before processing starts: one main input and output bus of a listed channel pair
// (the counts of the two arrangements); anything else keeps the buses and is refused.
tresult PLUGIN_API IEffectVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                   SpeakerArrangement* outputs, int32 numOuts) {
  if (IsInst() || numIns != 1 || numOuts != 1 || !inputs || !outputs || NInChannels() == 0)
    return SingleComponentEffect::setBusArrangements(inputs, numIns, outputs, numOuts);
  const int nIn = SpeakerArr::getChannelCount(inputs[0]);
  const int nOut = SpeakerArr::getChannelCount(outputs[0]);
  if (inputs[0] != ArrangementForChannels(nIn) || outputs[0] != ArrangementForChannels(nOut) ||
      !LegalIO(nIn, nOut))
    return kResultFalse;
  IEffectBase::Lock lock(GetMutex());
  auto* in = static_cast<AudioBus*>(GetBusList(kAudio, kInput)->at(0).get());
  auto* out = static_cast<AudioBus*>(GetBusList(kAudio, kOutput)->at(0).get());
  in->setArrangement(inputs[0]);
  out->setArrangement(outputs[0]);
  return kResultTrue;
}

tresult PLUGIN_API IEffectVST3::setActive(TBool state) {
  OnActivate(state != 0);
  if (state) {
    IEffectBase::Lock lock(GetMutex());
    Reset();
    RestartHostBypass();
  }
  return kResultOk;
}

tresult PLUGIN_API IEffectVST3::setProcessing(TBool state) {
  if (state) {  // processing turned back on: the host resets the plug-in
    IEffectBase::Lock lock(GetMutex());
    Reset();
    RestartHostBypass();
  }
  return kResultOk;
}

tresult PLUGIN_API IEffectVST3::setupProcessing(ProcessSetup& setup) {
  if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64) return kResultFalse;
  if (!std::isfinite(setup.sampleRate) || setup.sampleRate <= 0.0 || setup.maxSamplesPerBlock <= 0 ||
      setup.maxSamplesPerBlock > kMaxBlockSize)
    return kResultFalse;

  IEffectBase::Lock lock(GetMutex());
  // The bypass stays as the host set it or restored it with the state.
  SetSampleRate(setup.sampleRate);
  SetBlockSize(setup.maxSamplesPerBlock);
  Reset();
  RestartHostBypass();
  mProcessSetup = setup;
  mOfflineMode.store(setup.processMode == kOffline, std::memory_order_relaxed);
  return kResultOk;
}

uint32 PLUGIN_API IEffectVST3::getLatencySamples() {
  return static_cast<uint32>(std::max(0, GetLatency()));
}

// ---------------------------------------------------------------------------------------------
// Processing

void IEffectVST3::ApplyParameterChanges(IParameterChanges* changes) {
  if (!changes) return;
  const int32 nQueues = changes->getParameterCount();
  for (int32 q = 0; q < nQueues; ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const int32 nPoints = queue->getPointCount();
    int32 offset = 0;
    ParamValue value = 0.0;
    if (nPoints <= 0 || queue->getPoint(nPoints - 1, offset, value) != kResultTrue) continue;
    const ParamID id = queue->getParameterId();
    if (id == kBypassParam)
      mBypass.store(value > 0.5);
    else if (id < static_cast<ParamID>(NParams()))
      SetParameterFromHost(static_cast<int>(id), value);
    // A preset is restored by the controller (setParamNormalized), never here: restoring runs the
    // design and updates the editor, neither of which belongs on the audio thread.
  }
}

template <typename Sample>
void IEffectVST3::ProcessAudio(ProcessData& data) {
  auto buffersOf = [](AudioBusBuffers& bus) -> Sample** {
    if constexpr (sizeof(Sample) == sizeof(double))
      return reinterpret_cast<Sample**>(bus.channelBuffers64);
    else
      return reinterpret_cast<Sample**>(bus.channelBuffers32);
  };
  const int nFrames = data.numSamples;

  int nIn = 0;
  Sample** in = nullptr;
  if (data.numInputs > 0 && data.inputs) {
    in = buffersOf(data.inputs[0]);
    nIn = in ? std::clamp(static_cast<int>(data.inputs[0].numChannels), 0, NInChannels()) : 0;
  }
  int nOut = 0;
  Sample** out = nullptr;
  if (data.numOutputs > 0 && data.outputs) {
    out = buffersOf(data.outputs[0]);
    nOut = out ? std::clamp(static_cast<int>(data.outputs[0].numChannels), 0, NOutChannels()) : 0;
  }
  ConnectChannels(nIn, nOut);
  AttachInputBuffers(0, nIn, in, nFrames);
  AttachInputBuffers(nIn, NInChannels() - nIn, static_cast<Sample**>(nullptr), nFrames);
  AttachOutputBuffers(0, nOut, out);
  AttachOutputBuffers(nOut, NOutChannels() - nOut, static_cast<Sample**>(nullptr));

  if (mBypass.load(std::memory_order_relaxed))
    PassThroughBuffers(Sample(0), nFrames);
  else
    ProcessBuffers(Sample(0), nFrames);

  // Host channels beyond ours get silence rather than whatever the buffer held.
  for (int32 b = 0; b < data.numOutputs && data.outputs; ++b) {
    AudioBusBuffers& bus = data.outputs[b];
    Sample** channels = buffersOf(bus);
    bus.silenceFlags = 0;
    if (!channels) continue;
    for (int32 c = (b == 0 ? nOut : 0); c < bus.numChannels; ++c)
      if (channels[c]) std::fill(channels[c], channels[c] + nFrames, Sample(0));
  }
}

tresult PLUGIN_API IEffectVST3::process(ProcessData& data) {
  // An offline render hears the design asked for last from its first sample; the wait is bounded
  // by the design's own bound and happens before the lock, which the design never needs.
  if (mOfflineMode.load(std::memory_order_relaxed) && HasPendingWork()) FinishPendingWork();
  IEffectBase::Lock lock(GetMutex());
  const ThreadCheck::AudioScope audio(Threads());
  if (data.processContext) mProcessContext = *data.processContext;
  ApplyParameterChanges(data.inputParameterChanges);

  if (data.numSamples <= 0) return kResultOk;
  if (data.symbolicSampleSize == kSample64)
    ProcessAudio<double>(data);
  else if (data.symbolicSampleSize == kSample32)
    ProcessAudio<float>(data);
  else
    return kResultFalse;
  return kResultOk;
}

// ---------------------------------------------------------------------------------------------
// State

namespace {
// Reads up to size bytes; returns how many arrived.
int32 ReadFully(IBStream* stream, void* buffer, int32 size) {
  auto* bytes = static_cast<uint8*>(buffer);
  int32 total = 0;
  while (total < size) {
    int32 got = 0;
    if (stream->read(bytes + total, size - total, &got) != kResultOk || got <= 0) break;
    total += got;
  }
  return total;
}
}  // namespace

tresult IEffectVST3::WriteState(IBStream* state, bool withBypass) {
  if (!state) return kInvalidArgument;
  IEffectBase::Lock lock(GetMutex());
  ByteChunk chunk;
  if (!SerializeState(&chunk) || chunk.Size() <= 0) return kResultFalse;
  if (withBypass) {
    const int32 flag = IsBypassed() ? 1 : 0;
    chunk.Put(&flag);
  }
  int32 written = 0;
  if (state->write(chunk.GetBytes(), chunk.Size(), &written) != kResultOk || written != chunk.Size())
    return kResultFalse;
  return kResultOk;
}

tresult IEffectVST3::ReadState(IBStream* state, bool withBypass) {
  if (!state) return kInvalidArgument;
  IEffectBase::Lock lock(GetMutex());
  ByteChunk probe;
  SerializeState(&probe);
  const int32 size = probe.Size();
  if (size <= 0) return kResultFalse;

  // One byte more than the largest valid state tells an oversized stream from a fitting one.
  const int32 flagSize = withBypass ? int32(sizeof(int32)) : 0;
  ByteChunk chunk;
  chunk.Resize(size + flagSize + 1);
  const int32 got = ReadFully(state, chunk.GetBytes(), chunk.Size());
  // The controller also takes a state without the flag (the flag then stays as it is).
  if (got != size + flagSize && !(withBypass && got == size)) return kResultFalse;
  int32 flag = 0;
  const bool hasFlag = withBypass && got == size + flagSize;
  if (hasFlag) std::memcpy(&flag, chunk.GetBytes() + size, sizeof flag);
  chunk.Resize(size);

  if (UnserializeState(&chunk, 0) < 0) return kResultFalse;
  if (hasFlag) mBypass.store(flag != 0);
  RedrawParamControls();
  return kResultOk;
}

// The component state carries the bypass flag too: hosts that restore only the component state
// keep the bypass. A state written before the flag was added still loads (the flag stays).
tresult IEffectVST3::ProcessorGetState(IBStream* state) {
  return WriteState(state, true);
}

tresult IEffectVST3::ProcessorSetState(IBStream* state) {
  return ReadState(state, true);
}

tresult IEffectVST3::ControllerGetState(IBStream* state) {
  return WriteState(state, true);
}

tresult IEffectVST3::ControllerSetState(IBStream* state) {
  return ReadState(state, true);
}

// ---------------------------------------------------------------------------------------------
// Transport and latency, as the host's process setup and last process context tell them

bool IEffectVST3::IsRenderingOffline() {
  return mProcessSetup.processMode == kOffline;
}

int IEffectVST3::GetSamplePos() {
  return static_cast<int>(mProcessContext.projectTimeSamples);
}

double IEffectVST3::GetTempo() {
  return (mProcessContext.state & ProcessContext::kTempoValid) ? mProcessContext.tempo : 0.0;
}

void IEffectVST3::GetTimeSig(int* numerator, int* denominator) {
  const bool valid = (mProcessContext.state & ProcessContext::kTimeSigValid) != 0;
  if (numerator) *numerator = valid ? mProcessContext.timeSigNumerator : 0;
  if (denominator) *denominator = valid ? mProcessContext.timeSigDenominator : 0;
}

void IEffectVST3::GetTime(ITimeInfo* timeInfo) {
  if (!timeInfo) return;
  const ProcessContext& pc = mProcessContext;
  timeInfo->mSamplePos = static_cast<double>(pc.projectTimeSamples);
  if (pc.state & ProcessContext::kTempoValid) timeInfo->mTempo = pc.tempo;
  if (pc.state & ProcessContext::kProjectTimeMusicValid) timeInfo->mPPQPos = pc.projectTimeMusic;
  if (pc.state & ProcessContext::kBarPositionValid) timeInfo->mLastBar = pc.barPositionMusic;
  if (pc.state & ProcessContext::kCycleValid) {
    timeInfo->mCycleStart = pc.cycleStartMusic;
    timeInfo->mCycleEnd = pc.cycleEndMusic;
  }
  if (pc.state & ProcessContext::kTimeSigValid) {
    timeInfo->mNumerator = pc.timeSigNumerator;
    timeInfo->mDenominator = pc.timeSigDenominator;
  }
  timeInfo->mTransportIsRunning = (pc.state & ProcessContext::kPlaying) != 0;
  timeInfo->mTransportLoopEnabled = (pc.state & ProcessContext::kCycleActive) != 0;
}

void IEffectVST3::SetLatency(int samples) {
  IEffectBase::SetLatency(samples);
  if (IComponentHandler* handler = getComponentHandler()) handler->restartComponent(kLatencyChanged);
}
