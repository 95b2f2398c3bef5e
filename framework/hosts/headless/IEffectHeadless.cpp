#include "framework/hosts/headless/IEffectHeadless.h"

IEffectHeadless::IEffectHeadless(IInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
                                 int nPresets, const char* effectName, const char* productName,
                                 const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                                 bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID,
                  mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIHeadless) {
  SetHost(instanceInfo.mHostName.c_str(), instanceInfo.mHostVersion);
}

IEffectHeadless::~IEffectHeadless() = default;

void IEffectHeadless::HostSetSampleRate(double sampleRate) {
  Lock lock(mMutex);
  SetSampleRate(sampleRate);
  Reset();
  RestartHostBypass();
}

void IEffectHeadless::HostSetBlockSize(int blockSize) {
  Lock lock(mMutex);
  SetBlockSize(blockSize);
  Reset();
  RestartHostBypass();
}

void IEffectHeadless::HostReset() {
  Lock lock(mMutex);
  Reset();
  RestartHostBypass();
}

void IEffectHeadless::HostActivate(bool active) {
  Lock lock(mMutex);
  OnActivate(active);
}

void IEffectHeadless::HostProcess(double** inputs, double** outputs, int nFrames) {
  if (!mRealtime && HasPendingWork()) FinishPendingWork();
  Lock lock(mMutex);
  AttachInputBuffers(0, NInChannels(), inputs, nFrames);
  AttachOutputBuffers(0, NOutChannels(), outputs);
  ProcessBuffers(0.0, nFrames);
}

void IEffectHeadless::HostProcess(float** inputs, float** outputs, int nFrames) {
  if (!mRealtime && HasPendingWork()) FinishPendingWork();
  Lock lock(mMutex);
  AttachInputBuffers(0, NInChannels(), inputs, nFrames);
  AttachOutputBuffers(0, NOutChannels(), outputs);
  ProcessBuffers(0.0f, nFrames);
}

void IEffectHeadless::HostBypass(double** inputs, double** outputs, int nFrames) {
  Lock lock(mMutex);
  AttachInputBuffers(0, NInChannels(), inputs, nFrames);
  AttachOutputBuffers(0, NOutChannels(), outputs);
  PassThroughBuffers(0.0, nFrames);
}

void IEffectHeadless::HostSetParameter(int paramIdx, double normalizedValue) {
  SetParameterFromHost(paramIdx, normalizedValue);
}

double IEffectHeadless::HostGetParameter(int paramIdx) {
  Lock lock(mMutex);
  const IParam* param = GetParam(paramIdx);
  return param ? param->GetNormalized() : 0.0;
}

std::string IEffectHeadless::HostGetParameterDisplay(int paramIdx) {
  Lock lock(mMutex);
  const IParam* param = GetParam(paramIdx);
  return param ? param->GetDisplayForHost() : std::string();
}

bool IEffectHeadless::HostGetState(ByteChunk* chunk) {
  if (!chunk) return false;
  Lock lock(mMutex);
  chunk->Clear();
  return SerializeState(chunk);
}

bool IEffectHeadless::HostSetState(ByteChunk* chunk) {
  if (!chunk) return false;
  Lock lock(mMutex);
  if (UnserializeState(chunk, 0) < 0) return false;
  RedrawParamControls();
  return true;
}

std::vector<IEffectHeadless::HostEvent> IEffectHeadless::HostEvents() const {
  std::lock_guard<std::mutex> lock(mEventsMutex);
  return mEvents;
}

void IEffectHeadless::ClearHostEvents() {
  std::lock_guard<std::mutex> lock(mEventsMutex);
  mEvents.clear();
}

void IEffectHeadless::Record(HostEvent::Kind kind, int paramIdx, double normalized) {
  std::lock_guard<std::mutex> lock(mEventsMutex);
  mEvents.push_back({kind, paramIdx, normalized});
}

void IEffectHeadless::BeginInformHostOfParamChange(int paramIdx) {
  Record(HostEvent::kBegin, paramIdx, 0.0);
}

void IEffectHeadless::InformHostOfParamChange(int paramIdx, double normalizedValue) {
  Record(HostEvent::kChange, paramIdx, normalizedValue);
}

void IEffectHeadless::EndInformHostOfParamChange(int paramIdx) {
  Record(HostEvent::kEnd, paramIdx, 0.0);
}

void IEffectHeadless::InformHostOfProgramChange() {
  Record(HostEvent::kProgramChange, -1, 0.0);
}
