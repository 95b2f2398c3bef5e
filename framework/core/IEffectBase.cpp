#include "framework/core/IEffectBase.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace {
// No host asks for more; a larger count in an I/O string is a typo, not a request for memory.
constexpr int kMaxChannels = 64;
// Scratch buffers never grow past this; longer host blocks are processed in pieces.
constexpr int kMaxScratchFrames = 65536;
constexpr int kMaxLatency = 1 << 20;

void copy_name(char* dest, const char* src, int size) {
  std::snprintf(dest, size_t(size), "%s", src ? src : "");
}

// "1-1 2-2": pairs of input and output counts separated by spaces; anything else ends the list.
std::vector<std::pair<int, int>> parse_channel_io(const char* text) {
  std::vector<std::pair<int, int>> pairs;
  if (!text) return pairs;
  const char* p = text;
  while (*p) {
    while (*p == ' ') ++p;
    if (!*p) break;
    char* end = nullptr;
    const long nIn = std::strtol(p, &end, 10);
    if (end == p || *end != '-') break;
    p = end + 1;
    const long nOut = std::strtol(p, &end, 10);
    if (end == p) break;
    p = end;
    pairs.emplace_back(int(std::clamp(nIn, 0L, long(kMaxChannels))),
                       int(std::clamp(nOut, 0L, long(kMaxChannels))));
  }
  return pairs;
}

void write_version(char* out, int outSize, int version) {
  if (!out || outSize <= 0) return;
  std::snprintf(out, size_t(outSize), "v%d.%d.%d", (version >> 16) & 0xFFFF, (version >> 8) & 0xFF,
                version & 0xFF);
}

int decimal_version(int version) {
  return ((version >> 16) & 0xFFFF) * 10000 + ((version >> 8) & 0xFF) * 100 + (version & 0xFF);
}

}  // namespace

IEffectBase::IEffectBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                         const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
                         int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
                         EAPI plugAPI)
    : mUniqueID(uniqueID),
      mMfrID(mfrID),
      mVersion(vendorVersion),
      mAPI(plugAPI),
      mDoesMIDI(plugDoesMidi),
      mStateChunks(plugDoesChunks),
      mIsInst(plugIsInst) {
  copy_name(mEffectName, effectName, kNameSize);
  copy_name(mProductName, productName, kNameSize);
  copy_name(mMfrName, mfrName, kNameSize);

  for (int i = 0; i < nParams; ++i) mParams.push_back(std::make_unique<IParam>());
  mPresets.resize(size_t(std::max(nPresets, 0)));

  mChannelIO = parse_channel_io(channelIOStr);
  int nIn = 0, nOut = 0;
  for (const auto& [in, out] : mChannelIO) {
    nIn = std::max(nIn, in);
    nOut = std::max(nOut, out);
  }
  mInChannels.resize(size_t(nIn));
  mOutChannels.resize(size_t(nOut));
  mInData.assign(size_t(nIn), nullptr);
  mOutData.assign(size_t(nOut), nullptr);
  mFadeDry.assign(size_t(nOut) * kFadeChunk, 0.0);
  mFadeIn.assign(size_t(nIn), nullptr);
  mFadeOut.assign(size_t(nOut), nullptr);
  mFadeDryData.assign(size_t(nOut), nullptr);
  // Channels start connected; the adapter disconnects what its host does not supply.
  for (InChannel& ch : mInChannels) ch.mConnected = true;
  for (OutChannel& ch : mOutChannels) ch.mConnected = true;
  for (int i = 0; i < nIn; ++i) mInChannels[size_t(i)].mLabel = "input " + std::to_string(i + 1);
  for (int i = 0; i < nOut; ++i) mOutChannels[size_t(i)].mLabel = "output " + std::to_string(i + 1);

  mLatency = std::clamp(latency, 0, kMaxLatency);
  if (nIn > 0) mLatencyRing.assign(size_t(mLatency) * size_t(nIn), 0.0);
}

// ---------------------------------------------------------------- default hooks

void IEffectBase::Reset() {
  Lock lock(mMutex);
}

void IEffectBase::OnParamChange(int paramIdx) {
  Lock lock(mMutex);
}

void IEffectBase::OnActivate(bool active) {
  Lock lock(mMutex);
}

void IEffectBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  PassThrough(inputs, outputs, nFrames, false);
}

bool IEffectBase::SerializeState(ByteChunk* chunk) {
  return SerializeParams(chunk);
}

int IEffectBase::UnserializeState(ByteChunk* chunk, int startPos) {
  return UnserializeParams(chunk, startPos);
}

bool IEffectBase::CompareState(const unsigned char* incomingState, int startPos) {
  if (!incomingState || startPos < 0) return false;
  ByteChunk current;
  SerializeParams(&current);
  return std::memcmp(incomingState + startPos, current.GetBytes(), size_t(current.Size())) == 0;
}

void IEffectBase::GetTimeSig(int* numerator, int* denominator) {
  if (numerator) *numerator = 0;
  if (denominator) *denominator = 0;
}

void IEffectBase::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  assert(!mThreadCheck.InAudioPath() && "the audio thread moves no control");
  Lock lock(mMutex);
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  param->SetNormalized(normalizedValue);
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx);
}

void IEffectBase::SetLatency(int samples) {
  Lock lock(mMutex);
  mLatency = std::clamp(samples, 0, kMaxLatency);
  mLatencyPos = 0;
  if (mInChannels.empty()) return;
  try {
    mLatencyRing.assign(size_t(mLatency) * mInChannels.size(), 0.0);
  } catch (const std::bad_alloc&) {
    mLatency = 0;
    mLatencyRing.clear();
  }
}

void IEffectBase::SetBlockSize(int blockSize) {
  assert(!mThreadCheck.InAudioPath() && "the audio thread never resizes its buffers");
  Lock lock(mMutex);
  const int size = std::clamp(blockSize, 0, kMaxScratchFrames);
  if (size == mBlockSize) return;
  try {
    for (InChannel& ch : mInChannels) ch.mScratch.assign(size_t(size), 0.0);
    for (OutChannel& ch : mOutChannels) ch.mScratch.assign(size_t(size), 0.0);
    mBlockSize = size;
  } catch (const std::bad_alloc&) {
    // Keep every buffer at one consistent size: the old one.
    for (InChannel& ch : mInChannels) ch.mScratch.assign(size_t(mBlockSize), 0.0);
    for (OutChannel& ch : mOutChannels) ch.mScratch.assign(size_t(mBlockSize), 0.0);
  }
}

// ---------------------------------------------------------------- parameters

void IEffectBase::OnParamReset() {
  for (int i = 0; i < NParams(); ++i) OnParamChange(i);
}

void IEffectBase::DirtyParameters() {
  Lock lock(mMutex);
  for (int i = 0; i < NParams(); ++i) InformHostOfParamChange(i, mParams[size_t(i)]->GetNormalized());
}

// ---------------------------------------------------------------- identity

int IEffectBase::GetEffectVersion(bool decimal) const {
  return decimal ? decimal_version(mVersion) : mVersion;
}

void IEffectBase::GetEffectVersionStr(char* out, int outSize) const {
  write_version(out, outSize, mVersion);
}

std::string IEffectBase::GetEffectVersionStr() const {
  char text[32];
  GetEffectVersionStr(text, sizeof text);
  return text;
}

int IEffectBase::GetHostVersion(bool decimal) const {
  return decimal ? decimal_version(mHostVersion) : mHostVersion;
}

void IEffectBase::GetHostVersionStr(char* out, int outSize) const {
  write_version(out, outSize, mHostVersion);
}

std::string IEffectBase::GetHostVersionStr() const {
  char text[32];
  GetHostVersionStr(text, sizeof text);
  return text;
}

void IEffectBase::SetHost(const char* hostName, int hostVersion) {
  mHost = LookUpHost(hostName);
  mHostVersion = hostVersion;
}

const char* IEffectBase::GetAPIString() const {
  switch (mAPI) {
    case kAPIVST2:
      return "VST2";
    case kAPIVST3:
      return "VST3";
    case kAPILV2:
      return "LV2";
    default:
      return "Headless";
  }
}
