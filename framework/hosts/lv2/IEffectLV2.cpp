// The LV2 adapter's host side: ports, run, activation and state.
#include "framework/hosts/lv2/IEffectLV2.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

const void* find_feature(const LV2_Feature* const* features, const char* uri) {
  for (int i = 0; features && features[i]; ++i)
    if (features[i]->URI && std::strcmp(features[i]->URI, uri) == 0) return features[i]->data;
  return nullptr;
}

// The block size the host's options promise: the maximum, else the nominal length; 0 without one.
int host_block_size(const LV2_Options_Option* options, LV2_URID_Map* map) {
  if (!options || !map) return 0;
  const LV2_URID maxLength = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
  const LV2_URID nominalLength = map->map(map->handle, LV2_BUF_SIZE__nominalBlockLength);
  const LV2_URID atomInt = map->map(map->handle, LV2_ATOM__Int);
  int maximum = 0, nominal = 0;
  for (const LV2_Options_Option* o = options; o->key || o->value; ++o) {
    if (o->type != atomInt || o->size != sizeof(int32_t) || !o->value) continue;
    const int32_t value = *static_cast<const int32_t*>(o->value);
    if (o->key == maxLength) maximum = value;
    if (o->key == nominalLength) nominal = value;
  }
  const int size = maximum > 0 ? maximum : nominal;
  return size > 0 ? size : 0;
}

}  // namespace

IEffectLV2::IEffectLV2(IInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
                       const char* effectName, const char* productName, const char* mfrName,
                       int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                       bool plugDoesChunks, bool plugIsInst)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID,
                  mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPILV2),
      mLayout(std::clamp(instanceInfo.mChannels, 1, 2)) {
  mMap = static_cast<LV2_URID_Map*>(const_cast<void*>(find_feature(instanceInfo.mFeatures, LV2_URID__map)));
  if (mMap) {
    // One key for both plug-ins: a state moves between the mono and the stereo one.
    mStateKey = mMap->map(mMap->handle, (std::string(ThePlugDescription().lv2Uri) + "#state").c_str());
    mChunkType = mMap->map(mMap->handle, LV2_ATOM__Chunk);
    mHostBlockSize = host_block_size(
        static_cast<const LV2_Options_Option*>(find_feature(instanceInfo.mFeatures, LV2_OPTIONS__options)),
        mMap);
  }
  const PlugDescription& description = ThePlugDescription();
  mAudioIn.assign(size_t(mLayout.channels), nullptr);
  mAudioOut.assign(size_t(mLayout.channels), nullptr);
  mControls.assign(size_t(description.lv2PortCount), nullptr);
  mLastControl.assign(size_t(description.lv2PortCount), std::numeric_limits<float>::quiet_NaN());
}

IEffectLV2::~IEffectLV2() = default;

void IEffectLV2::Prepare(double sampleRate) {
  Lock lock(GetMutex());
  SetSampleRate(sampleRate);
  SetBlockSize(mHostBlockSize > 0 ? mHostBlockSize : kDefaultBlockSize);
  ConnectChannels(mLayout.channels, mLayout.channels);
  Reset();
  RestartHostBypass();
}

void IEffectLV2::ConnectPort(uint32_t port, void* data) {
  const int p = int(port);
  for (int c = 0; c < mLayout.channels; ++c) {
    if (p == mLayout.AudioIn(c)) mAudioIn[size_t(c)] = static_cast<const float*>(data);
    if (p == mLayout.AudioOut(c)) mAudioOut[size_t(c)] = static_cast<float*>(data);
  }
  for (size_t k = 0; k < mControls.size(); ++k)
    if (p == mLayout.Control(int(k))) mControls[k] = static_cast<const float*>(data);
  if (p == mLayout.Enabled()) mEnabled = static_cast<const float*>(data);
  if (p == mLayout.FreeWheeling()) mFreeWheel = static_cast<const float*>(data);
  if (p == mLayout.Latency()) mLatencyOut = static_cast<float*>(data);
}

void IEffectLV2::Activate() {
  Lock lock(GetMutex());
  Reset();  // a re-activated instance sounds like a fresh one
  RestartHostBypass();
  OnActivate(true);
}

void IEffectLV2::Deactivate() {
  Lock lock(GetMutex());
  OnActivate(false);
}

int IEffectLV2::PortOfParam(int paramIdx) const {
  const PlugDescription& description = ThePlugDescription();
  for (int k = 0; k < description.lv2PortCount; ++k)
    if (description.lv2Ports[k].paramIdx == paramIdx) return k;
  return -1;
}

// A port is applied when its value changed and differs from the parameter (compared as the port's
// float): the echo of the editor's own move, and ports that agree with a restored state, change nothing.
// While the editor drags a parameter its port's older values are the host's echoes of the drag.
void IEffectLV2::ApplyControlPorts() {
  const PlugDescription& description = ThePlugDescription();
  const unsigned editing = mEditingMask.load(std::memory_order_acquire);
  for (int k = 0; k < description.lv2PortCount; ++k) {
    const float* port = mControls[size_t(k)];
    if (!port || !std::isfinite(*port)) continue;
    const float value = *port;
    float& last = mLastControl[size_t(k)];
    if (value == last) continue;
    last = value;
    const PlugLv2Port& spec = description.lv2Ports[k];
    const IParam* param = GetParam(spec.paramIdx);
    if (!param || (editing & (1u << k))) continue;
    if (float(Lv2PortFromNormalized(spec, param->GetNormalized())) == value) continue;
    SetParameterFromHost(spec.paramIdx, Lv2PortToNormalized(spec, value));
  }
}

void IEffectLV2::Run(uint32_t nFrames) {
  const bool freeWheeling = mFreeWheel && *mFreeWheel > 0.5f;
  mFreeWheeling.store(freeWheeling, std::memory_order_relaxed);
  if (mLatencyOut) *mLatencyOut = float(GetLatency());
  // One hold for the ports and the block. Port changes arrive on the audio thread: the instance hands
  // them over instead of acting here.
  std::unique_lock<std::recursive_mutex> lock(GetMutex());
  const ThreadCheck::AudioScope audio(Threads());
  ApplyControlPorts();
  // An export hears the design its settings ask for from the first sample; the wait happens outside
  // the lock, which the design's hand-over takes.
  if (freeWheeling && HasPendingWork()) {
    lock.unlock();
    FinishPendingWork();
    lock.lock();
  }
  const int n = int(std::min<uint32_t>(nFrames, uint32_t(std::numeric_limits<int>::max())));
  if (n <= 0) return;
  const int channels = mLayout.channels;
  AttachInputBuffers(0, channels, const_cast<float**>(mAudioIn.data()), n);
  AttachOutputBuffers(0, channels, mAudioOut.data());
  const bool enabled = !mEnabled || *mEnabled > 0.5f;
  if (enabled)
    ProcessBuffers(0.0f, n);
  else
    PassThroughBuffers(0.0f, n);
}

// ---------------------------------------------------------------------------------------------
// State: the plug-in's state payload, the same bytes as in the VST3 and VST2 states.

LV2_State_Status IEffectLV2::SaveState(LV2_State_Store_Function store, LV2_State_Handle handle) {
  if (!store || !mMap) return LV2_STATE_ERR_NO_FEATURE;
  Lock lock(GetMutex());
  ByteChunk chunk;
  if (!SerializeState(&chunk) || chunk.Size() <= 0) return LV2_STATE_ERR_UNKNOWN;
  return store(handle, mStateKey, chunk.GetBytes(), size_t(chunk.Size()), mChunkType,
               LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status IEffectLV2::RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
  if (!retrieve || !mMap) return LV2_STATE_ERR_NO_FEATURE;
  size_t size = 0;
  uint32_t type = 0;
  uint32_t flags = 0;
  const void* data = retrieve(handle, mStateKey, &size, &type, &flags);
  if (!data) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != mChunkType || size == 0 || size > size_t(std::numeric_limits<int>::max()))
    return LV2_STATE_ERR_BAD_TYPE;
  Lock lock(GetMutex());
  ByteChunk saved;
  SerializeState(&saved);
  ByteChunk chunk;
  chunk.PutBytes(data, int(size));
  if (UnserializeState(&chunk, 0) < 0) {
    RestoreStateIfChanged(&saved);
    return LV2_STATE_ERR_UNKNOWN;
  }
  // The ports the host restores next apply only where they differ from the state.
  std::fill(mLastControl.begin(), mLastControl.end(), std::numeric_limits<float>::quiet_NaN());
  RedrawParamControls();
  return LV2_STATE_SUCCESS;
}
